// A throw-away simulated machine for tests: a temporary folder with drive folders,
// a configuration to adjust, and a HostedPlatform installed as the current platform.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/hosted/machine/config.h"
#include "platform/hosted/machine/hosted.h"
#include "platform/hosted/machine/transcript.h"

namespace testing_support {

// The names a directory search returns, in order; empty when it finds nothing.
std::vector<std::string> FindNames(platform::Platform& os, const char* pattern);
// A file's bytes read through the machine's own calls; empty when it does not open.
std::string ReadOnMachine(platform::Platform& os, const std::string& path);
// A host file's bytes; empty when it cannot be read.
std::string Slurp(const std::filesystem::path& file);

class TempMachine {
 public:
  // Drives C: (fixed, folder "c") and D: (cdrom, folder "cd"); everything else default.
  TempMachine();
  ~TempMachine();
  TempMachine(const TempMachine&) = delete;
  TempMachine& operator=(const TempMachine&) = delete;

  // The machine's folder and its configuration; adjust before Start().
  std::filesystem::path dir;
  hosted::MachineConfig config;

  // A host file below dir ("c/TEMP/a.txt"), folders made as needed.
  std::filesystem::path Write(const std::string& relative, std::string_view content);
  std::filesystem::path MakeDir(const std::string& relative);
  std::string Read(const std::string& relative) const;
  // Sets the host file's modification time (seconds since 1970, UTC).
  void SetMtime(const std::string& relative, long long unixSeconds);

  // Builds the platform from the configuration and installs it as platform::Current().
  hosted::HostedPlatform& Start();
  hosted::HostedPlatform& Platform() { return *platform_; }
  hosted::Transcript transcript;

  // The events of one kind, in order.
  std::vector<hosted::Event> Events(const std::string& kind) const;
  // One text field of every event of a kind, in order: Texts("box", "caption").
  std::vector<std::string> Texts(const std::string& kind, const std::string& field) const;

 private:
  std::unique_ptr<hosted::HostedPlatform> platform_;
  std::unique_ptr<platform::ScopedPlatform> installed_;
};

}  // namespace testing_support
