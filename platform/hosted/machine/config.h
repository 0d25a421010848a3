// The description of a simulated machine: machine.json and what it names.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/hosted/files/config.h"
#include "platform/hosted/process/config.h"
#include "platform/platform.h"

namespace hosted {

using namespace platform;

struct FaultConfig {
  std::string call;  // the Windows name of the call
  unsigned nth = 0;  // 1 = first call, 0 = every call
  DWORD error = 0;   // the last-error value it leaves
};

// The parts' own settings, with what only the machine as a whole uses.
struct MachineConfig : FilesConfig, ProcessConfig {
  std::filesystem::path dir;  // absolute folder of machine.json
  bool windows64 = false;     // 64-bit Windows: the 32-bit launcher sees the 32-bit registry view
  std::optional<std::filesystem::path> registry;  // absolute .reg path
  std::vector<FaultConfig> faults;
  // Windows path (as written: drive letter, then the host names) -> modification time in
  // seconds since 1970 UTC, applied to the files before the run (git keeps no times).
  std::map<std::string, long long> times;
};

// A machine description that cannot be used; what() names the file, the place, the fault and
// what to do.
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
