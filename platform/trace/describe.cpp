#include "platform/trace/describe.h"

#include <cstring>

namespace trace {

namespace {

// Texts and buffers longer than this are cut: a trace line stays readable.
constexpr std::size_t kTextLimit = 200;
constexpr std::size_t kBytesLimit = 64;

std::string Hex(std::int64_t value) {
  static const char* digits = "0123456789abcdef";
  std::uint64_t bits = static_cast<std::uint64_t>(value);
  std::string text;
  do {
    text.insert(text.begin(), digits[bits & 0xF]);
    bits >>= 4;
  } while (bits != 0);
  return "0x" + text;
}

// Bytes between quotes: printable ones as they are, the others escaped, so that a line
// stays one line and shows exactly what was passed.
std::string Quoted(const unsigned char* data, std::size_t count, std::size_t limit) {
  std::string text = "\"";
  for (std::size_t i = 0; i < count && i < limit; ++i) {
    unsigned char c = data[i];
    if (c == '"') {
      text += "\\\"";
    } else if (c == '\r') {
      text += "\\r";
    } else if (c == '\n') {
      text += "\\n";
    } else if (c < 0x20 || c == 0x7F) {
      text += "\\x" + Hex(c | 0x100).substr(3);  // two digits
    } else {
      text += static_cast<char>(c);
    }
  }
  text += "\"";
  if (count > limit) text += "...";
  return text;
}

// Days since 1970-01-01 as a civil date (proleptic Gregorian).
std::string CivilDate(std::int64_t days) {
  days += 719468;
  std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  std::int64_t doe = days - era * 146097;
  std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  std::int64_t mp = (5 * doy + 2) / 153;
  std::int64_t d = doy - (153 * mp + 2) / 5 + 1;
  std::int64_t m = mp < 10 ? mp + 3 : mp - 9;
  std::int64_t y = yoe + era * 400 + (m <= 2);
  char text[64];
  std::snprintf(text, sizeof text, "%04lld-%02lld-%02lld", static_cast<long long>(y),
                static_cast<long long>(m), static_cast<long long>(d));
  return text;
}

}  // namespace

std::string Names::Give(std::int64_t value, const std::string& kind) {
  return names_[value] = kind + std::to_string(++counts_[kind]);
}

std::string Names::Set(std::int64_t value, const std::string& name) { return names_[value] = name; }

std::string Names::Of(std::int64_t value) const {
  auto found = names_.find(value);
  return found != names_.end() ? found->second : Hex(value);
}

std::string Names::Release(std::int64_t value) {
  std::string name = Of(value);
  names_.erase(value);
  return name;
}

std::string Text(const char* text) {
  return Quoted(reinterpret_cast<const unsigned char*>(text), std::strlen(text), kTextLimit);
}

std::string Text(const char* text, std::size_t length) {
  const void* end = std::memchr(text, '\0', length);
  std::size_t count = end ? static_cast<std::size_t>(static_cast<const char*>(end) - text) : length;
  return Quoted(reinterpret_cast<const unsigned char*>(text), count, kTextLimit);
}

std::string Bytes(const void* data, std::size_t count) {
  return Quoted(static_cast<const unsigned char*>(data), count, kBytesLimit);
}

std::string Time(const FILETIME& time) {
  std::int64_t ticks = static_cast<std::int64_t>(
      (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
  if (ticks == 0) return "0";
  constexpr std::int64_t kTicksPerSecond = 10'000'000;
  constexpr std::int64_t kSecondsTo1970 = 11'644'473'600;
  std::int64_t seconds = ticks / kTicksPerSecond - kSecondsTo1970;
  std::int64_t days = (seconds >= 0 ? seconds : seconds - 86399) / 86400;
  std::int64_t rest = seconds - days * 86400;
  char clock[32];
  std::snprintf(clock, sizeof clock, " %02d:%02d:%02d", static_cast<int>(rest / 3600),
                static_cast<int>(rest / 60 % 60), static_cast<int>(rest % 60));
  return CivilDate(days) + clock;
}

std::string Named(Group group, std::int64_t value) {
  std::string name = NameInGroup(group, value);
  return name.empty() ? std::to_string(value) : name;
}

std::string Error(DWORD code) {
  std::string_view name = ErrorName(code);
  return name.empty() ? std::to_string(code) : std::string(name);
}

std::string KeyName(HKEY key, const Names& names) {
  if (key == HKEY_CLASSES_ROOT) return "HKEY_CLASSES_ROOT";
  if (key == HKEY_CURRENT_USER) return "HKEY_CURRENT_USER";
  if (key == HKEY_LOCAL_MACHINE) return "HKEY_LOCAL_MACHINE";
  return key == nullptr ? "NULL" : names.Of(Bits(key));
}

std::string Pointer(const void* pointer) { return pointer ? "ptr" : "NULL"; }

std::string SidText(PSID sid) {
  const BYTE* bytes = static_cast<const BYTE*>(sid);
  std::uint64_t authority = 0;
  for (int i = 2; i < 8; ++i) authority = authority << 8 | bytes[i];
  std::string text = "S-" + std::to_string(bytes[0]) + "-" + std::to_string(authority);
  for (int i = 0; i < bytes[1]; ++i) {
    DWORD sub;
    std::memcpy(&sub, bytes + 8 + 4 * i, sizeof sub);
    text += "-" + std::to_string(sub);
  }
  return text;
}

}  // namespace trace
