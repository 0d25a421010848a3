// The constants and error codes of platform/platform.h carry the values of the Windows
// headers: the real platform passes them to Windows unchanged. Each is read once before
// <windows.h> replaces its name by a macro, then compared with that macro.
#include "platform/platform.h"

#define ORV_CONSTANT(group, type, name, value) constexpr auto portable_##name = platform::name;
#define ORV_ERROR(name, number, text) constexpr auto portable_##name = platform::name;
namespace {
#include "platform/constants.def"
#include "platform/errors.def"
}  // namespace
#undef ORV_CONSTANT
#undef ORV_ERROR

// After the portable values are read: <windows.h> defines macros of the same names.
#include <windows.h>

#define ORV_CONSTANT(group, type, name, value) static_assert(portable_##name == (name), #name);
#define ORV_ERROR(name, number, text) static_assert(portable_##name == (name), #name);
#include "platform/constants.def"
#include "platform/errors.def"
