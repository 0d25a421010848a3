// The simulated machine's per-thread last-error value, shared by all its parts.
#pragma once

#include "platform/platform.h"

namespace hosted {

using namespace platform;

// The calling thread's last-error value, as GetLastError and SetLastError see it. Every part
// of the machine sets it, so it lives in this header rather than in any one part.
inline DWORD& ThreadLastError() {
  thread_local DWORD value = 0;
  return value;
}

// Sets the last error and returns the given failure result, for one-line failure paths.
template <typename T>
T Fail(DWORD error, T result) {
  ThreadLastError() = error;
  return result;
}

// Restores the last error when it goes out of scope.
struct KeptLastError {
  DWORD saved = ThreadLastError();
  ~KeptLastError() { ThreadLastError() = saved; }
};

// The machine's last-error calls.
struct LastError {
  DWORD GetLastError() { return ThreadLastError(); }
  void SetLastError(DWORD code) { ThreadLastError() = code; }
};

}  // namespace hosted
