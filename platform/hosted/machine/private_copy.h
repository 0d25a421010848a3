// A private copy of a machine's writable drives, so that a run never changes the machine
// folder it was given.
#pragma once

#include <filesystem>
#include <map>

#include "platform/hosted/machine/config.h"

namespace hosted {

class PrivateCopy {
 public:
  PrivateCopy() = default;
  ~PrivateCopy();
  PrivateCopy(const PrivateCopy&) = delete;
  PrivateCopy& operator=(const PrivateCopy&) = delete;

  // The host folder of each drive with a medium: a fresh copy of its configured folder,
  // writable by this host user throughout, or that folder itself for a read-only drive that
  // no file time is set on.
  std::map<char, std::filesystem::path> Roots(const MachineConfig& config);

 private:
  std::filesystem::path dir_;
};

// The configured folder of each drive with a medium, for a run that changes the machine.
// Throws ConfigError when a writable drive holds a file or folder this host user cannot
// write.
std::map<char, std::filesystem::path> InPlaceRoots(const MachineConfig& config);

}  // namespace hosted
