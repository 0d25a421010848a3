// orvbench COMMAND ARGS...: runs one measurement on a simulated machine (see commands.h).
// tools/bench runs it from the host-release build (CMake Release), as it does orvlaunch.
#include <exception>
#include <functional>
#include <iostream>
#include <map>

#include "bench/commands.h"

int main(int argc, char** argv) {
  const std::map<std::string, std::function<void(const bench::Arguments&)>> commands = {
      {"expand", bench::Expand},
      {"copy", bench::Copy},
      {"match", bench::Match},
      {"load-registry", bench::LoadRegistry},
      {"make-registry", bench::MakeRegistry},
      {"module-scan", bench::ModuleScan},
      {"jaws", bench::JawsDeployment},
      {"tree-deletion", bench::TreeDeletion},
  };
  auto command = argc > 1 ? commands.find(argv[1]) : commands.end();
  if (command == commands.end()) {
    std::cerr << "usage: orvbench COMMAND ARGS...\n";
    return 2;
  }
  try {
    command->second(bench::Arguments(argv + 2, argv + argc));
  } catch (const std::exception& error) {
    std::cerr << "orvbench " << argv[1] << ": " << error.what() << "\n";
    return 1;
  }
  return 0;
}
