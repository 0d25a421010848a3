// The roles of calls.def: what a parameter or result is, so that the trace can show it by
// what it means (a path as written, a root key by its name, a handle by a short stable
// name, a buffer by what was read or written) and the fault decorator can clear what a
// failed call clears. Each role is an empty type; an output derives from Output, and a role
// that reads another parameter names it by its position in the call's parameter list.
#pragma once

#include "platform/call_table.h"

namespace platform::role {

template <typename... Roles>
struct List {};
struct Output {};  // shown as the call left it, when it succeeded
template <int N>
struct Reads {  // reads parameter N of the call too
  static constexpr int index = N;
};

// Inputs.
struct Text {};       // a text as passed, NUL-terminated
struct Number {};     // a number
struct ErrorCode {};  // an error code, named where the tables know it
template <Group G>
struct Named {  // a flag set or code of the group, by its Windows names
  static constexpr Group group = G;
};
struct Unused {};        // a pointer the launcher passes without meaning (reserved, null)
struct Handle {};        // a handle, key or LZ file by its short name, a root key by its name
struct ClosedHandle {};  // the same, released by the call
struct Sid {};           // a security identifier in its text form, S-1-5-32-544
struct InTime {};        // a FILETIME, as a UTC date and time
struct Authority {};
template <int Length>
struct InText : Reads<Length> {};  // a text whose length (or -1: NUL-terminated) is that parameter
template <int Count>
struct InBytes : Reads<Count> {};

// Outputs.
struct OutNumber : Output {};  // a number written through a pointer
struct OutCount : Output {};   // a byte count that a failed call sets to 0 before anything
template <Group G>
struct OutNamed : Output {
  static constexpr Group group = G;
};
struct OutKey : Output {};
struct OutToken : Output {};
struct OutSid : Output {};
struct OutTime : Output {};
struct OutFindData : Output {};  // the name found
struct Version : Output {};      // the version record, filled in
template <int Size>
struct OutText : Output, Reads<Size> {};  // a text written into a buffer of that size (by value)
// A text written, or changed in place, of the length that parameter holds or points to.
template <int Count>
struct OutCountedText : Output, Reads<Count> {};
template <int Count>
struct OutBytes : Output, Reads<Count> {};  // bytes whose count that parameter points to

// Results.
struct Nothing {};  // void
struct NewFile {};  // a handle, named when it is valid
struct NewFind {};
struct NewLz {};

}  // namespace platform::role

// The roles of a calls.def parameter list as a role::List<...>.
#define ORV_ROLE_TYPE(type, name, shown) ::platform::role::shown
#define ORV_ROLE_LIST(...) ::platform::role::List<ORV_MAP(ORV_ROLE_TYPE, __VA_ARGS__)>
