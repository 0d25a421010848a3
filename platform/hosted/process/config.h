// What a machine description says about the system, its user and the launcher's process.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace hosted {

using namespace platform;

struct ProcessConfig {
  DWORD osMajor = 5, osMinor = 1, osBuild = 2600, osPlatform = 2;
  bool userAdmin = true;
  bool userImpersonating = false;
  bool userAdminDenyOnly = false;  // the Administrators group is present for deny only
  std::string logDir;
  std::optional<UINT> execResult;
  std::string self = "D:\\SETUP.EXE";
  std::vector<std::string> args;

  // True when the user may write where only administrators may.
  bool EffectiveAdmin() const { return userAdmin && !userAdminDenyOnly; }
};

}  // namespace hosted
