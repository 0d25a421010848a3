#include "winsys/paths.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/faults/faults.h"
#include "tests/support/machine_fixture.h"
#include "winsys/winsys.h"

namespace {

using platform::Current;

class PathsTest : public ::testing::Test {
 protected:
  void SetUp() override { winsys::Winsys() = winsys::State{}; }

  std::size_t Count(const std::string& kind) const {
    const auto& events = machine.transcript.Events();
    return static_cast<std::size_t>(std::count_if(
        events.begin(), events.end(), [&](const auto& event) { return event.kind == kind; }));
  }
  const hosted::Event* LastBox() const {
    const auto& events = machine.transcript.Events();
    for (auto it = events.rbegin(); it != events.rend(); ++it)
      if (it->kind == "box") return &*it;
    return nullptr;
  }
  bool Exists(const std::string& relative) const {
    return std::filesystem::exists(machine.dir / relative);
  }

  testing_support::TempMachine machine;
};

TEST(PathSplit, PartsDivideAtTheLastColonOrBackslash) {
  const std::string longName(300, 'n');
  const struct {
    std::string path, pathPart, namePart;
  } cases[] = {
      {"C:\\dir\\file.txt", "C:\\dir\\", "file.txt"},
      {"C:file", "C:", "file"},
      {"file", "", "file"},
      {"C:\\dir\\", "C:\\dir\\", ""},
      {"", "", ""},
      {"C:\\x\\dir/sub", "C:\\x\\", "dir/sub"},
      {"\\\\server\\share", "\\\\server\\", "share"},
      {"C:\\" + longName, "C:\\", longName.substr(0, 255)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(winsys::PathPart(c.path), c.pathPart);
    EXPECT_EQ(winsys::NamePart(c.path), c.namePart);
  }
}

TEST(PathSplit, AddBackslashOnlyWhereMissing) {
  const struct {
    const char* path;
    const char* result;
  } cases[] = {{"", ""}, {"C:", "C:\\"}, {"C:\\", "C:\\"}, {"C:\\dir/", "C:\\dir/\\"}};
  for (const auto& c : cases) EXPECT_EQ(winsys::AddBackslash(c.path), c.result) << c.path;
}

TEST(PathSplit, SanitiserMapsOnlyTheNamePart) {
  const struct {
    const char* path;
    const char* result;
  } cases[] = {
      {"C:\\dir\\a<1>|c%.txt", "C:\\dir\\a[1]_c_.txt"},
      {"C:\\x\\dir/sub", "C:\\x\\dir_sub"},
      {"C:\\d<i>r\\", "C:\\d<i>r\\"},
      {"C:\\dir\\q\"*?.lst", "C:\\dir\\q_*?.lst"},
      {"C:<a>", "C:[a]"},
  };
  for (const auto& c : cases) EXPECT_EQ(winsys::SanitizeFileName(c.path), c.result) << c.path;
}

TEST_F(PathsTest, ShortPathFallsBackToThePathItself) {
  // 8.3 names throughout, so the short form is the path itself: 258 characters.
  std::string deep = "C:";
  std::string host = "c";
  for (int i = 0; i < 27; ++i) {
    deep += "\\abcdefgh";
    host += "/abcdefgh";
  }
  deep += "\\abcdefgh.txt";
  host += "/abcdefgh.txt";
  machine.MakeDir(host);
  machine.MakeDir("c/Program Files/Orvanel Product");
  auto& hosted = machine.Start();
  const std::string longName = "C:\\Program Files\\Orvanel Product";
  const std::string shortName = winsys::ShortPath(longName);
  EXPECT_NE(shortName, longName);
  EXPECT_EQ(shortName.find(' '), std::string::npos);
  EXPECT_EQ(winsys::ShortPath("C:\\no such dir"), "C:\\no such dir");
  // A short form that does not fit the buffer.
  EXPECT_EQ(winsys::ShortPath(deep), deep);
  faults::FaultPlatform failing(hosted, {{"GetShortPathNameA", 0, platform::ERROR_ACCESS_DENIED}});
  platform::ScopedPlatform installed(failing);
  EXPECT_EQ(winsys::ShortPath(longName), longName);
  EXPECT_EQ(Count("box"), 0u);
}

TEST_F(PathsTest, TempDirEndsInABackslashOrIsEmpty) {
  const struct {
    std::string temp;
    std::string result;
    bool box;
  } cases[] = {
      {"C:\\TEMP\\", "C:\\TEMP\\", false},
      {"C:\\TMP", "C:\\TMP\\", false},
      {"", "", true},
      {"C:\\" + std::string(260, 't') + "\\", "", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.temp);
    machine.config.temp = c.temp;
    machine.Start();
    std::size_t boxes = Count("box");
    EXPECT_EQ(winsys::GetTempDir(), c.result);
    ASSERT_EQ(Count("box"), boxes + (c.box ? 1 : 0));
    if (c.box) {
      EXPECT_EQ(LastBox()->Find("caption")->text, "Windows Error: GetTempPath");
    }
  }
}

TEST_F(PathsTest, CompareNoCaseFoldsCodePage1252Letters) {
  auto& hosted = machine.Start();
  const struct {
    std::string a, b;
    int sign;
  } cases[] = {
      {"autorun", "AUTORUN", 0},
      {"", "", 0},
      {"\xE9t\xE9", "\xC9T\xC9", 0},  // é and É
      {"\xFE", "\xDE", 0},            // þ and Þ
      {"a", "b", -1},
      {"B", "a", 1},
      {"abc", "ab", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.a + " / " + c.b);
    int result = winsys::CompareNoCase(c.a, c.b);
    EXPECT_EQ((result > 0) - (result < 0), c.sign);
  }
  faults::FaultPlatform failing(hosted, {{"CompareStringA", 0, platform::ERROR_INVALID_PARAMETER}});
  platform::ScopedPlatform installed(failing);
  EXPECT_EQ(winsys::CompareNoCase("a", "a"), -2);
}

TEST_F(PathsTest, DriveExistsForEveryKnownType) {
  machine.config.drives.push_back({'A', hosted::DriveKind::Removable, std::nullopt, false});
  machine.config.drives.push_back({'E', hosted::DriveKind::CdRom, std::nullopt, true});
  machine.config.drives.push_back({'N', hosted::DriveKind::Remote, machine.MakeDir("net"), false});
  machine.config.drives.push_back({'R', hosted::DriveKind::RamDisk, machine.MakeDir("ram"), false});
  std::sort(machine.config.drives.begin(), machine.config.drives.end(),
            [](const auto& a, const auto& b) { return a.letter < b.letter; });
  machine.Start();
  const struct {
    char letter;
    bool exists;
  } cases[] = {{'A', true}, {'C', true}, {'c', true},  {'D', true},  {'E', true},
               {'N', true}, {'R', true}, {'Z', false}, {'$', false}, {'\\', false}};
  for (const auto& c : cases) EXPECT_EQ(winsys::DriveExists(c.letter), c.exists) << c.letter;
  EXPECT_EQ(Count("critical-error"), 0u);
}

TEST_F(PathsTest, SuppressingSetsExactlyOneAndRestoringBringsThePreviousModeBack) {
  machine.Start();
  constexpr platform::UINT kPrevious = platform::SEM_NOOPENFILEERRORBOX | 0x6;
  Current().SetErrorMode(kPrevious);
  winsys::SetCriticalErrorBoxes(true);
  EXPECT_EQ(Current().SetErrorMode(platform::SEM_FAILCRITICALERRORS),
            platform::SEM_FAILCRITICALERRORS);
  winsys::SetCriticalErrorBoxes(false);
  EXPECT_EQ(Current().SetErrorMode(0), kPrevious);
  EXPECT_EQ(winsys::Winsys().savedErrorMode, kPrevious);
  EXPECT_EQ(Count("box"), 0u);
}

TEST_F(PathsTest, IsWritableDirProbesWithoutBoxesOrLeftovers) {
  machine.config.drives.push_back({'A', hosted::DriveKind::Removable, std::nullopt, false});
  machine.config.drives.push_back({'E', hosted::DriveKind::CdRom, std::nullopt, true});
  machine.config.drives.push_back({'N', hosted::DriveKind::Remote, machine.MakeDir("net"), false});
  std::sort(machine.config.drives.begin(), machine.config.drives.end(),
            [](const auto& a, const auto& b) { return a.letter < b.letter; });
  machine.config.protectedDirs = {"C:\\Program Files"};
  machine.config.userAdmin = false;
  machine.MakeDir("c/dir");
  machine.MakeDir("c/xyz");
  machine.MakeDir("c/Program Files");
  machine.MakeDir("cd/dir");
  machine.Start();
  const struct {
    const char* dir;
    bool writable;
  } cases[] = {
      {"C:\\dir", true},
      {"C:\\dir\\", true},
      {"N:\\", true},
      {"C:\\missing", false},
      {"D:\\dir", false},
      {"A:\\", false},
      {"E:\\", false},
      {"C:\\Program Files", false},
      {"", false},
      {"\\\\server\\share", false},
      // Relative: the first character is taken as the drive letter, the probe then goes to
      // the current directory (C:\).
      {"dir", true},
      {"xyz", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.dir);
    Current().SetErrorMode(platform::SEM_NOOPENFILEERRORBOX);
    EXPECT_EQ(winsys::IsWritableDir(c.dir), c.writable);
    EXPECT_EQ(Current().SetErrorMode(0), platform::SEM_NOOPENFILEERRORBOX);
  }
  EXPECT_EQ(Count("critical-error"), 0u);
  EXPECT_EQ(Count("box"), 0u);
  EXPECT_FALSE(Exists("c/dir/$$$.$$$"));
  EXPECT_FALSE(Exists("net/$$$.$$$"));
}

TEST_F(PathsTest, IsWritableDirRemovesAnOldReadOnlyScratchFile) {
  machine.Write("c/dir/$$$.$$$", "older scratch");
  machine.Start();
  ASSERT_TRUE(Current().SetFileAttributesA("C:\\dir\\$$$.$$$", platform::FILE_ATTRIBUTE_READONLY));
  EXPECT_TRUE(winsys::IsWritableDir("C:\\dir"));
  EXPECT_FALSE(Exists("c/dir/$$$.$$$"));
}

TEST_F(PathsTest, IsWritableDirIsFalseWhenTheWriteFallsShort) {
  machine.config.freeBytes['C'] = 6;
  machine.Start();
  EXPECT_FALSE(winsys::IsWritableDir("C:\\"));
  EXPECT_FALSE(Exists("c/$$$.$$$"));
  EXPECT_EQ(Current().SetErrorMode(0), 0u);
}

TEST_F(PathsTest, ASuppressedDriveWithoutMediumRaisesNoCriticalError) {
  machine.config.drives.push_back({'A', hosted::DriveKind::Removable, std::nullopt, false});
  std::sort(machine.config.drives.begin(), machine.config.drives.end(),
            [](const auto& a, const auto& b) { return a.letter < b.letter; });
  machine.Start();
  // Unsuppressed, the same touch shows the system's box: the probe's switch is what keeps
  // it away.
  EXPECT_EQ(Current().GetFileAttributesA("A:\\x"), platform::INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(Count("critical-error"), 1u);
  EXPECT_FALSE(winsys::IsWritableDir("A:\\"));
  EXPECT_EQ(Count("critical-error"), 1u);
}

}  // namespace
