// Fails every platform call of a whole run in turn, one run per call, and checks what the
// launcher promises under any fault: a normal or escaped end, only its own boxes, and no
// partial file left that a later run would take as current.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <set>

#include "launcher/launcher.h"
#include "platform/faults/faults.h"
#include "platform/hosted/machine/private_copy.h"
#include "tests/support/machine_fixture.h"

namespace {

namespace fs = std::filesystem;
using testing_support::Slurp;

const fs::path kSuite = fs::path(ORV_SOURCE_DIR_FOR_TESTS) / "scenarios" / "suite";

struct Outcome {
  int code = 0;
  unsigned calls = 0;
  std::string failedCall;
  std::vector<hosted::Event> events;
  std::vector<std::string> started;  // the bytes of each program started
};

// One run on a fresh copy of the scenario in work, failing call k of all (0: none).
Outcome RunOnce(const std::string& scenario, unsigned k, const fs::path& work) {
  fs::remove_all(work);
  fs::copy(kSuite / scenario, work, fs::copy_options::recursive);
  hosted::MachineConfig config = hosted::LoadMachineConfig(work);
  hosted::ApplyFileTimes(config, hosted::InPlaceRoots(config));
  hosted::Transcript transcript;
  Outcome outcome;
  {
    hosted::HostedPlatform machine(config, transcript);
    faults::FaultPlatform failing(machine, {});
    failing.FailOverall(k);
    platform::ScopedPlatform installed(failing);
    outcome.code = launcher::RunLauncher();
    outcome.calls = failing.CallsMade();
    outcome.failedCall = failing.FailedCall();
    for (const auto& event : transcript.Events()) {
      if (event.kind != "exec" || event.Find("result")->number < 32) continue;
      const std::string& cmdline = event.Find("cmdline")->text;
      outcome.started.push_back(
          testing_support::ReadOnMachine(machine, cmdline.substr(0, cmdline.find(' '))));
    }
    // A registry written back must load again.
    if (config.registry && !machine.Reg().Changes().empty()) {
      machine.Reg().Save(*config.registry);
      hosted::Registry(true).Load(*config.registry);
    }
  }
  outcome.events = transcript.Events();
  return outcome;
}

// The boxes a run may show, each between bars.
const std::string kCaptions =
    "|Check Startup|Setup Error|CopyFile|WinExec|Application Error|Windows Error: MessageBox|"
    "Windows Error: WinExec|Windows Error: GetVersionEx|Windows Error: SetErrorMode|"
    "Windows Error: GetTempPath|";

struct SweepCase {
  const char* scenario;
  // Files (relative to the machine folder) that must never be left partial: when present
  // after a run, they hold what the fault-free run wrote, or what they held before.
  std::vector<const char*> guarded;
};

class FaultSweep : public ::testing::TestWithParam<SweepCase> {};

TEST_P(FaultSweep, EveryFailedCallEndsSoundly) {
  const SweepCase& sweep = GetParam();
  // Folders of this run's own, so that sweeps run side by side do not meet.
  fs::path work = fs::temp_directory_path() /
                  ("sweep-" + std::string(sweep.scenario) + std::to_string(std::random_device()()));
  fs::path clean = work.string() + "-clean";
  Outcome cleanRun = RunOnce(sweep.scenario, 0, clean);
  ASSERT_EQ(cleanRun.code, 0);
  ASSERT_GT(cleanRun.calls, 10u);
  ASSERT_EQ(cleanRun.started.size(), 1u);
  std::map<std::string, std::set<std::string>> allowed;
  for (const char* file : sweep.guarded) {
    allowed[file].insert(Slurp(clean / file));
    if (fs::exists(kSuite / sweep.scenario / file))
      allowed[file].insert(Slurp(kSuite / sweep.scenario / file));
  }
  for (unsigned k = 1; k <= cleanRun.calls; ++k) {
    SCOPED_TRACE(std::string(sweep.scenario) + ": failing call " + std::to_string(k));
    Outcome run = RunOnce(sweep.scenario, k, work);
    EXPECT_TRUE(run.code == 0 || run.code == 1);
    for (const auto& event : run.events) {
      if (event.kind != "box") continue;
      EXPECT_NE(kCaptions.find("|" + event.Find("caption")->text + "|"), std::string::npos);
    }
    // A failed locale comparison counts as "different", which lets an excluded name into
    // the list: the list is still whole, so it is not checked against the clean one.
    for (const char* file : sweep.guarded) {
      if (fs::exists(work / file) && run.failedCall != "CompareStringA") {
        EXPECT_TRUE(allowed[file].count(Slurp(work / file))) << file << " after " << run.failedCall;
      }
    }
    // A program left partial by a failed expansion is never started.
    for (const std::string& program : run.started) EXPECT_EQ(program, cleanRun.started.at(0));
  }
  fs::remove_all(work);
  fs::remove_all(clean);
}

INSTANTIATE_TEST_SUITE_P(
    Scenarios, FaultSweep,
    ::testing::Values(SweepCase{"setup-compressed", {}},
                      SweepCase{"installed-modules", {"c/ORV/DATA/AutoLoad.Lst"}},
                      SweepCase{"jaws-deployed",
                                {"c/JAWS/Settings/enu/Orv.Jcf", "c/JAWS/Settings/deu/Orv.Jcf"}}));

}  // namespace
