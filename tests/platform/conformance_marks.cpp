// The marks of known Wine differences: failures where they differ from what they mark, and
// a count per test suite at the end, so that a run says how many checks it took as known.
#include <cstdio>
#include <map>
#include <string>

#include "tests/platform/conformance.h"

namespace conformance {
namespace {

std::map<std::string, int>& Marked() {
  static std::map<std::string, int> marked;
  return marked;
}

class MarkCount : public ::testing::Environment {
 public:
  void TearDown() override {
    for (const auto& [suite, count] : Marked())
      std::printf("known Wine differences in %s: %d\n", suite.c_str(), count);
  }
};

const auto* const registered = ::testing::AddGlobalTestEnvironment(new MarkCount);

}  // namespace

void CheckKnownWineDifference(bool marked, bool agrees, const std::string& check, const char* file,
                              int line) {
  if (!marked || !OnWine()) {
    if (!agrees) ADD_FAILURE_AT(file, line) << check;
    return;
  }
  if (agrees) {
    ADD_FAILURE_AT(file, line) << "marked as a Wine difference, but Wine agrees now: " << check
                               << " (remove the mark and its entry in docs/known-differences.md)";
    return;
  }
  const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
  ++Marked()[test ? test->test_suite_name() : "?"];
}

}  // namespace conformance
