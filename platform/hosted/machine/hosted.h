// The simulated Windows machine behind the Platform interface: each call goes to the part
// of the machine that calls.def names for it.
#pragma once

#include <filesystem>
#include <map>

#include "platform/hosted/files/filesystem.h"
#include "platform/hosted/last_error.h"
#include "platform/hosted/lz/lz.h"
#include "platform/hosted/machine/config.h"
#include "platform/hosted/machine/transcript.h"
#include "platform/hosted/process/process.h"
#include "platform/hosted/registry/registry.h"
#include "platform/hosted/text/locale.h"
#include "platform/platform.h"

namespace hosted {

class HostedPlatform : public Platform {
 public:
  // roots: host folder per drive letter, overriding the configured folders (private copies).
  // Loads the configured registry file; throws RegFileError when it cannot be read.
  HostedPlatform(const MachineConfig& config, std::map<char, std::filesystem::path> roots,
                 Transcript& transcript);
  // The drives' folders as configured.
  HostedPlatform(const MachineConfig& config, Transcript& transcript);

  FileSystem& Files() { return files_; }
  Registry& Reg() { return registry_; }
  Process& Proc() { return process_; }
  const MachineConfig& Config() const { return config_; }

#define ORV_CALL(area, result, shown, name, failure, error, plausible, ...) \
  result name(ORV_PARAMETERS(__VA_ARGS__)) override {                       \
    ORV_KEEP_LAST_ERROR(error, KeptLastError)                               \
    return area##_.name(ORV_ARGUMENTS(__VA_ARGS__));                        \
  }
#include "platform/calls.def"
#undef ORV_CALL

 private:
  MachineConfig config_;
  LastError thread_;
  FileSystem files_;
  Registry registry_;
  LzLibrary lz_;
  Locale text_;
  Security security_;
  Process process_;
};

}  // namespace hosted
