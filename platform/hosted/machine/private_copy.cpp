#include "platform/hosted/machine/private_copy.h"

#include <unistd.h>

#include <cctype>
#include <random>
#include <string>

namespace hosted {

namespace fs = std::filesystem;

namespace {

// A copy of a drive's folder that keeps what the machine reads of it: names, contents,
// modification times and symlinks. The copy is the running user's and writable throughout,
// whatever the modes of the original: what the run may change is the description's to say.
void CopyTree(const fs::path& from, const fs::path& to) {
  fs::create_directories(to);
  fs::permissions(to, fs::perms::owner_all, fs::perm_options::add);
  for (auto it = fs::recursive_directory_iterator(from); it != fs::recursive_directory_iterator();
       ++it) {
    // Lexically: fs::relative would follow a symlink to its target.
    fs::path target = to / it->path().lexically_relative(from);
    if (it->is_symlink()) {
      fs::copy_symlink(it->path(), target);
      it.disable_recursion_pending();
    } else if (it->is_directory()) {
      fs::create_directory(target);
      fs::permissions(target, fs::perms::owner_all, fs::perm_options::add);
    } else if (it->is_regular_file()) {
      fs::copy_file(it->path(), target);
      fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write,
                      fs::perm_options::add);
      fs::last_write_time(target, it->last_write_time());
    }
  }
}

bool HasTimesOn(const MachineConfig& config, char letter) {
  for (const auto& [path, seconds] : config.times)
    if (std::toupper(static_cast<unsigned char>(path[0])) == letter) return true;
  return false;
}

// A run in place writes where the description allows; the host must allow it too, or the
// host's refusals would show as the machine's.
void RequireWritable(const fs::path& folder) {
  auto check = [](const fs::path& path) {
    if (access(path.c_str(), W_OK) != 0)
      throw ConfigError("--in-place: " + path.string() +
                        " cannot be written by this user; run on a copy without --in-place");
  };
  check(folder);
  for (auto it = fs::recursive_directory_iterator(folder); it != fs::recursive_directory_iterator();
       ++it) {
    if (it->is_symlink()) {
      it.disable_recursion_pending();
    } else if (it->is_directory() || it->is_regular_file()) {
      check(it->path());
    }
  }
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
  for (const auto& drive : config.drives) {
    if (!drive.folder) continue;
    if (!drive.readOnly) RequireWritable(*drive.folder);
    roots[drive.letter] = *drive.folder;
  }
  return roots;
}

}  // namespace hosted
