// File and path helpers; the modules-datadir-* scenarios pin the writable-folder probe, the
// temp-* scenarios the temporary folder's usual answers and its reports.
#include "winsys/files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <optional>

#include "platform/faults/faults.h"
#include "tests/support/machine_fixture.h"
#include "winsys/errors.h"
#include "winsys/paths.h"

namespace {

using namespace platform;
using winsys::FileStamp;

// Every file time in these tests is 04:05:06 UTC on 3 February of some year.
long long At(int year) {
  using namespace std::chrono;
  auto date = sys_days{std::chrono::year{year} / 2 / 3};
  return duration_cast<seconds>(date.time_since_epoch()).count() + 4 * 3600 + 5 * 60 + 6;
}
constexpr FileStamp Packed(int year) {
  return static_cast<FileStamp>((static_cast<std::uint32_t>(year - 1980) << 25) | (2 << 21) |
                                (3 << 16) | (4 << 11) | (5 << 5) | 3);
}
constexpr FileStamp kStamp = Packed(2001);

class FilesTest : public ::testing::Test {
 protected:
  void File(const std::string& relative, std::string_view content, int year = 2001) {
    machine.Write(relative, content);
    machine.SetMtime(relative, At(year));
  }
  testing_support::TempMachine machine;
};

TEST_F(FilesTest, LookupsAgreeOnWhatCountsAsAFile) {
  File("c/d/a.txt", "hello");
  File("c/d/empty.txt", "");
  File("c/d/old.txt", "x", 1979);
  File("c/d/late.txt", "late", 2050);
  machine.MakeDir("c/d/sub");
  machine.Start();
  const struct {
    const char* path;
    FileStamp pathStamp;
    bool exists;
    FileStamp fileStamp;
    std::int32_t size;
  } cases[] = {
      {"", -1, false, 0, -1},
      {"C:\\d\\sub", -1, false, 0, -1},
      {"c:\\D\\A.TXT", kStamp, true, kStamp, 5},
      {"C:\\d\\empty.txt", kStamp, true, kStamp, 0},
      {"C:\\d\\old.txt", -1, false, -1, -1},  // opens, but has no packed time
      {"C:\\d\\late.txt", Packed(2050), true, Packed(2050), 4},
      // The search answers for its first entry; a wildcard name does not open.
      {"C:\\d\\a*.txt", kStamp, true, 0, -1},
      {"C:\\d\\*", -1, false, 0, -1},  // the "." entry
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(winsys::PathStamp(c.path), c.pathStamp);
    EXPECT_EQ(winsys::FileExistsNonEmpty(c.path), c.exists);
    EXPECT_EQ(winsys::GetFileStamp(c.path), c.fileStamp);
    EXPECT_EQ(winsys::GetFileSizeOrMinus1(c.path), c.size);
  }
}

TEST_F(FilesTest, NoSizeAfterAFailedCloseOrBeyond31Bits) {
  File("c/a", "hello");
  machine.Start();
  for (std::uintmax_t size : {0x80000000ull, 0x100000005ull, 0x7FFFFFFFull}) {
    std::filesystem::resize_file(machine.dir / "c/a", size);  // sparse on the host
    EXPECT_EQ(winsys::GetFileSizeOrMinus1("C:\\a"), size == 0x7FFFFFFF ? 0x7FFFFFFF : -1) << size;
  }
  faults::FaultPlatform failing(machine.Platform(), {{"CloseHandle", 1, ERROR_INVALID_HANDLE}});
  ScopedPlatform installed(failing);
  EXPECT_EQ(winsys::GetFileSizeOrMinus1("C:\\a"), -1);
}

TEST_F(FilesTest, FilesMatchBySizeThenStampOrContent) {
  const std::string blocks(70000, 'x');
  std::string laterBlockDiffers = blocks;
  laterBlockDiffers[65536 + 10] = 'y';
  const struct {
    std::optional<std::string> a, b;
    int bYear;
    bool byContent, byStamp;
  } cases[] = {
      {std::nullopt, std::nullopt, 2001, false, false},
      {"", "", 2001, true, true},
      {"", "", 2003, true, false},
      {"abc", "abc", 2003, true, false},
      {"abc", "abd", 2001, false, true},
      {"abc", "abcd", 2001, false, false},
      {blocks, blocks, 2001, true, true},
      {blocks, laterBlockDiffers, 2001, false, true},
  };
  machine.Start();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.b.value_or("(missing)").substr(0, 8));
    std::filesystem::remove_all(machine.dir / "c/m");
    if (c.a) File("c/m/a", *c.a);
    if (c.b) File("c/m/b", *c.b, c.bYear);
    EXPECT_EQ(winsys::FilesMatch("C:\\m\\a", "C:\\m\\b", false), c.byContent);
    EXPECT_EQ(winsys::FilesMatch("C:\\m\\a", "C:\\m\\b", true), c.byStamp);
  }
}

TEST_F(FilesTest, AFailedReadIsNoMatch) {
  File("c/a", std::string(70000, 'x'));
  File("c/b", std::string(70000, 'x'));
  auto& hosted = machine.Start();
  for (unsigned nth : {1u, 2u, 3u, 4u}) {  // the reads alternate between a and b
    faults::FaultPlatform failing(hosted, {{"ReadFile", nth, 23}});
    ScopedPlatform installed(failing);
    EXPECT_FALSE(winsys::FilesMatch("C:\\a", "C:\\b", false)) << nth;
  }
}

TEST_F(FilesTest, CopyReplacesTheTargetAndCarriesTheStamp) {
  std::string content(200000, '\0');
  for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 7);
  File("cd/src", content);
  File("cd/empty", "", 2050);  // a stamp that is negative as a signed number
  File("c/old", "previous", 2003);
  File("c/same", "differs!", 2001);
  File("cd/same", "original", 2001);
  machine.Start();
  Current().SetFileAttributesA("C:\\old", FILE_ATTRIBUTE_READONLY);
  EXPECT_TRUE(winsys::CopyFileKeepDate("D:\\src", "C:\\old"));
  EXPECT_EQ(machine.Read("c/old"), content);
  EXPECT_EQ(winsys::PathStamp("C:\\old"), kStamp);
  EXPECT_EQ(machine.Platform().Files().GetFileAttributesA("C:\\old") & FILE_ATTRIBUTE_READONLY, 0u);
  EXPECT_TRUE(winsys::CopyFileKeepDate("D:\\empty", "C:\\new"));
  EXPECT_EQ(winsys::PathStamp("C:\\new"), Packed(2050));
  // A pair of equal size and stamp counts as current, whatever the bytes.
  EXPECT_TRUE(winsys::CopyFileKeepDate("D:\\same", "C:\\same"));
  EXPECT_EQ(machine.Read("c/same"), "differs!");
}

// The modules-* scenarios pin the list's lines and a list that cannot be written whole.
TEST_F(FilesTest, SaveListToFileRaisesTheReason) {
  machine.config.freeBytes['C'] = 30;
  machine.Start();
  for (auto [path, code] : {std::pair{"C:\\x\\x.lst", 3}, {"C:\\full", 101}}) {
    try {
      winsys::SaveListToFile({"a line that is longer than all the free space left on the drive"},
                             path);
      ADD_FAILURE() << path;
    } catch (const winsys::EInOutError& error) {
      EXPECT_EQ(error.Code(), code) << path;
    }
  }
}

TEST(PathNames, SplitAndSanitise) {
  const std::string longName(300, 'n');
  const struct {
    std::string path, pathPart, namePart, sanitised;
  } cases[] = {
      {"C:\\dir\\a<1>|c%.txt", "C:\\dir\\", "a<1>|c%.txt", "C:\\dir\\a[1]_c_.txt"},
      {"C:<\"*?>", "C:", "<\"*?>", "C:[_*?]"},
      {"C:\\d<i>r\\", "C:\\d<i>r\\", "", "C:\\d<i>r\\"},
      {"C:\\" + longName, "C:\\", longName.substr(0, 255), "C:\\" + longName.substr(0, 255)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(winsys::PathPart(c.path), c.pathPart);
    EXPECT_EQ(winsys::NamePart(c.path), c.namePart);
    EXPECT_EQ(winsys::SanitizeFileName(c.path), c.sanitised);
  }
}

// Answers that do not fit the buffer: the short form falls back to the path itself, and a
// temporary folder counts as none, unreported (the last error is 0).
TEST_F(FilesTest, PathAnswersTooLongForTheBuffer) {
  std::string deep = "C:";  // 8.3 names throughout: the 258-character short form is itself
  for (int i = 0; i < 27; ++i) deep += "\\abcdefgh";
  deep += "\\abcdefgh.txt";
  std::string host = deep.substr(2);
  std::replace(host.begin(), host.end(), '\\', '/');
  machine.MakeDir("c" + host);
  machine.config.temp = "C:\\" + std::string(260, 't') + "\\";
  machine.Start();
  EXPECT_EQ(winsys::ShortPath(deep), deep);
  EXPECT_EQ(winsys::ShortPath("C:\\no such dir"), "C:\\no such dir");
  EXPECT_EQ(winsys::GetTempDir(), "");
  EXPECT_TRUE(machine.Events("box").empty());
}

}  // namespace
