// The winsys module as start-up leaves it: the version and administrator probes (the
// version-query-fails and administrator-probe-fails* scenarios pin their reports), and the
// registry reads and deletes no run can reach (the registry-*, installed-per-user,
// not-administrator, uninstall-* and obsolete-key-* scenarios pin the others).
#include <gtest/gtest.h>

#include "tests/support/started_machine.h"
#include "winsys/registry.h"

namespace {

using testing_support::Key;
using Started = testing_support::StartedMachineTest;

TEST_F(Started, VersionFactsAndTheAdministratorToken) {
  const struct {
    platform::DWORD major, minor, platformId;
    bool admin, denyOnly, impersonating;
    std::vector<faults::Rule> faults;
    bool is50, is51Up, userIsAdmin;
  } cases[] = {
      {5, 0, 2, true, false, false, {}, true, false, true},
      {6, 1, 2, false, false, false, {}, false, false, false},
      // Off the NT family no token is examined and the user counts as an administrator.
      {4, 10, 1, false, false, false, {}, false, false, true},
      {5, 1, 2, true, true, false, {}, false, true, true},  // deny-only counts
      // The thread's own token decides: a process token is never consulted then.
      {5, 1, 2, true, false, true, {{"OpenProcessToken", 0, 5}}, false, true, true},
      {5, 1, 2, true, false, true, {{"OpenThreadToken", 1, 5}}, false, true, false},
      {5, 1, 2, true, false, false, {{"OpenProcessToken", 1, 5}}, false, true, false},
      {5, 1, 2, true, false, false, {{"EqualSid", 0, 0}}, false, true, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(&c - cases);
    machine.config.osMajor = c.major;
    machine.config.osMinor = c.minor;
    machine.config.osPlatform = c.platformId;
    machine.config.userAdmin = c.admin;
    machine.config.userAdminDenyOnly = c.denyOnly;
    machine.config.userImpersonating = c.impersonating;
    Start("", c.faults);
    EXPECT_EQ(winsys::Winsys().OsIsVersion50, c.is50);
    EXPECT_EQ(winsys::Winsys().OsIsVersion51Up, c.is51Up);
    EXPECT_EQ(winsys::Winsys().UserIsAdmin, c.userIsAdmin);
  }
}

TEST_F(Started, RegistryReadsAndDeletesNoRunReaches) {
  Start(Key(R"(HKEY_CURRENT_USER\Software\T)", R"("Other"="x")") +
        Key(R"(HKEY_CURRENT_USER\Software\T\Sub)"));
  for (const char* key : {"\\Software\\T", "\\Software\\None"}) {
    std::string read = "stale";
    winsys::ReadKeyValue("V", key, platform::HKEY_CURRENT_USER, read);
    EXPECT_EQ(read, "") << key;
  }
  winsys::RegistryAccessor registry(platform::HKEY_CURRENT_USER);
  EXPECT_FALSE(registry.DeleteKey("\\"));
  ASSERT_TRUE(registry.OpenKey("\\Software\\T"));
  EXPECT_FALSE(registry.DeleteKey(""));  // relative to the open key: the key itself
  EXPECT_TRUE(machine.Platform().Reg().Changes().empty());
}

}  // namespace
