// The fixture of the platform conformance tests. The same test files run against the
// simulated machine and, built for Windows, against the real calls: each build supplies
// PrepareScratch() and nothing else.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/platform.h"

namespace conformance {

struct Scratch {
  platform::Platform* platform = nullptr;
  std::string dir;              // Windows path of an empty writable folder, ending in "\"
  std::shared_ptr<void> owner;  // keeps the machine or folder until the test ends
};

// A fresh scratch folder on a writable fixed drive, and the platform to reach it.
Scratch PrepareScratch();

// What the last error and output buffers hold before a call, to see what the call set.
constexpr platform::DWORD kPoison = 0xDEADBEEF;
constexpr char kPoisonByte = '\x5A';

class Test : public ::testing::Test {
 protected:
  void SetUp() override { scratch_ = PrepareScratch(); }
  void TearDown() override { scratch_ = Scratch{}; }

  platform::Platform& P() { return *scratch_.platform; }
  std::string Path(const std::string& name) const { return scratch_.dir + name; }
  void Poison() { P().SetLastError(kPoison); }

  // Writes a file through the platform; fails the test when it cannot.
  void MakeFile(const std::string& name, const std::string& content = "") {
    platform::HANDLE h = P().CreateFileA(Path(name).c_str(), platform::GENERIC_WRITE, 0, nullptr,
                                         platform::CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, platform::INVALID_HANDLE_VALUE) << name;
    platform::DWORD written = 0;
    ASSERT_TRUE(P().WriteFile(h, content.data(), static_cast<platform::DWORD>(content.size()),
                              &written, nullptr));
    ASSERT_TRUE(P().CloseHandle(h));
  }

  void MakeDir(const std::string& name) {
    ASSERT_TRUE(P().CreateDirectoryA(Path(name).c_str(), nullptr)) << name;
  }

  Scratch scratch_;
};

}  // namespace conformance
