// Whole runs of the entry: the escaped-error box and the silent run modes. The scenarios pin
// the second administrator-probe step's box, its address, and a silent copy of every machine.
#include <gtest/gtest.h>

#include <regex>

#include "tests/support/machine_fixture.h"
#include "winsys/winsys.h"

namespace {

using testing_support::TempMachine;

// The obsolete key that start-up deletes once the probes are through.
void WithObsoleteKey(TempMachine& machine) {
  machine.Write("registry.reg",
                "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion"
                "\\Orvanel]\r\n\"x\"=\"y\"\r\n");
  machine.config.registry = machine.dir / "registry.reg";
}

// The module name is cut to 63 characters. The administrator-probe-fails scenario pins a
// short one, the caption and the style.
TEST(AdministratorProbeFailure, EndsTheRunBeforeAnyLauncherWork) {
  const struct {
    faults::Rule fault;
    const char* message;
  } cases[] = {{{"AllocateAndInitializeSid", 1, 5}, "Winsys: Administrator-1"},
               {{"GetTokenInformation", 2, 5}, "Winsys: Administrator-3"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    TempMachine machine;
    WithObsoleteKey(machine);
    machine.config.self = "D:\\dir\\" + std::string(70, 'N');
    EXPECT_EQ(machine.RunLauncher({c.fault}), 1);
    auto texts = machine.Texts("box", "text");
    ASSERT_EQ(texts.size(), 1u);
    std::regex expected("Exception SystemError in module N{63} at [0-9A-F]{8}\\.\n" +
                        std::string(c.message) + "\\.");
    EXPECT_TRUE(std::regex_match(texts[0], expected)) << texts[0];
    EXPECT_TRUE(machine.Platform().Reg().Changes().empty());
    EXPECT_FALSE(winsys::Winsys().logList.has_value());
    EXPECT_TRUE(machine.Events("exec").empty());
  }
}

// A machine where the launch sequence always says something: the product is not installed
// and the medium holds no install set.
TEST(RunMode, OnlyABackslashBeforeOrvdelMakesTheRunSilent) {
  const struct {
    const char* self;
    bool silent;
  } cases[] = {{"D:\\x\\orvdelete.exe", true},
               {"D:\\x\\\xC4orvdel.exe", false},
               {"D:\\orv del.exe", false},
               {"D:orvdel.exe", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.self);
    TempMachine machine;
    WithObsoleteKey(machine);
    machine.config.self = c.self;
    EXPECT_EQ(machine.RunLauncher(), 0);
    EXPECT_EQ(machine.Events("box").empty(), c.silent);
    EXPECT_FALSE(machine.Platform().Reg().Changes().empty());  // start-up ran
  }
}

}  // namespace
