// What only the simulated machine's file system does: drives without a medium, read-only
// drives, protected folders, free bytes, aliases, attributes from the description, changes.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/machine_fixture.h"

namespace {

using namespace platform;
namespace fs = std::filesystem;

class HostedFiles : public ::testing::Test {
 protected:
  hosted::HostedPlatform& P() { return m.Platform(); }
  bool Opens(const char* name, DWORD access, DWORD disposition) {
    HANDLE h = P().CreateFileA(name, access, 0, nullptr, disposition, 0, nullptr);
    return h != INVALID_HANDLE_VALUE && P().CloseHandle(h);
  }
  // Writes data through the calls; the bytes written, a short count only when the disk is full.
  DWORD Write(const char* path, DWORD disposition, const std::string& data) {
    HANDLE h = P().CreateFileA(path, GENERIC_WRITE, 0, nullptr, disposition, 0, nullptr);
    DWORD n = 0;
    P().SetLastError(0);
    bool whole = P().WriteFile(h, data.data(), DWORD(data.size()), &n, nullptr) != FALSE;
    EXPECT_EQ(P().GetLastError(), whole ? 0u : ERROR_DISK_FULL) << path;
    P().CloseHandle(h);
    return n;
  }
  DWORD Attributes(const char* name) { return P().Files().GetFileAttributesA(name); }
  std::string Alias(const char* path) {
    WIN32_FIND_DATAA data;
    HANDLE h = P().FindFirstFileA(path, &data);
    return h != INVALID_HANDLE_VALUE && P().FindClose(h) ? data.cAlternateFileName : "<none>";
  }
  // Runs each call, which must fail with the error.
  void AllFail(const std::vector<std::function<bool()>>& calls, DWORD error) {
    for (std::size_t i = 0; i < calls.size(); ++i) {
      P().SetLastError(0);
      EXPECT_FALSE(calls[i]()) << i;
      EXPECT_EQ(P().GetLastError(), error) << i;
    }
  }

  testing_support::TempMachine m;
};

// Every call on a drive without a medium fails as not ready; unless suppressed, each first
// shows the system's box.
TEST_F(HostedFiles, DriveWithoutMediumIsNotReadyAndShowsWindowsBoxUnlessSuppressed) {
  m.config.drives.push_back({'A', hosted::DriveKind::Removable, std::nullopt, false});
  m.Start();
  char buffer[MAX_PATH];
  WIN32_FIND_DATAA data;
  const std::vector<std::function<bool()>> calls = {
      [&] { return Attributes("A:\\x") != INVALID_FILE_ATTRIBUTES; },
      [&] { return Opens("A:\\x", GENERIC_WRITE, CREATE_ALWAYS); },
      [&] { return P().FindFirstFileA("A:\\*", &data) != INVALID_HANDLE_VALUE; },
      [&] { return P().SetCurrentDirectoryA("A:\\") != FALSE; },
      [&] { return P().DeleteFileA("a:x") != FALSE; },
      [&] { return P().GetShortPathNameA("A:\\x", buffer, sizeof buffer) != 0; },
  };
  for (UINT mode : {SEM_FAILCRITICALERRORS, 0u}) {
    P().SetErrorMode(mode);
    AllFail(calls, ERROR_NOT_READY);
  }
  EXPECT_EQ(P().GetDriveTypeA("A:\\"), DRIVE_REMOVABLE) << "asking the type touches no medium";
  auto boxes = m.Events("critical-error");
  ASSERT_EQ(boxes.size(), calls.size());
  EXPECT_EQ(boxes[0].Find("drive")->text, "A:");
  EXPECT_EQ(boxes[0].Find("text")->text,
            "There is no disk in the drive. Please insert a disk into drive A:.");
}

// A read-only drive refuses every write; a protected folder refuses a user, not an
// administrator, and not a sibling whose name only begins alike.
TEST_F(HostedFiles, ReadOnlyDrivesAndProtectedFoldersRefuseWrites) {
  m.Write("cd/SETUP.EXE", "MZ");
  m.MakeDir("cd/dir");
  m.MakeDir("c/Program Files/Orv");
  m.config.protectedDirs = {"C:\\Program Files"};
  m.config.userAdmin = false;
  m.Start();
  AllFail({[&] { return Opens("D:\\new.txt", GENERIC_WRITE, CREATE_NEW); },
           [&] { return Opens("D:\\SETUP.EXE", GENERIC_WRITE, OPEN_EXISTING); },
           [&] { return Opens("D:\\SETUP.EXE", GENERIC_READ, CREATE_ALWAYS); },
           [&] { return P().DeleteFileA("D:\\SETUP.EXE") != FALSE; },
           [&] { return P().SetFileAttributesA("D:\\SETUP.EXE", 0) != FALSE; },
           [&] { return P().MoveFileA("D:\\SETUP.EXE", "D:\\X.EXE") != FALSE; },
           [&] { return P().MoveFileA("D:\\SETUP.EXE", "C:\\X.EXE") != FALSE; },
           [&] { return P().Files().CreateDirectoryA("D:\\new", nullptr) != FALSE; },
           [&] { return P().Files().RemoveDirectoryA("D:\\dir") != FALSE; },
           [&] { return Opens("c:\\program files\\orv\\a.txt", GENERIC_WRITE, CREATE_ALWAYS); },
           [&] { return P().Files().CreateDirectoryA("C:\\Program Files\\N", nullptr) != FALSE; }},
          ERROR_ACCESS_DENIED);
  EXPECT_TRUE(Opens("D:\\setup.exe", GENERIC_READ, OPEN_EXISTING));
  EXPECT_TRUE(Opens("C:\\Program Files Other.txt", GENERIC_WRITE, CREATE_ALWAYS));
  m.config.userAdmin = true;
  m.Start();
  EXPECT_TRUE(Opens("c:\\program files\\orv\\a.txt", GENERIC_WRITE, CREATE_ALWAYS));
}

// What lengthens a file takes from the drive's free bytes; deleting or emptying a file gives
// them back, overwriting takes nothing; a move to another drive must fit there.
TEST_F(HostedFiles, FreeBytesAreTheDrivesFreeSpace) {
  m.config.drives.push_back({'E', hosted::DriveKind::Fixed, m.MakeDir("e")});
  m.config.freeBytes = {{'C', 10}, {'E', 6}};
  m.Start();
  EXPECT_EQ(Write("C:\\f.bin", CREATE_ALWAYS, "12345678abcde"), 10u);
  EXPECT_EQ(m.Read("c/f.bin"), "12345678ab");
  EXPECT_EQ(Write("C:\\f.bin", OPEN_EXISTING, "XYZ"), 3u) << "overwritten in place";
  EXPECT_EQ(Write("C:\\f.bin", OPEN_EXISTING, std::string(11, 'o')), 10u);
  EXPECT_FALSE(P().MoveFileA("C:\\f.bin", "E:\\f.bin"));
  EXPECT_EQ(P().GetLastError(), ERROR_DISK_FULL);
  EXPECT_EQ(Write("C:\\f.bin", CREATE_ALWAYS, "123456"), 6u) << "emptied: given back";
  EXPECT_TRUE(P().MoveFileA("C:\\f.bin", "E:\\f.bin"));
  EXPECT_EQ(Write("E:\\more.bin", CREATE_NEW, "1"), 0u) << "E: is full";
  EXPECT_TRUE(P().DeleteFileA("E:\\f.bin"));
  EXPECT_EQ(Write("C:\\g.bin", CREATE_ALWAYS, std::string(11, 'g')), 10u) << "moved: given back";
  EXPECT_EQ(Write("E:\\g.bin", CREATE_ALWAYS, std::string(7, 'g')), 6u) << "deleted: given back";
}

TEST_F(HostedFiles, AliasesAreNumberedInNameOrderUnlessShortNamesAreOff) {
  for (const char* name : {"Program Files", "Programs", "PROGRA~1", "Program Data", "readme.txt",
                           "Long Name.html", "x+y.txt", ".hidden"})
    m.MakeDir(std::string("c/") + name);
  m.Start();
  const std::pair<const char*, const char*> cases[] = {
      {"C:\\Program Data", "PROGRA~2"},
      {"C:\\Program Files", "PROGRA~3"},
      {"C:\\Programs", ""},
      {"C:\\PROGRA~1", ""},
      {"C:\\readme.txt", ""},
      {"C:\\Long Name.html", "LONGNA~1.HTM"},
      {"C:\\x+y.txt", "X_Y~1.TXT"},
      {"C:\\.hidden", "HIDDEN~1"},
      {"C:\\progra~3", "PROGRA~3"},
  };
  for (const auto& [path, alias] : cases) EXPECT_EQ(Alias(path), alias) << path;
  char buffer[MAX_PATH];
  DWORD n = P().GetShortPathNameA("C:\\Programs\\..\\Long Name.html", buffer, sizeof buffer);
  EXPECT_EQ(std::string(buffer, n), "C:\\Programs\\..\\LONGNA~1.HTM");
  m.config.shortNames = false;
  m.Start();
  EXPECT_EQ(Alias("C:\\Program Files"), "");
  EXPECT_EQ(Attributes("C:\\PROGRA~3"), INVALID_FILE_ATTRIBUTES);
}

// Attributes come from the description and the run, never the host's modes, so that root
// and any other host user see the same machine; the change list sums up the run.
TEST_F(HostedFiles, AttributesComeFromTheDescriptionAndChangesSummariseTheRun) {
  for (const char* name : {"keep", "write", "gone", "old", "same", "h", "r", "host-ro"})
    m.Write(std::string("c/") + name + ".txt", name);
  fs::permissions(m.dir / "c/host-ro.txt", fs::perms::owner_write, fs::perm_options::remove);
  m.config.attributes = {{"c:\\H.TXT", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM},
                         {"C:\\r.txt", FILE_ATTRIBUTE_READONLY}};
  m.Start();
  EXPECT_EQ(Attributes("C:\\h.txt"), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  EXPECT_EQ(Attributes("C:\\host-ro.txt"), FILE_ATTRIBUTE_NORMAL);
  EXPECT_FALSE(P().DeleteFileA("C:\\r.txt")) << "refused by the attribute, even for root";
  EXPECT_TRUE(P().SetFileAttributesA("C:\\h.txt", FILE_ATTRIBUTE_READONLY));
  EXPECT_NE(fs::status(m.dir / "c/h.txt").permissions() & fs::perms::owner_write, fs::perms::none)
      << "the host file keeps its modes";
  Write("C:\\new.txt", CREATE_NEW, "x");
  Write("C:\\WRITE.TXT", OPEN_EXISTING, "x");
  Write("C:\\temp.txt", CREATE_NEW, "x");
  P().DeleteFileA("C:\\temp.txt");
  P().DeleteFileA("C:\\gone.txt");
  P().MoveFileA("C:\\old.txt", "C:\\moved.txt");
  P().MoveFileA("C:\\same.txt", "C:\\same.txt");
  Opens("C:\\keep.txt", GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING);
  std::vector<std::string> changes;
  for (const hosted::FileChange& c : P().Files().Changes())
    changes.push_back(c.change + " " + c.path);
  EXPECT_EQ(changes, (std::vector<std::string>{"deleted C:\\gone.txt", "modified C:\\h.txt",
                                               "created C:\\moved.txt", "created C:\\new.txt",
                                               "deleted C:\\old.txt", "modified C:\\write.txt"}));
}

// The starting directory is the description's; another drive's relative path starts at its
// root; local file times follow the description's time zone.
TEST_F(HostedFiles, StartingDirectoryDriveRelativePathsAndTimeZone) {
  m.Write("c/sub/f.txt", "x");
  m.Write("cd/g.txt", "x");
  m.config.currentDir = "C:\\sub";
  m.config.timezone = "XYZ-3";
  m.Start();
  for (const char* path : {"f.txt", "C:f.txt", "D:g.txt", "\\sub\\f.txt"})
    EXPECT_NE(Attributes(path), INVALID_FILE_ATTRIBUTES) << path;
  FILETIME utc{0, 0x01D00000}, local{};
  ASSERT_TRUE(P().FileTimeToLocalFileTime(&utc, &local));
  std::uint64_t shift = ((std::uint64_t{local.dwHighDateTime} << 32) | local.dwLowDateTime) -
                        (std::uint64_t{utc.dwHighDateTime} << 32);
  EXPECT_EQ(shift, 3 * 3600 * 10'000'000ULL);
}

}  // namespace
