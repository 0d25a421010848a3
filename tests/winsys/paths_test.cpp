#include "winsys/paths.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/faults/faults.h"
#include "tests/support/machine_fixture.h"
#include "winsys/winsys.h"

namespace {

using namespace platform;

class PathsTest : public ::testing::Test {
 protected:
  void SetUp() override { winsys::Winsys() = winsys::State{}; }
  testing_support::TempMachine machine;
};

TEST(PathNames, SplitAndSanitise) {
  const std::string longName(300, 'n');
  const struct {
    std::string path, pathPart, namePart, sanitised;
  } cases[] = {
      {"C:\\dir\\a<1>|c%.txt", "C:\\dir\\", "a<1>|c%.txt", "C:\\dir\\a[1]_c_.txt"},
      {"C:\\x\\dir/sub", "C:\\x\\", "dir/sub", "C:\\x\\dir_sub"},
      {"C:<\"*?>", "C:", "<\"*?>", "C:[_*?]"},
      {"C:\\d<i>r\\", "C:\\d<i>r\\", "", "C:\\d<i>r\\"},
      {"file", "", "file", "file"},
      {"C:\\" + longName, "C:\\", longName.substr(0, 255), "C:\\" + longName.substr(0, 255)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(winsys::PathPart(c.path), c.pathPart);
    EXPECT_EQ(winsys::NamePart(c.path), c.namePart);
    EXPECT_EQ(winsys::SanitizeFileName(c.path), c.sanitised);
  }
}

TEST_F(PathsTest, ShortPathFallsBackToThePathItself) {
  // 8.3 names throughout, so the short form is the 258-character path itself.
  std::string deep = "C:";
  for (int i = 0; i < 27; ++i) deep += "\\abcdefgh";
  deep += "\\abcdefgh.txt";
  std::string host = deep.substr(2);
  std::replace(host.begin(), host.end(), '\\', '/');
  machine.MakeDir("c" + host);
  machine.MakeDir("c/Program Files");
  machine.Start();
  EXPECT_EQ(winsys::ShortPath("C:\\Program Files").find(' '), std::string::npos);
  EXPECT_EQ(winsys::ShortPath("C:\\no such dir"), "C:\\no such dir");
  EXPECT_EQ(winsys::ShortPath(deep), deep);
}

// The temp-* scenarios pin the usual answers and the report of an empty one.
TEST_F(PathsTest, ATempDirTooLongForTheBufferIsNoneAndUnreported) {
  machine.config.temp = "C:\\" + std::string(260, 't') + "\\";
  machine.Start();
  EXPECT_EQ(winsys::GetTempDir(), "");
  EXPECT_TRUE(machine.Events("box").empty());
}

TEST_F(PathsTest, CompareNoCaseFoldsCodePage1252Letters) {
  auto& hosted = machine.Start();
  EXPECT_EQ(winsys::CompareNoCase("autorun", "AUTORUN"), 0);
  EXPECT_EQ(winsys::CompareNoCase("", ""), 0);
  EXPECT_EQ(winsys::CompareNoCase("\xE9t\xE9\xFE", "\xC9T\xC9\xDE"), 0);  // éteþ, ÉTÉÞ
  EXPECT_LT(winsys::CompareNoCase("a", "B"), 0);
  EXPECT_GT(winsys::CompareNoCase("abc", "AB"), 0);
  faults::FaultPlatform failing(hosted, {{"CompareStringA", 0, ERROR_INVALID_PARAMETER}});
  ScopedPlatform installed(failing);
  EXPECT_EQ(winsys::CompareNoCase("a", "a"), -2);
}

// The modules-datadir-* scenarios pin where a probe finds a folder writable.
TEST_F(PathsTest, AProbeSuppressesTheSystemsBoxAndGivesTheErrorModeBack) {
  machine.config.drives.push_back({'A', hosted::DriveKind::Removable, std::nullopt, false});
  machine.Start();
  Current().SetErrorMode(SEM_NOOPENFILEERRORBOX);
  EXPECT_FALSE(winsys::IsWritableDir("A:\\"));
  EXPECT_EQ(Current().SetErrorMode(0), SEM_NOOPENFILEERRORBOX);
  EXPECT_TRUE(machine.Events("critical-error").empty());
  // Unsuppressed, a drive without a medium brings up the system's box.
  machine.Platform().Files().GetFileAttributesA("A:\\x");
  EXPECT_EQ(machine.Events("critical-error").size(), 1u);
}

}  // namespace
