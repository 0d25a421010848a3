#include "platform/hosted/files/path.h"

#include <array>

#include "platform/hosted/text/codepage.h"

namespace hosted {

namespace {

bool ForbiddenChar(char c, bool wildcards) {
  auto b = static_cast<unsigned char>(c);
  if (b < 32) return true;
  switch (c) {
    case '<':
    case '>':
    case ':':
    case '"':
    case '|':
    case '\\':
    case '/':
      return true;
    case '*':
    case '?':
      return !wildcards;
    default:
      return false;
  }
}

// NTFS keeps at most 255 characters in a name.
constexpr std::size_t kMaxName = 255;

bool ValidName(std::string_view name, bool wildcards) {
  if (name.size() > kMaxName) return false;
  for (char c : name)
    if (ForbiddenChar(c, wildcards)) return false;
  return true;
}

std::string_view StripTrailing(std::string_view name) {
  while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.remove_suffix(1);
  return name;
}

std::vector<std::string_view> Split(std::string_view text) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    if (i == text.size() || IsSeparator(text[i])) {
      if (i > start) parts.push_back(text.substr(start, i - start));
      start = i + 1;
    }
  }
  return parts;
}

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

}  // namespace

std::string WinPath::Text() const {
  std::string text{drive, ':', '\\'};
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i > 0) text += '\\';
    text += names[i];
  }
  return text;
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool HasWildcards(std::string_view name) {
  return name.find_first_of("*?") != std::string_view::npos;
}

ParsedPath ParseWinPath(std::string_view text, const WinPath& cwd, bool wildcards) {
  ParsedPath out;
  if (text.empty()) return {{}, ERROR_PATH_NOT_FOUND};
  if (text.size() >= 2 && IsSeparator(text[0]) && IsSeparator(text[1]))
    return {{}, ERROR_BAD_NETPATH};
  std::string_view rest = text;
  if (text.size() >= 2 && text[1] == ':' && IsAsciiLetter(text[0])) {
    out.path.drive = UpperAnsi(text[0]);
    rest = text.substr(2);
    bool relative = rest.empty() || !IsSeparator(rest[0]);
    if (relative && out.path.drive == cwd.drive) out.path.names = cwd.names;
  } else if (IsSeparator(text[0])) {
    out.path.drive = cwd.drive;
  } else {
    out.path = cwd;
  }
  out.trailingSeparator = !rest.empty() && IsSeparator(rest.back());
  // "." and ".." go first, as Windows folds them textually before names are checked.
  std::vector<std::string_view> parts = Split(rest);
  std::vector<std::string_view> kept;
  for (std::string_view part : parts) {
    if (part == ".") continue;
    if (part == "..") {
      if (!kept.empty()) {
        kept.pop_back();
      } else if (!out.path.names.empty()) {
        out.path.names.pop_back();
      }
      continue;
    }
    kept.push_back(part);
  }
  for (std::size_t i = 0; i < kept.size(); ++i) {
    bool pattern = wildcards && i + 1 == kept.size() && HasWildcards(kept[i]);
    // Trailing dots and blanks go before the length is judged, as Windows drops them first.
    std::string_view name = pattern ? kept[i] : StripTrailing(kept[i]);
    if (!ValidName(name, pattern)) return {{}, ERROR_INVALID_NAME};
    if (!name.empty()) out.path.names.emplace_back(name);
  }
  return out;
}

bool IsDeviceName(std::string_view name) {
  std::string_view base = name.substr(0, name.find('.'));
  while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
  static constexpr std::array<std::string_view, 4> kPlain = {"CON", "NUL", "PRN", "AUX"};
  for (std::string_view device : kPlain)
    if (EqualNoCase(base, device)) return true;
  if (base.size() != 4 || base[3] < '1' || base[3] > '9') return false;
  return EqualNoCase(base.substr(0, 3), "COM") || EqualNoCase(base.substr(0, 3), "LPT");
}

bool IsRepresentableName(std::string_view ansiName) {
  if (ansiName.empty() || !ValidName(ansiName, false)) return false;
  return ansiName.back() != '.' && ansiName.back() != ' ';
}

}  // namespace hosted
