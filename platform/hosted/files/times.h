// File times of the simulated machine: FILETIME counts (100 ns since 1601, UTC), host
// times, local time by a POSIX TZ string, and the packed MS-DOS date and time.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/platform.h"

namespace hosted {

using namespace platform;

using FileTicks = std::uint64_t;

FileTicks TicksOf(const FILETIME& time);
FILETIME FileTimeOf(FileTicks ticks);
// Host times are nanoseconds since 1970.
FileTicks TicksFromUnixNs(std::int64_t ns);
std::int64_t UnixNsFromTicks(FileTicks ticks);

// Seconds east of UTC that the zone tz applies now.
std::int64_t LocalBiasNow(const std::string& tz);

// nullopt outside 1980-01-01..2107-12-31.
struct DosStamp {
  WORD date;
  WORD time;
};
std::optional<DosStamp> ToDosStamp(FileTicks ticks);
// nullopt for fields that name no time.
std::optional<FileTicks> FromDosStamp(WORD date, WORD time);

}  // namespace hosted
