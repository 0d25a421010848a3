#include "platform/hosted/machine/private_copy.h"

#include <cctype>
#include <random>
#include <string>

namespace hosted {

namespace fs = std::filesystem;

namespace {

// A copy of a drive's folder that keeps what the machine reads of it: names, contents,
// modification times, mode bits and symlinks.
void CopyTree(const fs::path& from, const fs::path& to) {
  fs::create_directories(to);
  for (auto it = fs::recursive_directory_iterator(from); it != fs::recursive_directory_iterator();
       ++it) {
    fs::path target = to / fs::relative(it->path(), from);
    if (it->is_symlink()) {
      fs::copy_symlink(it->path(), target);
      it.disable_recursion_pending();
    } else if (it->is_directory()) {
      fs::create_directory(target);
      fs::permissions(target, it->status().permissions());
    } else if (it->is_regular_file()) {
      fs::copy_file(it->path(), target);
      fs::last_write_time(target, it->last_write_time());
      fs::permissions(target, it->status().permissions());
    }
  }
}

bool HasTimesOn(const MachineConfig& config, char letter) {
  for (const auto& [path, seconds] : config.times)
    if (std::toupper(static_cast<unsigned char>(path[0])) == letter) return true;
  return false;
}

}  // namespace

PrivateCopy::~PrivateCopy() {
  std::error_code ignored;
  if (!dir_.empty()) fs::remove_all(dir_, ignored);
}

std::map<char, fs::path> PrivateCopy::Roots(const MachineConfig& config) {
  std::random_device random;
  dir_ = fs::temp_directory_path() / ("orvlaunch-" + std::to_string(random()));
  std::map<char, fs::path> roots;
  for (const auto& drive : config.drives) {
    if (!drive.folder) continue;
    // The machine never writes to a read-only drive, so one is used where it lies unless
    // file times are to be set on it before the run.
    if (drive.readOnly && !HasTimesOn(config, drive.letter)) {
      roots[drive.letter] = *drive.folder;
      continue;
    }
    roots[drive.letter] = dir_ / std::string(1, drive.letter);
    CopyTree(*drive.folder, roots[drive.letter]);
  }
  return roots;
}

std::map<char, fs::path> InPlaceRoots(const MachineConfig& config) {
  std::map<char, fs::path> roots;
  for (const auto& drive : config.drives)
    if (drive.folder) roots[drive.letter] = *drive.folder;
  return roots;
}

}  // namespace hosted
