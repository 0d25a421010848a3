#include "strutil/translate.h"

#include <gtest/gtest.h>

namespace {

TEST(TranslateChars, ReplacesByFirstOccurrenceAndOnlyOnce) {
  const struct {
    const char* text;
    const char* replacements;
    const char* searched;
    const char* result;
  } cases[] = {
      {"", "x", "a", ""},
      {"abc", "", "", "abc"},
      {"a<b>c", "[]", "<>", "a[b]c"},
      // Swapping: a character put in is not translated again.
      {"abba", "ba", "ab", "baab"},
      // The first occurrence in searched decides.
      {"aa", "12", "aa", "11"},
      // A position without a counterpart in replacements leaves the character alone.
      {"a>b<", "[", "<>", "a>b["},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(strutil::TranslateChars(c.text, c.replacements, c.searched), c.result) << c.text;
  }
}

}  // namespace
