#include "platform/hosted/text/collation.h"

#include <compare>
#include <cstdint>
#include <vector>

#include "platform/hosted/text/codepage.h"

namespace hosted {

using platform::DWORD;

namespace {

constexpr DWORD kIgnoreCase = 0x1, kIgnoreNonSpace = 0x2, kIgnoreSymbols = 0x4,
                kLinguisticIgnoreCase = 0x10, kLinguisticIgnoreDiacritic = 0x20,
                kStringSort = 0x1000;
// Kana, width, linguistic casing and the ANSI code page change nothing in code page 1252
// text (the machine's only ANSI code page); the call accepts them all the same.
constexpr DWORD kNoEffect = 0x10000 | 0x20000 | 0x08000000 | 0x40000000;
constexpr DWORD kKnown = kIgnoreCase | kIgnoreNonSpace | kIgnoreSymbols | kLinguisticIgnoreCase |
                         kLinguisticIgnoreDiacritic | kStringSort | kNoEffect;

// The base letter of each byte from 0x80: '{' thorn and '|' the micro sign sort after z;
// 'E', 'O' and 'S' are the ligatures ae, oe and the sharp s, which weigh as two letters;
// '.' is a symbol.
constexpr std::string_view kBase =
    "...f......s.O.z...........s.O.zy"
    "..........a..........|....o....."
    "aaaaaaEceeeeiiiidnooooo.ouuuuy{S"
    "aaaaaaEceeeeiiiidnooooo.ouuuuy{y";

struct Key {
  std::vector<std::uint16_t> primary;
  std::vector<std::uint8_t> accent;
  std::vector<std::uint8_t> upper;
  std::vector<std::uint16_t> special;  // hyphens and apostrophes: position and byte

  void Add(std::uint16_t weight, std::uint8_t accentWeight, bool isUpper) {
    primary.push_back(weight);
    accent.push_back(accentWeight);
    upper.push_back(isUpper);
  }
  void AddLetter(char base, std::uint8_t accentWeight, bool isUpper) {
    Add(static_cast<std::uint16_t>(0x200 + (base - 'a')), accentWeight, isUpper);
  }
};

char BaseOf(unsigned char b) {
  if (b >= 0x80) return kBase[b - 0x80];
  if ((b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z')) return static_cast<char>(b | 0x20);
  return '.';
}

Key KeyOf(std::string_view text, DWORD flags) {
  Key key;
  for (char c : text) {
    auto b = static_cast<unsigned char>(c);
    bool isUpper = LowerAnsi(c) != c;
    char base = BaseOf(b);
    if ((b == '-' || b == '\'') && !(flags & kStringSort)) {
      if (!(flags & kIgnoreSymbols))
        key.special.push_back(static_cast<std::uint16_t>(key.primary.size() << 8 | b));
    } else if (b >= '0' && b <= '9') {
      key.Add(static_cast<std::uint16_t>(0x100 + (b - '0')), 0, false);
    } else if (base == '.') {
      if (!(flags & kIgnoreSymbols)) key.Add(b, 0, false);
    } else if (base >= 'A' && base <= 'Z') {
      std::string_view pair = base == 'E' ? "ae" : base == 'O' ? "oe" : "ss";
      for (char letter : pair) key.AddLetter(letter, 0, isUpper);
    } else {
      auto accent = static_cast<std::uint8_t>(b >= 0x80 ? LowerAnsi(c) : 0);
      key.AddLetter(base, accent, isUpper);
    }
  }
  return key;
}

}  // namespace

std::optional<int> CompareAnsi(std::string_view a, std::string_view b, DWORD flags) {
  if (flags & ~kKnown) return std::nullopt;
  Key left = KeyOf(a, flags), right = KeyOf(b, flags);
  std::strong_ordering order = left.primary <=> right.primary;
  if (order == 0 && !(flags & (kIgnoreNonSpace | kLinguisticIgnoreDiacritic)))
    order = left.accent <=> right.accent;
  if (order == 0 && !(flags & (kIgnoreCase | kLinguisticIgnoreCase)))
    order = left.upper <=> right.upper;
  if (order == 0) order = left.special <=> right.special;
  return order < 0    ? platform::CSTR_LESS_THAN
         : order == 0 ? platform::CSTR_EQUAL
                      : platform::CSTR_GREATER_THAN;
}

}  // namespace hosted
