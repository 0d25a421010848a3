#include "platform/hosted/files/config.h"

namespace hosted {

const DriveConfig* FilesConfig::Drive(char letter) const {
  for (const auto& drive : drives)
    if (drive.letter == letter) return &drive;
  return nullptr;
}

}  // namespace hosted
