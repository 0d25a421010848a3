// Suggestions for a name that is not known: the known name a slip of the keys would give.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace hosted {

// The known name nearest to name, letter case ignored, when it is near enough to be a slip:
// at most a third of its letters (at least one) changed, added, left out or swapped with a
// neighbour. The first of equally near names wins.
std::optional<std::string> NearestName(std::string_view name,
                                       std::span<const std::string_view> known);

// "; did you mean 'NAME'?" for the nearest name, else "; it must be one of: A, B, C".
std::string SuggestName(std::string_view name, std::span<const std::string_view> known);

}  // namespace hosted
