// orvlaunch as a user meets it: every machine of the scenario suite against its
// expected.jsonl (and its stderr.txt, after/ files and trace.jsonl), and the runs orvlaunch
// refuses.
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
#include <functional>
#include <map>
#include <nlohmann/json.hpp>
#include <random>
#include <set>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;
using Events = std::vector<Json>;

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

Events ReadLines(const fs::path& file) {
  Events events;
  std::ifstream in(file);
  for (std::string line; std::getline(in, line);)
    if (!line.empty()) events.push_back(Json::parse(line));
  return events;
}

struct Result {
  int code;
  std::string errors;
  Events events;
};

// Runs orvlaunch on a machine folder; the options come after its own --json, and may
// replace it.
Result Orvlaunch(const fs::path& machine, const std::string& options) {
  fs::path json = Scratch("orvlaunch-json"), err = Scratch("orvlaunch-err");
  std::string command = "'" + kOrvlaunch.string() + "' --machine '" + machine.string() +
                        "' --json '" + json.string() + "' " + options + " >/dev/null 2>'" +
                        err.string() + "'";
  int status = std::system(command.c_str());
  Result run{(status >> 8) & 0xFF, Slurp(err), ReadLines(json)};
  fs::remove(json);
  fs::remove(err);
  return run;
}

// The events of the given kinds, in order.
Events OfKinds(const Events& events, const std::set<std::string>& kinds) {
  Events kept;
  for (const auto& event : events)
    if (kinds.count(event.value("event", ""))) kept.push_back(event);
  return kept;
}

std::string Show(const Events& events) {
  std::string text;
  for (const auto& event : events) text += "  " + event.dump() + "\n";
  return text;
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

// The expected transcripts name the download addresses by placeholder; the build's own
// (ORV_DOWNLOAD_ADDRESS_1 and _2) are put in, so that any configured addresses pass.
Events Expected(const std::string& name) {
  const std::pair<std::string, std::string> kAddresses[] = {
      {"@ORV_DOWNLOAD_ADDRESS_1@", ORV_DOWNLOAD_ADDRESS_1},
      {"@ORV_DOWNLOAD_ADDRESS_2@", ORV_DOWNLOAD_ADDRESS_2}};
  Events events = ReadLines(kSuite / name / "expected.jsonl");
  for (auto& event : events) {
    if (!event.contains("text")) continue;
    std::string text = event["text"];
    EXPECT_EQ(text.find("Download latest program from @ORV_DOWNLOAD_ADDRESS_1@/"),
              text.find("Download latest program from "))
        << "an address written out in an expected transcript: " << text;
    for (const auto& [placeholder, address] : kAddresses)
      text = Replaced(text, placeholder, address);
    event["text"] = text;
  }
  return events;
}

// The transcript, orvlaunch's exit code (the launcher's) and its standard error (the
// scenario's stderr.txt, which names the machine folder @MACHINE@; else nothing) are as
// expected.
void TranscriptMatches(const std::string& name) {
  ASSERT_TRUE(fs::exists(kSuite / name / "expected.jsonl")) << "no scenario " << name;
  // Log lines are compared only where the scenario expects some.
  std::set<std::string> kinds = {"box", "exec", "critical-error", "file", "key", "exit"};
  if (!OfKinds(Expected(name), {"log"}).empty()) kinds.insert("log");
  Result run = Orvlaunch(kSuite / name, "");
  EXPECT_EQ(OfKinds(run.events, {"call", "debug"}), Events{}) << "traced without --trace";
  auto actual = OfKinds(run.events, kinds), expected = OfKinds(Expected(name), kinds);
  EXPECT_EQ(actual, expected) << "expected:\n" << Show(expected) << "actual:\n" << Show(actual);
  EXPECT_EQ(Replaced(run.errors, (kSuite / name).string(), "@MACHINE@"),
            Slurp(kSuite / name / "stderr.txt"));
  ASSERT_FALSE(expected.empty());
  EXPECT_EQ(run.code, expected.back().value("code", -1));
}

// The same machine with the launcher copied below a folder whose lowered name holds
// "\orvdel": only the start-up work remains (the obsolete key's deletion).
void SilentCopyDoesOnlyTheStartUp(const std::string& name) {
  auto expected = Expected(name);
  // Start-up's own failure or report shows in the silent copy too.
  for (const auto& box : OfKinds(expected, {"box"}))
    if (box.value("caption", "") == "Application Error" ||
        box.value("caption", "") == "Windows Error: GetVersionEx")
      GTEST_SKIP() << "start-up fails or reports";
  Result run = Orvlaunch(kSuite / name, "--self 'D:\\OrvDel\\SETUP.EXE'");
  EXPECT_EQ(OfKinds(run.events, {"box", "exec", "critical-error", "file"}), Events{})
      << Show(run.events);
  EXPECT_EQ(OfKinds(run.events, {"key"}), OfKinds(expected, {"key"}));
  const Events normalEnd = {Json{{"event", "exit"}, {"code", 0}, {"outcome", "nothing"}}};
  EXPECT_EQ(OfKinds(run.events, {"exit"}), normalEnd);
  // --self replaces the description's run.self before its setting is checked.
  EXPECT_EQ(run.errors.find("run.self"), std::string::npos) << run.errors;
}

// Every file below a folder with its content, by relative path.
std::map<fs::path, std::string> Snapshot(const fs::path& dir) {
  std::map<fs::path, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(dir))
    if (entry.is_regular_file()) files[entry.path().lexically_relative(dir)] = Slurp(entry.path());
  return files;
}

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

// On a copy of the machine a run leaves every file as it was; a run in place leaves the
// files below the scenario's after/ folder as that folder holds them (the transcript names
// a changed file, this pins its bytes).
void FilesAfterTheRun(const std::string& name) {
  fs::path after = kSuite / name / "after", copy = Scratch("scenario-" + name);
  CopyWritable(kSuite / name, copy);
  Orvlaunch(copy, "");
  EXPECT_EQ(Snapshot(copy), Snapshot(kSuite / name)) << "changed without --in-place";
  Orvlaunch(copy, "--in-place");
  for (const auto& [file, bytes] : Snapshot(after)) EXPECT_EQ(Slurp(copy / file), bytes) << file;
  fs::remove_all(copy);
}

// The traced run holds the events of the scenario's trace.jsonl in their order, and shows
// what the untraced run shows.
void TraceHolds(const std::string& name) {
  auto actual = Orvlaunch(kSuite / name, "--trace").events;
  std::size_t at = 0;
  for (const auto& event : ReadLines(kSuite / name / "trace.jsonl")) {
    while (at < actual.size() && actual[at] != event) ++at;
    EXPECT_LT(at++, actual.size()) << "not in the trace, or out of order: " << event.dump();
  }
  std::set<std::string> kinds = {"box", "exec", "file", "key", "exit"};
  EXPECT_EQ(OfKinds(actual, kinds), OfKinds(Expected(name), kinds));
}

class Check : public ::testing::Test {
 public:
  explicit Check(std::function<void()> body) : body_(std::move(body)) {}
  void TestBody() override { body_(); }

 private:
  std::function<void()> body_;
};

void Register(const std::string& scenario, const char* check, void (*body)(const std::string&)) {
  ::testing::RegisterTest(scenario.c_str(), check, nullptr, nullptr, __FILE__, __LINE__,
                          [=]() -> ::testing::Test* { return new Check([=] { body(scenario); }); });
}

class MachineFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    Spill(dir / "c" / "keep.txt", "kept");
    fs::create_directories(dir / "cd");
    // A run would delete the obsolete key: a refused one must not.
    Spill(dir / "registry.reg",
          "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\"
          "Orvanel]\r\n");
  }
  void TearDown() override { fs::remove_all(dir); }

  fs::path dir = Scratch("orvlaunch-test");
};

// A description that cannot be used, or an option that is wrong, ends orvlaunch with exit
// code 2; a transcript file that cannot be written, with 3, before the run; --help is obeyed
// wherever it stands. Standard error names the place and what is wrong; nothing changes.
TEST_F(MachineFolder, ARefusedRunNamesWhatIsWrongAndChangesNothing) {
  const std::string kReg = R"({"registry": "registry.reg")";
  const struct {
    std::string json;
    const char* registry;  // null: as SetUp wrote it
    const char* options;
    int code;
    const char* named;  // what standard error must name (--help writes to standard output)
  } cases[] = {
      {R"({"colour": 1})", nullptr, "", 2,
       "'colour': unknown field; it must be one of: attributes,"},
      {R"({"Drivs": {}})", nullptr, "", 2, "'Drivs': unknown field; did you mean 'drives'?"},
      {R"({"short_names": "yes"})", nullptr, "", 2, "'short_names'"},
      {R"({"drives": {"1": {"type": "fixed", "path": "c"}}})", nullptr, "", 2,
       "not a drive letter"},
      {R"({"drives": {"C": {"type": "fixed", "path": "nope"}}})", nullptr, "", 2, "does not exist"},
      {R"({"drives": {"C": {"type": "floppy", "path": "c"}}})", nullptr, "", 2, "'drives.C.type'"},
      {R"({"faults": [{"call": "WriteFiel", "nth": 1}]})", nullptr, "", 2,
       "'faults[0].call': 'WriteFiel' is not a call that can be made to fail; did you mean "
       "'WriteFile'?"},
      {R"({"os": {"bits": 48}})", nullptr, "", 2, "'os.bits': must be 32 or 64"},
      {R"({"os": {"bits": 64, "platform": 1}})", nullptr, "", 2, "'os.bits': 64-bit Windows is"},
      {"{\n  \"os\": \n}", nullptr, "", 2, "machine.json:3:1: not valid JSON: unexpected '}'"},
      {kReg + "}", "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\X]\r\n\"a\"=dword:zz\r\n", "", 2,
       "registry.reg:4"},
      {kReg + "}", nullptr, "--json /no/such/folder/t.jsonl", 3, "cannot be written"},
      {kReg + "}", nullptr, "--bogus --help", 0, nullptr},
      {kReg + "}", nullptr, "--json", 2, "--json needs a value"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.json + " " + c.options);
    Spill(dir / "machine.json", c.json);
    if (c.registry) Spill(dir / "registry.reg", c.registry);
    auto before = Snapshot(dir);
    Result run = Orvlaunch(dir, std::string("--in-place ") + c.options);
    EXPECT_EQ(run.code, c.code);
    if (c.named) {
      EXPECT_NE(run.errors.find(c.named), std::string::npos) << run.errors;
    }
    EXPECT_EQ(Snapshot(dir), before);
  }
}

// A run in place needs a machine folder this host user may write, or the host's refusals
// would show as the machine's (tools/user-scenarios runs this as an ordinary user).
TEST_F(MachineFolder, InPlaceOnAFolderThisUserCannotWriteIsRefused) {
  if (geteuid() == 0) GTEST_SKIP() << "root may write any folder";
  Spill(dir / "machine.json", "{}");
  fs::permissions(dir / "c", fs::perms::owner_write, fs::perm_options::remove);
  Result run = Orvlaunch(dir, "--in-place");
  EXPECT_EQ(run.code, 2);
  EXPECT_NE(run.errors.find("cannot be written by this user"), std::string::npos) << run.errors;
  fs::permissions(dir / "c", fs::perms::owner_write, fs::perm_options::add);
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  std::vector<std::string> names(argv + 1, argv + argc);
  if (names.empty())
    for (const auto& entry : fs::directory_iterator(kSuite))
      if (fs::exists(entry.path() / "expected.jsonl")) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  for (const auto& name : names) {
    Register(name, "TranscriptMatches", TranscriptMatches);
    Register(name, "SilentCopyDoesOnlyTheStartUp", SilentCopyDoesOnlyTheStartUp);
    if (fs::exists(kSuite / name / "after")) Register(name, "FilesAfterTheRun", FilesAfterTheRun);
    if (fs::exists(kSuite / name / "trace.jsonl")) Register(name, "TraceHolds", TraceHolds);
  }
  return RUN_ALL_TESTS();
}
