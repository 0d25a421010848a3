#include "platform/call_table.h"

#include <algorithm>

namespace platform {

namespace {

namespace table {

template <typename T>
Failure FailsAs(T value) {
  return {Failure::Kind::Equal, Bits(value), 0, false};
}
template <typename T>
Failure ClosesAnyway(T value) {
  return {Failure::Kind::Equal, Bits(value), 0, true};
}
template <typename T>
Failure FailsBelow(std::int64_t bound, T value) {
  return {Failure::Kind::Below, Bits(value), bound, false};
}
Failure FailsWithCode(std::int64_t bound) { return {Failure::Kind::Code, 0, bound, false}; }
const Failure FailsWithStatus{Failure::Kind::Status, 0, 0, false};
const Failure NeverFails{};
constexpr bool SetsLastError = true;
constexpr bool KeepsLastError = false;
constexpr bool OwnsLastError = false;  // the calls that set and read it

}  // namespace table

const std::vector<CallInfo>& Table() {
  using namespace table;
  static const std::vector<CallInfo> calls = {
#define ORV_CALL(area, result, shown, name, failure, error, plausible, ...) \
  {#name, failure, error, plausible},
#include "platform/calls.def"
#undef ORV_CALL
  };
  return calls;
}

struct ErrorEntry {
  DWORD code;
  std::string_view name;
  const char* text;
};

constexpr ErrorEntry kErrors[] = {
#define ORV_ERROR(name, number, text) {number, #name, text},
#include "platform/errors.def"
#undef ORV_ERROR
};

const ErrorEntry* FindError(DWORD code) {
  auto found = std::find_if(std::begin(kErrors), std::end(kErrors),
                            [code](const ErrorEntry& entry) { return entry.code == code; });
  return found == std::end(kErrors) ? nullptr : found;
}

struct Member {
  std::string_view name;
  std::int64_t value;
};

#define ORV_MEMBER(name, value) \
  Member { #name, name }
#define ORV_GROUP(group, type, ...) \
  constexpr Member k##group[] = {ORV_MAP(ORV_MEMBER, __VA_ARGS__)};
#include "platform/constants.def"
#undef ORV_GROUP

// By Group: each group's members.
constexpr std::span<const Member> kGroups[] = {
#define ORV_GROUP(group, ...) k##group,
#include "platform/constants.def"
#undef ORV_GROUP
};

}  // namespace

bool CallInfo::Failed(std::int64_t result) const {
  switch (failure.kind) {
    case Failure::Kind::Equal:
      return result == failure.value;
    case Failure::Kind::Status:
      return result != 0;
    case Failure::Kind::Code:
    case Failure::Kind::Below:
      return result < failure.bound;
    case Failure::Kind::Never:
      break;
  }
  return false;
}

std::int64_t CallInfo::FailureResult(DWORD error) const {
  switch (failure.kind) {
    case Failure::Kind::Status:
      return error;
    case Failure::Kind::Code:
      return error < failure.bound ? error : 0;
    default:
      return failure.value;
  }
}

std::span<const CallInfo> Calls() { return Table(); }

const CallInfo& Info(CallId id) { return Table()[static_cast<std::size_t>(id)]; }

std::string_view ErrorName(DWORD code) {
  const ErrorEntry* entry = FindError(code);
  return entry ? entry->name : std::string_view();
}

const char* ErrorText(DWORD code) {
  const ErrorEntry* entry = FindError(code);
  return entry ? entry->text : nullptr;
}

std::string NameInGroup(Group group, std::int64_t value) {
  std::vector<const Member*> members;
  for (const Member& member : kGroups[static_cast<std::size_t>(group)]) {
    if (member.value == value) return std::string(member.name);
    members.push_back(&member);
  }
  // Flags: the largest named parts first, each taken only when all its bits are left.
  std::sort(members.begin(), members.end(),
            [](const Member* a, const Member* b) { return a->value > b->value; });
  std::string names;
  std::int64_t left = value;
  for (const Member* member : members) {
    if (member->value <= 0 || (left & member->value) != member->value) continue;
    names += (names.empty() ? "" : "|") + std::string(member->name);
    left &= ~member->value;
  }
  return left == 0 ? names : std::string();
}

}  // namespace platform
