// GoogleTest's Notification for MinGW-w64's win32 thread model, whose C++ library has no
// std::mutex: GTEST_HAS_NOTIFICATION_ makes GoogleTest take this one. Only GoogleTest's own
// thread tests wait on it, and the conformance tests start no threads, so a flag serves.
#pragma once

#include <atomic>

namespace testing::internal {

struct Notification {
  void Notify() { notified = true; }
  void WaitForNotification() {
    while (!notified) continue;
  }
  std::atomic<bool> notified{false};
};

}  // namespace testing::internal
