// The registry conformance tests' data and fixture. The tests use platform::Platform only,
// so that the same file runs against the simulated machine and against Windows.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string_view>

#include "platform/platform.h"

namespace testing_support {
class TempMachine;
}

namespace conformance {

// The keys and values every test starts from, as a REGEDIT4 file (code page 1252).
inline constexpr std::string_view kRegistryData =
    "REGEDIT4\r\n\r\n"
    "[HKEY_CURRENT_USER\\Software\\OrvConformance]\r\n@=\"default text\"\r\n"
    "\"Text\"=\"hello\"\r\n"
    "\"Empty\"=\"\"\r\n"
    "\"EmptyText\"=hex(1):\r\n"
    "\"Expand\"=hex(2):25,54,45,4d,50,25,5c,78,00\r\n"
    "\"Multi\"=hex(7):61,00,62,63,00,00\r\n"
    "\"Number\"=dword:12345678\r\n"
    "\"Binary\"=hex:01,02,03,ff\r\n"
    "\"NoData\"=hex:\r\n"
    "\"None\"=hex(0):aa\r\n"
    "\"Unknown\"=hex(100):de,ad\r\n"
    "\"Latin\"=\"caf\xE9\"\r\n"
    "\"Quote \\\"q\\\"\"=\"back\\\\slash\"\r\n\r\n"
    "[HKEY_CURRENT_USER\\Software\\OrvConformance\\Order\\beta]\r\n"
    "[HKEY_CURRENT_USER\\Software\\OrvConformance\\Order\\Alpha]\r\n"
    "[HKEY_CURRENT_USER\\Software\\OrvConformance\\Order\\gamma]\r\n"
    "[HKEY_CURRENT_USER\\Software\\OrvConformance\\Order\\Delta]\r\n\r\n"
    "[HKEY_CURRENT_USER\\Software\\OrvConformance\\Tree\\A\\B\\C]\r\n\"x\"=dword:00000001\r\n"
    "[HKEY_CURRENT_USER\\Software\\OrvConformance\\Tree\\A\\D]\r\n"
    "[HKEY_CURRENT_USER\\Software\\OrvConformance\\Tree\\E]\r\n\r\n"
    "[HKEY_CURRENT_USER\\Software\\OrvConformance\\Leaf]\r\n\"v\"=\"1\"\r\n\r\n"
    "[HKEY_CURRENT_USER\\Software\\OrvConformance\\NoDefault]\r\n\"only\"=\"x\"\r\n\r\n";

// Keys in both registry views of 64-bit Windows, as its regedit exports them, and keys both
// views share.
inline constexpr std::string_view kViewData =
    "REGEDIT4\r\n\r\n"
    "[HKEY_LOCAL_MACHINE\\Software\\OrvConformanceView]\r\n@=\"64\"\r\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Wow6432Node\\OrvConformanceView]\r\n@=\"32\"\r\n"
    "[HKEY_LOCAL_"
    "MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\OrvConformanceView]\r\n"
    "@=\"64\"\r\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
    "OrvConformanceView]\r\n"
    "@=\"32\"\r\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Classes\\OrvConformanceView]\r\n@=\"shared\"\r\n"
    "[HKEY_CURRENT_USER\\Software\\OrvConformanceView]\r\n@=\"user\"\r\n\r\n";

// Before each test, kRegistryData (ConformanceRegistry) or kViewData in the 64-bit view
// (ConformanceRegistryViews): on a fresh simulated machine (conformance_registry.cpp), or imported
// with reg.exe on Windows and removed after the test (conformance_win32.cpp).
class ConformanceRegistry : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  platform::Platform& P();
  std::shared_ptr<testing_support::TempMachine> machine_;  // the simulated machine
};

class ConformanceRegistryViews : public ConformanceRegistry {
 protected:
  void SetUp() override;
  void TearDown() override;
};

}  // namespace conformance
