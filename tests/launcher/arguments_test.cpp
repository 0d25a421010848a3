#include "launcher/arguments.h"

#include <gtest/gtest.h>

namespace {

struct SplitCase {
  const char* line;
  std::vector<std::string> arguments;
};

class SplitTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitTest, SplitsAsTheRunTimeDoes) {
  EXPECT_EQ(launcher::SplitCommandLine(GetParam().line), GetParam().arguments);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, SplitTest,
    ::testing::Values(
        SplitCase{"", {}}, SplitCase{"   \t ", {}}, SplitCase{"SETUP.EXE", {"SETUP.EXE"}},
        SplitCase{"\"D:\\My CD\\SETUP.EXE\" autorun", {"D:\\My CD\\SETUP.EXE", "autorun"}},
        SplitCase{"a  \t b", {"a", "b"}},
        // Control characters separate like blanks.
        SplitCase{"a\x01"
                  "b\x1f"
                  "c",
                  {"a", "b", "c"}},
        SplitCase{"a \"autorun\"", {"a", "autorun"}},
        // A quoted stretch joins with the characters that touch it.
        SplitCase{"a x\"y z\"w", {"a", "xy zw"}},
        // Empty pairs at the start of an argument are skipped, elsewhere they vanish.
        SplitCase{"a \"\"autorun", {"a", "autorun"}}, SplitCase{"a \"\" \"\" b", {"a", "b"}},
        SplitCase{"a b\"\"c", {"a", "bc"}},
        // An unterminated quote runs to the end.
        SplitCase{"a \"x y", {"a", "x y"}},
        // A lone quote pair at the very end gives no argument.
        SplitCase{"a \"\"", {"a"}}, SplitCase{"a \"\"\"b\"", {"a", "b"}},
        // A quote inside a quoted stretch cannot be escaped: the backslash is ordinary.
        SplitCase{"a \"x\\\"y\"", {"a", "x\\y"}}));

TEST(FirstArgumentTest, OnlyTheFirstCounts) {
  EXPECT_EQ(launcher::FirstArgument("x.exe autorun normal"), "autorun");
  EXPECT_EQ(launcher::FirstArgument("x.exe"), "");
  EXPECT_EQ(launcher::FirstArgument("x.exe \"\""), "");
  EXPECT_EQ(launcher::FirstArgument("x.exe /autorun"), "/autorun");
}

}  // namespace
