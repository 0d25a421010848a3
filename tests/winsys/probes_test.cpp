// The version and administrator probes as start-up runs them; the version-query-fails and
// administrator-probe-fails* scenarios pin their reports.
#include <gtest/gtest.h>

#include "tests/support/started_machine.h"

namespace {

class ProbesTest : public testing_support::StartedMachineTest {};

TEST_F(ProbesTest, VersionFacts) {
  const struct {
    platform::DWORD major, minor, platformId;
    bool is50, is51Up, isNT;
  } cases[] = {{4, 0, 2, false, false, true}, {5, 0, 2, true, false, true},
               {5, 1, 2, false, true, true},  {5, 2, 2, false, true, true},
               {6, 1, 2, false, false, true}, {4, 10, 1, false, false, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.major) + "." + std::to_string(c.minor));
    machine.config.osMajor = c.major;
    machine.config.osMinor = c.minor;
    machine.config.osPlatform = c.platformId;
    machine.config.userAdmin = false;
    Start();
    const winsys::State& state = winsys::Winsys();
    EXPECT_EQ(state.OsMajorVersion, static_cast<int>(c.major));
    EXPECT_EQ(state.OsMinorVersion, static_cast<int>(c.minor));
    EXPECT_EQ(state.OsIsVersion50, c.is50);
    EXPECT_EQ(state.OsIsVersion51Up, c.is51Up);
    EXPECT_EQ(state.OsIsNT, c.isNT);
    // Off the NT family no token is examined and the user counts as an administrator.
    EXPECT_EQ(state.UserIsAdmin, !c.isNT);
  }
}

TEST_F(ProbesTest, TheAdministratorProbeReadsTheRightToken) {
  const struct {
    const char* name;
    bool admin, denyOnly, impersonating;
    std::vector<faults::Rule> faults;
    bool expected;
  } cases[] = {
      {"not admin", false, false, false, {}, false},
      {"deny-only counts", true, true, false, {}, true},
      {"impersonating", true, false, true, {}, true},
      // The thread's own token decides: a process token is never consulted then.
      {"thread token only", true, false, true, {{"OpenProcessToken", 0, 5}}, true},
      {"thread token refused", true, false, true, {{"OpenThreadToken", 1, 5}}, false},
      {"no process token", true, false, false, {{"OpenProcessToken", 1, 5}}, false},
      {"no match", true, false, false, {{"EqualSid", 0, 0}}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    machine.config.userAdmin = c.admin;
    machine.config.userAdminDenyOnly = c.denyOnly;
    machine.config.userImpersonating = c.impersonating;
    Start("", c.faults);
    EXPECT_EQ(winsys::Winsys().UserIsAdmin, c.expected);
  }
}

}  // namespace
