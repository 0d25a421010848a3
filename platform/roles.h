// The roles of calls.def: what a parameter or result is, so that the trace can show it by
// what it means (a path as written, a root key by its name, a handle by a short stable
// name, a buffer by what was read or written) and the fault decorator can clear what a
// failed call clears. Each role is an empty type; those that read another parameter name
// it by its position in the call's parameter list.
#pragma once

#include "platform/call_table.h"

namespace platform::role {

template <typename... Roles>
struct List {};

// Inputs.
struct Text {};       // a text as passed, NUL-terminated
struct Number {};     // a number
struct ErrorCode {};  // an error code, named where the tables know it
template <Group G>
struct Named {};   // a flag set or code of the group, by its Windows names
struct Unused {};  // a pointer the launcher passes without meaning (reserved, null)
struct Key {};     // a registry key: a root by its name, another by a short name
struct Handle {};  // a handle by its short name
struct Lz {};      // an LZ file handle by its short name
struct Sid {};     // a security identifier in its text form
struct InTime {};  // a FILETIME, as a UTC date and time
struct Authority {};
template <int Length>
struct InText {};  // a text whose length (or -1: NUL-terminated) is that parameter
template <int Count>
struct InBytes {};  // bytes whose count is that parameter

// Inputs that the call releases: their short names are forgotten after it.
struct ClosedKey {};
struct ClosedHandle {};
struct ClosedLz {};
struct FreedSid {};  // shown as Sid

// Outputs, shown as the call left them when it succeeded.
struct OutNumber {};  // a number written through a pointer
struct OutCount {};   // a byte count that a failed call sets to 0 before anything else
template <Group G>
struct OutNamed {};
struct OutKey {};
struct OutToken {};
struct OutSid {};
struct OutTime {};
struct OutFindData {};  // the name found
struct Version {};      // the version record, filled in
template <int Size>
struct OutText {};  // a text written into a buffer of that size (by value)
template <int Count>
struct OutCountedText {};  // a text whose length that parameter points to
template <int Count>
struct OutBytes {};  // bytes whose count that parameter points to
template <int Length>
struct InOutText {};  // a text changed in place, of that length

// Results.
struct Nothing {};  // void
struct NewFile {};  // a file handle, named when it is valid
struct NewFind {};  // a search handle, named when it is valid
struct NewLz {};    // an LZ file handle, named when it is valid
struct PseudoThread {};
struct PseudoProcess {};

}  // namespace platform::role

// The roles of a calls.def parameter list as a role::List<...>.
#define ORV_ROLE_TYPE(type, name, shown) ::platform::role::shown
#define ORV_ROLE_LIST(...) ::platform::role::List<ORV_MAP(ORV_ROLE_TYPE, __VA_ARGS__)>
