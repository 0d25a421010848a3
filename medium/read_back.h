// A laid-out medium read back: its launcher, its autorun.inf and its install set, as
// tools/check-medium shows them above the runs.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace medium {

struct Inspection {
  std::vector<std::string> lines;  // "what  fact", one a line
  std::vector<std::string> problems;
};

// Throws MediumError when the folder has no launcher at its root.
Inspection InspectMedium(const std::filesystem::path& dir);

}  // namespace medium
