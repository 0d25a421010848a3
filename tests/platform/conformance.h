// The fixture of the platform conformance tests. The same test files run against the
// simulated machine and, built for Windows, against the real calls: each build supplies
// PrepareScratch() and nothing else.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include "platform/platform.h"

namespace conformance {

// What the tests need of the system beside the calls under test: calls the launcher does
// not make, reached on the simulated machine through its file system and on Windows directly.
class Host {
 public:
  virtual ~Host() = default;
  virtual platform::DWORD GetFileAttributesA(const char* name) = 0;
  virtual platform::BOOL CreateDirectoryA(const char* name) = 0;
  virtual platform::DWORD GetCurrentDirectoryA(platform::DWORD size, char* buffer) = 0;
  virtual platform::BOOL SetEnvironmentVariableA(const char* name, const char* value) = 0;
  // Places at path a program that starts and ends at once.
  virtual platform::BOOL CopyProgramA(const char* path) = 0;
};

struct Scratch {
  platform::Platform* platform = nullptr;
  Host* host = nullptr;
  std::string dir;              // Windows path of an empty writable folder, ending in "\"
  std::shared_ptr<void> owner;  // keeps the machine or folder until the test ends
};

// A fresh scratch folder on a writable fixed drive, and the platform to reach it.
Scratch PrepareScratch();

// True when the calls under test are Wine's (a Windows build running under Wine).
bool OnWine();

// Counts the checks each test suite took as known Wine differences; prints them at the end.
struct MarkCount : ::testing::Environment {
  inline static std::map<std::string, int> marked;
  void TearDown() override {
    for (const auto& [suite, count] : marked)
      std::printf("known Wine differences in %s: %d\n", suite.c_str(), count);
  }
};
inline const auto* const kMarkCount = ::testing::AddGlobalTestEnvironment(new MarkCount);

// A check that Wine is known to fail (docs/known-differences.md): elsewhere an ordinary
// check; under Wine it must still fail, so that the mark goes once Wine agrees. The _IF forms
// mark the check only where `marked` holds (the rows of a table that Wine fails).
inline void CheckKnownWineDifference(bool marked, bool agrees, const std::string& check,
                                     const char* file, int line) {
  if (!marked || !OnWine()) {
    if (!agrees) ADD_FAILURE_AT(file, line) << check;
  } else if (agrees) {
    ADD_FAILURE_AT(file, line) << "marked as a Wine difference, but Wine agrees now: " << check
                               << " (remove the mark and its entry in docs/known-differences.md)";
  } else {
    ++MarkCount::marked[::testing::UnitTest::GetInstance()->current_test_suite()->name()];
  }
}

#define TODO_WINE_EQ_IF(marked, expected, actual)                                              \
  ::conformance::CheckKnownWineDifference(                                                     \
      marked, (expected) == (actual),                                                          \
      std::string(#actual " is ") + ::testing::PrintToString(actual) + ", " #expected " is " + \
          ::testing::PrintToString(expected),                                                  \
      __FILE__, __LINE__)
#define TODO_WINE_IF(marked, condition) \
  ::conformance::CheckKnownWineDifference(marked, bool(condition), #condition, __FILE__, __LINE__)
#define TODO_WINE_EQ(expected, actual) TODO_WINE_EQ_IF(true, expected, actual)

// What the last error and output buffers hold before a call, to see what the call set.
constexpr platform::DWORD kPoison = 0xDEADBEEF;
constexpr char kPoisonByte = '\x5A';

class Test : public ::testing::Test {
 public:
  void SetUp() override { scratch_ = PrepareScratch(); }
  void TearDown() override { scratch_ = Scratch{}; }
  platform::Platform& P() { return *scratch_.platform; }
  Host& H() { return *scratch_.host; }
  std::string Path(const std::string& name) const { return scratch_.dir + name; }
  void Poison() { P().SetLastError(kPoison); }

  // Writes a file through the platform; fails the test when it cannot.
  void MakeFile(const std::string& name, const std::string& content = "") {
    platform::HANDLE h = P().CreateFileA(Path(name).c_str(), platform::GENERIC_WRITE, 0, nullptr,
                                         platform::CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, platform::INVALID_HANDLE_VALUE) << name;
    platform::DWORD written = 0;
    ASSERT_TRUE(
        P().WriteFile(h, content.data(), platform::DWORD(content.size()), &written, nullptr));
    ASSERT_TRUE(P().CloseHandle(h));
  }

  void MakeDir(const std::string& name) {
    ASSERT_TRUE(H().CreateDirectoryA(Path(name).c_str())) << name;
  }

  Scratch scratch_;
};

}  // namespace conformance
