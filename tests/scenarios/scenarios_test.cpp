// orvlaunch as a user meets it: the machines of scenarios/suite and scenarios/refused (all, or
// those named: test_scenarios [GTEST-OPTIONS] [SCENARIO...]). ORV_SCENARIO_SUITE and ORVLAUNCH
// may name another copy of the suite (its refused/ beside it) and another orvlaunch.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>

#include <unistd.h>

#include "tests/support/host_files.h"

namespace {

namespace fs = std::filesystem;
using testing_support::ScratchPath;
using testing_support::Slurp;
using Json = nlohmann::json;
using Events = std::vector<Json>;

fs::path FromEnvironment(const char* name, const fs::path& otherwise) {
  const char* value = std::getenv(name);
  return value && *value ? fs::path(value) : otherwise;
}

const fs::path kSuite =
    FromEnvironment("ORV_SCENARIO_SUITE", fs::path(ORV_SCENARIOS_DIR) / "suite");
const fs::path kRefused = kSuite / ".." / "refused";
const fs::path kOrvlaunch = FromEnvironment("ORVLAUNCH", ORVLAUNCH_PATH);

Events Parse(const std::string& lines) {
  Events events;
  std::istringstream in(lines);
  for (std::string line; std::getline(in, line);)
    if (!line.empty()) events.push_back(Json::parse(line));
  return events;
}

struct Result {
  int code;
  std::string errors;
  Events events;
};

Result Orvlaunch(const fs::path& machine, const std::string& options) {
  fs::path json = ScratchPath("orvlaunch-json"), err = ScratchPath("orvlaunch-err");
  std::string command = "'" + kOrvlaunch.string() + "' --machine '" + machine.string() +
                        "' --json '" + json.string() + "' " + options + " >/dev/null 2>'" +
                        err.string() + "'";
  int status = std::system(command.c_str());
  Result run{(status >> 8) & 0xFF, Slurp(err), Parse(Slurp(json))};
  for (const fs::path& file : {json, err}) fs::remove(file);
  return run;
}

std::string OfKinds(const Events& events, const std::set<std::string>& kinds) {
  std::string kept;
  for (const auto& event : events)
    if (kinds.count(event.value("event", ""))) kept += event.dump() + "\n";
  return kept;
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

// The expected transcripts name the download addresses by placeholder, for the build's own.
Events Expected(const std::string& name) {
  std::string text = Slurp(kSuite / name / "expected.jsonl");
  return Parse(Replaced(Replaced(text, "@ORV_DOWNLOAD_ADDRESS_1@", ORV_DOWNLOAD_ADDRESS_1),
                        "@ORV_DOWNLOAD_ADDRESS_2@", ORV_DOWNLOAD_ADDRESS_2));
}

using Files = std::map<fs::path, std::string>;
Files Snapshot(const fs::path& dir) {
  Files files;
  for (const auto& entry : fs::recursive_directory_iterator(dir))
    if (entry.is_regular_file()) files[entry.path().lexically_relative(dir)] = Slurp(entry.path());
  return files;
}

// A writable copy of a machine folder: the suite may be a read-only copy (an ordinary
// user's run); cp makes the copy's folders writable while it fills them.
void CopyWritable(const fs::path& from, const fs::path& to) {
  std::string command =
      "cp -R '" + from.string() + "' '" + to.string() + "' && chmod -R u+w '" + to.string() + "'";
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
}

// A run gives the expected transcript, exit code and standard error (stderr.txt, the machine
// folder named @MACHINE@). A traced run shows the same with trace.jsonl's events in order and
// changes no file; a run in place leaves after/'s files as it holds them. Run from below a
// folder "\orvdel", the launcher only deletes the obsolete key, unless start-up reports.
void ScenarioHolds(const std::string& name) {
  fs::path dir = kSuite / name, copy = ScratchPath("scenario-" + name);
  Events expected = Expected(name);
  // Log lines are compared only where the scenario expects some.
  const std::set<std::string> whole = {"box", "exec", "critical-error", "file", "key", "exit"};
  std::set<std::string> kinds = whole;
  if (!OfKinds(expected, {"log"}).empty()) kinds.insert("log");
  Result run = Orvlaunch(dir, "");
  EXPECT_EQ(OfKinds(run.events, kinds), OfKinds(expected, kinds));
  EXPECT_EQ(OfKinds(run.events, {"call", "debug"}), "") << "traced without --trace";
  EXPECT_EQ(Replaced(run.errors, dir.string(), "@MACHINE@"), Slurp(dir / "stderr.txt"));
  ASSERT_FALSE(expected.empty()) << "no transcript for " << name;
  EXPECT_EQ(run.code, expected.back().value("code", -1));

  CopyWritable(dir, copy);
  Events traced = Orvlaunch(copy, "--trace").events;
  EXPECT_EQ(OfKinds(traced, kinds), OfKinds(expected, kinds));
  std::size_t at = 0;
  for (const auto& event : Parse(Slurp(dir / "trace.jsonl"))) {
    while (at < traced.size() && traced[at] != event) ++at;
    EXPECT_LT(at++, traced.size()) << "not in the trace, or out of order: " << event.dump();
  }
  EXPECT_EQ(Snapshot(copy), Snapshot(dir)) << "changed without --in-place";
  Orvlaunch(copy, "--in-place");
  for (const auto& [file, bytes] : fs::exists(dir / "after") ? Snapshot(dir / "after") : Files{})
    EXPECT_EQ(Slurp(copy / file), bytes) << file;
  fs::remove_all(copy);

  std::string boxes = OfKinds(expected, {"box"});
  if (boxes.find("\"Application Error\"") != std::string::npos ||
      boxes.find("\"Windows Error: GetVersionEx\"") != std::string::npos)
    return;
  Result silent = Orvlaunch(dir, "--self 'D:\\OrvDel\\SETUP.EXE'");
  const std::string nothing = R"({"code":0,"event":"exit","outcome":"nothing"})";
  EXPECT_EQ(OfKinds(silent.events, whole), OfKinds(expected, {"key"}) + nothing + "\n");
}

struct Check : ::testing::Test {
  Check(void (*body)(const std::string&), std::string name) : body(body), name(std::move(name)) {}
  void TestBody() override { body(name); }
  void (*body)(const std::string&);
  std::string name;
};

// A machine of scenarios/refused, run in place with its file options: orvlaunch ends before the
// run with the code of exit-code (else 2), stderr.txt's text, and nothing changed.
void Refused(const std::string& name) {
  fs::path dir = kRefused / name, copy = ScratchPath("refused-" + name);
  CopyWritable(dir, copy);
  Result run = Orvlaunch(copy, "--in-place " + Replaced(Slurp(dir / "options"), "\n", " "));
  EXPECT_EQ(run.code, fs::exists(dir / "exit-code") ? std::stoi(Slurp(dir / "exit-code")) : 2);
  EXPECT_EQ(Replaced(run.errors, copy.string(), "@MACHINE@"), Slurp(dir / "stderr.txt"));
  EXPECT_EQ(Snapshot(copy), Snapshot(dir));
  fs::remove_all(copy);
}

// A run in place needs a machine folder this host user may write, or the host's refusals
// would show as the machine's (tools/user-scenarios runs this as an ordinary user).
TEST(MachineFolder, InPlaceOnAFolderThisUserCannotWriteIsRefused) {
  if (geteuid() == 0) GTEST_SKIP() << "root may write any folder";
  const fs::path changing = kSuite / "obsolete-key-deleted", copy = ScratchPath("unwritable");
  CopyWritable(changing, copy);
  fs::permissions(copy / "c", fs::perms::owner_write, fs::perm_options::remove);
  Result run = Orvlaunch(copy, "--in-place");
  EXPECT_EQ(run.code, 2);
  EXPECT_NE(run.errors.find("cannot be written by this user"), std::string::npos) << run.errors;
  fs::permissions(copy / "c", fs::perms::owner_write, fs::perm_options::add);
  EXPECT_EQ(Snapshot(copy), Snapshot(changing));
  fs::remove_all(copy);
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  std::vector<std::string> names(argv + 1, argv + argc);
  if (names.empty())
    for (const auto& dir : {kSuite, kRefused})
      for (const auto& entry : fs::directory_iterator(dir))
        names.push_back(entry.path().filename());
  for (const auto& name : names) {
    bool refused = fs::exists(kRefused / name);
    ::testing::RegisterTest(
        name.c_str(), refused ? "Refused" : "ScenarioHolds", nullptr, nullptr, __FILE__, __LINE__,
        [=]() -> ::testing::Test* { return new Check(refused ? Refused : ScenarioHolds, name); });
  }
  return RUN_ALL_TESTS();
}
