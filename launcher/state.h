// The launcher module's process-wide values; RunLauncher resets them at every start.
#pragma once

#include <string>

namespace launcher {

struct State {
  std::string JawsSourceDir;
};

State& Launcher();

}  // namespace launcher
