// File and path answers no whole run shows; the setup-*, jaws-*, temp-* and modules-datadir-*
// scenarios pin the lookups, the copy, the temporary folder and the writable-folder probe.
#include "winsys/files.h"

#include <gtest/gtest.h>

#include <optional>

#include "platform/faults/faults.h"
#include "tests/support/machine_fixture.h"
#include "winsys/errors.h"
#include "winsys/paths.h"

namespace {

using namespace platform;
// A host file time (seconds since 1970) in the given year: only its order matters here.
long long At(int year) { return (year - 1970) * 31556952LL; }

class FilesTest : public ::testing::Test {
 protected:
  void File(const std::string& relative, std::string_view content, int year = 2001) {
    machine.Write(relative, content);
    machine.SetMtime(relative, At(year));
  }
  testing_support::TempMachine machine;
};

TEST_F(FilesTest, NoSizeBeyond31Bits) {
  File("c/a", "hello");
  machine.Start();
  for (std::uintmax_t size : {0x80000000ull, 0x100000005ull, 0x7FFFFFFFull}) {
    std::filesystem::resize_file(machine.dir / "c/a", size);  // sparse on the host
    EXPECT_EQ(winsys::GetFileSizeOrMinus1("C:\\a"), size == 0x7FFFFFFF ? 0x7FFFFFFF : -1) << size;
  }
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

// The modules-list-* scenarios pin the box and the list removed; the reason is the system's.
TEST_F(FilesTest, SaveListToFileRaisesTheReason) {
  machine.Start();
  try {
    winsys::SaveListToFile({"a"}, "C:\\x\\x.lst");
    ADD_FAILURE();
  } catch (const winsys::EInOutError& error) {
    EXPECT_EQ(error.Code(), 3);
  }
}

// The modules-datadir-no-backslash-odd-name scenario pins a name part that is translated.
TEST(PathNames, SplitAndSanitise) {
  const std::string longName(300, 'n');
  const struct {
    std::string path, pathPart, sanitised;
  } cases[] = {
      {"C:<\"*?>", "C:", "C:[_*?]"},
      {"C:\\" + longName, "C:\\", "C:\\" + longName.substr(0, 255)},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(winsys::PathPart(c.path), c.pathPart) << c.path;
    EXPECT_EQ(winsys::SanitizeFileName(c.path), c.sanitised) << c.path;
  }
}

}  // namespace
