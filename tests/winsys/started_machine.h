// A simulated machine with a registry from .reg text and the system-utility module started
// with a log directory, so that every LogLine reaches the log list.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/machine_fixture.h"
#include "winsys/winsys.h"

namespace testing_support {

using Lines = std::vector<std::string>;

// A key of the .reg text with its value lines ("\"Name\"=..." or "@=..."), if any.
inline std::string Key(const std::string& path, const std::string& values = "") {
  return "[" + path + "]\r\n" + (values.empty() ? "" : values + "\r\n") + "\r\n";
}

// The .reg spelling of raw bytes: "41,00,ff".
inline std::string HexBytes(const std::string& bytes) {
  std::string out;
  for (unsigned char byte : bytes) {
    char pair[4];
    std::snprintf(pair, sizeof(pair), "%02x,", byte);
    out += pair;
  }
  if (!out.empty()) out.pop_back();
  return out;
}

class StartedMachineTest : public ::testing::Test {
 protected:
  // regBody: the keys and values of a REGEDIT4 file, after its header. Each call starts
  // afresh: start-up resets the module's state.
  void Start(const std::string& regBody) {
    machine.Write("registry.reg", "REGEDIT4\r\n\r\n" + regBody);
    machine.config.registry = machine.dir / "registry.reg";
    // The log file does not exist, so lines reach the log list only.
    machine.config.logDir = "C:\\Logs\\";
    machine.Start();
    winsys::WinsysStartup(shutdownSteps_);
  }
  void TearDown() override { winsys::WinsysShutdown(); }

  static Lines Log() { return winsys::Winsys().logList.value_or(Lines{}); }

  TempMachine machine;

 private:
  std::vector<winsys::ShutdownStep> shutdownSteps_;
};

}  // namespace testing_support
