// Runs orvlaunch on every machine of the scenario suite and compares its transcript with
// the scenario's expected.jsonl.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <random>
#include <set>

namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;

const fs::path kSuite = fs::path(ORV_SCENARIOS_DIR) / "suite";

std::vector<std::string> Scenarios() {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(kSuite))
    if (fs::exists(entry.path() / "expected.jsonl")) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<Json> ReadLines(const fs::path& file) {
  std::vector<Json> events;
  std::ifstream in(file);
  for (std::string line; std::getline(in, line);)
    if (!line.empty()) events.push_back(Json::parse(line));
  return events;
}

// The events a scenario pins down; log lines only where the scenario expects some.
std::vector<Json> Compared(const std::vector<Json>& events, bool withLog) {
  static const std::set<std::string> kinds = {"box",  "exec", "critical-error",
                                              "file", "key",  "exit"};
  std::vector<Json> kept;
  for (const auto& event : events) {
    std::string kind = event.value("event", "");
    if (kinds.count(kind) || (withLog && kind == "log")) kept.push_back(event);
  }
  return kept;
}

std::string Show(const std::vector<Json>& events) {
  std::string text;
  for (const auto& event : events) text += "  " + event.dump() + "\n";
  return text;
}

std::vector<Json> RunScenario(const std::string& name, const std::string& extraOptions = "") {
  // A file of this run's own: the tests of one scenario may run side by side.
  fs::path actualFile =
      fs::temp_directory_path() /
      ("scenario-" + name + "-" + std::to_string(std::random_device()()) + ".jsonl");
  std::string command = "'" + std::string(ORVLAUNCH_PATH) + "' --machine '" +
                        (kSuite / name).string() + "' --json '" + actualFile.string() + "' " +
                        extraOptions + " >/dev/null 2>&1";
  std::system(command.c_str());
  auto events = ReadLines(actualFile);
  fs::remove(actualFile);
  return events;
}

std::vector<Json> OfKind(const std::vector<Json>& events, const std::string& kind) {
  std::vector<Json> kept;
  for (const auto& event : events)
    if (event.value("event", "") == kind) kept.push_back(event);
  return kept;
}

class Scenario : public ::testing::TestWithParam<std::string> {};

TEST_P(Scenario, TranscriptMatches) {
  auto expected = ReadLines(kSuite / GetParam() / "expected.jsonl");
  bool withLog = !OfKind(expected, "log").empty();
  auto actual = Compared(RunScenario(GetParam()), withLog);
  expected = Compared(expected, withLog);
  EXPECT_EQ(actual, expected) << "expected:\n" << Show(expected) << "actual:\n" << Show(actual);
}

// The same machine with the launcher copied below a folder whose lowered name holds
// "\orvdel": only the start-up work remains (the obsolete key's deletion).
TEST_P(Scenario, SilentCopyDoesOnlyTheStartUp) {
  auto expected = ReadLines(kSuite / GetParam() / "expected.jsonl");
  for (const auto& box : OfKind(expected, "box"))
    if (box.value("caption", "") == "Application Error") GTEST_SKIP() << "start-up fails";
  auto actual = RunScenario(GetParam(), "--self 'D:\\OrvDel\\SETUP.EXE'");
  for (const char* kind : {"box", "exec", "critical-error", "file"})
    EXPECT_TRUE(OfKind(actual, kind).empty()) << kind << " events:\n" << Show(actual);
  EXPECT_EQ(OfKind(actual, "key"), OfKind(expected, "key"));
  std::vector<Json> normalEnd = {Json{{"event", "exit"}, {"code", 0}}};
  EXPECT_EQ(OfKind(actual, "exit"), normalEnd);
}

INSTANTIATE_TEST_SUITE_P(Suite, Scenario, ::testing::ValuesIn(Scenarios()), [](const auto& info) {
  std::string name = info.param;
  for (char& c : name)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return name;
});

}  // namespace
