// The version and administrator probes as start-up runs them; the version-query-fails and
// administrator-probe-fails* scenarios pin their reports.
#include <gtest/gtest.h>

#include "tests/support/started_machine.h"

namespace {

class ProbesTest : public testing_support::StartedMachineTest {};

TEST_F(ProbesTest, VersionFacts) {
  const struct {
    platform::DWORD major, minor, platformId;
    bool is50, is51Up;
  } cases[] = {{4, 0, 2, false, false}, {5, 0, 2, true, false},  {5, 1, 2, false, true},
               {5, 2, 2, false, true},  {6, 1, 2, false, false}, {4, 10, 1, false, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.major) + "." + std::to_string(c.minor));
    machine.config.osMajor = c.major;
    machine.config.osMinor = c.minor;
    machine.config.osPlatform = c.platformId;
    machine.config.userAdmin = false;
    Start();
    EXPECT_EQ(winsys::Winsys().OsIsVersion50, c.is50);
    EXPECT_EQ(winsys::Winsys().OsIsVersion51Up, c.is51Up);
    // Off the NT family no token is examined and the user counts as an administrator.
    EXPECT_EQ(winsys::Winsys().UserIsAdmin, c.platformId == 1);
  }
}

TEST_F(ProbesTest, TheAdministratorProbeReadsTheRightToken) {
  const struct {
    bool admin, denyOnly, impersonating;
    std::vector<faults::Rule> faults;
    bool expected;
  } cases[] = {
      {false, false, false, {}, false},
      {true, true, false, {}, true},  // deny-only counts
      {true, false, true, {}, true},
      // The thread's own token decides: a process token is never consulted then.
      {true, false, true, {{"OpenProcessToken", 0, 5}}, true},
      {true, false, true, {{"OpenThreadToken", 1, 5}}, false},
      {true, false, false, {{"OpenProcessToken", 1, 5}}, false},
      {true, false, false, {{"EqualSid", 0, 0}}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(&c - cases);
    machine.config.userAdmin = c.admin;
    machine.config.userAdminDenyOnly = c.denyOnly;
    machine.config.userImpersonating = c.impersonating;
    Start("", c.faults);
    EXPECT_EQ(winsys::Winsys().UserIsAdmin, c.expected);
  }
}

}  // namespace
