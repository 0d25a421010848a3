// GoogleTest's Notification for MinGW-w64's win32 thread model (no std::mutex), taken through
// GTEST_HAS_NOTIFICATION_. The conformance tests start no threads, so a flag serves.
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
