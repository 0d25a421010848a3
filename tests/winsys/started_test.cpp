// The winsys module as start-up leaves it: the version and administrator probes (the
// version-query-fails and administrator-probe-fails* scenarios pin their reports), and a read.
#include <gtest/gtest.h>

#include "tests/support/started_machine.h"
#include "winsys/registry.h"

namespace {

using testing_support::Key;
using Started = testing_support::StartedMachineTest;

// Off the NT family no token is examined; a token that cannot be opened gives false, no error.
TEST_F(Started, VersionFactsAndTheAdministratorToken) {
  const struct {
    platform::DWORD major, minor, platformId;
    bool admin;
    std::vector<faults::Rule> faults;
    bool is50, is51Up, userIsAdmin;
  } cases[] = {
      {5, 0, 2, true, {}, true, false, true},
      {6, 1, 2, false, {}, false, false, false},
      {4, 10, 1, false, {}, false, false, true},
      {5, 1, 2, true, {{"OpenProcessToken", 1, 5}}, false, true, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(&c - cases);
    machine.config.osMajor = c.major;
    machine.config.osMinor = c.minor;
    machine.config.osPlatform = c.platformId;
    machine.config.userAdmin = c.admin;
    Start("", c.faults);
    EXPECT_EQ(winsys::Winsys().OsIsVersion50, c.is50);
    EXPECT_EQ(winsys::Winsys().OsIsVersion51Up, c.is51Up);
    EXPECT_EQ(winsys::Winsys().UserIsAdmin, c.userIsAdmin);
  }
}

// No run reads into a string that holds something; the registry-* scenarios pin the others.
TEST_F(Started, AReadOfAValueThatIsNotThereLeavesNothing) {
  Start(Key(R"(HKEY_CURRENT_USER\Software\T)", R"("Other"="x")"));
  std::string read = "stale";
  winsys::ReadKeyValue("V", "\\Software\\T", platform::HKEY_CURRENT_USER, read);
  EXPECT_EQ(read, "");
}

}  // namespace
