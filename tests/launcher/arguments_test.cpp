#include "launcher/arguments.h"

#include <gtest/gtest.h>

namespace {

using Words = std::vector<std::string>;

TEST(SplitCommandLine, SplitsAsTheRunTimeDoes) {
  const std::pair<const char*, Words> cases[] = {
      {"   \t ", {}},
      {"\"D:\\My CD\\SETUP.EXE\" autorun", {"D:\\My CD\\SETUP.EXE", "autorun"}},
      // Control characters separate like blanks.
      {"a\001b\037c", {"a", "b", "c"}},
      // A quoted stretch joins with the characters that touch it.
      {"a x\"y z\"w", {"a", "xy zw"}},
      // Empty pairs at the start of an argument are skipped, elsewhere they vanish.
      {"a \"\"autorun", {"a", "autorun"}},
      {"a \"\" \"\" b", {"a", "b"}},
      {"a b\"\"c", {"a", "bc"}},
      // An unterminated quote runs to the end.
      {"a \"x y", {"a", "x y"}},
      // A lone quote pair at the very end gives no argument.
      {"a \"\"", {"a"}},
      {"a \"\"\"b\"", {"a", "b"}},
      // A quote inside a quoted stretch cannot be escaped: the backslash is ordinary.
      {"a \"x\\\"y\"", {"a", "x\\y"}},
  };
  for (const auto& [line, words] : cases)
    EXPECT_EQ(launcher::SplitCommandLine(line), words) << line;
}

TEST(FirstArgument, OnlyTheFirstCounts) {
  EXPECT_EQ(launcher::FirstArgument("x.exe autorun normal"), "autorun");
  EXPECT_EQ(launcher::FirstArgument("x.exe"), "");
  EXPECT_EQ(launcher::FirstArgument("x.exe \"\""), "");
}

}  // namespace
