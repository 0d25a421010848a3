#include "platform/hosted/text/codepage.h"

#include <array>

namespace hosted {

namespace {

// Unicode code points of the bytes 0x80..0x9F; the five bytes the code page leaves
// undefined map to the C1 control of the same value, as Windows maps them.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char16_t ToUnicode(unsigned char c) {
  return (c >= 0x80 && c <= 0x9F) ? kHigh[c - 0x80] : static_cast<char16_t>(c);
}

std::optional<char> FromUnicode(char32_t u) {
  if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) return static_cast<char>(u);
  for (std::size_t i = 0; i < kHigh.size(); ++i)
    if (kHigh[i] == u) return static_cast<char>(0x80 + i);
  return std::nullopt;
}

// Decodes one UTF-8 sequence at text[i]; advances i. nullopt when malformed.
std::optional<char32_t> DecodeUtf8(std::string_view text, std::size_t& i) {
  auto b = static_cast<unsigned char>(text[i++]);
  if (b < 0x80) return b;
  int extra = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : -1;
  if (extra < 0 || b > 0xF4) return std::nullopt;
  char32_t u = b & (0x3F >> extra);
  for (int k = 0; k < extra; ++k) {
    if (i >= text.size()) return std::nullopt;
    auto c = static_cast<unsigned char>(text[i++]);
    if ((c & 0xC0) != 0x80) return std::nullopt;
    u = (u << 6) | (c & 0x3F);
  }
  static constexpr char32_t kMin[] = {0, 0x80, 0x800, 0x10000};
  if (u < kMin[extra] || u > 0x10FFFF || (u >= 0xD800 && u <= 0xDFFF)) return std::nullopt;
  return u;
}

void EncodeUtf8(char32_t u, std::string& out) {
  if (u < 0x80) {
    out += static_cast<char>(u);
  } else if (u < 0x800) {
    out += static_cast<char>(0xC0 | (u >> 6));
    out += static_cast<char>(0x80 | (u & 0x3F));
  } else if (u < 0x10000) {
    out += static_cast<char>(0xE0 | (u >> 12));
    out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (u & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (u >> 18));
    out += static_cast<char>(0x80 | ((u >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (u & 0x3F));
  }
}

}  // namespace

char LowerAnsi(char c) {
  auto b = static_cast<unsigned char>(c);
  if ((b >= 'A' && b <= 'Z') || (b >= 0xC0 && b <= 0xDE && b != 0xD7)) return char(b + 0x20);
  if (b == 0x8A || b == 0x8C || b == 0x8E) return char(b + 0x10);
  if (b == 0x9F) return char(0xFF);
  return c;
}

char UpperAnsi(char c) {
  auto b = static_cast<unsigned char>(c);
  if ((b >= 'a' && b <= 'z') || (b >= 0xE0 && b <= 0xFE && b != 0xF7)) return char(b - 0x20);
  if (b == 0x9A || b == 0x9C || b == 0x9E) return char(b - 0x10);
  if (b == 0xFF) return char(0x9F);
  return c;
}

std::string LowerAnsi(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = LowerAnsi(c);
  return out;
}

std::string UpperAnsi(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = UpperAnsi(c);
  return out;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (LowerAnsi(a[i]) != LowerAnsi(b[i])) return false;
  return true;
}

std::optional<std::string> Utf8ToAnsi(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    auto u = DecodeUtf8(utf8, i);
    if (!u) return std::nullopt;
    auto c = FromUnicode(*u);
    if (!c) return std::nullopt;
    out += *c;
  }
  return out;
}

std::string AnsiToUtf8(std::string_view ansi) {
  std::string out;
  out.reserve(ansi.size());
  for (char c : ansi) EncodeUtf8(ToUnicode(static_cast<unsigned char>(c)), out);
  return out;
}

std::u16string AnsiToUtf16(std::string_view ansi) {
  std::u16string out;
  AppendAnsiToUtf16(ansi, out);
  return out;
}

void AppendAnsiToUtf16(std::string_view ansi, std::u16string& out) {
  std::size_t at = out.size();
  out.resize(at + ansi.size());
  char16_t* p = out.data() + at;
  // Copied unit for unit first (a loop the compiler vectorises), then the bytes above
  // 0x7F looked up where there are any.
  unsigned char any = 0;
  for (std::size_t i = 0; i < ansi.size(); ++i) {
    auto c = static_cast<unsigned char>(ansi[i]);
    p[i] = c;
    any |= c;
  }
  if (any & 0x80)
    for (std::size_t i = 0; i < ansi.size(); ++i)
      p[i] = ToUnicode(static_cast<unsigned char>(ansi[i]));
}

std::optional<std::string> Utf16ToAnsi(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char16_t u : text) {
    auto c = FromUnicode(u);
    if (!c) return std::nullopt;
    out += *c;
  }
  return out;
}

std::optional<std::u16string> Utf8ToUtf16(std::string_view utf8) {
  std::u16string out;
  if (!AppendUtf8ToUtf16(utf8, out)) return std::nullopt;
  return out;
}

bool AppendUtf8ToUtf16(std::string_view utf8, std::u16string& out) {
  std::size_t at = out.size();
  out.resize(at + utf8.size());  // never more units than bytes
  char16_t* p = out.data() + at;
  for (std::size_t i = 0; i < utf8.size();) {
    auto b = static_cast<unsigned char>(utf8[i]);
    if (b < 0x80) {
      *p++ = b;
      ++i;
      continue;
    }
    auto u = DecodeUtf8(utf8, i);
    if (!u) {
      out.resize(at);
      return false;
    }
    if (*u >= 0x10000) {
      char32_t v = *u - 0x10000;
      *p++ = static_cast<char16_t>(0xD800 | (v >> 10));
      *p++ = static_cast<char16_t>(0xDC00 | (v & 0x3FF));
    } else {
      *p++ = static_cast<char16_t>(*u);
    }
  }
  out.resize(std::size_t(p - out.data()));
  return true;
}

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t u = text[i];
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      u = 0x10000 + ((u - 0xD800) << 10) + (text[++i] - 0xDC00);
    }
    EncodeUtf8(u, out);
  }
  return out;
}

}  // namespace hosted
