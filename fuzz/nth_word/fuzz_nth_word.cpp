// NthWord on arbitrary text. From the word rules: every word is a stretch of the text
// (quotes dropped, not added); words are kept apart by at least one character (a
// separator or a quote) or sit in quotes of their own, so all words joined by single
// blanks are never longer than the text; and the words end: past the last, all are empty.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "strutil/strutil.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

// Each call scans from the start, so all words of a long text cost its length squared.
constexpr std::size_t kMaxText = 512;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > kMaxText) return 0;
  std::string text(reinterpret_cast<const char*>(data), size);
  Check(strutil::NthWord(text, 0).empty() && strutil::NthWord(text, -1).empty());

  // A word takes at least one character of the text (an empty word takes its two quotes),
  // so there are at most size words and word size + 1 is empty. Empty words before the
  // last non-empty one are real words; those after it may be past the end, so the joined
  // length counts up to the last non-empty word.
  std::size_t joined = 0, joinedToLastWord = 0;
  for (std::size_t n = 1; n <= size; ++n) {
    std::string word = strutil::NthWord(text, static_cast<int>(n));
    Check(text.find(word) != std::string::npos);
    joined += word.size() + (n > 1 ? 1 : 0);
    if (!word.empty()) joinedToLastWord = joined;
  }
  Check(joinedToLastWord <= size);
  Check(strutil::NthWord(text, static_cast<int>(size) + 1).empty());
  return 0;
}
