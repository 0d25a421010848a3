// The one error of the medium tools: a text that names the file or option at fault and what
// is wrong with it, shown to the release engineer as it stands.
#pragma once

#include <stdexcept>
#include <string>

namespace medium {

struct MediumError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

}  // namespace medium
