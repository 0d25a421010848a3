// The winsys module as start-up leaves it: the version and administrator probes (the
// version-query-fails and administrator-probe-fails* scenarios pin their reports), and a read.
#include <gtest/gtest.h>

#include <memory>

#include "platform/faults/faults.h"
#include "tests/support/machine_fixture.h"
#include "winsys/registry.h"
#include "winsys/winsys.h"

namespace {

// A machine with a registry from the body of a REGEDIT4 file and calls made to fail by rule,
// the module started on it as the entry starts it. Each start resets the module's state.
class Started : public ::testing::Test {
 protected:
  void Start(const std::string& regBody, std::vector<faults::Rule> rules = {}) {
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

  testing_support::TempMachine machine;
  std::unique_ptr<faults::FaultPlatform> failing_;
  std::unique_ptr<platform::ScopedPlatform> installed_;
};

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
  Start("[HKEY_CURRENT_USER\\Software\\T]\r\n\"Other\"=\"x\"\r\n");
  std::string read = "stale";
  winsys::ReadKeyValue("V", "\\Software\\T", platform::HKEY_CURRENT_USER, read);
  EXPECT_EQ(read, "");
}

}  // namespace
