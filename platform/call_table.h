// The description tables as data: every call of the Platform interface with its failure
// convention (calls.def), the constants by group (constants.def) and the error codes with
// their names and texts (errors.def). The decorators, the machine description's fault
// rules and the failure-convention tests read them here.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "platform/platform.h"

namespace platform {

// The groups of constants.def: a flag or code is named within the group its parameter takes.
enum class Group {
#define ORV_GROUP(group, ...) group,
#include "platform/constants.def"
#undef ORV_GROUP
};

// A result as a number: integers by value, handles and pointers by their bits.
template <typename T>
std::int64_t Bits(T value) {
  if constexpr (std::is_pointer_v<T>)
    return static_cast<std::int64_t>(reinterpret_cast<std::uintptr_t>(value));
  else
    return static_cast<std::int64_t>(value);
}

template <typename T>
T FromBits(std::int64_t bits) {
  if constexpr (std::is_pointer_v<T>)
    return reinterpret_cast<T>(static_cast<std::uintptr_t>(bits));
  else
    return static_cast<T>(bits);
}

// How a call's result tells a failure.
struct Failure {
  enum class Kind { Equal, Status, Code, Below, Never };
  Kind kind = Kind::Never;
  std::int64_t value = 0;  // Equal, Below: what a failed call answers
  std::int64_t bound = 0;  // Code, Below: results below it are failures
  bool closesAnyway = false;
};

struct CallInfo {
  std::string_view name;
  Failure failure;
  bool setsLastError = false;
  DWORD plausibleError = 0;

  bool CanFail() const { return failure.kind != Failure::Kind::Never; }
  // Whether a result (as Bits gives it) means that the call failed.
  bool Failed(std::int64_t result) const;
  // What a call failed with the error answers (as Bits gives it).
  std::int64_t FailureResult(DWORD error) const;
};

enum class CallId {
#define ORV_CALL(area, result, shown, name, ...) name,
#include "platform/calls.def"
#undef ORV_CALL
};

// Every call, in the order of calls.def.
std::span<const CallInfo> Calls();
const CallInfo& Info(CallId id);

// The Windows name of an error code, or empty when the tables do not know it.
std::string_view ErrorName(DWORD code);
// The system's English text of an error code (one sentence, no line end), or null.
const char* ErrorText(DWORD code);

// A value by the names of its group: the one name of that value, else the flags it is made
// of (largest first, "A|B"), else empty.
std::string NameInGroup(Group group, std::int64_t value);

}  // namespace platform
