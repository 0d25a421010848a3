// The constants and error codes of platform/platform.h carry the values of the Windows
// headers: the real platform passes them to Windows unchanged. Each is read once before
// <windows.h> replaces its name by a macro, then compared with that macro; a group's members
// pass through the list macros, which expand their names, so a group is compared whole.
#include <algorithm>
#include <array>

#include "platform/platform.h"

// A group's member by its name: the portable constant here, Windows' macro after <windows.h>.
#define ORV_MEMBER_NAME(name, value) name
#define ORV_GROUP(group, type, ...) \
  constexpr type portable_##group[] = {ORV_MAP(ORV_MEMBER_NAME, __VA_ARGS__)};
#define ORV_ERROR(name, number, text) constexpr auto portable_##name = name;
namespace platform {
namespace {
#include "platform/constants.def"
#include "platform/errors.def"
}  // namespace
}  // namespace platform
#undef ORV_GROUP
#undef ORV_ERROR

// After the portable values are read: <windows.h> defines macros of the same names.
#include <windows.h>

#define ORV_GROUP(group, type, ...)                                                               \
  static_assert(std::ranges::equal(platform::portable_##group,                                    \
                                   std::to_array<type>({ORV_MAP(ORV_MEMBER_NAME, __VA_ARGS__)})), \
                #group);
#define ORV_ERROR(name, number, text) static_assert(platform::portable_##name == (name), #name);
#include "platform/constants.def"
#include "platform/errors.def"
