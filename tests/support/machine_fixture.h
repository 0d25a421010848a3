// A throw-away simulated machine for tests: a temporary folder with drive folders,
// a configuration to adjust, and a HostedPlatform installed as the current platform.
#pragma once

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/hosted/machine/config.h"
#include "platform/hosted/machine/hosted.h"
#include "platform/hosted/machine/transcript.h"
#include "tests/support/host_files.h"

namespace testing_support {

inline std::vector<std::string> FindNames(platform::Platform& os, const char* pattern) {
  std::vector<std::string> names;
  platform::WIN32_FIND_DATAA data;
  platform::HANDLE search = os.FindFirstFileA(pattern, &data);
  if (search == platform::INVALID_HANDLE_VALUE) return names;
  do names.push_back(data.cFileName);
  while (os.FindNextFileA(search, &data));
  os.FindClose(search);
  return names;
}

inline std::string ReadOnMachine(platform::Platform& os, const std::string& path) {
  std::string bytes;
  platform::HANDLE file =
      os.CreateFileA(path.c_str(), platform::GENERIC_READ, platform::FILE_SHARE_READ, nullptr,
                     platform::OPEN_EXISTING, 0, nullptr);
  if (file == platform::INVALID_HANDLE_VALUE) return bytes;
  char block[4096];
  platform::DWORD read = 0;
  while (os.ReadFile(file, block, sizeof(block), &read, nullptr) && read != 0)
    bytes.append(block, read);
  os.CloseHandle(file);
  return bytes;
}

class TempMachine {
 public:
  // Drives C: (fixed, folder "c") and D: (cdrom, folder "cd"); everything else default.
  TempMachine() {
    config.dir = dir;
    config.drives = {{'C', hosted::DriveKind::Fixed, MakeDir("c"), false},
                     {'D', hosted::DriveKind::CdRom, MakeDir("cd"), true}};
  }
  ~TempMachine() {
    installed_.reset();
    platform_.reset();
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
  }

  // The machine's folder and its configuration; adjust before Start().
  std::filesystem::path dir = ScratchPath("orvtest");
  hosted::MachineConfig config;

  // A host file below dir ("c/TEMP/a.txt"), folders made as needed.
  std::filesystem::path Write(const std::string& relative, std::string_view content) {
    return Spill(dir / relative, content);
  }
  std::filesystem::path MakeDir(const std::string& relative) {
    std::filesystem::create_directories(dir / relative);
    return dir / relative;
  }
  std::string Read(const std::string& relative) const { return Slurp(dir / relative); }
  // Sets the host file's modification time (seconds since 1970, UTC).
  void SetMtime(const std::string& relative, long long unixSeconds) {
    auto system = std::chrono::system_clock::time_point(std::chrono::seconds(unixSeconds));
    std::filesystem::last_write_time(dir / relative,
                                     std::filesystem::file_time_type::clock::from_sys(system));
  }

  hosted::HostedPlatform& Start() {
    installed_.reset();
    platform_ = std::make_unique<hosted::HostedPlatform>(config, transcript);
    installed_ = std::make_unique<platform::ScopedPlatform>(*platform_);
    return *platform_;
  }
  hosted::HostedPlatform& Platform() { return *platform_; }
  hosted::Transcript transcript;

 private:
  std::unique_ptr<hosted::HostedPlatform> platform_;
  std::unique_ptr<platform::ScopedPlatform> installed_;
};

}  // namespace testing_support
