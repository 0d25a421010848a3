#include "platform/hosted/registry/reader.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <optional>
#include <type_traits>

#include "platform/hosted/registry/registry.h"
#include "platform/hosted/text/codepage.h"

namespace hosted::reg {

namespace {

constexpr std::string_view kRegedit4 = "REGEDIT4";
constexpr std::string_view kVersion5 = "Windows Registry Editor Version 5.00";

// Thrown when a file without a byte-order mark turns out not to be UTF-8: it is then read
// again as code page 1252.
struct NotUtf8 {};

template <typename Unit>
bool IsBlank(Unit c) {
  return c == Unit(' ') || c == Unit('\t');
}

// Each byte's value as a hex digit, or -1: one look-up per digit instead of three range
// tests, as hex data is often most of a file's digits.
constexpr std::array<signed char, 256> kHexDigits = [] {
  std::array<signed char, 256> digits{};
  digits.fill(-1);
  for (int c = 0; c < 10; ++c) digits['0' + c] = static_cast<signed char>(c);
  for (int c = 0; c < 6; ++c) digits['a' + c] = digits['A' + c] = static_cast<signed char>(10 + c);
  return digits;
}();

template <typename Unit>
int HexDigit(Unit c) {
  auto u = static_cast<std::make_unsigned_t<Unit>>(c);
  return u < kHexDigits.size() ? kHexDigits[u] : -1;
}

// 1 to maxDigits hex digits and nothing else.
template <typename Unit>
std::optional<std::uint32_t> HexNumber(std::basic_string_view<Unit> s) {
  if (s.empty() || s.size() > 8) return std::nullopt;
  std::uint32_t n = 0;
  for (Unit c : s) {
    int d = HexDigit(c);
    if (d < 0) return std::nullopt;
    n = n * 16 + std::uint32_t(d);
  }
  return n;
}

template <typename Unit>
bool StartsWithNoCase(std::basic_string_view<Unit> s, std::string_view ascii) {
  if (s.size() < ascii.size()) return false;
  for (std::size_t i = 0; i < ascii.size(); ++i) {
    Unit c = s[i];
    if (c >= Unit('A') && c <= Unit('Z')) c = Unit(c + ('a' - 'A'));
    if (c != Unit(ascii[i])) return false;
  }
  return true;
}

template <typename Unit>
bool Equals(std::basic_string_view<Unit> s, std::string_view ascii) {
  if (s.size() != ascii.size()) return false;
  for (std::size_t i = 0; i < ascii.size(); ++i)
    if (s[i] != Unit(static_cast<unsigned char>(ascii[i]))) return false;
  return true;
}

template <typename Unit>
std::basic_string_view<Unit> TrimLeft(std::basic_string_view<Unit> s) {
  std::size_t i = 0;
  while (i < s.size() && IsBlank(s[i])) ++i;
  return s.substr(i);
}

template <typename Unit>
std::basic_string_view<Unit> TrimRight(std::basic_string_view<Unit> s) {
  std::size_t n = s.size();
  while (n > 0 && IsBlank(s[n - 1])) --n;
  return s.substr(0, n);
}

// UTF-16 code units as the little-endian bytes the registry stores: on a little-endian
// host the units' own bytes, elsewhere a copy made in buffer.
std::string_view LittleEndianBytes(std::u16string_view text, std::string& buffer) {
  if constexpr (std::endian::native == std::endian::little)
    return std::string_view(reinterpret_cast<const char*>(text.data()), text.size() * 2);
  buffer.resize(text.size() * 2);
  for (std::size_t i = 0; i < text.size(); ++i) {
    buffer[2 * i] = char(text[i] & 0xFF);
    buffer[2 * i + 1] = char(text[i] >> 8);
  }
  return buffer;
}

std::size_t FindNewline(std::string_view text, std::size_t from) { return text.find('\n', from); }

// The same in UTF-16: memchr (much faster than a loop over units) finds each byte 0x0A,
// and the unit holding it is checked to be a newline.
std::size_t FindNewline(std::u16string_view text, std::size_t from) {
  const char* bytes = reinterpret_cast<const char*>(text.data());
  std::size_t size = text.size() * 2;
  for (std::size_t at = from * 2; at < size;) {
    auto hit = static_cast<const char*>(std::memchr(bytes + at, '\n', size - at));
    if (!hit) break;
    std::size_t unit = std::size_t(hit - bytes) / 2;
    if (text[unit] == u'\n') return unit;
    at = std::size_t(hit - bytes) + 1;
  }
  return text.npos;
}

struct RootName {
  std::u16string_view name;
  int root;  // a Root, or kRootCount for HKEY_CLASSES_ROOT
};
constexpr RootName kRootNames[] = {{u"HKEY_LOCAL_MACHINE", kLocalMachine},
                                   {u"HKLM", kLocalMachine},
                                   {u"HKEY_CURRENT_USER", kCurrentUser},
                                   {u"HKCU", kCurrentUser},
                                   {u"HKEY_CLASSES_ROOT", kRootCount},
                                   {u"HKCR", kRootCount},
                                   {u"HKEY_USERS", kUsers},
                                   {u"HKEY_CURRENT_CONFIG", kCurrentConfig}};

template <typename Unit>
class Parser {
 public:
  using View = std::basic_string_view<Unit>;

  Parser(View text, const std::string& name, std::optional<Encoding> encoding, Tree& tree)
      : text_(text), name_(name), fixed_(encoding), tree_(tree) {}

  void Run() {
    Header();
    View line;
    while (NextLine(line)) Line(TrimLeft(line));
    Flush();
  }

 private:
  [[noreturn]] void Fail(const std::string& what) const {
    throw RegFileError(name_ + ":" + std::to_string(line_ == 0 ? 1 : line_) + ": " + what);
  }

  bool NextLine(View& line) {
    if (pos_ >= text_.size()) return false;
    std::size_t end = FindNewline(text_, pos_);
    if (end == View::npos) end = text_.size();
    line = text_.substr(pos_, end - pos_);
    if (!line.empty() && line.back() == Unit('\r')) line.remove_suffix(1);
    pos_ = end + 1;
    ++line_;
    return true;
  }

  void Header() {
    View line;
    if (!NextLine(line)) Fail("empty file: no REGEDIT4 or Version 5.00 header");
    line = TrimRight(line);
    if (Equals(line, kRegedit4)) {
      tree_.flavour = Flavour::Regedit4;
    } else if (Equals(line, kVersion5)) {
      tree_.flavour = Flavour::Version5;
    } else {
      Fail("unknown header (expected REGEDIT4 or Windows Registry Editor Version 5.00)");
    }
    // Without a byte-order mark, a Version 5.00 file is taken as UTF-8 while it reads as such.
    bool v5 = tree_.flavour == Flavour::Version5;
    tree_.encoding = fixed_ ? *fixed_ : v5 ? Encoding::Utf8 : Encoding::Ansi;
    tentative_ = !fixed_ && v5;
  }

  void Line(View s) {
    if (s.empty()) return;
    if (s[0] == Unit(';')) {
      if (tentative_) Decode(s, valueText_);  // only to find out whether the file is UTF-8
      return;
    }
    if (s[0] == Unit('[')) return KeyLine(TrimRight(s));
    if (s[0] == Unit('"') || s[0] == Unit('@')) return ValueLine(s);
    Fail("unexpected text: a line must be a [key], a value, a comment or blank");
  }

  // The text in UTF-16, in place of what out held.
  void Decode(View raw, std::u16string& out) {
    out.clear();
    if constexpr (sizeof(Unit) == 2) {
      out.assign(raw);
    } else {
      if (tree_.encoding == Encoding::Ansi) return AppendAnsiToUtf16(raw, out);
      if (AppendUtf8ToUtf16(raw, out)) return;
      if (tentative_) throw NotUtf8{};
      Fail("invalid UTF-8 in a file marked as UTF-8");
    }
  }

  // What was read for key_ since the last [key] line, in its order: the deletions first,
  // since a deletion that follows staged values flushes them before it is kept.
  void Flush() {
    if (!key_) return;
    if (!deletions_.empty()) key_->DeleteValues(deletions_);
    deletions_.clear();
    if (staged_.ValueCount() > 0) key_->TakeValues(staged_);
  }

  void KeyLine(View s) {
    Flush();
    if (s.back() != Unit(']') || s.size() < 2) Fail("missing ] at the end of the key line");
    bool remove = s[1] == Unit('-');
    std::size_t start = remove ? 2 : 1;
    if (s.size() < start + 1) Fail("missing ] at the end of the key line");
    std::u16string path;
    Decode(s.substr(start, s.size() - 1 - start), path);
    std::u16string_view rest = path;
    std::size_t cut = rest.find(u'\\');
    Key* key = ResolveRoot(rest.substr(0, cut));
    rest = cut == rest.npos ? std::u16string_view() : rest.substr(cut + 1);
    if (remove) return RemoveKey(*key, rest);
    for (std::u16string_view part : Components(rest)) key = &key->AddChild(part);
    key_ = key;
  }

  Key* ResolveRoot(std::u16string_view name) {
    for (const RootName& root : kRootNames) {
      if (CompareNoCase(name, root.name) != 0) continue;
      return root.root == kRootCount ? &tree_.Classes() : &tree_.Root(reg::Root(root.root));
    }
    Fail("unknown root key " + Utf16ToUtf8(name));
  }

  // A key path's names; empty names (doubled or trailing backslashes) are passed over.
  static std::vector<std::u16string_view> Components(std::u16string_view path) {
    std::vector<std::u16string_view> parts;
    while (!path.empty()) {
      std::size_t cut = path.find(u'\\');
      if (cut != 0) parts.push_back(path.substr(0, cut));
      path = cut == path.npos ? std::u16string_view() : path.substr(cut + 1);
    }
    return parts;
  }

  void RemoveKey(Key& root, std::u16string_view path) {
    key_ = nullptr;
    std::vector<std::u16string_view> parts = Components(path);
    if (parts.empty()) Fail("a root key cannot be deleted");
    Key* key = &root;
    for (std::u16string_view part : parts)
      if (!(key = key->Child(part))) return;  // deleting an absent key does nothing
    tree_.Forget(*key);
    key->Parent()->Detach(*key);
  }

  void ValueLine(View s) {
    if (!key_) Fail("value outside a key: no [key] line before it");
    std::size_t i = 0;
    if (s[0] == Unit('@')) {
      i = 1;
      valueName_.clear();
    } else {
      Quoted(s, i, valueName_);
    }
    while (i < s.size() && IsBlank(s[i])) ++i;
    if (i == s.size() || s[i] != Unit('=')) Fail("expected = after the value name");
    Data(TrimRight(TrimLeft(s.substr(i + 1))));
  }

  // The string that begins with the quote at s[i], decoded into out; i moves past its
  // closing quote.
  void Quoted(View s, std::size_t& i, std::u16string& out) {
    if (QuotedInOnePass(s, i, out)) return;
    std::size_t begin = ++i;
    i = QuoteOrBackslash(s, i);
    if (i < s.size() && s[i] == Unit('"')) return Decode(s.substr(begin, i++ - begin), out);
    // Escapes: the text between them is copied in runs, each escaped unit starting one.
    scratch_.assign(s.substr(begin, i - begin));
    while (i < s.size() && s[i] == Unit('\\')) {
      if (++i == s.size()) break;
      if (s[i] != Unit('\\') && s[i] != Unit('"'))
        Fail("unknown escape in a string (only \\\\ and \\\" are escapes)");
      std::size_t run = i;
      i = QuoteOrBackslash(s, i + 1);
      scratch_.append(s.substr(run, i - run));
    }
    if (i == s.size()) Fail("unterminated string");
    ++i;
    Decode(scratch_, out);
  }

  // Quoted for the usual string: UTF-16, or bytes all below 0x80 (the same in every
  // encoding), unescaped and widened as they are scanned. False, with i as it was, for
  // anything else, which the general path then reads (and reports, if it is wrong).
  static bool QuotedInOnePass(View s, std::size_t& i, std::u16string& out) {
    out.resize(s.size() - i);  // room for the whole rest of the line
    char16_t* to = out.data();
    for (std::size_t k = i + 1; k < s.size(); ++k) {
      auto c = static_cast<std::make_unsigned_t<Unit>>(s[k]);
      if (c == '"') {
        out.resize(std::size_t(to - out.data()));
        i = k + 1;
        return true;
      }
      if (c == '\\') {
        if (++k == s.size()) break;
        c = static_cast<std::make_unsigned_t<Unit>>(s[k]);
        if (c != '\\' && c != '"') break;
      } else if (sizeof(Unit) == 1 && c >= 0x80) {
        break;
      }
      *to++ = char16_t(c);
    }
    return false;
  }

  static std::size_t QuoteOrBackslash(View s, std::size_t i) {
    while (i < s.size() && s[i] != Unit('"') && s[i] != Unit('\\')) ++i;
    return i;
  }

  // The data of the value named valueName_.
  void Data(View s) {
    if (s.empty()) Fail("missing value data after =");
    if (s[0] == Unit('"')) {
      std::size_t i = 0;
      Quoted(s, i, valueText_);
      if (i != s.size()) Fail("text after the closing quote of the string");
      valueText_ += u'\0';
      return staged_.AppendValue(valueName_, platform::REG_SZ,
                                 LittleEndianBytes(valueText_, bytes_));
    }
    if (Equals(s, "-")) {
      if (staged_.ValueCount() > 0) Flush();
      return deletions_.push_back(valueName_);
    }
    if (StartsWithNoCase(s, "dword:")) return Dword(s.substr(6));
    if (StartsWithNoCase(s, "hex")) return Hex(s.substr(3));
    Fail("unknown value type (expected \"string\", dword:, hex:, hex(N): or -)");
  }

  void Dword(View digits) {
    auto n = HexNumber(digits);
    if (!n) Fail("bad dword value (expected 1 to 8 hex digits)");
    char data[4];
    for (int k = 0; k < 4; ++k) data[k] = char((*n >> (8 * k)) & 0xFF);
    staged_.AppendValue(valueName_, platform::REG_DWORD, std::string_view(data, 4));
  }

  void Hex(View s) {
    DWORD type = platform::REG_BINARY;
    if (!s.empty() && s[0] == Unit('(')) {
      std::size_t close = s.find(Unit(')'));
      auto n = close == View::npos ? std::nullopt : HexNumber(s.substr(1, close - 1));
      if (!n) Fail("bad hex(N) type number");
      type = *n;
      s = s.substr(close + 1);
    }
    if (s.empty() || s[0] != Unit(':')) Fail("expected : after hex or hex(N)");
    HexBytes(s.substr(1), bytes_);
    // Text in hex form is ANSI bytes in a REGEDIT4 file, UTF-16LE bytes in a Version 5.00 one.
    if (IsTextType(type) && tree_.flavour == Flavour::Regedit4) {
      valueText_.clear();
      AppendAnsiToUtf16(bytes_, valueText_);
      return staged_.AppendValue(valueName_, type, LittleEndianBytes(valueText_, bytes_));
    }
    staged_.AppendValue(valueName_, type, bytes_);
  }

  // Comma-separated byte pairs, in place of what bytes held; a backslash at the end of a
  // line continues on the next one.
  void HexBytes(View s, std::string& bytes) {
    bytes.clear();
    while (HexLine(s, bytes))
      if (!NextLine(s)) Fail("hex data continues past the end of the file");
  }

  // One line's byte pairs appended to bytes; true when a backslash continues them. Each
  // byte takes two digits, so the line's half is room enough to write them in place.
  bool HexLine(View s, std::string& bytes) {
    std::size_t at = bytes.size(), k = 0;
    bytes.resize(at + s.size() / 2);
    char* out = bytes.data() + at;
    bool continued = false;
    for (;;) {
      while (k < s.size() && IsBlank(s[k])) ++k;
      if (k == s.size()) break;
      if (s[k] == Unit('\\')) {
        if (!TrimLeft(s.substr(k + 1)).empty()) Fail("bad hex data: text after the backslash");
        continued = true;
        break;
      }
      int high = HexDigit(s[k]), low = k + 1 < s.size() ? HexDigit(s[k + 1]) : -1;
      if (high < 0 || low < 0) Fail("bad hex data (expected two hex digits)");
      *out++ = char(high * 16 + low);
      k += 2;
      while (k < s.size() && IsBlank(s[k])) ++k;
      if (k < s.size() && s[k] == Unit(',')) {
        ++k;
      } else if (k < s.size() && s[k] != Unit('\\')) {
        Fail("bad hex data (expected a comma between bytes)");
      }
    }
    bytes.resize(std::size_t(out - bytes.data()));
    return continued;
  }

  View text_;
  const std::string& name_;
  std::optional<Encoding> fixed_;
  Tree& tree_;
  std::size_t pos_ = 0, line_ = 0;
  bool tentative_ = false;
  Key* key_ = nullptr;
  // The values of key_ read since its [key] line; a key set from here is allocated once, in
  // its final size, instead of growing value by value.
  Key staged_{u"", nullptr};
  // The values deleted since then, deleted together: one by one, each would cost a pass
  // over the key's values.
  std::vector<std::u16string> deletions_;
  // Reused from value to value: the raw text of an escaped string, the value's name, its
  // text and its data bytes.
  std::basic_string<Unit> scratch_;
  std::u16string valueName_, valueText_;
  std::string bytes_;
};

bool HasPrefix(std::string_view bytes, std::string_view prefix) {
  return bytes.substr(0, prefix.size()) == prefix;
}

Tree ReadUtf16(std::string_view bytes, const std::string& name) {
  if (bytes.size() % 2) throw RegFileError(name + ":1: UTF-16 file with an odd number of bytes");
  // On a little-endian host, aligned bytes (a mapped file's) are read as units in place:
  // copying them into fresh memory first cost a third of the load. They are only read.
  std::u16string units;
  std::u16string_view text;
  if (std::endian::native == std::endian::little &&
      reinterpret_cast<std::uintptr_t>(bytes.data()) % alignof(char16_t) == 0) {
    text = std::u16string_view(reinterpret_cast<const char16_t*>(bytes.data()), bytes.size() / 2);
  } else {
    units.resize(bytes.size() / 2);
    for (std::size_t i = 0; i < units.size(); ++i)
      units[i] = char16_t(static_cast<unsigned char>(bytes[2 * i]) |
                          (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
    text = units;
  }
  Tree tree;
  Parser<char16_t>(text, name, Encoding::Utf16, tree).Run();
  return tree;
}

}  // namespace

Tree ReadRegFile(std::string_view bytes, const std::string& name) {
  Tree tree;
  if (HasPrefix(bytes, "\xFF\xFE")) {
    tree = ReadUtf16(bytes.substr(2), name);
  } else if (HasPrefix(bytes, "\xEF\xBB\xBF")) {
    Parser<char>(bytes.substr(3), name, Encoding::Utf8Bom, tree).Run();
  } else {
    try {
      Parser<char>(bytes, name, std::nullopt, tree).Run();
    } catch (const NotUtf8&) {
      tree = Tree();
      Parser<char>(bytes, name, Encoding::Ansi, tree).Run();
    }
  }
  tree.Classes();
  return tree;
}

}  // namespace hosted::reg
