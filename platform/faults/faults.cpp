#include "platform/faults/faults.h"

namespace faults {

std::vector<std::string_view> FaultableCalls() {
  std::vector<std::string_view> names;
  for (const CallInfo& call : Calls())
    if (call.CanFail()) names.push_back(call.name);
  return names;
}

FaultPlatform::FaultPlatform(Platform& inner, std::vector<Rule> rules)
    : inner_(inner), rules_(std::move(rules)), fired_(rules_.size(), 0), counts_(Calls().size()) {}

std::vector<Rule> FaultPlatform::UnfiredRules() const {
  std::vector<Rule> unfired;
  for (std::size_t i = 0; i < rules_.size(); ++i)
    if (fired_[i] == 0) unfired.push_back(rules_[i]);
  return unfired;
}

std::optional<DWORD> FaultPlatform::Hit(CallId id) {
  const CallInfo& call = Info(id);
  unsigned count = ++counts_[static_cast<std::size_t>(id)];
  if (++overallCount_ == overallTarget_) {
    overallFailed_ = call.name;
    return call.plausibleError;
  }
  for (std::size_t i = 0; i < rules_.size(); ++i) {
    const Rule& rule = rules_[i];
    if (rule.call == call.name && (rule.nth == 0 || rule.nth == count)) {
      ++fired_[i];
      return rule.error;
    }
  }
  return std::nullopt;
}

}  // namespace faults
