#include "strutil/strutil.h"

#include <algorithm>
#include <string_view>

#include "platform/platform.h"

namespace strutil {

namespace {

constexpr std::string_view kSeparators = " \r\n";

// CharLowerBuffA keeps the length, so positions in the copy hold for the original.
std::string Lowered(std::string text) {
  if (!text.empty())
    platform::Current().CharLowerBuffA(text.data(), static_cast<platform::DWORD>(text.size()));
  return text;
}

// Takes the word that starts at pos (not a separator) and moves pos past it.
std::string_view TakeWord(std::string_view text, std::size_t& pos) {
  if (text[pos] == '"') {
    std::size_t close = text.find('"', pos + 1);
    std::size_t end = close == std::string_view::npos ? text.size() : close;
    std::string_view word = text.substr(pos + 1, end - pos - 1);
    // Scanning resumes right after the closing quote, so a following non-separator
    // starts the next word at once.
    pos = close == std::string_view::npos ? text.size() : close + 1;
    return word;
  }
  std::size_t end = std::min(text.find_first_of(kSeparators, pos), text.size());
  std::string_view word = text.substr(pos, end - pos);
  pos = end;
  return word;
}

}  // namespace

int FindTextNoCase(const std::string& needle, const std::string& text) {
  if (needle.empty() || text.empty()) return 0;
  std::size_t found = Lowered(text).find(Lowered(needle));
  return found == std::string::npos ? 0 : static_cast<int>(found) + 1;
}

std::string NthWord(const std::string& text, int n) {
  std::string_view rest = text;
  std::size_t pos = 0;
  for (int count = 1; count <= n; ++count) {
    pos = std::min(rest.find_first_not_of(kSeparators, pos), rest.size());
    if (pos == rest.size()) return {};
    std::string_view word = TakeWord(rest, pos);
    if (count == n) return std::string(word);
  }
  return {};
}

}  // namespace strutil
