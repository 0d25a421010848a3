#include "medium/names.h"

#include <algorithm>
#include <array>

namespace medium {

namespace {

// Joliet, the names Windows reads from a CD, holds up to 64 characters.
constexpr std::size_t kMaxName = 64;

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool IsDeviceName(const std::string& name) {
  std::string base = name.substr(0, name.find('.'));
  while (!base.empty() && base.back() == ' ') base.pop_back();
  static const std::array<std::string, 4> kDevices = {"CON", "PRN", "AUX", "NUL"};
  for (const auto& device : kDevices)
    if (SameNameNoCase(base, device)) return true;
  return base.size() == 4 &&
         (SameNameNoCase(base.substr(0, 3), "COM") || SameNameNoCase(base.substr(0, 3), "LPT")) &&
         base[3] >= '1' && base[3] <= '9';
}

}  // namespace

std::optional<std::string> NameProblem(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return "is not a file name";
  // The launcher reads names in the machine's ANSI code page, which differs between machines.
  if (std::any_of(name.begin(), name.end(), [](char c) { return (c & 0x80) != 0; }))
    return "holds characters outside ASCII, which machines with other code pages read otherwise";
  for (char c : name)
    if (static_cast<unsigned char>(c) < 0x20 ||
        std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos)
      return "holds a character that Windows does not allow in names";
  if (name.back() == '.' || name.back() == ' ')
    return "ends in a dot or a blank, which Windows drops";
  if (IsDeviceName(name)) return "is a device name on Windows";
  if (name.size() > kMaxName) return "is longer than the 64 characters a CD's Joliet names hold";
  return std::nullopt;
}

bool SameNameNoCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [](char x, char y) { return Upper(x) == Upper(y); });
}

}  // namespace medium
