// The description of a simulated machine: machine.json and what it names.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <stdexcept>
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

struct FaultConfig {
  std::string call;  // the Windows name of the call
  unsigned nth = 0;  // 1 = first call, 0 = every call
  DWORD error = 0;   // the last-error value it leaves
};

struct MachineConfig {
  std::filesystem::path dir;  // absolute folder of machine.json
  DWORD osMajor = 5, osMinor = 1, osBuild = 2600, osPlatform = 2;
  bool userAdmin = true;
  bool userImpersonating = false;
  bool userAdminDenyOnly = false;   // the Administrators group is present for deny only
  std::vector<DriveConfig> drives;  // sorted by letter
  std::string temp = "C:\\TEMP\\";  // empty: GetTempPathA fails
  std::string currentDir = "C:\\";
  bool shortNames = true;
  std::string timezone = "UTC";
  std::optional<std::filesystem::path> registry;  // absolute .reg path
  std::vector<std::string> protectedDirs;         // Windows paths (ANSI)
  std::map<char, std::uint64_t> freeBytes;        // drive letter (upper) -> bytes
  std::string logDir;
  std::optional<UINT> execResult;
  std::vector<FaultConfig> faults;
  std::string self = "D:\\SETUP.EXE";
  std::vector<std::string> args;
  std::map<std::string, DWORD> attributes;  // Windows path -> hidden/system/archive/read-only
  // Windows path (as written: drive letter, then the host names) -> modification time in
  // seconds since 1970 UTC, applied to the files before the run (git keeps no times).
  std::map<std::string, long long> times;

  // True when the user may write where only administrators may.
  bool EffectiveAdmin() const { return userAdmin && !userAdminDenyOnly; }
  const DriveConfig* Drive(char letter) const;
};

// A machine description that cannot be used; what() names the file, the place and the fault.
class ConfigError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Sets the modification times that `times` names on the drives' host folders (roots: the
// folder of each drive letter). Throws ConfigError for a file that is not there.
void ApplyFileTimes(const MachineConfig& config,
                    const std::map<char, std::filesystem::path>& roots);

// Reads DIR/machine.json. Texts are converted from UTF-8 to the ANSI code page.
MachineConfig LoadMachineConfig(const std::filesystem::path& dir);

}  // namespace hosted
