#include "platform/hosted/registry/writer.h"

#include <algorithm>
#include <stdexcept>

#include "platform/hosted/text/codepage.h"

namespace hosted::reg {

namespace {

constexpr char kDigits[] = "0123456789abcdef";
// regedit folds hex data once a line, with its comma, reaches this column.
constexpr std::size_t kFoldColumn = 77;

std::u16string_view Units(std::string_view bytes, std::u16string& buffer) {
  buffer.resize(bytes.size() / 2);
  for (std::size_t i = 0; i < buffer.size(); ++i)
    buffer[i] = char16_t(static_cast<unsigned char>(bytes[2 * i]) |
                         (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
  return buffer;
}

bool HasLoneSurrogate(std::u16string_view s) {
  for (std::size_t i = 0; i < s.size(); ++i) {
    bool high = s[i] >= 0xD800 && s[i] <= 0xDBFF, low = s[i] >= 0xDC00 && s[i] <= 0xDFFF;
    if (low) return true;
    if (high && !(i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF)) return true;
    if (high) ++i;
  }
  return false;
}

class Writer {
 public:
  Writer(const Tree& tree, Encoding encoding) : encoding_(encoding), flavour_(tree.flavour) {}

  std::string Write(const Tree& tree) {
    if (encoding_ == Encoding::Utf16) out_ += "\xFF\xFE";
    if (encoding_ == Encoding::Utf8Bom) out_ += "\xEF\xBB\xBF";
    Ascii(flavour_ == Flavour::Regedit4 ? "REGEDIT4" : "Windows Registry Editor Version 5.00");
    Newline();
    Newline();
    for (const auto& root : tree.roots) Subtree(*root);
    return std::move(out_);
  }

 private:
  // Depth first, children in enumeration order, without recursion (trees may be deep).
  void Subtree(const Key& root) {
    struct Frame {
      const Key* key;
      std::size_t parentPath;
    };
    std::vector<Frame> stack{{&root, 0}};
    std::u16string path;
    while (!stack.empty()) {
      Frame frame = stack.back();
      stack.pop_back();
      path.resize(frame.parentPath);
      if (!path.empty()) path += u'\\';
      path += frame.key->Name();
      // Roots exist anyway; they get a section only for values of their own.
      if (frame.key->Parent() || frame.key->ValueCount() > 0) Section(*frame.key, path);
      std::size_t first = stack.size();
      frame.key->ForEachChild([&](const Key& child) { stack.push_back({&child, path.size()}); });
      std::reverse(stack.begin() + std::ptrdiff_t(first), stack.end());
    }
  }

  void Section(const Key& key, std::u16string_view path) {
    Ascii("[");
    Text(path);
    Ascii("]");
    Newline();
    for (std::size_t i = 0; i < key.ValueCount(); ++i) ValueLine(key.ValueAt(i));
    Newline();
  }

  void ValueLine(const Value& value) {
    if (value.name.empty()) {
      Ascii("@");
    } else {
      Quoted(value.name);
    }
    Ascii("=");
    switch (value.type) {
      case platform::REG_SZ:
        if (IsPlainString(value.data)) {
          Quoted(Units(value.data, units_).substr(0, value.data.size() / 2 - 1));
        } else {
          Hex("hex(1):", HexText(value.data));
        }
        break;
      case platform::REG_EXPAND_SZ:
        Hex("hex(2):", HexText(value.data));
        break;
      case platform::REG_MULTI_SZ:
        Hex("hex(7):", HexText(value.data));
        break;
      case platform::REG_BINARY:
        Hex("hex:", value.data);
        break;
      default:
        if (value.type == platform::REG_DWORD && value.data.size() == 4) {
          Dword(value.data);
        } else {
          Hex("hex(" + HexNumber(value.type) + "):", value.data);
        }
    }
    Newline();
  }

  // Data that a "..." string gives back exactly: one terminating NUL, nothing that breaks
  // a line, and characters that the file's encoding holds.
  bool IsPlainString(std::string_view data) {
    if (data.size() < 2 || data.size() % 2) return false;
    std::u16string_view text = Units(data, units_);
    if (text.back() != u'\0') return false;
    text.remove_suffix(1);
    if (text.find_first_of(std::u16string_view(u"\0\r\n", 3)) != text.npos) return false;
    if (encoding_ == Encoding::Ansi) return Utf16ToAnsi(text).has_value();
    return encoding_ == Encoding::Utf16 || !HasLoneSurrogate(text);
  }

  // The bytes of text in hex form: UTF-16LE in a Version 5.00 file, ANSI in a REGEDIT4 one.
  std::string HexText(std::string_view data) {
    if (flavour_ == Flavour::Version5) return std::string(data);
    auto ansi = data.size() % 2 ? std::nullopt : Utf16ToAnsi(Units(data, units_));
    if (!ansi) throw std::runtime_error("a text value cannot be held by a REGEDIT4 file");
    return *ansi;
  }

  static std::string HexNumber(DWORD n) {
    std::string digits;
    do digits.insert(digits.begin(), kDigits[n % 16]);
    while (n /= 16);
    return digits;
  }

  void Dword(std::string_view data) {
    std::string text = "dword:";
    for (int k = 3; k >= 0; --k) {
      auto b = static_cast<unsigned char>(data[k]);
      text += kDigits[b >> 4];
      text += kDigits[b & 15];
    }
    Ascii(text);
  }

  void Hex(std::string_view prefix, std::string_view bytes) {
    Ascii(prefix);
    std::string pair = "xx,";
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      auto b = static_cast<unsigned char>(bytes[i]);
      pair[0] = kDigits[b >> 4];
      pair[1] = kDigits[b & 15];
      bool last = i + 1 == bytes.size();
      Ascii(last ? std::string_view(pair).substr(0, 2) : std::string_view(pair));
      if (!last && column_ >= kFoldColumn) {
        Ascii("\\");
        Newline();
        Ascii("  ");
      }
    }
  }

  void Quoted(std::u16string_view text) {
    escaped_.assign(u"\"");
    for (char16_t c : text) {
      if (c == u'\\' || c == u'"') escaped_ += u'\\';
      escaped_ += c;
    }
    escaped_ += u'"';
    Text(escaped_);
  }

  void Ascii(std::string_view text) {
    column_ += text.size();
    if (encoding_ != Encoding::Utf16) {
      out_ += text;
      return;
    }
    for (char c : text) {
      out_ += c;
      out_ += '\0';
    }
  }

  void Text(std::u16string_view text) {
    column_ += text.size();
    switch (encoding_) {
      case Encoding::Ansi: {
        auto ansi = Utf16ToAnsi(text);
        if (!ansi) throw std::runtime_error("a name holds characters outside code page 1252");
        out_ += *ansi;
        break;
      }
      case Encoding::Utf8:
      case Encoding::Utf8Bom:
        out_ += Utf16ToUtf8(text);
        break;
      case Encoding::Utf16:
        for (char16_t c : text) {
          out_ += char(c & 0xFF);
          out_ += char(c >> 8);
        }
    }
  }

  void Newline() {
    Ascii("\r\n");
    column_ = 0;
  }

  Encoding encoding_;
  Flavour flavour_;
  std::string out_;
  std::size_t column_ = 0;
  std::u16string units_, escaped_;
};

}  // namespace

// A Version 5.00 file without a byte-order mark is read as UTF-8 whenever it is valid UTF-8,
// so one read as code page 1252 is written as UTF-8 when its 1252 bytes would happen to be
// valid UTF-8 as well: read again, it must give the same names and text.
std::string WriteRegFile(const Tree& tree) {
  std::string bytes = Writer(tree, tree.encoding).Write(tree);
  bool misread = tree.flavour == Flavour::Version5 && tree.encoding == Encoding::Ansi &&
                 std::any_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) != 0; }) &&
                 Utf8ToUtf16(bytes).has_value();
  return misread ? Writer(tree, Encoding::Utf8).Write(tree) : bytes;
}

}  // namespace hosted::reg
