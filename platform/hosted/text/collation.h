// The word sort of the default sorting table over code page 1252, as CompareStringA applies
// it: symbols before digits before letters, an accented letter beside its base letter, the
// accents weighed only when all letters tie, then case (lowercase first), and last the
// hyphen and apostrophe, which keep words such as "coop" and "co-op" together.
#pragma once

#include <optional>
#include <string_view>

#include "platform/platform.h"

namespace hosted {

// CSTR_LESS_THAN, CSTR_EQUAL or CSTR_GREATER_THAN; nullopt when flags holds a flag that
// CompareStringA does not know.
std::optional<int> CompareAnsi(std::string_view a, std::string_view b, platform::DWORD flags);

}  // namespace hosted
