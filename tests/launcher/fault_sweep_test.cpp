// Fails every platform call of a whole run in turn, one run per call, and checks what the
// launcher promises under any fault: a normal or escaped end, only its own boxes, and no
// partial file left that a later run would take as current.
#include <gtest/gtest.h>

#include <filesystem>
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
  std::vector<std::string> captions;  // of the boxes shown
  std::vector<std::string> started;   // the bytes of each program started
};

// One run on a fresh copy of the scenario in work, failing call k of all (0: none).
Outcome RunOnce(const std::string& scenario, unsigned k, const fs::path& work) {
  fs::remove_all(work);
  fs::copy(kSuite / scenario, work, fs::copy_options::recursive);
  hosted::MachineConfig config = hosted::LoadMachineConfig(work);
  hosted::ApplyFileTimes(config, hosted::InPlaceRoots(config));
  hosted::Transcript transcript;
  hosted::HostedPlatform machine(config, transcript);
  faults::FaultPlatform failing(machine, {});
  failing.FailOverall(k);
  platform::ScopedPlatform installed(failing);
  Outcome outcome{launcher::RunLauncher(), failing.CallsMade(), failing.FailedCall(), {}, {}};
  for (const auto& event : transcript.Events()) {
    if (event.kind == "box") outcome.captions.push_back(event.Find("caption")->text);
    if (event.kind != "exec" || event.Find("result")->number < 32) continue;
    const std::string& cmdline = event.Find("cmdline")->text;
    outcome.started.push_back(
        testing_support::ReadOnMachine(machine, cmdline.substr(0, cmdline.find(' '))));
  }
  return outcome;
}

// The boxes a run may show, each between bars.
const std::string kCaptions =
    "|Check Startup|Setup Error|CopyFile|WinExec|Application Error|Windows Error: MessageBox|"
    "Windows Error: WinExec|Windows Error: GetVersionEx|Windows Error: SetErrorMode|"
    "Windows Error: GetTempPath|";

// Guarded files (relative to the machine folder) must never be left partial: when present
// after a run, they hold what the fault-free run wrote, or what they held before.
void Sweep(const std::string& scenario, const std::vector<std::string>& guarded) {
  fs::path work = testing_support::ScratchPath("sweep-" + scenario);
  fs::path clean = work.string() + "-clean";
  Outcome cleanRun = RunOnce(scenario, 0, clean);
  ASSERT_EQ(cleanRun.code, 0);
  ASSERT_EQ(cleanRun.started.size(), 1u);
  std::map<std::string, std::set<std::string>> allowed;
  for (const std::string& file : guarded) {
    allowed[file].insert(Slurp(clean / file));
    if (fs::exists(kSuite / scenario / file)) allowed[file].insert(Slurp(kSuite / scenario / file));
  }
  for (unsigned k = 1; k <= cleanRun.calls; ++k) {
    SCOPED_TRACE(scenario + ": failing call " + std::to_string(k));
    Outcome run = RunOnce(scenario, k, work);
    EXPECT_TRUE(run.code == 0 || run.code == 1);
    for (const std::string& caption : run.captions)
      EXPECT_NE(kCaptions.find("|" + caption + "|"), std::string::npos) << caption;
    // A failed locale comparison counts as "different", which lets an excluded name into
    // the list: the list is still whole, so it is not checked against the clean one.
    for (const std::string& file : guarded)
      if (fs::exists(work / file) && run.failedCall != "CompareStringA") {
        EXPECT_TRUE(allowed[file].count(Slurp(work / file))) << file << " after " << run.failedCall;
      }
    // A program left partial by a failed expansion is never started.
    for (const std::string& program : run.started) EXPECT_EQ(program, cleanRun.started.at(0));
  }
  for (const fs::path& dir : {work, clean}) fs::remove_all(dir);
}

TEST(FaultSweep, EveryFailedCallEndsSoundly) {
  Sweep("setup-compressed", {});
  Sweep("installed-modules", {"c/ORV/DATA/AutoLoad.Lst"});
  Sweep("jaws-deployed", {"c/JAWS/Settings/enu/Orv.Jcf", "c/JAWS/Settings/deu/Orv.Jcf"});
}

}  // namespace
