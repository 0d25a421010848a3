// The modules-datadir-* scenarios pin the writable-folder probe, the temp-* scenarios the
// temporary folder's usual answers.
#include "winsys/paths.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/support/machine_fixture.h"
#include "winsys/winsys.h"

namespace {

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

// Answers that do not fit the buffer: the short form falls back to the path itself, and a
// temporary folder counts as none, unreported (the last error is 0).
TEST(Paths, AnswersTooLongForTheBuffer) {
  testing_support::TempMachine machine;
  std::string deep = "C:";  // 8.3 names throughout: the 258-character short form is itself
  for (int i = 0; i < 27; ++i) deep += "\\abcdefgh";
  deep += "\\abcdefgh.txt";
  std::string host = deep.substr(2);
  std::replace(host.begin(), host.end(), '\\', '/');
  machine.MakeDir("c" + host);
  machine.config.temp = "C:\\" + std::string(260, 't') + "\\";
  machine.Start();
  winsys::Winsys() = winsys::State{};
  EXPECT_EQ(winsys::ShortPath(deep), deep);
  EXPECT_EQ(winsys::ShortPath("C:\\no such dir"), "C:\\no such dir");
  EXPECT_EQ(winsys::GetTempDir(), "");
  EXPECT_TRUE(machine.Events("box").empty());
}

}  // namespace
