// Runs orvlaunch on every machine of the scenario suite and compares its transcript with
// the scenario's expected.jsonl.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
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
  static const std::set<std::string> kinds = {"box", "exec", "critical-error", "file", "key",
                                              "exit"};
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

class Scenario : public ::testing::TestWithParam<std::string> {};

TEST_P(Scenario, TranscriptMatches) {
  fs::path dir = kSuite / GetParam();
  fs::path actualFile = fs::temp_directory_path() / ("scenario-" + GetParam() + ".jsonl");
  std::string command = "'" + std::string(ORVLAUNCH_PATH) + "' --machine '" + dir.string() +
                        "' --json '" + actualFile.string() + "' >/dev/null 2>&1";
  std::system(command.c_str());
  auto expected = ReadLines(dir / "expected.jsonl");
  bool withLog = std::any_of(expected.begin(), expected.end(),
                             [](const Json& e) { return e.value("event", "") == "log"; });
  auto actual = Compared(ReadLines(actualFile), withLog);
  fs::remove(actualFile);
  expected = Compared(expected, withLog);
  EXPECT_EQ(actual, expected) << "expected:\n" << Show(expected) << "actual:\n" << Show(actual);
}

INSTANTIATE_TEST_SUITE_P(Suite, Scenario, ::testing::ValuesIn(Scenarios()),
                         [](const auto& info) {
                           std::string name = info.param;
                           for (char& c : name)
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           return name;
                         });

}  // namespace
