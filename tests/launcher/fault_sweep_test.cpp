// Fails every platform call of a whole run in turn, one run per call, and checks what the
// launcher promises under any fault: a normal or escaped end, only its own boxes, and no
// partial file left that a later run would take as current.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <set>

#include "launcher/launcher.h"
#include "platform/faults/faults.h"
#include "platform/hosted/hosted.h"
#include "winsys/log.h"

namespace {

namespace fs = std::filesystem;

const fs::path kSuite = fs::path(ORV_SOURCE_DIR_FOR_TESTS) / "scenarios" / "suite";

std::string Slurp(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

struct Outcome {
  int code = 0;
  unsigned calls = 0;
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
};

class FaultSweep : public ::testing::TestWithParam<SweepCase> {};

TEST_P(FaultSweep, EveryFailedCallEndsSoundly) {
  fs::path work = fs::temp_directory_path() / ("sweep-" + std::string(GetParam().scenario));
  Outcome clean = RunOnce(GetParam().scenario, 0, work);
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
    for (const char* file : GetParam().guarded) {
      if (fs::exists(run.dir / file)) {
        EXPECT_TRUE(allowed[file].count(Slurp(run.dir / file))) << file;
      }
    }
  }
  fs::remove_all(work);
  std::cout << "[ sweep    ] " << GetParam().scenario << ": " << clean.calls << " runs\n";
}

INSTANTIATE_TEST_SUITE_P(
    Scenarios, FaultSweep,
    ::testing::Values(SweepCase{"setup-compressed", {"c/TEMP/Orv.exe"}},
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
