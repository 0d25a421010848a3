// GoogleTest's Notification for MinGW-w64's win32 thread model, whose C++ library has no
// std::mutex: GoogleTest declares its own one with std::mutex unless GTEST_HAS_NOTIFICATION_
// says one is provided. This one is a manual-reset event of the system
// (gtest_notification.cpp). The header stays free of <windows.h>, which defines macros named
// like the constants of platform/platform.h.
#pragma once

namespace testing::internal {

class Notification {
 public:
  Notification();
  ~Notification();
  Notification(const Notification&) = delete;
  Notification& operator=(const Notification&) = delete;

  void Notify();
  void WaitForNotification();

 private:
  void* event_;
};

}  // namespace testing::internal
