// The system's version, message texts, paths and environment, written against Platform only:
// the same file runs against the simulated machine and against the real calls.
#include <cstring>
#include <string>
#include <utility>

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

class ConformanceSystemVersion : public ConformanceSystem,
                                 public ::testing::WithParamInterface<DWORD> {};

// 148: OSVERSIONINFOA, the launcher's record; a size beside it is refused.
TEST_P(ConformanceSystemVersion, TakesOnlyTheRecordSizes) {
  const DWORD size = GetParam();
  const bool accepted = size == 148;
  alignas(OSVERSIONINFOA) char record[256];
  PoisonAll(record);
  auto* info = reinterpret_cast<OSVERSIONINFOA*>(record);
  info->dwOSVersionInfoSize = size;
  EXPECT_EQ(P().GetVersionExA(info) != FALSE, accepted);
  EXPECT_EQ(info->dwOSVersionInfoSize, size);
  if (!accepted) {
    EXPECT_EQ(P().GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(record[sizeof(DWORD)], kPoisonByte) << "a refused record is left alone";
    return;
  }
  EXPECT_EQ(info->dwPlatformId, VER_PLATFORM_WIN32_NT);
  EXPECT_GE(info->dwMajorVersion, 5u);
  EXPECT_NE(std::memchr(info->szCSDVersion, '\0', sizeof info->szCSDVersion), nullptr);
  EXPECT_EQ(record[size], kPoisonByte) << "nothing is written past the record";
}

INSTANTIATE_TEST_SUITE_P(All, ConformanceSystemVersion, ::testing::Values(148, 147, 149));

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

// The text exactly, ending in a line break, or under the width mask in a blank.
TEST_P(ConformanceSystemMessages, AreTheSystemsTexts) {
  const KnownError& e = GetParam();
  const std::pair<DWORD, std::string> forms[] = {{0, "\r\n"}, {FORMAT_MESSAGE_MAX_WIDTH_MASK, " "}};
  for (const auto& [width, end] : forms) {
    char message[512];
    PoisonAll(message);
    DWORD n = P().FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | width,
                                 nullptr, e.code, 0, message, sizeof message, nullptr);
    ASSERT_GT(n, end.size()) << width;
    EXPECT_EQ(message[n], '\0');
    EXPECT_EQ(message[n + 1], kPoisonByte);
    const std::string text(message, n - end.size());
    EXPECT_EQ(std::string(message + text.size(), end.size()), end);
    // Wine words its English texts its own way for all of these but two.
    TODO_WINE_EQ_IF(e.code != ERROR_INVALID_WINDOW_HANDLE && e.code != ERROR_INVALID_FLAGS,
                    std::string(e.text), text);
  }
}

INSTANTIATE_TEST_SUITE_P(All, ConformanceSystemMessages, ::testing::ValuesIn(kErrors),
                         [](const auto& info) { return std::string(info.param.name); });

// With the flags the launcher passes: inserts are not ignored, lines are joined.
struct FormatCase {
  const char* name;
  DWORD id;
  int room;     // the buffer's size beyond the text's length
  DWORD error;  // 0: the call gives the text
};

class ConformanceSystemFormat : public ConformanceSystem,
                                public ::testing::WithParamInterface<FormatCase> {};

// The text is the one the inserts left alone give (ConformanceSystemMessages checks it).
TEST_P(ConformanceSystemFormat, GivesTheTextOrFails) {
  const FormatCase& c = GetParam();
  const DWORD flags = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_MAX_WIDTH_MASK;
  char text[512];
  DWORD length = P().FormatMessageA(flags | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, c.id, 0, text,
                                    sizeof text, nullptr);
  char message[512];
  PoisonAll(message);
  DWORD n = P().FormatMessageA(flags, nullptr, c.id, 0, message, length + c.room, nullptr);
  if (c.error) {
    EXPECT_EQ(n, 0u);
    EXPECT_EQ(P().GetLastError(), c.error);
    return;
  }
  EXPECT_EQ(std::string(message, n), std::string(text, length));
  EXPECT_EQ(message[n], '\0');
  EXPECT_EQ(message[n + 1], kPoisonByte);
}

const FormatCase kFormats[] = {
    {"InsertWithoutArguments", ERROR_BAD_EXE_FORMAT, 100, ERROR_INVALID_PARAMETER},
    {"ExactFit", ERROR_ACCESS_DENIED, 1, 0},
    {"NoRoomForTheNul", ERROR_ACCESS_DENIED, 0, ERROR_INSUFFICIENT_BUFFER},
};
INSTANTIATE_TEST_SUITE_P(All, ConformanceSystemFormat, ::testing::ValuesIn(kFormats),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ConformanceSystem, TempPathBufferRules) {
  PoisonAll(buffer);
  DWORD length = P().GetTempPathA(sizeof buffer, buffer);
  ASSERT_GT(length, 3u);
  const std::string temp(buffer, length);
  EXPECT_EQ(temp.back(), '\\') << temp;
  for (DWORD size : {DWORD{0}, DWORD{1}, length}) {
    PoisonAll(buffer);
    EXPECT_EQ(P().GetTempPathA(size, buffer), length + 1) << size;
    EXPECT_EQ(buffer[0], kPoisonByte) << "a short buffer gets nothing";
  }
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
  for (DWORD size : {length, DWORD{1}}) {
    PoisonAll(buffer);
    EXPECT_EQ(P().GetModuleFileNameA(nullptr, buffer, size), size);
    EXPECT_EQ(P().GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    TODO_WINE_EQ(std::string(full, size - 1) + '\0', std::string(buffer, size));
    EXPECT_EQ(buffer[size], kPoisonByte);
  }
}

TEST_F(ConformanceSystem, EnvironmentVariableBufferRules) {
  ASSERT_TRUE(H().SetEnvironmentVariableA("ORV_CONFORMANCE", "value"));
  struct {
    const char* name;
    DWORD size;
    DWORD result;
    const char* text;  // what the buffer holds; nullptr: not looked at
  } cases[] = {
      {"ORV_CONFORMANCE", 16, 5, "value"},  {"orv_conformance", 6, 5, "value"},
      {"ORV_CONFORMANCE", 5, 6, nullptr},   {"ORV_CONFORMANCE", 0, 6, nullptr},
      {"ORV_CONFORMANCE_", 16, 0, nullptr}, {"ORV_CONFORMANC", 16, 0, nullptr},
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
