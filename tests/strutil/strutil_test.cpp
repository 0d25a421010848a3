#include "strutil/strutil.h"
#include "strutil/translate.h"

#include <gtest/gtest.h>

#include "tests/support/machine_fixture.h"

namespace {

TEST(Strutil, NthWordFollowsTheCommandLineRules) {
  // Each text with all its words: word n is words[n - 1], and there is none before 1 or after.
  const std::pair<const char*, std::vector<std::string>> cases[] = {
      {"  x\r\n y", {"x", "y"}},
      {"a\tb c", {"a\tb", "c"}},
      {"ab\"cd ef\"", {"ab\"cd", "ef\""}},
      {"\"abc def", {"abc def"}},
      {"\"a\"\"b\"", {"a", "b"}},
      {"\"\" z", {"", "z"}},
      {" \r\n ", {}},
  };
  for (const auto& [text, words] : cases) {
    SCOPED_TRACE(text);
    for (std::size_t n = 0; n <= words.size() + 1; ++n)
      EXPECT_EQ(strutil::NthWord(text, static_cast<int>(n)),
                n >= 1 && n <= words.size() ? words[n - 1] : "")
          << n;
  }
}

TEST(Strutil, FindTextNoCaseGivesTheFirstPositionFromOne) {
  testing_support::TempMachine machine;  // lower-casing goes through the platform
  machine.Start();
  const struct {
    const char *needle, *text;
    int position;
  } cases[] = {
      {"a", "bAa", 2},
      {"", "abc", 0},
      {"abc", "", 0},
      {"abcd", "abc", 0},
      // Code page 1252 letters beyond ASCII: E acute and e acute are one letter.
      {"\xC9T\xC9", "l'\xE9t\xE9", 3},
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
  };
  for (const auto& c : cases)
    EXPECT_EQ(strutil::TranslateChars(c.text, c.replacements, c.searched), c.result) << c.text;
}

}  // namespace
