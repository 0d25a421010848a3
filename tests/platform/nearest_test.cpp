// The suggestion for an unknown name in a machine description.
#include <gtest/gtest.h>

#include <string_view>

#include "platform/faults/faults.h"
#include "platform/hosted/machine/nearest.h"

namespace {

constexpr std::string_view kFields[] = {"os", "user", "drives", "temp", "timezone", "times"};

TEST(NearestName, ASlipGivesTheNameMeantAndAnythingElseNone) {
  const struct {
    std::string_view name;
    const char* nearest;  // null: none
  } cases[] = {
      {"drivs", "drives"},       {"DRIVES", "drives"}, {"tmep", "temp"}, {"time", "times"},
      {"timezones", "timezone"}, {"colour", nullptr},  {"x", nullptr},   {"", nullptr},
  };
  for (const auto& c : cases) {
    auto nearest = hosted::NearestName(c.name, kFields);
    EXPECT_EQ(nearest.value_or("(none)"), c.nearest ? c.nearest : "(none)") << c.name;
  }
  EXPECT_EQ(hosted::NearestName("SetFileAtributesA", faults::FaultableCalls()).value_or(""),
            "SetFileAttributesA");
  EXPECT_EQ(hosted::SuggestName("colour", std::span(kFields).first(2)),
            "; it must be one of: os, user");
}

}  // namespace
