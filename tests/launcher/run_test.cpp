// Whole runs of the entry: start-up order, run modes, the escaped-error box, exit codes.
#include <gtest/gtest.h>

#include <regex>

#include "tests/support/machine_fixture.h"
#include "winsys/winsys.h"

namespace {

using testing_support::TempMachine;

std::string BoxText(const hosted::Event& box) { return box.Find("text")->text; }
std::string BoxCaption(const hosted::Event& box) { return box.Find("caption")->text; }

struct ProbeFailure {
  const char* call;
  unsigned nth;
  const char* message;
};

class AdministratorProbeFailure : public ::testing::TestWithParam<ProbeFailure> {};

TEST_P(AdministratorProbeFailure, EndsTheRunBeforeAnyLauncherWork) {
  TempMachine machine;
  machine.Write("registry.reg",
                "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion"
                "\\Orvanel]\r\n\"x\"=\"y\"\r\n");
  machine.config.registry = machine.dir / "registry.reg";
  int code = machine.RunLauncher({{GetParam().call, GetParam().nth, 5}});
  EXPECT_EQ(code, 1);
  auto boxes = machine.Events("box");
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(BoxCaption(boxes[0]), "Application Error");
  EXPECT_EQ(boxes[0].Find("style")->number, 0x2010);
  std::regex expected("Exception SystemError in module SETUP\\.EXE at [0-9A-F]{8}\\.\n" +
                      std::string(GetParam().message) + "\\.");
  EXPECT_TRUE(std::regex_match(BoxText(boxes[0]), expected)) << BoxText(boxes[0]);
  // Nothing after the probe ran: the obsolete key is still there, the log list was never made.
  EXPECT_TRUE(machine.Platform().Reg().Changes().empty());
  EXPECT_FALSE(winsys::Winsys().logList.has_value());
  EXPECT_TRUE(machine.Events("exec").empty());
}

INSTANTIATE_TEST_SUITE_P(
    Steps, AdministratorProbeFailure,
    ::testing::Values(ProbeFailure{"AllocateAndInitializeSid", 1, "Winsys: Administrator-1"},
                      ProbeFailure{"GetTokenInformation", 1, "Winsys: Administrator-2"},
                      ProbeFailure{"GetTokenInformation", 2, "Winsys: Administrator-3"}));

TEST(EscapedErrorBox, CutsTheModuleNameTo63Characters) {
  TempMachine machine;
  std::string name(70, 'N');
  machine.config.self = "D:\\dir\\" + name;
  machine.RunLauncher({{"AllocateAndInitializeSid", 1, 5}});
  auto boxes = machine.Events("box");
  ASSERT_EQ(boxes.size(), 1u);
  std::string prefix = "Exception SystemError in module " + std::string(63, 'N') + " at ";
  EXPECT_EQ(BoxText(boxes[0]).substr(0, prefix.size()), prefix);
  EXPECT_EQ(BoxText(boxes[0]).find(std::string(64, 'N')), std::string::npos);
}

TEST(EscapedErrorBox, TheSamePlaceGivesTheSameAddress) {
  std::string texts[2];
  for (auto& text : texts) {
    TempMachine machine;
    machine.RunLauncher({{"GetTokenInformation", 1, 5}});
    text = BoxText(machine.Events("box").at(0));
  }
  EXPECT_EQ(texts[0], texts[1]);
}

struct SilentCase {
  const char* self;
  bool silent;
};

class RunModeTest : public ::testing::TestWithParam<SilentCase> {};

// A machine where the launch sequence always says something: the product is not installed
// and the medium holds no install set.
TEST_P(RunModeTest, SilentPathsDoNothingButTheStartUp) {
  TempMachine machine;
  machine.Write("registry.reg",
                "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion"
                "\\Orvanel\\Sub]\r\n\"x\"=\"y\"\r\n");
  machine.config.registry = machine.dir / "registry.reg";
  machine.config.self = GetParam().self;
  machine.config.osMajor = 6;
  EXPECT_EQ(machine.RunLauncher(), 0);
  EXPECT_EQ(machine.Events("box").empty(), GetParam().silent);
  // Start-up work happens in every mode: the probes and the key deletion.
  EXPECT_EQ(winsys::Winsys().OsMajorVersion, 6);
  EXPECT_FALSE(machine.Platform().Reg().Changes().empty());
}

INSTANTIATE_TEST_SUITE_P(Paths, RunModeTest,
                         ::testing::Values(SilentCase{"C:\\ORVDEL\\SETUP.EXE", true},
                                           SilentCase{"D:\\OrvDel.Exe", true},
                                           SilentCase{"D:\\x\\orvdelete.exe", true},
                                           SilentCase{"D:\\x\\\xC4orvdel.exe", false},
                                           SilentCase{"D:\\orv del.exe", false},
                                           SilentCase{"D:\\SETUP.EXE", false},
                                           SilentCase{"D:orvdel.exe", false}));

}  // namespace
