// How the launcher's command line splits, and the version-number rule at its edges; the
// version-*, too-old-*, autorun-* and modules-names scenarios pin the common cases.
#include <gtest/gtest.h>

#include "launcher/arguments.h"
#include "launcher/version_check.h"

namespace {

using Words = std::vector<std::string>;

TEST(SplitCommandLine, SplitsAsTheRunTimeDoes) {
  const std::pair<const char*, Words> cases[] = {
      {"   \t ", {}},
      {"\"D:\\My CD\\SETUP.EXE\" autorun", {"D:\\My CD\\SETUP.EXE", "autorun"}},
      {"a\001b\037c", {"a", "b", "c"}},
      // A quoted stretch joins with the characters that touch it.
      {"a x\"y z\"w", {"a", "xy zw"}},
      // Empty pairs at the start of an argument are skipped, elsewhere they vanish.
      {"a \"\" \"\" b", {"a", "b"}},
      {"a \"x y", {"a", "x y"}},
      // A lone quote pair at the very end gives no argument.
      {"a \"\"", {"a"}},
      // A quote inside a quoted stretch cannot be escaped: the backslash is ordinary.
      {"a \"x\\\"y\"", {"a", "x\\y"}},
  };
  for (const auto& [line, words] : cases)
    EXPECT_EQ(launcher::SplitCommandLine(line), words) << line;
}

TEST(VersionNumber, DigitsPaddedToSevenOrEightAndTheTooOldBand) {
  const struct {
    const char* displayName;
    std::optional<std::int32_t> number;
    bool tooOld;
  } cases[] = {
      {"Orvanel 9", 9000000, false},
      {"Orvanel 8.1", 81000000, false},
      {"Orv4nel 2003 (8)", 42003800, false},
      {"2147483647", 2147483647, false},
      // Digits beyond 32 bits lie above the band: no conversion error.
      {"2147483648", std::nullopt, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.displayName);
    EXPECT_EQ(launcher::InstalledVersionNumber(c.displayName), c.number);
    EXPECT_EQ(launcher::TooOldForModules(c.number), c.tooOld);
  }
}

}  // namespace
