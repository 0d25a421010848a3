// A Platform that records every call of another one, with its arguments, result and error,
// in the order the calls are made: strace for the launcher. Over the simulated machine it
// explains a run's transcript; over Windows it would do the same.
#pragma once

#include <cstddef>
#include <string>
#include <tuple>
#include <vector>

#include "platform/call_table.h"
#include "platform/faults/faults.h"
#include "platform/roles.h"
#include "platform/trace/describe.h"

namespace trace {

using namespace platform;

// Where the trace goes. A call's place among the other events is taken when it starts, so
// that what the call itself shows (a box, a program started) follows it.
class Sink {
 public:
  virtual std::size_t BeginCall() = 0;
  virtual void EndCall(std::size_t place, CallRecord record) = 0;
  // A note the program wrote with OutputDebugStringA.
  virtual void Debug(const std::string& text) = 0;

 protected:
  ~Sink() = default;
};

class TracePlatform : public Platform {
 public:
  // faults: the fault decorator that inner is or wraps, asked after each call whether it
  // failed it; null when there is none.
  TracePlatform(Platform& inner, Sink& sink, const faults::FaultPlatform* faults)
      : inner_(inner), sink_(sink), faults_(faults) {}

#define ORV_CALL(area, result, shown, name, failure, error, plausible, ...)              \
  result name(ORV_PARAMETERS(__VA_ARGS__)) override {                                    \
    return Traced<CallId::name, result, ::platform::role::shown>(                        \
        std::forward_as_tuple(ORV_ARGUMENTS(__VA_ARGS__)), ORV_ROLE_LIST(__VA_ARGS__){}, \
        [&] { return inner_.name(ORV_ARGUMENTS(__VA_ARGS__)); });                        \
  }
#include "platform/calls.def"
#undef ORV_CALL

 private:
  // Inputs are shown as passed, before the call (which may release them); outputs as the
  // call left them. A debug note is shown as the note it is, not as a call.
  template <CallId id, typename R, typename Shown, typename Args, typename... Roles,
            typename Forward>
  R Traced(Args args, role::List<Roles...>, Forward&& forward) {
    if constexpr (id == CallId::OutputDebugStringA) {
      sink_.Debug(std::get<0>(args));
      return forward();
    } else {
      std::size_t place = sink_.BeginCall();
      CallRecord record{std::string(Info(id).name), {}, true, 0, {}, 0, false};
      record.args = Inputs<Roles...>(args, std::index_sequence_for<Roles...>{});
      if constexpr (std::is_void_v<R>) {
        forward();
        record.numericResult = false;
        End<Roles...>(place, id, args, std::move(record), std::index_sequence_for<Roles...>{});
      } else {
        R result = forward();
        ShowResult<Shown>(record, names_, result);
        End<Roles...>(place, id, args, std::move(record), std::index_sequence_for<Roles...>{});
        return result;
      }
    }
  }

  template <typename... Roles, typename Args, std::size_t... I>
  std::vector<std::string> Inputs(Args& args, std::index_sequence<I...>) {
    return {DescribeInput<Roles>(std::get<I>(args), args, names_)...};
  }

  template <typename... Roles, typename Args, std::size_t... I>
  void End(std::size_t place, CallId id, Args& args, CallRecord record, std::index_sequence<I...>) {
    const CallInfo& call = Info(id);
    record.fault = faults_ && faults_->LastCallFailed();
    // A void call never fails, and its number stays 0.
    [[maybe_unused]] Outcome outcome{!call.Failed(record.number), record.number};
    // A failed call's error: a registry call answers it, the others leave it as last error.
    if (!outcome.succeeded && call.failure.kind == Failure::Kind::Status)
      record.error = static_cast<DWORD>(record.number);
    else if (!outcome.succeeded && call.setsLastError)
      record.error = inner_.GetLastError();
    [[maybe_unused]] auto output = [&]<typename Role>(Role, std::string& shown, auto value) {
      if constexpr (IsOutput<Role>) shown = DescribeOutput<Role>(value, args, outcome, names_);
    };
    (output(Roles{}, record.args[I], std::get<I>(args)), ...);
    sink_.EndCall(place, std::move(record));
  }

  Platform& inner_;
  Sink& sink_;
  const faults::FaultPlatform* faults_;
  Names names_;
};

}  // namespace trace
