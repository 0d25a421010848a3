// How the trace shows a call's arguments and result, by the roles of calls.def.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <tuple>
#include <type_traits>

#include "platform/call_table.h"
#include "platform/roles.h"

namespace trace {

using namespace platform;

// Short stable names for the handles, keys, LZ files and identifiers of a run ("file1",
// "hkey2"), given when a call hands one out and forgotten when a call releases it.
class Names {
 public:
  std::string Give(std::int64_t value, const std::string& kind);
  // A name of its own, for a pseudo-handle.
  std::string Set(std::int64_t value, const std::string& name);
  // The name of a value, or its number in hexadecimal when it was never given one.
  std::string Of(std::int64_t value) const;
  std::string Release(std::int64_t value);

 private:
  std::map<std::int64_t, std::string> names_;
  std::map<std::string, unsigned> counts_;
};

// Whether the call succeeded, and its result as a number.
struct Outcome {
  bool succeeded = true;
  std::int64_t result = 0;
};

// The result as shown: a number (with its name where it has one), a text, or nothing.
struct Shown {
  bool hasBits = false;  // false for void
  bool numeric = true;
  std::int64_t bits = 0;
  std::string text;
};

std::string Text(const char* text);
std::string Text(const char* text, std::size_t length);
std::string Bytes(const void* data, std::size_t count);
std::string Time(const FILETIME& time);
std::string Named(Group group, std::int64_t value);
std::string Error(DWORD code);
std::string KeyName(HKEY key, const Names& names);
std::string Pointer(const void* pointer);  // NULL, else "ptr"
// A security identifier in its usual text form, S-1-5-32-544, read as the call reads it.
std::string SidText(PSID sid);

// A count from another parameter: by value, or through its pointer (0 when null).
template <typename T>
std::int64_t CountOf(T value) {
  if constexpr (std::is_pointer_v<T>)
    return value ? static_cast<std::int64_t>(*value) : 0;
  else
    return static_cast<std::int64_t>(value);
}

namespace detail {
template <typename T>
struct GroupOf {};
template <Group G>
struct GroupOf<role::Named<G>> {
  static constexpr Group value = G;
};
template <Group G>
struct GroupOf<role::OutNamed<G>> {
  static constexpr Group value = G;
};
template <typename T>
concept Grouped = requires {
  GroupOf<T>::value;
};
template <typename T>
struct IsOutNamed : std::false_type {};
template <Group G>
struct IsOutNamed<role::OutNamed<G>> : std::true_type {};
// Whether a role is Of<N> for some N, and that N: the position of the parameter it reads.
template <typename T, template <int> class Of>
struct Is : std::false_type {};
template <template <int> class Of, int N>
struct Is<Of<N>, Of> : std::true_type {
  static constexpr int index = N;
};
}  // namespace detail

// Whether a role is shown as the call left it rather than as it was passed.
template <typename Role>
constexpr bool IsOutput =
    std::is_same_v<Role, role::OutNumber> || std::is_same_v<Role, role::OutCount> ||
    std::is_same_v<Role, role::OutKey> || std::is_same_v<Role, role::OutToken> ||
    std::is_same_v<Role, role::OutSid> || std::is_same_v<Role, role::OutTime> ||
    std::is_same_v<Role, role::OutFindData> || std::is_same_v<Role, role::Version> ||
    detail::Is<Role, role::OutText>::value || detail::Is<Role, role::OutCountedText>::value ||
    detail::Is<Role, role::OutBytes>::value || detail::Is<Role, role::InOutText>::value ||
    detail::IsOutNamed<Role>::value;

// The count that parameter I of the call holds, by value or through its pointer.
template <int I, typename Args>
std::size_t Count(Args& args) {
  std::int64_t count = CountOf(std::get<I>(args));
  return count < 0 ? 0 : static_cast<std::size_t>(count);
}

template <typename Shown>
trace::Shown Result(Names&) {
  return {false, false, 0, {}};
}

template <typename Role, typename R>
trace::Shown Result(Names& names, R result) {
  using namespace platform::role;
  trace::Shown shown{true, true, Bits(result), {}};
  if constexpr (std::is_same_v<Role, NewFile> || std::is_same_v<Role, NewFind>) {
    shown.numeric = false;
    shown.text = result == INVALID_HANDLE_VALUE
                     ? "INVALID_HANDLE_VALUE"
                     : names.Give(shown.bits, std::is_same_v<Role, NewFile> ? "file" : "find");
  } else if constexpr (std::is_same_v<Role, NewLz>) {
    shown.numeric = result < 0;
    shown.text = result < 0 ? Named(Group::LzResult, result) : names.Give(shown.bits, "lz");
  } else if constexpr (std::is_same_v<Role, PseudoThread> || std::is_same_v<Role, PseudoProcess>) {
    shown.numeric = false;
    shown.text = names.Set(shown.bits, std::is_same_v<Role, PseudoThread> ? "thread" : "process");
  } else if constexpr (std::is_same_v<Role, role::Text>) {
    shown.numeric = false;
    shown.text = trace::Text(result);
  } else if constexpr (std::is_same_v<Role, Unused>) {
    shown.numeric = false;
    shown.text = Pointer(result);
  } else if constexpr (std::is_same_v<Role, ErrorCode>) {
    shown.text = std::string(ErrorName(static_cast<DWORD>(result)));
  } else if constexpr (detail::Grouped<Role>) {
    shown.text = NameInGroup(detail::GroupOf<Role>::value, shown.bits);
  }
  return shown;
}

// One argument by its role. Outputs are shown as the call left them when it succeeded,
// "-" when it failed; a null pointer is NULL.
template <typename Role, typename T, typename Args>
std::string Describe(Role, T value, Args& args, const Outcome& outcome, Names& names) {
  using namespace platform::role;
  constexpr bool kNullable = std::is_pointer_v<T>;
  if constexpr (kNullable) {
    if (value == nullptr && !std::is_same_v<Role, role::Key> && !std::is_same_v<Role, ClosedKey>)
      return "NULL";
  }
  if constexpr (std::is_same_v<Role, role::Text>) {
    return trace::Text(value);
  } else if constexpr (std::is_same_v<Role, Number>) {
    return std::to_string(value);
  } else if constexpr (std::is_same_v<Role, ErrorCode>) {
    return Error(value);
  } else if constexpr (detail::Grouped<Role> && !std::is_pointer_v<T>) {
    return Named(detail::GroupOf<Role>::value, static_cast<std::int64_t>(value));
  } else if constexpr (std::is_same_v<Role, Unused>) {
    return Pointer(value);
  } else if constexpr (std::is_same_v<Role, role::Key>) {
    return KeyName(value, names);
  } else if constexpr (std::is_same_v<Role, ClosedKey>) {
    std::string name = KeyName(value, names);
    names.Release(Bits(value));
    return name;
  } else if constexpr (std::is_same_v<Role, Handle> || std::is_same_v<Role, Lz>) {
    return names.Of(Bits(value));
  } else if constexpr (std::is_same_v<Role, ClosedHandle> || std::is_same_v<Role, ClosedLz>) {
    return names.Release(Bits(value));
  } else if constexpr (std::is_same_v<Role, Sid> || std::is_same_v<Role, FreedSid>) {
    return SidText(value);
  } else if constexpr (std::is_same_v<Role, InTime>) {
    return Time(*value);
  } else if constexpr (std::is_same_v<Role, Authority>) {
    bool nt = std::equal(std::begin(value->Value), std::end(value->Value),
                         std::begin(SECURITY_NT_AUTHORITY.Value));
    return nt ? "SECURITY_NT_AUTHORITY" : Bytes(value->Value, 6);
  } else if constexpr (std::is_same_v<Role, OutCount>) {
    return std::to_string(*value);
  } else if constexpr (detail::Is<Role, InText>::value) {
    std::int64_t length = CountOf(std::get<detail::Is<Role, InText>::index>(args));
    return length < 0 ? trace::Text(value) : trace::Text(value, static_cast<std::size_t>(length));
  } else if constexpr (detail::Is<Role, InBytes>::value) {
    return Bytes(value, Count<detail::Is<Role, InBytes>::index>(args));
  } else {
    if (!outcome.succeeded) return "-";
    if constexpr (std::is_same_v<Role, OutNumber>) {
      return std::to_string(*value);
    } else if constexpr (detail::Grouped<Role>) {
      return Named(detail::GroupOf<Role>::value, static_cast<std::int64_t>(*value));
    } else if constexpr (std::is_same_v<Role, OutKey>) {
      return names.Give(Bits(*value), "hkey");
    } else if constexpr (std::is_same_v<Role, OutToken>) {
      return names.Give(Bits(*value), "token");
    } else if constexpr (std::is_same_v<Role, OutSid>) {
      return SidText(*value);
    } else if constexpr (std::is_same_v<Role, OutTime>) {
      return Time(*value);
    } else if constexpr (std::is_same_v<Role, OutFindData>) {
      return trace::Text(value->cFileName, sizeof value->cFileName);
    } else if constexpr (std::is_same_v<Role, Version>) {
      return std::to_string(value->dwMajorVersion) + "." + std::to_string(value->dwMinorVersion) +
             "." + std::to_string(value->dwBuildNumber) + " " +
             Named(Group::PlatformId, value->dwPlatformId);
    } else if constexpr (detail::Is<Role, OutText>::value) {
      std::int64_t size = CountOf(std::get<detail::Is<Role, OutText>::index>(args));
      if (outcome.result >= size) return "-";  // the size needed: nothing was written
      return trace::Text(value, static_cast<std::size_t>(size));
    } else if constexpr (detail::Is<Role, OutCountedText>::value) {
      return trace::Text(value, Count<detail::Is<Role, OutCountedText>::index>(args));
    } else if constexpr (detail::Is<Role, InOutText>::value) {
      return trace::Text(value, Count<detail::Is<Role, InOutText>::index>(args));
    } else {
      static_assert(detail::Is<Role, OutBytes>::value, "a role without a description");
      return Bytes(value, Count<detail::Is<Role, OutBytes>::index>(args));
    }
  }
}

}  // namespace trace
