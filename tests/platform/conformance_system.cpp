// The system's version, message texts, paths and environment, written against Platform only:
// the same file runs against the simulated machine and against the real calls.
#include <cstring>
#include <string>

#include "tests/platform/conformance.h"

namespace {

using namespace platform;
using conformance::kPoison;
using conformance::kPoisonByte;

class ConformanceSystem : public conformance::Test {
 protected:
  // Fills a buffer with the poison byte and the last error with its sentinel.
  template <std::size_t N>
  void PoisonAll(char (&bytes)[N]) {
    std::memset(bytes, kPoisonByte, N);
    Poison();
  }
  char buffer[MAX_PATH + 2];  // the paths' buffer
};

// OSVERSIONINFOA, the launcher's record (the failure table refuses a size beside it).
TEST_F(ConformanceSystem, VersionFillsTheRecordAndNothingPastIt) {
  alignas(OSVERSIONINFOA) char record[256];
  PoisonAll(record);
  auto* info = reinterpret_cast<OSVERSIONINFOA*>(record);
  info->dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
  ASSERT_TRUE(P().GetVersionExA(info));
  EXPECT_EQ(info->dwPlatformId, VER_PLATFORM_WIN32_NT);
  EXPECT_GE(info->dwMajorVersion, 5u);
  EXPECT_NE(std::memchr(info->szCSDVersion, '\0', sizeof info->szCSDVersion), nullptr);
  EXPECT_EQ(record[sizeof(OSVERSIONINFOA)], kPoisonByte) << "nothing is written past the record";
}

struct KnownError {
  DWORD code;
  const char* name;
  const char* text;
};

constexpr KnownError kErrors[] = {
#define ORV_ERROR(name, number, text) {number, #name, text},
#include "platform/errors.def"
#undef ORV_ERROR
};

class ConformanceSystemMessages : public ConformanceSystem,
                                  public ::testing::WithParamInterface<KnownError> {};

// The text exactly, under the width mask (the launcher's) ending in a blank.
TEST_P(ConformanceSystemMessages, AreTheSystemsTexts) {
  const KnownError& e = GetParam();
  char message[512];
  PoisonAll(message);
  DWORD n = P().FormatMessageA(
      FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_MAX_WIDTH_MASK,
      nullptr, e.code, 0, message, sizeof message, nullptr);
  ASSERT_GT(n, 1u);
  EXPECT_EQ(message[n - 1], ' ');
  EXPECT_EQ(message[n], '\0');
  EXPECT_EQ(message[n + 1], kPoisonByte);
  // Wine words its English texts its own way for all of these but two.
  TODO_WINE_EQ_IF(e.code != ERROR_INVALID_WINDOW_HANDLE && e.code != ERROR_INVALID_FLAGS,
                  std::string(e.text), std::string(message, n - 1));
}

INSTANTIATE_TEST_SUITE_P(All, ConformanceSystemMessages, ::testing::ValuesIn(kErrors),
                         [](const auto& info) { return std::string(info.param.name); });

// With the flags the launcher passes, inserts not ignored: a text with an insert fails.
TEST_F(ConformanceSystem, FormatRefusesATextWithAnInsert) {
  char message[512];
  PoisonAll(message);
  EXPECT_EQ(P().FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_MAX_WIDTH_MASK, nullptr,
                               ERROR_BAD_EXE_FORMAT, 0, message, sizeof message, nullptr),
            0u);
  EXPECT_EQ(P().GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST_F(ConformanceSystem, TempPathBufferRules) {
  PoisonAll(buffer);
  DWORD length = P().GetTempPathA(sizeof buffer, buffer);
  ASSERT_GT(length, 3u);
  const std::string temp(buffer, length);
  EXPECT_EQ(temp.back(), '\\') << temp;
  PoisonAll(buffer);
  EXPECT_EQ(P().GetTempPathA(length, buffer), length + 1);
  EXPECT_EQ(buffer[0], kPoisonByte) << "a short buffer gets nothing";
  PoisonAll(buffer);
  EXPECT_EQ(P().GetTempPathA(length + 1, buffer), length);
  EXPECT_EQ(std::string(buffer), temp);
  EXPECT_EQ(buffer[length + 1], kPoisonByte);
  EXPECT_EQ(P().GetLastError(), kPoison);
}

TEST_F(ConformanceSystem, ShortPathBufferRules) {
  MakeDir("Long Folder Name");
  MakeFile("Long Folder Name\\Long File Name.text");
  PoisonAll(buffer);
  std::string longPath = Path("Long Folder Name\\Long File Name.text");
  DWORD length = P().GetShortPathNameA(longPath.c_str(), buffer, sizeof buffer);
  ASSERT_GT(length, 0u);
  const std::string shortPath(buffer, length);
  PoisonAll(buffer);
  EXPECT_EQ(P().GetShortPathNameA(longPath.c_str(), buffer, length), length + 1);
  EXPECT_EQ(buffer[0], kPoisonByte) << "a short buffer gets nothing";
  Poison();
  EXPECT_EQ(P().GetShortPathNameA(longPath.c_str(), buffer, length + 1), length) << "exact fit";
  EXPECT_EQ(std::string(buffer), shortPath);
  EXPECT_EQ(buffer[length + 1], kPoisonByte);
  EXPECT_EQ(P().GetLastError(), kPoison);
  EXPECT_EQ(H().GetFileAttributesA(shortPath.c_str()), FILE_ATTRIBUTE_ARCHIVE) << shortPath;
}

TEST_F(ConformanceSystem, ModuleFileNameIsCutToTheBuffer) {
  char full[MAX_PATH + 2];
  PoisonAll(full);
  DWORD length = P().GetModuleFileNameA(nullptr, full, sizeof full);
  ASSERT_GT(length, 3u);
  ASSERT_LT(length, sizeof full - 1);
  EXPECT_EQ(full[length], '\0');
  EXPECT_EQ(full[1], ':') << full;
  PoisonAll(buffer);
  EXPECT_EQ(P().GetModuleFileNameA(nullptr, buffer, length + 1), length) << "exact fit";
  EXPECT_EQ(std::string(buffer), full);
  PoisonAll(buffer);
  EXPECT_EQ(P().GetModuleFileNameA(nullptr, buffer, length), length);
  EXPECT_EQ(P().GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  TODO_WINE_EQ(std::string(full, length - 1) + '\0', std::string(buffer, length));
  EXPECT_EQ(buffer[length], kPoisonByte);
}

TEST_F(ConformanceSystem, EnvironmentVariableBufferRules) {
  ASSERT_TRUE(H().SetEnvironmentVariableA("ORV_CONFORMANCE", "value"));
  struct {
    const char* name;
    DWORD size;
    DWORD result;
    const char* text;  // what the buffer holds; nullptr: not looked at
  } cases[] = {
      {"ORV_CONFORMANCE", 16, 5, "value"},
      {"orv_conformance", 6, 5, "value"},
      {"ORV_CONFORMANCE", 5, 6, nullptr},
      {"ORV_CONFORMANCE_", 16, 0, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.name) + " " + std::to_string(c.size));
    PoisonAll(buffer);
    EXPECT_EQ(P().GetEnvironmentVariableA(c.name, buffer, c.size), c.result);
    EXPECT_EQ(P().GetLastError(), c.result ? kPoison : ERROR_ENVVAR_NOT_FOUND);
    if (!c.text) continue;
    EXPECT_EQ(std::string(buffer), c.text);
    EXPECT_EQ(buffer[c.result + 1], kPoisonByte);
  }
  ASSERT_TRUE(H().SetEnvironmentVariableA("ORV_CONFORMANCE", nullptr));
  Poison();
  EXPECT_EQ(P().GetEnvironmentVariableA("ORV_CONFORMANCE", nullptr, 0), 0u) << "removed";
  EXPECT_EQ(P().GetLastError(), ERROR_ENVVAR_NOT_FOUND);
}

}  // namespace
