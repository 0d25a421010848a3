// Fails every platform call of a whole run in turn, one run per call, and checks what the
// launcher promises under any fault: a normal or escaped end, only its own boxes, and no
// partial file left that a later run would take as current.
#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>
#include <random>
#include <set>
#include <sstream>

#include "launcher/launcher.h"
#include "platform/faults/faults.h"
#include "platform/hosted/machine/hosted.h"
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
  fs::path dir;  // the run's copy of the machine
};

// One run on a fresh copy of the scenario, failing call k of all (0: none).
Outcome RunOnce(const std::string& scenario, unsigned k, const fs::path& work) {
  fs::remove_all(work);
  fs::copy(kSuite / scenario, work, fs::copy_options::recursive);
  hosted::MachineConfig config = hosted::LoadMachineConfig(work);
  std::map<char, fs::path> roots;
  for (const auto& drive : config.drives)
    if (drive.folder) roots[drive.letter] = *drive.folder;
  hosted::ApplyFileTimes(config, roots);
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
    for (const auto& change : machine.Reg().Changes()) transcript.Key(change.key, change.change);
    // A registry written back must load again.
    if (config.registry && !machine.Reg().Changes().empty()) {
      machine.Reg().Save(*config.registry);
      hosted::Registry again(true);
      again.Load(*config.registry);
    }
  }
  outcome.events = transcript.Events();
  outcome.dir = work;
  return outcome;
}

bool SameNoCase(const std::string& a, const std::string& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](char x, char y) { return std::tolower(x) == std::tolower(y); });
}

// The host file of the program a command line starts (drive C: is folder c, D: is cd).
fs::path StartedProgram(const fs::path& machine, const std::string& cmdline) {
  std::string path = cmdline.substr(0, cmdline.find(' '));
  fs::path host = machine / (std::tolower(path[0]) == 'c' ? "c" : "cd");
  std::stringstream parts(path.substr(3));
  for (std::string part; std::getline(parts, part, '\\');) {
    fs::path next;
    for (const auto& entry : fs::directory_iterator(host))
      if (SameNoCase(entry.path().filename().string(), part)) next = entry.path();
    if (next.empty()) return {};
    host = next;
  }
  return host;
}

const std::set<std::string> kCaptions = {"Check Startup",
                                         "Setup Error",
                                         "CopyFile",
                                         "WinExec",
                                         "Application Error",
                                         "Windows Error: MessageBox",
                                         "Windows Error: WinExec",
                                         "Windows Error: GetVersionEx",
                                         "Windows Error: SetErrorMode",
                                         "Windows Error: GetTempPath"};

struct SweepCase {
  const char* scenario;
  // Files (relative to the machine folder) that must never be left partial: when present
  // after a run, they hold what the fault-free run wrote, or what they held before.
  std::vector<const char*> guarded;
  // A program that may be left partial by a failed expansion, but is never started then.
  const char* startedOnlyWhole = nullptr;
};

class FaultSweep : public ::testing::TestWithParam<SweepCase> {};

TEST_P(FaultSweep, EveryFailedCallEndsSoundly) {
  // A folder of this run's own, so that sweeps run side by side do not meet.
  fs::path work = fs::temp_directory_path() / ("sweep-" + std::string(GetParam().scenario) + "-" +
                                               std::to_string(std::random_device()()));
  Outcome clean = RunOnce(GetParam().scenario, 0, work);
  fs::path cleanDir = work.string() + "-clean";
  fs::remove_all(cleanDir);
  fs::rename(work, cleanDir);
  clean.dir = cleanDir;
  ASSERT_EQ(clean.code, 0);
  ASSERT_GT(clean.calls, 10u);
  std::map<std::string, std::set<std::string>> allowed;
  for (const char* file : GetParam().guarded) {
    allowed[file].insert(Slurp(clean.dir / file));
    if (fs::exists(kSuite / GetParam().scenario / file))
      allowed[file].insert(Slurp(kSuite / GetParam().scenario / file));
  }
  for (unsigned k = 1; k <= clean.calls; ++k) {
    SCOPED_TRACE("failing call " + std::to_string(k) + " of " + std::to_string(clean.calls));
    Outcome run = RunOnce(GetParam().scenario, k, work);
    EXPECT_TRUE(run.code == 0 || run.code == 1);
    for (const auto& event : run.events) {
      if (event.kind != "box") continue;
      EXPECT_TRUE(kCaptions.count(event.Find("caption")->text)) << event.Find("caption")->text;
    }
    // A failed locale comparison counts as "different", which lets an excluded name into
    // the list: the list is still whole, so it is not checked against the clean one.
    bool comparisonFailed = run.failedCall == "CompareStringA";
    for (const char* file : comparisonFailed ? std::vector<const char*>{} : GetParam().guarded) {
      if (fs::exists(run.dir / file)) {
        EXPECT_TRUE(allowed[file].count(Slurp(run.dir / file)))
            << file << " after a failed " << run.failedCall;
      }
    }
    if (const char* program = GetParam().startedOnlyWhole) {
      for (const auto& event : run.events) {
        if (event.kind != "exec" || event.Find("result")->number < 32) continue;
        EXPECT_EQ(Slurp(StartedProgram(run.dir, event.Find("cmdline")->text)),
                  Slurp(clean.dir / program));
      }
    }
  }
  fs::remove_all(work);
  fs::remove_all(cleanDir);
  std::cout << "[ sweep    ] " << GetParam().scenario << ": " << clean.calls << " runs\n";
}

INSTANTIATE_TEST_SUITE_P(
    Scenarios, FaultSweep,
    ::testing::Values(SweepCase{"setup-compressed", {}, "c/TEMP/Orv.exe"},
                      SweepCase{"installed-modules", {"c/ORV/DATA/AutoLoad.Lst"}},
                      SweepCase{"jaws-deployed",
                                {"c/JAWS/Settings/enu/Orv.Jcf", "c/JAWS/Settings/deu/Orv.Jcf"}}),
    [](const auto& info) {
      std::string name = info.param.scenario;
      for (char& c : name)
        if (c == '-') c = '_';
      return name;
    });

}  // namespace
