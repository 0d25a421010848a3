// File names that every Windows machine and the medium's file system keep as they are.
#pragma once

#include <optional>
#include <string>

namespace medium {

// Why a name cannot go onto the medium, or nothing when it can.
std::optional<std::string> NameProblem(const std::string& name);

// Equal when compared without regard to ASCII letter case, as Windows compares the names.
bool SameNameNoCase(const std::string& a, const std::string& b);

}  // namespace medium
