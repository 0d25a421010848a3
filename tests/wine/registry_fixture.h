// The registry conformance tests' fixtures on Windows: the keys of kRegistryData imported with
// reg.exe before each test, HKEY_CURRENT_USER\Software\OrvConformance removed after it; the
// same for kViewData and kViewKeys (tests/platform/conformance_win32.cpp).
#pragma once

#include <gtest/gtest.h>

#include "platform/platform.h"

namespace conformance {

class ConformanceRegistry : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  platform::Platform& P();
};

// kViewData imported into the 64-bit view with reg.exe before each test, kViewKeys removed
// after it.
class ConformanceRegistryViews : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  platform::Platform& P();
};

}  // namespace conformance
