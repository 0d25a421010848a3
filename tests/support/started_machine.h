// A simulated machine with a registry from .reg text, calls made to fail by rule, and the
// system-utility module started on it as the entry starts it.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/faults/faults.h"
#include "tests/support/machine_fixture.h"
#include "winsys/winsys.h"

namespace testing_support {

// A key of the .reg text with its value lines ("\"Name\"=..." or "@=..."), if any.
inline std::string Key(const std::string& path, const std::string& values = "") {
  return "[" + path + "]\r\n" + (values.empty() ? "" : values + "\r\n") + "\r\n";
}

class StartedMachineTest : public ::testing::Test {
 protected:
  // regBody: the keys and values of a REGEDIT4 file, after its header. Each call starts
  // afresh: start-up resets the module's state.
  void Start(const std::string& regBody = "", std::vector<faults::Rule> rules = {}) {
    installed_.reset();  // the previous start's platform goes with the machine's
    machine.Write("registry.reg", "REGEDIT4\r\n\r\n" + regBody);
    machine.config.registry = machine.dir / "registry.reg";
    machine.Start();
    failing_ = std::make_unique<faults::FaultPlatform>(machine.Platform(), std::move(rules));
    installed_ = std::make_unique<platform::ScopedPlatform>(*failing_);
    std::vector<winsys::ShutdownStep> steps;
    winsys::WinsysStartup(steps);
  }
  void TearDown() override { winsys::WinsysShutdown(); }

  TempMachine machine;

 private:
  std::unique_ptr<faults::FaultPlatform> failing_;
  std::unique_ptr<platform::ScopedPlatform> installed_;
};

}  // namespace testing_support
