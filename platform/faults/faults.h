// A Platform that fails chosen calls of another one, so that every failure path of the
// logic is reached by failing a real call.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "platform/call_table.h"
#include "platform/roles.h"

namespace faults {

using namespace platform;

struct Rule {
  std::string call;  // the Windows name of the call
  unsigned nth = 0;  // 1 = first call of that name, 0 = every call
  DWORD error = 0;   // the last-error value (registry calls: the result) it leaves
};

// The names of the calls that can be failed: those whose result can say so.
std::vector<std::string_view> FaultableCalls();

// A failed call does nothing and answers as calls.def says that call answers a failure:
// its failure result, and the rule's error as last error where a failure sets one (the
// registry calls return it instead). A failed close still releases the handle.
class FaultPlatform : public Platform {
 public:
  FaultPlatform(Platform& inner, std::vector<Rule> rules);

  // Also fails the k-th call of all that can fail (1-based), with the error that call most
  // plausibly meets (disk full for a write, access denied for an open, ...). For sweeps.
  void FailOverall(unsigned k) { overallTarget_ = k; }
  // How many calls that can fail were made so far.
  unsigned CallsMade() const { return overallCount_; }
  // The name of the call that FailOverall failed, empty before it has.
  const std::string& FailedCall() const { return overallFailed_; }
  // Whether the latest call was failed here.
  bool LastCallFailed() const { return lastFailed_; }
  // The rules that have not failed a call so far.
  std::vector<Rule> UnfiredRules() const;

#define ORV_CALL(area, result, shown, name, failure, error, plausible, ...)               \
  result name(ORV_PARAMETERS(__VA_ARGS__)) override {                                     \
    return Guard<result>(CallId::name, std::forward_as_tuple(ORV_ARGUMENTS(__VA_ARGS__)), \
                         ORV_ROLE_LIST(__VA_ARGS__){},                                    \
                         [&] { return inner_.name(ORV_ARGUMENTS(__VA_ARGS__)); });        \
  }
#include "platform/calls.def"
#undef ORV_CALL

 private:
  // The error to fail this call with, or nothing; counts the call.
  std::optional<DWORD> Hit(CallId id);

  template <typename R, typename Args, typename... Roles, typename Forward>
  R Guard(CallId id, Args args, role::List<Roles...>, Forward&& forward) {
    const CallInfo& call = Info(id);
    lastFailed_ = false;
    std::optional<DWORD> error = call.CanFail() ? Hit(id) : std::nullopt;
    if (!error) return forward();
    lastFailed_ = true;
    ClearCounts<Roles...>(args, std::index_sequence_for<Roles...>{});
    if (call.failure.closesAnyway) forward();
    if (call.setsLastError) inner_.SetLastError(*error);
    if constexpr (!std::is_void_v<R>) return FromBits<R>(call.FailureResult(*error));
  }

  // A count that the call writes is 0 after a failure, as the real call sets it first.
  template <typename... Roles, typename Args, std::size_t... I>
  static void ClearCounts(Args& args, std::index_sequence<I...>) {
    [[maybe_unused]] auto clear = [](auto role, auto value) {
      if constexpr (std::is_same_v<decltype(role), role::OutCount>)
        if (value) *value = 0;
    };
    (clear(Roles{}, std::get<I>(args)), ...);
  }

  Platform& inner_;
  std::vector<Rule> rules_;
  std::vector<unsigned> fired_;   // per rule: how many calls it failed
  std::vector<unsigned> counts_;  // per call of the table: how many were made
  unsigned overallTarget_ = 0;
  unsigned overallCount_ = 0;
  std::string overallFailed_;
  bool lastFailed_ = false;
};

}  // namespace faults
