// How the trace shows a call's arguments and result, by the roles of calls.def.
#pragma once

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <tuple>
#include <type_traits>
#include <vector>

#include "platform/call_table.h"
#include "platform/roles.h"

namespace trace {

using namespace platform;

// Short stable names for the handles, keys and LZ files of a run ("file1", "hkey2"), given
// when a call hands one out and forgotten when a call releases it. The pseudo-handles of
// the current process and thread and the root keys have their names always.
class Names {
 public:
  std::string Give(std::int64_t value, const std::string& kind);
  // The name of a value, or its number in hexadecimal when it was never given one.
  std::string Of(std::int64_t value) const;
  std::string Release(std::int64_t value);

 private:
  std::map<std::int64_t, std::string> names_;
  std::map<std::string, unsigned> counts_;
};

// One call as the trace shows it.
struct CallRecord {
  std::string call;               // the Windows name
  std::vector<std::string> args;  // each argument as text
  bool numericResult = true;
  long long number = 0;  // the result when numeric
  std::string text;      // the result otherwise (a handle's name, a text), or its name
  DWORD error = 0;       // a failed call's error: the registry result, or the last error
  bool fault = false;    // the fault decorator failed the call
};

// Whether the call succeeded, and its result as a number.
struct Outcome {
  bool succeeded = true;
  std::int64_t result = 0;
};

std::string Text(const char* text);
std::string Text(const char* text, std::size_t length);
std::string Bytes(const void* data, std::size_t count);
std::string Time(const FILETIME& time);
std::string Named(Group group, std::int64_t value);  // the name, else the number
std::string Error(DWORD code);
std::string Pointer(const void* pointer);  // NULL, else "ptr"
// A security identifier in its usual text form, read as the call reads it.
std::string SidText(PSID sid);
std::string VersionText(const OSVERSIONINFOA& info);

template <typename Role>
constexpr bool IsOutput = std::is_base_of_v<role::Output, Role>;
template <typename Role>
concept Grouped = requires {
  Role::group;
};
// Whether a role is Of<N> for some N: Of reads parameter N.
template <typename T, template <int> class Of>
constexpr bool Is = false;
template <template <int> class Of, int N>
constexpr bool Is<Of<N>, Of> = true;

// The count that a role's parameter holds, by value or through its pointer.
template <typename Role, typename Args>
std::size_t Count(Args& args) {
  auto count = std::get<Role::index>(args);
  std::int64_t n = 0;
  if constexpr (std::is_pointer_v<decltype(count)>)
    n = count ? static_cast<std::int64_t>(*count) : 0;
  else
    n = static_cast<std::int64_t>(count);
  return n < 0 ? 0 : static_cast<std::size_t>(n);
}

// One input, as it was passed; empty for an output.
template <typename Role, typename T, typename Args>
std::string DescribeInput(T value, Args& args, Names& names) {
  using namespace platform::role;
  if constexpr (std::is_pointer_v<T> && !IsOutput<Role>)
    if (value == nullptr) return "NULL";
  if constexpr (IsOutput<Role>) {
    return {};
  } else if constexpr (std::is_same_v<Role, role::Text>) {
    return trace::Text(value);
  } else if constexpr (std::is_same_v<Role, Number>) {
    return std::to_string(value);
  } else if constexpr (std::is_same_v<Role, ErrorCode>) {
    return Error(value);
  } else if constexpr (Grouped<Role>) {
    return Named(Role::group, static_cast<std::int64_t>(value));
  } else if constexpr (std::is_same_v<Role, Unused>) {
    return Pointer(value);
  } else if constexpr (std::is_same_v<Role, Handle>) {
    return names.Of(Bits(value));
  } else if constexpr (std::is_same_v<Role, ClosedHandle>) {
    return names.Release(Bits(value));
  } else if constexpr (std::is_same_v<Role, Sid>) {
    return SidText(value);
  } else if constexpr (std::is_same_v<Role, InTime>) {
    return Time(*value);
  } else if constexpr (std::is_same_v<Role, Authority>) {
    bool nt = std::equal(std::begin(value->Value), std::end(value->Value),
                         std::begin(SECURITY_NT_AUTHORITY.Value));
    return nt ? "SECURITY_NT_AUTHORITY" : Bytes(value->Value, 6);
  } else if constexpr (Is<Role, InText>) {
    return std::get<Role::index>(args) < 0 ? trace::Text(value)
                                           : trace::Text(value, Count<Role>(args));
  } else {
    static_assert(Is<Role, InBytes>, "an input role without a description");
    return Bytes(value, Count<Role>(args));
  }
}

// The result into the record: a number (with its name where it has one), or a text.
template <typename Role, typename R>
void ShowResult(CallRecord& record, Names& names, R result) {
  using namespace platform::role;
  record.numericResult = !std::is_pointer_v<R>;
  record.number = Bits(result);
  std::string& text = record.text;
  if constexpr (std::is_same_v<Role, NewFile> || std::is_same_v<Role, NewFind>) {
    text = result == INVALID_HANDLE_VALUE
               ? "INVALID_HANDLE_VALUE"
               : names.Give(record.number, std::is_same_v<Role, NewFile> ? "file" : "find");
  } else if constexpr (std::is_same_v<Role, NewLz>) {
    text = result < 0 ? Named(Group::LzResult, result) : names.Give(record.number, "lz");
    record.numericResult = result < 0;
  } else {
    std::tuple<> none;
    text = DescribeInput<Role>(result, none, names);
    if (record.numericResult && text == std::to_string(record.number)) text.clear();  // no name
  }
}

// One output, as the call left it: "-" when the call failed, NULL for a null pointer.
template <typename Role, typename T, typename Args>
std::string DescribeOutput(T value, Args& args, const Outcome& outcome, Names& names) {
  using namespace platform::role;
  if (value == nullptr) return "NULL";
  if (!outcome.succeeded && !std::is_same_v<Role, OutCount>) return "-";  // a count is 0 then
  if constexpr (std::is_same_v<Role, OutNumber> || std::is_same_v<Role, OutCount>) {
    return std::to_string(*value);
  } else if constexpr (Grouped<Role>) {
    return Named(Role::group, static_cast<std::int64_t>(*value));
  } else if constexpr (std::is_same_v<Role, OutKey> || std::is_same_v<Role, OutToken>) {
    return names.Give(Bits(*value), std::is_same_v<Role, OutKey> ? "hkey" : "token");
  } else if constexpr (std::is_same_v<Role, OutSid>) {
    return SidText(*value);
  } else if constexpr (std::is_same_v<Role, OutTime>) {
    return Time(*value);
  } else if constexpr (std::is_same_v<Role, OutFindData>) {
    return trace::Text(value->cFileName, sizeof value->cFileName);
  } else if constexpr (std::is_same_v<Role, Version>) {
    return VersionText(*value);
  } else if constexpr (Is<Role, OutText>) {
    // A result as large as the buffer is the size needed: nothing was written.
    return outcome.result >= static_cast<std::int64_t>(Count<Role>(args))
               ? "-"
               : trace::Text(value, Count<Role>(args));
  } else if constexpr (Is<Role, OutCountedText>) {
    return trace::Text(value, Count<Role>(args));
  } else {
    static_assert(Is<Role, OutBytes>, "an output role without a description");
    return Bytes(value, Count<Role>(args));
  }
}

}  // namespace trace
