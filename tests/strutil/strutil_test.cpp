#include "strutil/strutil.h"
#include "strutil/translate.h"

#include <gtest/gtest.h>

// Finding text without regard to case is pinned by the uninstall-* and jaws-* scenarios, the
// case folding itself by the locale conformance tests.
namespace {

TEST(Strutil, NthWordFollowsTheCommandLineRules) {
  // Each text with all its words: word n is words[n - 1], and there is none before 1 or after.
  const std::pair<const char*, std::vector<std::string>> cases[] = {
      {"  x\r\n y", {"x", "y"}},  {"a\tb c", {"a\tb", "c"}},  {"ab\"cd ef\"", {"ab\"cd", "ef\""}},
      {"\"abc def", {"abc def"}}, {"\"a\"\"b\"", {"a", "b"}}, {"\"\" z", {"", "z"}},
  };
  for (const auto& [text, words] : cases) {
    SCOPED_TRACE(text);
    for (std::size_t n = 0; n <= words.size() + 1; ++n)
      EXPECT_EQ(strutil::NthWord(text, static_cast<int>(n)),
                n >= 1 && n <= words.size() ? words[n - 1] : "")
          << n;
  }
}

TEST(Strutil, TranslateCharsReplacesOnlyWhatHasAReplacement) {
  const struct {
    const char *text, *replacements, *searched, *result;
  } cases[] = {
      {"a-b c", "_+", "- ", "a_b+c"},
      {"abc", "x", "ab", "xbc"},  // 'b' has no replacement: the list is shorter
  };
  for (const auto& c : cases)
    EXPECT_EQ(strutil::TranslateChars(c.text, c.replacements, c.searched), c.result) << c.text;
}

}  // namespace
