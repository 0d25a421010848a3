// CharLowerBuffA and CompareStringA over every byte of code page 1252, with the locale and
// flags the launcher's comparisons pass, and the word sort's order.
#include <string>

#include "tests/platform/conformance.h"

namespace {

using namespace platform;
using conformance::kPoison;
using conformance::kPoisonByte;

constexpr LCID kEnglishUs = 0x0409, kUser = LOCALE_USER_DEFAULT;

// The letters of code page 1252 that have a lowercase one, and that one; every other byte
// is its own lowercase.
const std::string kUpper =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZ\x8A\x8C\x8E\x9F"
    "\xC0\xC1\xC2\xC3\xC4\xC5\xC6\xC7\xC8\xC9\xCA\xCB\xCC\xCD\xCE\xCF"
    "\xD0\xD1\xD2\xD3\xD4\xD5\xD6\xD8\xD9\xDA\xDB\xDC\xDD\xDE";
const std::string kLower =
    "abcdefghijklmnopqrstuvwxyz\x9A\x9C\x9E\xFF"
    "\xE0\xE1\xE2\xE3\xE4\xE5\xE6\xE7\xE8\xE9\xEA\xEB\xEC\xED\xEE\xEF"
    "\xF0\xF1\xF2\xF3\xF4\xF5\xF6\xF8\xF9\xFA\xFB\xFC\xFD\xFE";

char LowerOf(char c) {
  std::size_t at = kUpper.find(c);
  return at == std::string::npos ? c : kLower[at];
}

class ConformanceLocale : public conformance::Test {
 protected:
  // CompareStringA, the last error poisoned: a call that succeeds must leave it.
  int Compare(LCID locale, DWORD flags, const std::string& a, int aLength, const std::string& b,
              int bLength) {
    Poison();
    int result = P().CompareStringA(locale, flags, a.data(), aLength, b.data(), bLength);
    if (result != 0) {
      EXPECT_EQ(P().GetLastError(), kPoison);
    }
    return result;
  }
};

// The bytes in quarters of the code page, from the first byte given.
class ConformanceLocaleBytes : public ConformanceLocale,
                               public ::testing::WithParamInterface<unsigned> {
 protected:
  std::string Bytes() const {
    std::string bytes;
    for (unsigned b = GetParam(); b < GetParam() + 0x40; ++b) bytes += char(b);
    return bytes;
  }
};

TEST_P(ConformanceLocaleBytes, LowerAsUnicodeDoes) {
  std::string bytes = Bytes();
  std::string buffer = bytes + std::string(4, kPoisonByte);
  Poison();
  EXPECT_EQ(P().CharLowerBuffA(buffer.data(), DWORD(bytes.size())), bytes.size());
  EXPECT_EQ(P().GetLastError(), kPoison);
  for (std::size_t i = 0; i < bytes.size(); ++i)
    EXPECT_EQ(buffer[i], LowerOf(bytes[i])) << std::hex << (bytes[i] & 0xFF);
  EXPECT_EQ(buffer.substr(bytes.size()), std::string(4, kPoisonByte));
}

// Each byte between two letters, against its lowercase: equal when case is ignored.
TEST_P(ConformanceLocaleBytes, CompareWithTheirLowercase) {
  for (char c : Bytes()) {
    std::string upper = std::string("x") + c + "y", lower = std::string("x") + LowerOf(c) + "y";
    SCOPED_TRACE(std::to_string(c & 0xFF));
    EXPECT_EQ(Compare(kUser, NORM_IGNORECASE, upper, 3, lower, 3), CSTR_EQUAL);
    EXPECT_EQ(Compare(kUser, NORM_IGNORECASE, lower, 3, upper, 3), CSTR_EQUAL);
  }
}

INSTANTIATE_TEST_SUITE_P(All, ConformanceLocaleBytes, ::testing::Values(0x00, 0x40, 0x80, 0xC0));

// Compared as the launcher compares names: the user's locale, case ignored.
struct OrderCase {
  const char* a;
  const char* b;
  int result;
  int aLength = -1, bLength = -1;  // a length counts bytes; -1 stops at the NUL
};

class ConformanceLocaleOrder : public ConformanceLocale,
                               public ::testing::WithParamInterface<OrderCase> {};

TEST_P(ConformanceLocaleOrder, FollowsTheWordSort) {
  const OrderCase& c = GetParam();
  EXPECT_EQ(Compare(kUser, NORM_IGNORECASE, c.a, c.aLength, c.b, c.bLength), c.result)
      << c.a << " " << c.aLength << " " << c.b;
  int reversed =
      c.result == CSTR_EQUAL ? CSTR_EQUAL : CSTR_LESS_THAN + CSTR_GREATER_THAN - c.result;
  EXPECT_EQ(Compare(kEnglishUs, NORM_IGNORECASE, c.b, c.bLength, c.a, c.aLength), reversed);
}

const OrderCase kOrders[] = {
    {"abc", "ABD", CSTR_LESS_THAN},       {"ab", "AbC", CSTR_LESS_THAN}, {"", "", CSTR_EQUAL},
    {"9", "a", CSTR_LESS_THAN},            // digits before letters
    {"{", "0", CSTR_LESS_THAN},            // symbols before digits
    {"\xE9", "f", CSTR_LESS_THAN},         // é beside e
    {"e", "\xC9", CSTR_LESS_THAN},         // the accent after the letter
    {"\xE9\x61", "eb", CSTR_LESS_THAN},    // letters before accents
    {"co-op", "coo", CSTR_GREATER_THAN},   // a hyphen is no letter
    {"coop", "co-op", CSTR_LESS_THAN},     // but counts last
    {"\xDF", "SS", CSTR_EQUAL},            // ß
    {"\xC6", "ae", CSTR_EQUAL},            // Æ
    {"abX", "abY", CSTR_LESS_THAN, 3, 3},  // both counted, as the launcher passes them
};
INSTANTIATE_TEST_SUITE_P(All, ConformanceLocaleOrder, ::testing::ValuesIn(kOrders));

}  // namespace
