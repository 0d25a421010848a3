// What a machine description says about the machine's drives and files.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace hosted {

using namespace platform;

enum class DriveKind { Fixed, CdRom, Removable, Remote, RamDisk };

struct DriveConfig {
  char letter = 'C';  // upper case
  DriveKind kind = DriveKind::Fixed;
  std::optional<std::filesystem::path> folder;  // absolute host folder; none: no medium
  bool readOnly = false;                        // cdrom drives always are
};

struct FilesConfig {
  std::vector<DriveConfig> drives;  // sorted by letter
  std::string temp = "C:\\TEMP\\";  // empty: GetTempPathA fails
  std::string currentDir = "C:\\";
  bool shortNames = true;
  std::string timezone = "UTC";
  std::vector<std::string> protectedDirs;   // Windows paths (ANSI)
  std::map<char, std::uint64_t> freeBytes;  // drive letter (upper) -> bytes
  std::map<std::string, DWORD> attributes;  // Windows path -> hidden/system/archive/read-only

  const DriveConfig* Drive(char letter) const;
};

}  // namespace hosted
