#include "winsys/winsys.h"

#include "winsys/probes.h"
#include "winsys/registry.h"

namespace winsys {

using namespace platform;

namespace {

constexpr const char* kLogDirVariable = "ORVLAUNCH_LOG_DIR";

std::string LogDirFromEnvironment() {
  char buffer[MAX_PATH + 1] = {};
  DWORD length = Current().GetEnvironmentVariableA(kLogDirVariable, buffer, sizeof(buffer));
  if (length == 0 || length >= sizeof(buffer)) return {};
  return std::string(buffer, length);
}

}  // namespace

State& Winsys() {
  static State state;
  return state;
}

void WinsysStartup(std::vector<ShutdownStep>& shutdownSteps) {
  State& state = Winsys();
  state = State{};
  shutdownSteps.push_back(&WinsysShutdown);
  state.OsIsNT = ProbeOsVersion();
  state.UserIsAdmin = state.OsIsNT ? IsAdministrator() : true;
  state.logList.emplace();
  state.logDir = LogDirFromEnvironment();
  DeleteRegistryTree("\\Software\\Microsoft\\Windows\\CurrentVersion\\Orvanel", true);
}

void WinsysShutdown() {
  State& state = Winsys();
  state.logDir.clear();
  state.logList.reset();
}

}  // namespace winsys
