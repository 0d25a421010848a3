#include "launcher/launcher.h"

namespace launcher {

void LaunchSequence(const std::string& selfPath, const std::string& firstArg) {
  (void)selfPath;
  (void)firstArg;
}

}  // namespace launcher
