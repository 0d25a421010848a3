#include "strutil/strutil.h"
#include "strutil/translate.h"

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

TEST_F(StrutilTest, NthWordFollowsTheCommandLineRules) {
  // Each text with all its words: word n is words[n - 1], and there is none before 1 or after.
  const std::pair<const char*, std::vector<std::string>> cases[] = {
      {"  x\r\n y", {"x", "y"}},
      {"a\r\n\r\nb", {"a", "b"}},
      {"a\tb c", {"a\tb", "c"}},
      {"ab\"cd ef\"", {"ab\"cd", "ef\""}},
      {"\"C:\\My Data\" x", {"C:\\My Data", "x"}},
      {"\"abc def", {"abc def"}},
      {"\"a\"\"b\"", {"a", "b"}},
      {"\"\" z", {"", "z"}},
      {"\"a b\"c d", {"a b", "c", "d"}},
      {"OrvDel.Exe\" a b \"C:\\P Q\\Data\"", {"OrvDel.Exe\"", "a", "b", "C:\\P Q\\Data"}},
      {"", {}},
      {" \r\n ", {}},
  };
  for (const auto& [text, words] : cases) {
    SCOPED_TRACE(text);
    for (std::size_t n = 0; n <= words.size() + 1; ++n)
      EXPECT_EQ(strutil::NthWord(text, static_cast<int>(n)),
                n >= 1 && n <= words.size() ? words[n - 1] : "")
          << n;
  }
  EXPECT_EQ(strutil::NthWord("a b", -1), "");
  EXPECT_EQ(strutil::NthWord("a b", INT_MAX), "");
}

TEST_F(StrutilTest, FindTextNoCaseGivesTheFirstPositionFromOne) {
  const struct {
    const char *needle, *text;
    int position;
  } cases[] = {
      {"B", "abc", 2},
      {"a", "bAa", 2},
      {"", "abc", 0},
      {"abc", "", 0},
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
  for (const auto& c : cases)
    EXPECT_EQ(strutil::FindTextNoCase(c.needle, c.text), c.position)
        << "needle [" << c.needle << "] text [" << c.text << "]";
}

TEST(Strutil, TranslateCharsReplacesOnlyWhatHasAReplacement) {
  const struct {
    const char *text, *replacements, *searched, *result;
  } cases[] = {
      {"a-b c", "_+", "- ", "a_b+c"},
      {"abc", "x", "ab", "xbc"},  // 'b' has no replacement: the list is shorter
      {"abc", "", "abc", "abc"},
      {"", "x", "a", ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(strutil::TranslateChars(c.text, c.replacements, c.searched), c.result) << c.text;
}

}  // namespace
