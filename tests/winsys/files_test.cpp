#include "winsys/files.h"

#include <gtest/gtest.h>

#include <chrono>
#include <optional>

#include "platform/faults/faults.h"
#include "tests/support/machine_fixture.h"
#include "winsys/errors.h"
#include "winsys/winsys.h"

namespace {

using platform::Current;
using winsys::FileStamp;

constexpr FileStamp Packed(int year, unsigned month, unsigned day, unsigned hour, unsigned minute,
                           unsigned second) {
  return static_cast<FileStamp>((static_cast<std::uint32_t>(year - 1980) << 25) | (month << 21) |
                                (day << 16) | (hour << 11) | (minute << 5) | (second / 2));
}

long long UnixSeconds(int year, unsigned month, unsigned day, unsigned hour, unsigned minute,
                      unsigned second) {
  using namespace std::chrono;
  auto days = sys_days{std::chrono::year{year} / month / day};
  return duration_cast<seconds>(days.time_since_epoch()).count() + hour * 3600 + minute * 60 +
         second;
}

const long long kTime = UnixSeconds(2001, 2, 3, 4, 5, 6);
const long long kLaterTime = UnixSeconds(2003, 7, 8, 9, 10, 12);
constexpr FileStamp kStamp = Packed(2001, 2, 3, 4, 5, 6);
constexpr FileStamp kLaterStamp = Packed(2003, 7, 8, 9, 10, 12);
constexpr FileStamp kLateStamp = Packed(2050, 6, 1, 12, 0, 0);

class FilesTest : public ::testing::Test {
 protected:
  void SetUp() override { winsys::Winsys() = winsys::State{}; }

  void File(const std::string& relative, std::string_view content, long long time = kTime) {
    machine.Write(relative, content);
    machine.SetMtime(relative, time);
  }
  bool Exists(const std::string& relative) const {
    return std::filesystem::exists(machine.dir / relative);
  }
  platform::DWORD Attributes(const std::string& path) {
    return Current().GetFileAttributesA(path.c_str());
  }
  void MakeReadOnly(const std::string& path) {
    ASSERT_TRUE(Current().SetFileAttributesA(path.c_str(), platform::FILE_ATTRIBUTE_READONLY));
  }

  testing_support::TempMachine machine;
};

struct LookupCase {
  const char* name;
  const char* path;
  FileStamp pathStamp;
  bool exists;
  FileStamp fileStamp;
  std::int32_t size;
};

TEST_F(FilesTest, LookupsAgreeOnWhatCountsAsAFile) {
  File("c/data/a.txt", "hello");
  File("c/data/empty.txt", "");
  File("c/data/old.txt", "x", UnixSeconds(1979, 12, 31, 23, 59, 58));
  File("c/data/late.txt", "late", UnixSeconds(2050, 6, 1, 12, 0, 0));
  File("c/data/ro.txt", "readonly");
  machine.MakeDir("c/data/sub");
  machine.Start();
  MakeReadOnly("C:\\data\\ro.txt");

  const LookupCase cases[] = {
      {"empty path", "", -1, false, 0, -1},
      {"missing", "C:\\data\\none.txt", -1, false, 0, -1},
      {"directory", "C:\\data\\sub", -1, false, 0, -1},
      {"file", "C:\\data\\a.txt", kStamp, true, kStamp, 5},
      {"other letter case", "c:\\DATA\\A.TXT", kStamp, true, kStamp, 5},
      {"empty file", "C:\\data\\empty.txt", kStamp, true, kStamp, 0},
      {"read-only file", "C:\\data\\ro.txt", kStamp, true, kStamp, 8},
      // Opens, but its time has no packed form.
      {"before 1980", "C:\\data\\old.txt", -1, false, -1, -1},
      {"after 2043", "C:\\data\\late.txt", kLateStamp, true, kLateStamp, 4},
      // The search answers for its first entry; a wildcard name does not open.
      {"wildcard finding a file", "C:\\data\\a*.txt", kStamp, true, 0, -1},
      {"wildcard finding a directory", "C:\\data\\s?b", -1, false, 0, -1},
      {"wildcard finding the dot entry", "C:\\data\\*", -1, false, 0, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(winsys::PathStamp(c.path), c.pathStamp);
    EXPECT_EQ(winsys::FileExistsNonEmpty(c.path), c.exists);
    EXPECT_EQ(winsys::GetFileStamp(c.path), c.fileStamp);
    EXPECT_EQ(winsys::GetFileSizeOrMinus1(c.path), c.size);
  }
  EXPECT_LT(kLateStamp, -1);
}

TEST_F(FilesTest, SizeOfAFileOpenForWritingOrFailingToCloseIsMinus1) {
  File("c/a.txt", "hello");
  auto& hosted = machine.Start();
  platform::HANDLE writer =
      Current().CreateFileA("C:\\a.txt", platform::GENERIC_WRITE, platform::FILE_SHARE_READ,
                            nullptr, platform::OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(writer, platform::INVALID_HANDLE_VALUE);
  EXPECT_EQ(winsys::GetFileSizeOrMinus1("C:\\a.txt"), -1);
  Current().CloseHandle(writer);
  EXPECT_EQ(winsys::GetFileSizeOrMinus1("C:\\a.txt"), 5);

  faults::FaultPlatform failing(hosted, {{"CloseHandle", 1, platform::ERROR_INVALID_HANDLE}});
  platform::ScopedPlatform installed(failing);
  EXPECT_EQ(winsys::GetFileSizeOrMinus1("C:\\a.txt"), -1);
}

TEST_F(FilesTest, SizesBeyondTheSigned32BitRangeCountAsNoSize) {
  const struct {
    const char* name;
    std::uintmax_t size;
    std::int32_t result;
  } cases[] = {{"largest", 0x7FFFFFFF, 0x7FFFFFFF},
               {"2 GiB", 0x80000000, -1},
               {"above 4 GiB", 0x100000005, -1}};
  machine.Start();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    File("c/huge", "");
    std::filesystem::resize_file(machine.dir / "c/huge", c.size);  // sparse on the host
    EXPECT_EQ(winsys::GetFileSizeOrMinus1("C:\\huge"), c.result);
  }
}

struct MatchCase {
  const char* name;
  std::optional<std::string> a;
  long long aTime;
  std::optional<std::string> b;
  long long bTime;
  bool byContent;
  bool byStamp;
};

TEST_F(FilesTest, FilesMatchBySizeThenStampOrContent) {
  const std::string twoBlocks(70000, 'x');
  std::string secondBlockDiffers = twoBlocks;
  secondBlockDiffers[65536 + 10] = 'y';
  const MatchCase cases[] = {
      {"both missing", std::nullopt, kTime, std::nullopt, kTime, false, false},
      {"first missing", std::nullopt, kTime, "abc", kTime, false, false},
      {"second missing", "abc", kTime, std::nullopt, kTime, false, false},
      {"two empty files", "", kTime, "", kTime, true, true},
      {"two empty files, stamps differ", "", kTime, "", kLaterTime, true, false},
      {"same bytes, stamps differ", "abc", kTime, "abc", kLaterTime, true, false},
      {"same size and stamp, bytes differ", "abc", kTime, "abd", kTime, false, true},
      {"sizes differ", "abc", kTime, "abcd", kTime, false, false},
      {"two equal blocks", twoBlocks, kTime, twoBlocks, kTime, true, true},
      {"second block differs", twoBlocks, kTime, secondBlockDiffers, kTime, false, true},
  };
  machine.Start();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove_all(machine.dir / "c/m");
    machine.MakeDir("c/m");
    if (c.a) File("c/m/a", *c.a, c.aTime);
    if (c.b) File("c/m/b", *c.b, c.bTime);
    EXPECT_EQ(winsys::FilesMatch("C:\\m\\a", "C:\\m\\b", false), c.byContent);
    EXPECT_EQ(winsys::FilesMatch("C:\\m\\a", "C:\\m\\b", true), c.byStamp);
  }
}

TEST_F(FilesTest, AFailedReadIsNoMatch) {
  const std::string twoBlocks(70000, 'x');
  File("c/a", twoBlocks);
  File("c/b", twoBlocks);
  auto& hosted = machine.Start();
  ASSERT_TRUE(winsys::FilesMatch("C:\\a", "C:\\b", false));
  // Reads alternate: the first file's block, then the second's.
  for (unsigned nth : {1u, 2u, 3u, 4u}) {
    SCOPED_TRACE(nth);
    faults::FaultPlatform failing(hosted, {{"ReadFile", nth, 23}});
    platform::ScopedPlatform installed(failing);
    EXPECT_FALSE(winsys::FilesMatch("C:\\a", "C:\\b", false));
  }
}

TEST_F(FilesTest, ComparisonByStampOpensNoFile) {
  File("c/a", "abc");
  File("c/b", "abd");
  auto& hosted = machine.Start();
  // Only the two size queries open files: a third open would fail.
  faults::FaultPlatform failing(hosted, {{"CreateFileA", 3, platform::ERROR_ACCESS_DENIED}});
  platform::ScopedPlatform installed(failing);
  EXPECT_TRUE(winsys::FilesMatch("C:\\a", "C:\\b", true));
}

TEST_F(FilesTest, CopyCarriesContentAndStampAndThenMatches) {
  std::string content(200000, '\0');
  for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 7);
  File("cd/src.bin", content);
  File("cd/empty", "");
  File("c/old.bin", "previous, longer content than nothing", kLaterTime);
  machine.Start();
  MakeReadOnly("C:\\old.bin");
  winsys::Winsys().lastCopyStatus = 9;

  EXPECT_TRUE(winsys::CopyFileKeepDate("D:\\src.bin", "C:\\old.bin"));
  EXPECT_EQ(machine.Read("c/old.bin"), content);
  EXPECT_EQ(winsys::PathStamp("C:\\old.bin"), kStamp);
  EXPECT_EQ(Attributes("C:\\old.bin") & platform::FILE_ATTRIBUTE_READONLY, 0u);
  EXPECT_EQ(winsys::Winsys().lastCopyStatus, 0);
  EXPECT_TRUE(winsys::FilesMatch("D:\\src.bin", "C:\\old.bin", true));

  EXPECT_TRUE(winsys::CopyFileKeepDate("D:\\empty", "C:\\new"));
  EXPECT_EQ(machine.Read("c/new"), "");
  EXPECT_EQ(winsys::PathStamp("C:\\new"), kStamp);
}

TEST_F(FilesTest, CopyOfAMatchingPairTouchesNothing) {
  File("c/src", "new!");
  File("c/dst", "old!");
  machine.Start();
  winsys::Winsys().lastCopyStatus = 9;
  EXPECT_TRUE(winsys::CopyFileKeepDate("C:\\src", "C:\\dst"));
  EXPECT_EQ(machine.Read("c/dst"), "old!");
  EXPECT_EQ(winsys::Winsys().lastCopyStatus, 9);
}

// Counts the reads of a file time, which only the stamp step makes.
class TimeReads : public faults::FaultPlatform {
 public:
  explicit TimeReads(platform::Platform& inner) : FaultPlatform(inner, {}) {}
  platform::BOOL GetFileTime(platform::HANDLE file, platform::FILETIME* creation,
                             platform::FILETIME* lastAccess,
                             platform::FILETIME* lastWrite) override {
    ++count;
    return FaultPlatform::GetFileTime(file, creation, lastAccess, lastWrite);
  }
  int count = 0;
};

TEST_F(FilesTest, CopyStampStepSkipsOnlyTheExactConsoleName) {
  File("c/src", "abc");
  auto& hosted = machine.Start();
  const struct {
    const char* target;
    int timeReads;
  } cases[] = {{"con", 0}, {"CON", 1}, {"Con", 1}, {"C:\\dst", 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.target);
    TimeReads counting(hosted);
    platform::ScopedPlatform installed(counting);
    EXPECT_TRUE(winsys::CopyFileKeepDate("C:\\src", c.target));
    EXPECT_EQ(counting.count, c.timeReads);
  }
}

struct FailedCopyCase {
  const char* name;
  const char* source;
  const char* target;
  int status;
  std::optional<std::string> targetAfter;  // host path below the machine, nothing: gone
};

TEST_F(FilesTest, FailedCopiesLeaveNoCurrentLookingTarget) {
  const FailedCopyCase cases[] = {
      {"missing source", "C:\\none", "C:\\keep", 1, "c/keep"},
      {"target is a directory", "C:\\src", "C:\\dir", 2, std::nullopt},
      {"empty target path", "C:\\src", "", 2, std::nullopt},
      {"target on a read-only drive", "C:\\src", "D:\\cdfile", 0, "cd/cdfile"},
      {"target folder missing", "C:\\src", "C:\\nodir\\x", 2, std::nullopt},
  };
  File("c/src", "source bytes");
  File("c/keep", "keep me");
  File("cd/cdfile", "on the cd");
  machine.MakeDir("c/dir");
  machine.Start();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_FALSE(winsys::CopyFileKeepDate(c.source, c.target));
    EXPECT_EQ(winsys::Winsys().lastCopyStatus, c.status);
  }
  EXPECT_EQ(machine.Read("c/keep"), "keep me");
  EXPECT_EQ(machine.Read("cd/cdfile"), "on the cd");
  EXPECT_TRUE(std::filesystem::is_directory(machine.dir / "c/dir"));
  EXPECT_FALSE(Exists("c/nodir"));
}

TEST_F(FilesTest, CopyOntoAFullDiskRemovesThePartialTarget) {
  File("cd/big", std::string(150000, 'b'));
  machine.config.freeBytes['C'] = 100000;
  machine.Start();
  EXPECT_FALSE(winsys::CopyFileKeepDate("D:\\big", "C:\\big"));
  EXPECT_EQ(winsys::Winsys().lastCopyStatus, 3);
  EXPECT_FALSE(Exists("c/big"));
}

TEST_F(FilesTest, CopyWhoseSourceFailsLeavesTheTargetOrNothing) {
  File("c/src", std::string(150000, 's'));
  File("c/dst", "old target");
  auto& hosted = machine.Start();
  {
    // The two size queries open the pair; the third open is the copy's source.
    faults::FaultPlatform vanishing(hosted, {{"CreateFileA", 3, platform::ERROR_FILE_NOT_FOUND}});
    platform::ScopedPlatform installed(vanishing);
    EXPECT_FALSE(winsys::CopyFileKeepDate("C:\\src", "C:\\dst"));
    EXPECT_EQ(winsys::Winsys().lastCopyStatus, 1);
    EXPECT_EQ(machine.Read("c/dst"), "old target");
  }
  {
    faults::FaultPlatform failing(hosted, {{"ReadFile", 2, 23}});
    platform::ScopedPlatform installed(failing);
    EXPECT_FALSE(winsys::CopyFileKeepDate("C:\\src", "C:\\dst"));
    EXPECT_EQ(winsys::Winsys().lastCopyStatus, 1);
    EXPECT_FALSE(Exists("c/dst"));
  }
}

TEST_F(FilesTest, EnsureFileExistsCreatesOnlyWhatIsMissing) {
  File("c/there", "content");
  machine.Start();
  MakeReadOnly("C:\\there");
  winsys::EnsureFileExists("C:\\there");
  winsys::EnsureFileExists("C:\\new");
  winsys::EnsureFileExists("C:\\nodir\\new");
  winsys::EnsureFileExists("");
  EXPECT_EQ(machine.Read("c/there"), "content");
  EXPECT_EQ(winsys::PathStamp("C:\\there"), kStamp);
  EXPECT_NE(Attributes("C:\\there") & platform::FILE_ATTRIBUTE_READONLY, 0u);
  EXPECT_TRUE(Exists("c/new"));
  EXPECT_EQ(machine.Read("c/new"), "");
  EXPECT_FALSE(Exists("c/nodir"));
}

TEST_F(FilesTest, DeleteFileForced) {
  File("c/ro", "x");
  File("cd/kept", "x");
  machine.MakeDir("c/dir");
  machine.Start();
  MakeReadOnly("C:\\ro");
  ASSERT_TRUE(Current().SetFileAttributesA("C:\\dir", platform::FILE_ATTRIBUTE_READONLY |
                                                          platform::FILE_ATTRIBUTE_HIDDEN |
                                                          platform::FILE_ATTRIBUTE_SYSTEM));
  const struct {
    const char* path;
    bool result;
  } cases[] = {
      {"C:\\ro", true}, {"C:\\none", true}, {"", true}, {"C:\\dir", true}, {"D:\\kept", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(winsys::DeleteFileForced(c.path), c.result);
  }
  EXPECT_FALSE(Exists("c/ro"));
  EXPECT_TRUE(Exists("cd/kept"));
  EXPECT_EQ(Attributes("C:\\dir"), platform::FILE_ATTRIBUTE_DIRECTORY);
}

TEST_F(FilesTest, SetFileStampChangesOnlyWritableFilesToValidStamps) {
  File("c/a", "x");
  File("c/ro", "x");
  machine.Start();
  MakeReadOnly("C:\\ro");
  const struct {
    const char* path;
    FileStamp stamp;
    FileStamp after;
  } cases[] = {{"C:\\a", kLaterStamp, kLaterStamp}, {"C:\\a", kLateStamp, kLateStamp},
               {"C:\\a", -1, kLateStamp},           {"C:\\a", 0, kLateStamp},
               {"C:\\ro", kLaterStamp, kStamp},     {"C:\\none", kLaterStamp, -1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stamp);
    winsys::SetFileStamp(c.path, c.stamp);
    EXPECT_EQ(winsys::PathStamp(c.path), c.after);
  }
}

TEST_F(FilesTest, SaveListToFileWritesLinesUnderTheSanitisedName) {
  File("c/dir/a[1].lst", "much longer previous content than the list");
  machine.Start();
  winsys::SaveListToFile({"D:\\one.orv", "", "Setup 2.0"}, "C:\\dir\\a<1>.lst");
  EXPECT_EQ(machine.Read("c/dir/a[1].lst"), "D:\\one.orv\r\n\r\nSetup 2.0\r\n");
}

TEST_F(FilesTest, SaveListToFileRaisesWhenItCannotWrite) {
  File("c/ro.lst", "read-only");
  machine.config.freeBytes['C'] = 8;
  machine.Start();
  MakeReadOnly("C:\\ro.lst");
  const struct {
    const char* path;
    int code;
  } cases[] = {{"C:\\nodir\\x.lst", 3}, {"C:\\ro.lst", 5}, {"C:\\full.lst", 101}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    try {
      winsys::SaveListToFile({"a line longer than eight bytes"}, c.path);
      ADD_FAILURE() << "no error raised";
    } catch (const winsys::EInOutError& error) {
      EXPECT_EQ(error.Code(), c.code);
    }
  }
  EXPECT_EQ(machine.Read("c/ro.lst"), "read-only");
  EXPECT_FALSE(Exists("c/full.lst"));
}

}  // namespace
