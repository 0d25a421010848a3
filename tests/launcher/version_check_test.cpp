// The version-number rule at its edges; the version-* and too-old-* scenarios pin the common
// cases, and the modules-names medium the module-name rule.
#include "launcher/version_check.h"

#include <gtest/gtest.h>

namespace {

using launcher::InstalledVersionNumber;

TEST(VersionNumber, DigitsPaddedToSevenOrEightAndTheTooOldBand) {
  const struct {
    const char* displayName;
    std::optional<std::int32_t> number;
    bool tooOld;
  } cases[] = {
      {"Orvanel 7.000001", 7000001, true},
      {"Orvanel 8.999999", 8999999, true},
      {"Orvanel 9", 9000000, false},
      {"Orvanel 8.02", 8020000, true},
      {"Orvanel 8.1", 81000000, false},
      {"Orvanel 2.00", 2000000, false},
      {"Orvanel", 0, false},
      {"Orv4nel 2003 (8)", 42003800, false},
      {"2147483647", 2147483647, false},
      {"v 0000000000000008", 8, false},
      // Digits beyond 32 bits lie above the band: no conversion error.
      {"2147483648", std::nullopt, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.displayName);
    EXPECT_EQ(InstalledVersionNumber(c.displayName), c.number);
    EXPECT_EQ(launcher::TooOldForModules(c.number), c.tooOld);
  }
}

}  // namespace
