#include "strutil/strutil.h"

#include <gtest/gtest.h>

#include <climits>

#include "tests/support/machine_fixture.h"

namespace {

// Lower-casing goes through the platform, so every test runs on a simulated machine.
class StrutilTest : public ::testing::Test {
 protected:
  void SetUp() override { machine_.Start(); }

 private:
  testing_support::TempMachine machine_;
};

struct WordCase {
  const char* text;
  int n;
  const char* word;
};

const WordCase kWordCases[] = {
    {"  x\r\n y", 2, "y"},
    {"a\r\n\r\nb", 2, "b"},
    {"a\tb c", 1, "a\tb"},
    {"a\tb c", 2, "c"},
    {"ab\"cd ef\"", 1, "ab\"cd"},
    {"ab\"cd ef\"", 2, "ef\""},
    {"\"C:\\My Data\" x", 1, "C:\\My Data"},
    {"\"C:\\My Data\" x", 2, "x"},
    {"\"abc", 1, "abc"},
    {"\"abc def", 2, ""},
    {"\"a\"\"b\"", 1, "a"},
    {"\"a\"\"b\"", 2, "b"},
    {"\"\" z", 1, ""},
    {"\"\" z", 2, "z"},
    {"\"a b\"c d", 2, "c"},
    {"\"a b\"c d", 3, "d"},
    {"OrvDel.Exe\" a b \"C:\\P Q\\Data\"", 1, "OrvDel.Exe\""},
    {"OrvDel.Exe\" a b \"C:\\P Q\\Data\"", 4, "C:\\P Q\\Data"},
    {"a b", 0, ""},
    {"a b", -1, ""},
    {"a b", 3, ""},
    {"a b", INT_MAX, ""},
    {"", 1, ""},
    {" \r\n ", 1, ""},
};

TEST_F(StrutilTest, NthWordFollowsTheCommandLineRules) {
  for (const WordCase& c : kWordCases)
    EXPECT_EQ(strutil::NthWord(c.text, c.n), c.word) << "text [" << c.text << "] word " << c.n;
}

struct FindCase {
  const char* needle;
  const char* text;
  int position;
};

const FindCase kFindCases[] = {
    {"B", "abc", 2},
    {"a", "bAa", 2},
    {"", "abc", 0},
    {"abc", "", 0},
    {"", "", 0},
    {"x", "abc", 0},
    {"abcd", "abc", 0},
    {"\\jconfig.exe", "C:\\J\\JConfig.EXE /q", 5},
    {"OrvDel.Exe", "\"C:\\P Q\\ORVDEL.EXE\" a", 9},
    // Code page 1252 letters beyond ASCII: E acute and e acute are one letter.
    {"\xC9T\xC9", "l'\xE9t\xE9", 3},
    {"\xE9", "CAF\xC9", 4},
    // The division sign has no case; it is not the multiplication sign's lower case.
    {"\xF7", "\xD7", 0},
};

TEST_F(StrutilTest, FindTextNoCaseGivesTheFirstPositionFromOne) {
  for (const FindCase& c : kFindCases)
    EXPECT_EQ(strutil::FindTextNoCase(c.needle, c.text), c.position)
        << "needle [" << c.needle << "] text [" << c.text << "]";
}

}  // namespace
