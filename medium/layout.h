// A distribution medium laid out in a folder: the launcher at the root as "SETUP.EXE", an
// autorun.inf that starts it with the argument "autorun" and gives the medium its icon and
// label, and the install set with the module files, at the root or in orv\win32.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace medium {

struct LayoutOptions {
  std::filesystem::path launcher;
  std::filesystem::path files;       // the install set and the module files
  std::filesystem::path out;         // a folder that does not exist yet, or an empty one
  std::filesystem::path icon;        // the medium's icon
  std::optional<std::string> label;  // default: "Orvanel" and the launcher's version
  bool compress = false;             // the set-up program stored as "Orv.Ex_" only
  bool subdir = false;               // the set-up files in orv\win32
};

// Checks the launcher, every name and the install set before anything is written, then
// writes the medium into a new folder that takes out's name only once it is whole. Returns
// one line per file written. Throws MediumError naming what is wrong; nothing is left then.
std::vector<std::string> LayOutMedium(const LayoutOptions& options);

// The autorun.inf of a medium with that label.
std::string AutorunText(const std::string& label);

}  // namespace medium
