// The system-utility module: its process-wide values, start-up and shutdown.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace winsys {

// Every process-wide value of the module, in one place; start-up resets it.
struct State {
  int OsMajorVersion = 0;
  int OsMinorVersion = 0;
  bool OsIsVersion50 = false;
  bool OsIsVersion51Up = false;
  bool OsIsNT = false;
  bool UserIsAdmin = false;
  // The log list exists from start-up to shutdown; the directory is set only while it does.
  std::optional<std::vector<std::string>> logList;
  std::string logDir;
  int lastCopyStatus = 0;
  platform::UINT savedErrorMode = 0;
};

State& Winsys();

using ShutdownStep = void (*)();

// Registers the module's shutdown step first, then probes the system, creates the log list,
// takes the log directory from the environment and deletes the obsolete product key.
// Raises SystemError when the administrator probe fails.
void WinsysStartup(std::vector<ShutdownStep>& shutdownSteps);
// Releases the log list.
void WinsysShutdown();

}  // namespace winsys
