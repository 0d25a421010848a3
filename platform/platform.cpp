#include "platform/platform.h"

#include <cstdlib>

namespace platform {

namespace {
Platform* installed = nullptr;
}

Platform& Current() {
  // Reaching the logic without a platform is a wiring fault of the entry point.
  if (installed == nullptr) std::abort();
  return *installed;
}

Platform* Install(Platform* platform) {
  Platform* previous = installed;
  installed = platform;
  return previous;
}

}  // namespace platform
