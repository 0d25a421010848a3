#include "platform/trace/describe.h"

#include <chrono>
#include <cstdio>
#include <cstring>

namespace trace {

namespace {

// Texts and buffers longer than this are cut: a trace line stays readable.
constexpr std::size_t kTextLimit = 200;
constexpr std::size_t kBytesLimit = 64;

std::string Hex(std::int64_t value, const char* format = "0x%llx") {
  char text[24];
  std::snprintf(text, sizeof text, format, static_cast<unsigned long long>(value));
  return text;
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
      text += Hex(c, "\\x%02llx");
    } else {
      text += static_cast<char>(c);
    }
  }
  text += "\"";
  if (count > limit) text += "...";
  return text;
}

}  // namespace

std::string Names::Give(std::int64_t value, const std::string& kind) {
  return names_[value] = kind + std::to_string(++counts_[kind]);
}

std::string Names::Of(std::int64_t value) const {
  // Windows' values, which the simulated machine shares.
  static const std::pair<std::int64_t, const char*> kPredefined[] = {
      {-1, "process"},
      {-2, "thread"},
      {Bits(HKEY_CLASSES_ROOT), "HKEY_CLASSES_ROOT"},
      {Bits(HKEY_CURRENT_USER), "HKEY_CURRENT_USER"},
      {Bits(HKEY_LOCAL_MACHINE), "HKEY_LOCAL_MACHINE"}};
  for (const auto& [predefined, name] : kPredefined)
    if (value == predefined) return name;
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
  using namespace std::chrono;
  constexpr std::int64_t kSecondsTo1970 = 11'644'473'600;  // from 1601, where FILETIME starts
  sys_seconds at{seconds(ticks / 10'000'000 - kSecondsTo1970)};
  year_month_day date{floor<days>(at)};
  hh_mm_ss clock{at - floor<days>(at)};
  char text[48];
  std::snprintf(text, sizeof text, "%04d-%02u-%02u %02d:%02d:%02d", static_cast<int>(date.year()),
                static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                static_cast<int>(clock.hours().count()), static_cast<int>(clock.minutes().count()),
                static_cast<int>(clock.seconds().count()));
  return text;
}

std::string Named(Group group, std::int64_t value) {
  std::string name = NameInGroup(group, value);
  return name.empty() ? std::to_string(value) : name;
}

std::string Error(DWORD code) {
  std::string_view name = ErrorName(code);
  return name.empty() ? std::to_string(code) : std::string(name);
}

std::string Pointer(const void* pointer) { return pointer ? "ptr" : "NULL"; }

std::string VersionText(const OSVERSIONINFOA& info) {
  return std::to_string(info.dwMajorVersion) + "." + std::to_string(info.dwMinorVersion) + "." +
         std::to_string(info.dwBuildNumber) + " " + Named(Group::PlatformId, info.dwPlatformId);
}

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
