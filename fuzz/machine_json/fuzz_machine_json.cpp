// machine.json loading on arbitrary bytes: the description loads or is refused with
// ConfigError. Any other exception escapes and counts as a crash.
#include <cstdint>
#include <filesystem>
#include <fstream>

#include "fuzz/support/scratch.h"
#include "platform/hosted/machine/config.h"

namespace {

namespace fs = std::filesystem;

// A machine folder with the folders and registry file a description usually names.
const fs::path& MachineDir() {
  static const fs::path dir = [] {
    fs::path machine = fuzzing::ScratchDir() / "machine";
    fs::create_directories(machine / "c");
    fs::create_directories(machine / "cd");
    std::ofstream(machine / "registry.reg") << "REGEDIT4\n";
    return machine;
  }();
  return dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fs::path& dir = MachineDir();
  std::ofstream(dir / "machine.json", std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  try {
    hosted::LoadMachineConfig(dir);
  } catch (const hosted::ConfigError&) {
  }
  return 0;
}
