#include "launcher/version_check.h"

#include <gtest/gtest.h>

#include "tests/support/machine_fixture.h"

namespace {

using launcher::InstalledVersionNumber;

struct VersionCase {
  const char* displayName;
  std::optional<std::int32_t> number;
  bool tooOld;
};

class VersionNumberTest : public ::testing::TestWithParam<VersionCase> {};

TEST_P(VersionNumberTest, DigitsPaddedToSevenOrEight) {
  EXPECT_EQ(InstalledVersionNumber(GetParam().displayName), GetParam().number);
  EXPECT_EQ(launcher::TooOldForModules(InstalledVersionNumber(GetParam().displayName)),
            GetParam().tooOld);
}

INSTANTIATE_TEST_SUITE_P(
    Names, VersionNumberTest,
    ::testing::Values(
        VersionCase{"Orvanel 8", 8000000, true}, VersionCase{"Orvanel 7", 7000000, false},
        VersionCase{"Orvanel 7.000001", 7000001, true},
        VersionCase{"Orvanel 8.999999", 8999999, true}, VersionCase{"Orvanel 9", 9000000, false},
        VersionCase{"Orvanel 8.02", 8020000, true}, VersionCase{"Orvanel 8.1", 81000000, false},
        VersionCase{"Orvanel 2.00", 2000000, false}, VersionCase{"Orvanel", 0, false},
        VersionCase{"", 0, false}, VersionCase{"Orv4nel 2003 (8)", 42003800, false},
        VersionCase{"2147483647", 2147483647, false},
        // Digits beyond 32 bits lie above the band: no conversion error.
        VersionCase{"2147483648", std::nullopt, false},
        VersionCase{"Build 20240101123", std::nullopt, false},
        VersionCase{"v 0000000000000008", 8, false}));

struct ModuleCase {
  const char* name;
  bool module;
};

class ModuleNameTest : public ::testing::TestWithParam<ModuleCase> {
 protected:
  // Names are compared through the platform's locale comparison.
  void SetUp() override { machine.Start(); }
  testing_support::TempMachine machine;
};

TEST_P(ModuleNameTest, KeepsModulesAndExcludesTheInstallSet) {
  EXPECT_EQ(launcher::IsModuleFile(GetParam().name), GetParam().module) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(
    Names, ModuleNameTest,
    ::testing::Values(ModuleCase{"MODA.801", true}, ModuleCase{"EXTRA101.ZIP", true},
                      ModuleCase{"Old801", true}, ModuleCase{"xcommon.801", true},
                      ModuleCase{"readme.txt", false}, ModuleCase{"8-01.txt", false},
                      ModuleCase{"install.801", false}, ModuleCase{"INSTALL.801", false},
                      ModuleCase{"install.8011", true}, ModuleCase{"Common.801", false},
                      ModuleCase{"COMMONX.101", false}, ModuleCase{"betaeng.801", false},
                      ModuleCase{"BetaEng.801", false}, ModuleCase{"LangEng.801", false},
                      ModuleCase{"lang101", false}, ModuleCase{".801", false},
                      ModuleCase{"..801", false}, ModuleCase{"801", true},
                      ModuleCase{"la801", true}, ModuleCase{"comm801", true},
                      ModuleCase{"\xC4"
                                 "801",
                                 true}));

}  // namespace
