// orvlaunch as a user meets it: every machine of the scenario suite against its
// expected.jsonl (and its after/ files and trace.jsonl), broken machine descriptions, and
// --in-place write-back.
//
//   test_scenarios [GTEST-OPTIONS] [SCENARIO...]
//
// Each scenario is a test suite of its own, named as the scenario (ctest runs one a test);
// without names every scenario of the suite is there. ORV_SCENARIO_SUITE and ORVLAUNCH, when
// set, name another copy of the suite and another orvlaunch.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <random>
#include <set>

#include <unistd.h>

#include "platform/hosted/registry/registry.h"

namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;

fs::path FromEnvironment(const char* name, const fs::path& otherwise) {
  const char* value = std::getenv(name);
  return value && *value ? fs::path(value) : otherwise;
}

const fs::path kSuite =
    FromEnvironment("ORV_SCENARIO_SUITE", fs::path(ORV_SCENARIOS_DIR) / "suite");
const fs::path kOrvlaunch = FromEnvironment("ORVLAUNCH", ORVLAUNCH_PATH);

std::string Slurp(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void Spill(const fs::path& file, const std::string& text) {
  fs::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << text;
}

// A path of this run's own: the tests of one scenario may run side by side.
fs::path Scratch(const std::string& stem) {
  return fs::temp_directory_path() / (stem + "-" + std::to_string(std::random_device()()));
}

// Runs orvlaunch on a machine folder; returns its exit code, with its standard error.
int Orvlaunch(const fs::path& machine, const std::string& options, std::string* errors = nullptr) {
  fs::path err = Scratch("orvlaunch-err");
  std::string command = "'" + kOrvlaunch.string() + "' --machine '" + machine.string() + "' " +
                        options + " >/dev/null 2>'" + err.string() + "'";
  int status = std::system(command.c_str());
  if (errors) *errors = Slurp(err);
  fs::remove(err);
  return (status >> 8) & 0xFF;
}

std::vector<Json> ReadLines(const fs::path& file) {
  std::vector<Json> events;
  std::ifstream in(file);
  for (std::string line; std::getline(in, line);)
    if (!line.empty()) events.push_back(Json::parse(line));
  return events;
}

std::vector<Json> RunScenario(const std::string& name, const std::string& extraOptions = "") {
  fs::path actualFile = Scratch("scenario-" + name);
  Orvlaunch(kSuite / name, "--json '" + actualFile.string() + "' " + extraOptions);
  auto events = ReadLines(actualFile);
  fs::remove(actualFile);
  return events;
}

// The events of the given kinds, in order.
std::vector<Json> OfKinds(const std::vector<Json>& events, const std::set<std::string>& kinds) {
  std::vector<Json> kept;
  for (const auto& event : events)
    if (kinds.count(event.value("event", ""))) kept.push_back(event);
  return kept;
}

std::string Show(const std::vector<Json>& events) {
  std::string text;
  for (const auto& event : events) text += "  " + event.dump() + "\n";
  return text;
}

std::vector<std::string> Scenarios() {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(kSuite))
    if (fs::exists(entry.path() / "expected.jsonl")) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

// The expected transcripts name the download addresses by placeholder; the build's own
// (ORV_DOWNLOAD_ADDRESS_1 and _2) are put in, so that any configured addresses pass.
std::vector<Json> WithBuildAddresses(std::vector<Json> events) {
  const std::pair<std::string, std::string> kAddresses[] = {
      {"@ORV_DOWNLOAD_ADDRESS_1@", ORV_DOWNLOAD_ADDRESS_1},
      {"@ORV_DOWNLOAD_ADDRESS_2@", ORV_DOWNLOAD_ADDRESS_2}};
  for (auto& event : events) {
    if (!event.contains("text")) continue;
    std::string text = event["text"];
    EXPECT_EQ(text.find("Download latest program from @ORV_DOWNLOAD_ADDRESS_1@/"),
              text.find("Download latest program from "))
        << "an address written out in an expected transcript: " << text;
    for (const auto& [placeholder, address] : kAddresses)
      for (auto at = text.find(placeholder); at != std::string::npos; at = text.find(placeholder))
        text.replace(at, placeholder.size(), address);
    event["text"] = text;
  }
  return events;
}

class Scenario : public ::testing::Test {
 public:
  explicit Scenario(std::string name) : name_(std::move(name)) {}

 protected:
  const std::string name_;
};

class TranscriptMatches : public Scenario {
 public:
  using Scenario::Scenario;
  void TestBody() override {
    ASSERT_TRUE(fs::exists(kSuite / name_ / "expected.jsonl")) << "no scenario " << name_;
    auto expected = WithBuildAddresses(ReadLines(kSuite / name_ / "expected.jsonl"));
    // Log lines are compared only where the scenario expects some.
    std::set<std::string> kinds = {"box", "exec", "critical-error", "file", "key", "exit"};
    if (!OfKinds(expected, {"log"}).empty()) kinds.insert("log");
    auto run = RunScenario(name_);
    EXPECT_EQ(OfKinds(run, {"call", "debug"}), std::vector<Json>{}) << "traced without --trace";
    auto actual = OfKinds(run, kinds);
    expected = OfKinds(expected, kinds);
    EXPECT_EQ(actual, expected) << "expected:\n" << Show(expected) << "actual:\n" << Show(actual);
  }
};

// The same machine with the launcher copied below a folder whose lowered name holds
// "\orvdel": only the start-up work remains (the obsolete key's deletion).
class SilentCopyDoesOnlyTheStartUp : public Scenario {
 public:
  using Scenario::Scenario;
  void TestBody() override {
    auto expected = ReadLines(kSuite / name_ / "expected.jsonl");
    // Start-up's own failure or report shows in the silent copy too.
    for (const auto& box : OfKinds(expected, {"box"}))
      if (box.value("caption", "") == "Application Error" ||
          box.value("caption", "") == "Windows Error: GetVersionEx")
        GTEST_SKIP() << "start-up fails or reports";
    auto actual = RunScenario(name_, "--self 'D:\\OrvDel\\SETUP.EXE'");
    EXPECT_EQ(OfKinds(actual, {"box", "exec", "critical-error", "file"}), std::vector<Json>{})
        << Show(actual);
    EXPECT_EQ(OfKinds(actual, {"key"}), OfKinds(expected, {"key"}));
    const std::vector<Json> normalEnd = {
        Json{{"event", "exit"}, {"code", 0}, {"outcome", "nothing"}}};
    EXPECT_EQ(OfKinds(actual, {"exit"}), normalEnd);
  }
};

// A writable copy of a machine folder: the suite may be a read-only copy (an ordinary
// user's run), whose folders fs::copy would copy read-only before filling them.
void CopyWritable(const fs::path& from, const fs::path& to) {
  fs::create_directories(to);
  for (const auto& entry : fs::recursive_directory_iterator(from)) {
    fs::path target = to / entry.path().lexically_relative(from);
    if (entry.is_directory())
      fs::create_directories(target);
    else
      fs::copy_file(entry.path(), target);
    fs::permissions(target, fs::perms::owner_write, fs::perm_options::add);
  }
}

// The files below the scenario's after/ folder hold, after a run in place on a copy of the
// machine, what the folder says: the transcript names a changed file, this pins its bytes.
class FilesAfterTheRun : public Scenario {
 public:
  using Scenario::Scenario;
  void TestBody() override {
    fs::path after = kSuite / name_ / "after", copy = Scratch("scenario-" + name_);
    CopyWritable(kSuite / name_, copy);
    Orvlaunch(copy, "--in-place");
    for (const auto& entry : fs::recursive_directory_iterator(after)) {
      fs::path file = entry.path().lexically_relative(after);
      if (entry.is_regular_file()) {
        EXPECT_EQ(Slurp(copy / file), Slurp(entry.path())) << file;
      }
    }
    fs::remove_all(copy);
  }
};

// The traced run holds the events of the scenario's trace.jsonl in their order, and shows
// what the untraced run shows.
class TraceHolds : public Scenario {
 public:
  using Scenario::Scenario;
  void TestBody() override {
    auto actual = RunScenario(name_, "--trace");
    std::size_t at = 0;
    for (const auto& event : ReadLines(kSuite / name_ / "trace.jsonl")) {
      while (at < actual.size() && actual[at] != event) ++at;
      EXPECT_LT(at++, actual.size()) << "not in the trace, or out of order: " << event.dump();
    }
    std::set<std::string> kinds = {"box", "exec", "file", "key", "exit"};
    auto expected = WithBuildAddresses(ReadLines(kSuite / name_ / "expected.jsonl"));
    EXPECT_EQ(OfKinds(actual, kinds), OfKinds(expected, kinds));
  }
};

template <typename Test>
void Register(const std::string& scenario, const char* check) {
  ::testing::RegisterTest(scenario.c_str(), check, nullptr, nullptr, __FILE__, __LINE__,
                          [=]() -> ::testing::Test* { return new Test(scenario); });
}

// Every file below a folder with its content, to show that nothing changed.
std::map<std::string, std::string> Snapshot(const fs::path& dir) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(dir))
    if (entry.is_regular_file()) files[entry.path().string()] = Slurp(entry.path());
  return files;
}

class MachineFolder : public ::testing::Test {
 protected:
  void SetUp() override { fs::create_directories(dir / "cd"); }
  void TearDown() override { fs::remove_all(dir); }

  fs::path dir = Scratch("orvlaunch-test");
};

TEST_F(MachineFolder, ABrokenDescriptionExitsTwoNamingThePlaceAndChangesNothing) {
  const struct {
    const char* json;
    const char* registry;  // null: none
    const char* named;     // what the message must name
  } cases[] = {
      {R"({"colour": 1})", nullptr, "'colour': unknown field; it must be one of: attributes,"},
      {R"({"Drivs": {}})", nullptr, "'Drivs': unknown field; did you mean 'drives'?"},
      {R"({"short_names": "yes"})", nullptr, "'short_names'"},
      {R"({"drives": {"1": {"type": "fixed", "path": "c"}}})", nullptr, "not a drive letter"},
      {R"({"drives": {"C": {"type": "fixed", "path": "nope"}}})", nullptr, "does not exist"},
      {R"({"drives": {"C": {"type": "floppy", "path": "c"}}})", nullptr, "'drives.C.type'"},
      {R"({"faults": [{"call": "WriteFiel", "nth": 1}]})", nullptr,
       "'faults[0].call': 'WriteFiel' is not a call that can be made to fail; did you mean "
       "'WriteFile'?"},
      {R"({"os": {"bits": 48}})", nullptr, "'os.bits': must be 32 or 64"},
      {R"({"os": {"bits": 64, "platform": 1}})", nullptr, "'os.bits': 64-bit Windows is"},
      {"{\n  \"os\": \n}", nullptr, "machine.json:3:1: not valid JSON: unexpected '}'"},
      {R"({"registry": "registry.reg"})",
       "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\X]\r\n\"a\"=dword:zz\r\n", "registry.reg:4"},
  };
  Spill(dir / "c" / "keep.txt", "kept");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.json);
    Spill(dir / "machine.json", c.json);
    if (c.registry) Spill(dir / "registry.reg", c.registry);
    auto before = Snapshot(dir);
    std::string errors;
    EXPECT_EQ(Orvlaunch(dir, "--in-place", &errors), 2);
    EXPECT_NE(errors.find(c.named), std::string::npos) << errors;
    EXPECT_EQ(Snapshot(dir), before);
  }
}

// The description's settings that point nowhere are named on standard error; the run goes on.
TEST_F(MachineFolder, SettingsThatPointNowhereAreWarnedOf) {
  Spill(dir / "c" / "keep.txt", "kept");
  Spill(dir / "machine.json", R"({"temp": "T:\\TEMP\\", "run": {"self": "E:\\SETUP.EXE"},
      "attributes": {"C:\\keep.txt": "H", "C:\\gone.txt": "R"}})");
  std::string errors;
  EXPECT_EQ(Orvlaunch(dir, "", &errors), 0);
  for (const char* named : {"field 'temp': 'T:\\TEMP\\' is on drive T:",
                            "field 'run.self': 'E:\\SETUP.EXE' is on drive E:",
                            "field 'attributes.C:\\gone.txt': 'C:\\gone.txt' names no file"})
    EXPECT_NE(errors.find(named), std::string::npos) << named << "\n" << errors;
  EXPECT_EQ(errors.find("keep.txt"), std::string::npos) << errors;
  EXPECT_EQ(Orvlaunch(dir, "--self 'C:\\SETUP.EXE'", &errors), 0);
  EXPECT_EQ(errors.find("run.self"), std::string::npos) << errors;
}

// The transcript's file is opened before the run: one that cannot be written ends orvlaunch
// with its own exit code before anything is changed. --help is obeyed wherever it stands; an
// option given last without its value is a usage error.
TEST_F(MachineFolder, AnUnwritableTranscriptStopsTheRunBeforeAnyChange) {
  Spill(dir / "machine.json", R"({"registry": "registry.reg"})");
  Spill(dir / "registry.reg",
        "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\"
        "Orvanel]\r\n");
  auto before = Snapshot(dir);
  std::string errors;
  EXPECT_EQ(
      Orvlaunch(dir, "--in-place --json '" + (dir / "no" / "t.jsonl").string() + "'", &errors), 3);
  EXPECT_NE(errors.find("cannot be written"), std::string::npos) << errors;
  EXPECT_EQ(Snapshot(dir), before);
  EXPECT_EQ(Orvlaunch(dir, "--in-place --bogus --help", &errors), 0) << errors;
  EXPECT_EQ(Snapshot(dir), before);
  EXPECT_EQ(Orvlaunch(dir, "--in-place --json", &errors), 2) << "the option's value is missing";
  EXPECT_NE(errors.find("--json needs a value"), std::string::npos) << errors;
  EXPECT_EQ(Snapshot(dir), before);
}

// A run in place needs a machine folder this host user may write, or the host's refusals
// would show as the machine's (tools/user-scenarios runs this as an ordinary user).
TEST_F(MachineFolder, InPlaceOnAFolderThisUserCannotWriteIsRefused) {
  if (geteuid() == 0) GTEST_SKIP() << "root may write any folder";
  Spill(dir / "machine.json", "{}");
  Spill(dir / "c" / "keep.txt", "kept");
  fs::permissions(dir / "c", fs::perms::owner_write, fs::perm_options::remove);
  std::string errors;
  EXPECT_EQ(Orvlaunch(dir, "--in-place", &errors), 2);
  EXPECT_NE(errors.find("cannot be written by this user"), std::string::npos) << errors;
  fs::permissions(dir / "c", fs::perms::owner_write, fs::perm_options::add);
}

TEST_F(MachineFolder, InPlaceWritesTheRegistryBackSoThatItLoadsAgainAndOtherwiseNothing) {
  const std::string obsolete =
      "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Orvanel";
  Spill(dir / "machine.json", R"({"registry": "registry.reg"})");
  Spill(dir / "registry.reg",
        "REGEDIT4\r\n\r\n[" + obsolete + "\\Sub]\r\n\"x\"=\"y\"\r\n\r\n" +
            "[HKEY_CURRENT_USER\\Software\\Kept]\r\n\"caf\xE9\"=hex(2):41,00\r\n");
  Spill(dir / "c" / "Orv.Exe", "MZ");
  auto before = Snapshot(dir);
  std::string errors;
  EXPECT_EQ(Orvlaunch(dir, "--self 'C:\\SETUP.EXE'", &errors), 0) << errors;
  EXPECT_EQ(Snapshot(dir), before);
  EXPECT_EQ(Orvlaunch(dir, "--in-place", &errors), 0) << errors;
  hosted::Registry registry(true);
  registry.Load(dir / "registry.reg");
  std::string written = Slurp(dir / "registry.reg");
  EXPECT_EQ(written.find("CurrentVersion\\Orvanel"), std::string::npos) << written;
  EXPECT_NE(written.find("[HKEY_CURRENT_USER\\Software\\Kept]"), std::string::npos) << written;
  EXPECT_NE(written.find("\"caf\xE9\"=hex(2):41,00"), std::string::npos) << written;
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  std::vector<std::string> names(argv + 1, argv + argc);
  if (names.empty()) names = Scenarios();
  for (const auto& name : names) {
    Register<TranscriptMatches>(name, "TranscriptMatches");
    Register<SilentCopyDoesOnlyTheStartUp>(name, "SilentCopyDoesOnlyTheStartUp");
    if (fs::exists(kSuite / name / "after")) Register<FilesAfterTheRun>(name, "FilesAfterTheRun");
    if (fs::exists(kSuite / name / "trace.jsonl")) Register<TraceHolds>(name, "TraceHolds");
  }
  return RUN_ALL_TESTS();
}

namespace {

// The first event of a kind whose field holds the text, or null.
const Json* FindEvent(const std::vector<Json>& events, const std::string& kind,
                      const std::string& field, const std::string& text) {
  for (const auto& event : events)
    if (event.value("event", "") == kind && event.value(field, "").find(text) != std::string::npos)
      return &event;
  return nullptr;
}

TEST_F(MachineFolder, AFaultIsMarkedWhereItFiredAndARuleThatNeverFiredIsNamed) {
  Spill(dir / "machine.json", R"({"faults": [{"call": "GetVersionExA", "nth": 1, "error": 5},
                                             {"call": "LZCopy", "nth": 1, "error": 5}]})");
  Spill(dir / "c" / "keep.txt", "");
  fs::path json = Scratch("trace");
  std::string errors;
  EXPECT_EQ(Orvlaunch(dir, "--trace --json '" + json.string() + "'", &errors), 0);
  auto events = ReadLines(json);
  fs::remove(json);
  const Json* failed = FindEvent(events, "call", "call", "GetVersionExA");
  ASSERT_NE(failed, nullptr) << Show(events);
  EXPECT_EQ((*failed)["fault"], true);
  EXPECT_EQ((*failed)["error_name"], "ERROR_ACCESS_DENIED");
  EXPECT_NE(errors.find("LZCopy"), std::string::npos) << errors;
  EXPECT_EQ(errors.find("GetVersionExA"), std::string::npos) << errors;
}

}  // namespace
