#include "platform/hosted/machine/hosted.h"

namespace hosted {

namespace {

std::map<char, std::filesystem::path> ConfiguredRoots(const MachineConfig& config) {
  std::map<char, std::filesystem::path> roots;
  for (const auto& drive : config.drives)
    if (drive.folder) roots[drive.letter] = *drive.folder;
  return roots;
}

}  // namespace

HostedPlatform::HostedPlatform(const MachineConfig& config,
                               std::map<char, std::filesystem::path> roots, Transcript& transcript)
    : config_(config),
      files_(config_, config_.EffectiveAdmin(), std::move(roots), transcript),
      registry_(config_.EffectiveAdmin(), config_.windows64),
      lz_(*this),
      security_(config_),
      process_(config_, files_, security_, transcript) {
  if (config_.registry) registry_.Load(*config_.registry);
}

HostedPlatform::HostedPlatform(const MachineConfig& config, Transcript& transcript)
    : HostedPlatform(config, ConfiguredRoots(config), transcript) {}

}  // namespace hosted
