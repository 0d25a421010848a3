#include <gtest/gtest.h>

#include "tests/support/machine_fixture.h"
#include "winsys/winsys.h"

namespace {

using testing_support::TempMachine;

struct VersionCase {
  platform::DWORD major, minor, platformId;
  bool is50, is51Up, isNT;
};

class VersionProbe : public ::testing::TestWithParam<VersionCase> {};

TEST_P(VersionProbe, SetsTheVersionFacts) {
  const VersionCase& c = GetParam();
  TempMachine machine;
  machine.config.osMajor = c.major;
  machine.config.osMinor = c.minor;
  machine.config.osPlatform = c.platformId;
  machine.config.userAdmin = false;
  EXPECT_EQ(machine.RunLauncher(), 0);
  const winsys::State& state = winsys::Winsys();
  EXPECT_EQ(state.OsMajorVersion, static_cast<int>(c.major));
  EXPECT_EQ(state.OsMinorVersion, static_cast<int>(c.minor));
  EXPECT_EQ(state.OsIsVersion50, c.is50);
  EXPECT_EQ(state.OsIsVersion51Up, c.is51Up);
  EXPECT_EQ(state.OsIsNT, c.isNT);
  // Off the NT family no token is examined and the user counts as an administrator.
  EXPECT_EQ(state.UserIsAdmin, !c.isNT);
}

INSTANTIATE_TEST_SUITE_P(Versions, VersionProbe,
                         ::testing::Values(VersionCase{4, 0, 2, false, false, true},
                                           VersionCase{5, 0, 2, true, false, true},
                                           VersionCase{5, 1, 2, false, true, true},
                                           VersionCase{5, 2, 2, false, true, true},
                                           VersionCase{6, 1, 2, false, false, true},
                                           VersionCase{10, 0, 2, false, false, true},
                                           VersionCase{4, 10, 1, false, false, false}));

TEST(VersionProbe, AFailedQueryIsReportedAndLeavesZeros) {
  TempMachine machine;
  machine.config.userAdmin = false;
  EXPECT_EQ(machine.RunLauncher({{"GetVersionExA", 1, 5}}), 0);
  auto boxes = machine.Events("box");
  ASSERT_FALSE(boxes.empty());
  EXPECT_EQ(boxes[0].Find("caption")->text, "Windows Error: GetVersionEx");
  EXPECT_EQ(boxes[0].Find("text")->text, "Access is denied. ");
  const winsys::State& state = winsys::Winsys();
  EXPECT_EQ(state.OsMajorVersion, 0);
  EXPECT_FALSE(state.OsIsNT);
  EXPECT_TRUE(state.UserIsAdmin);
}

TEST(VersionProbe, AFailureWithoutErrorShowsNothing) {
  TempMachine machine;
  machine.RunLauncher({{"GetVersionExA", 1, 0}});
  for (const auto& box : machine.Events("box"))
    EXPECT_NE(box.Find("caption")->text, "Windows Error: GetVersionEx");
}

struct TokenCase {
  const char* name;
  bool admin, denyOnly, impersonating;
  std::vector<faults::Rule> faults;
  bool expected;
};

class AdministratorProbe : public ::testing::TestWithParam<TokenCase> {};

TEST_P(AdministratorProbe, ReadsTheRightToken) {
  const TokenCase& c = GetParam();
  TempMachine machine;
  machine.config.userAdmin = c.admin;
  machine.config.userAdminDenyOnly = c.denyOnly;
  machine.config.userImpersonating = c.impersonating;
  EXPECT_EQ(machine.RunLauncher(c.faults), 0);
  EXPECT_EQ(winsys::Winsys().UserIsAdmin, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Tokens, AdministratorProbe,
    ::testing::Values(
        TokenCase{"Admin", true, false, false, {}, true},
        TokenCase{"NotAdmin", false, false, false, {}, false},
        TokenCase{"DenyOnlyCounts", true, true, false, {}, true},
        TokenCase{"Impersonating", true, false, true, {}, true},
        // The thread's own token decides: a process token is never consulted then.
        TokenCase{"ThreadTokenOnly", true, false, true, {{"OpenProcessToken", 0, 5}}, true},
        TokenCase{"ThreadTokenRefused", true, false, true, {{"OpenThreadToken", 1, 5}}, false},
        TokenCase{"NoProcessToken", true, false, false, {{"OpenProcessToken", 1, 5}}, false},
        TokenCase{"NoMatch", true, false, false, {{"EqualSid", 0, 0}}, false}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
