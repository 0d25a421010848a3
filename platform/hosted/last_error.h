// The simulated machine's per-thread last-error value.
#pragma once

#include "platform/platform.h"

namespace hosted {

using namespace platform;

// The calling thread's last-error value, as GetLastError and SetLastError see it.
DWORD& ThreadLastError();

// Sets the last error and returns the given failure result, for one-line failure paths.
template <typename T>
T Fail(DWORD error, T result) {
  ThreadLastError() = error;
  return result;
}

}  // namespace hosted
