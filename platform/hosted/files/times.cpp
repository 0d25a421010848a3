#include "platform/hosted/files/times.h"

#include <chrono>
#include <cstdlib>
#include <ctime>

namespace hosted {

namespace {

using namespace std::chrono;

constexpr std::int64_t kTicksPerSecond = 10'000'000;
// Seconds from 1601-01-01 to 1970-01-01.
constexpr std::int64_t kEpochGap = 11'644'473'600;

sys_days DayOf(int y, unsigned m, unsigned d) { return sys_days{year{y} / month{m} / day{d}}; }

// Seconds since 1601 of the start of the given civil day.
std::int64_t SecondsSince1601(sys_days day) {
  return duration_cast<seconds>(day.time_since_epoch()).count() + kEpochGap;
}

}  // namespace

FileTicks TicksOf(const FILETIME& time) {
  return (FileTicks{time.dwHighDateTime} << 32) | time.dwLowDateTime;
}

FILETIME FileTimeOf(FileTicks ticks) {
  return {static_cast<DWORD>(ticks & 0xFFFFFFFFu), static_cast<DWORD>(ticks >> 32)};
}

FileTicks TicksFromUnixNs(std::int64_t ns) {
  std::int64_t ticks = ns / 100 + kEpochGap * kTicksPerSecond;
  return ticks < 0 ? 0 : static_cast<FileTicks>(ticks);
}

std::int64_t UnixNsFromTicks(FileTicks ticks) {
  return (static_cast<std::int64_t>(ticks) - kEpochGap * kTicksPerSecond) * 100;
}

std::int64_t LocalBiasNow(const std::string& tz) {
  const char* saved = std::getenv("TZ");
  std::string previous = saved ? saved : "";
  setenv("TZ", tz.c_str(), 1);
  tzset();
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  if (saved) {
    setenv("TZ", previous.c_str(), 1);
  } else {
    unsetenv("TZ");
  }
  tzset();
  return local.tm_gmtoff;
}

std::optional<DosStamp> ToDosStamp(FileTicks ticks) {
  auto secs = static_cast<std::int64_t>(ticks / kTicksPerSecond);
  if (secs < SecondsSince1601(DayOf(1980, 1, 1)) || secs >= SecondsSince1601(DayOf(2108, 1, 1)))
    return std::nullopt;
  sys_seconds t{seconds{secs - kEpochGap}};
  sys_days day = floor<days>(t);
  year_month_day ymd{day};
  hh_mm_ss hms{t - day};
  int y = static_cast<int>(ymd.year()) - 1980;
  auto date = static_cast<WORD>((y << 9) | (static_cast<unsigned>(ymd.month()) << 5) |
                                static_cast<unsigned>(ymd.day()));
  auto time = static_cast<WORD>((hms.hours().count() << 11) | (hms.minutes().count() << 5) |
                                (hms.seconds().count() / 2));
  return DosStamp{date, time};
}

std::optional<FileTicks> FromDosStamp(WORD date, WORD time) {
  int y = 1980 + (date >> 9);
  unsigned m = (date >> 5) & 0xF, d = date & 0x1F;
  unsigned h = time >> 11, min = (time >> 5) & 0x3F, s2 = time & 0x1F;
  year_month_day ymd{year{y} / month{m} / day{d}};
  if (!ymd.ok() || h > 23 || min > 59 || s2 > 29) return std::nullopt;
  std::int64_t secs = SecondsSince1601(sys_days{ymd}) + h * 3600 + min * 60 + s2 * 2;
  return static_cast<FileTicks>(secs) * kTicksPerSecond;
}

}  // namespace hosted
