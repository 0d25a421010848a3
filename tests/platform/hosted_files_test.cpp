// What only the simulated machine's file system does: drives without a medium, read-only
// drives, protected folders, free bytes, aliases, host attributes and times, changes.
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
  HANDLE Open(const char* name, DWORD access, DWORD disposition) {
    return P().CreateFileA(name, access, 0, nullptr, disposition, 0, nullptr);
  }
  bool Opens(const char* name, DWORD access, DWORD disposition) {
    HANDLE h = Open(name, access, disposition);
    return h != INVALID_HANDLE_VALUE && P().CloseHandle(h);
  }
  // Writes data through the calls; the bytes written, a short count only when the disk is full.
  DWORD Write(const char* path, DWORD disposition, const std::string& data) {
    HANDLE h = Open(path, GENERIC_WRITE, disposition);
    DWORD n = 0;
    P().SetLastError(0);
    bool whole = P().WriteFile(h, data.data(), DWORD(data.size()), &n, nullptr) != FALSE;
    EXPECT_EQ(P().GetLastError(), whole ? 0u : ERROR_DISK_FULL) << path;
    P().CloseHandle(h);
    return n;
  }
  bool Exists(const char* name) {
    return P().Files().GetFileAttributesA(name) != INVALID_FILE_ATTRIBUTES;
  }
  std::vector<std::string> Names(const char* pattern) {
    return testing_support::FindNames(P(), pattern);
  }
  std::string Alias(const char* path) {
    WIN32_FIND_DATAA data;
    HANDLE h = P().FindFirstFileA(path, &data);
    if (h == INVALID_HANDLE_VALUE) return "<none>";
    P().FindClose(h);
    return data.cAlternateFileName;
  }
  std::string ShortPath(const char* path) {
    char buffer[MAX_PATH];
    DWORD n = P().GetShortPathNameA(path, buffer, sizeof buffer);
    return n == 0 ? "<fails>" : std::string(buffer, n);
  }
  std::vector<std::string> Changes() {
    std::vector<std::string> out;
    for (const hosted::FileChange& c : P().Files().Changes())
      out.push_back(c.change + " " + c.path);
    return out;
  }

  testing_support::TempMachine m;
};

TEST_F(HostedFiles, DriveWithoutMediumIsNotReadyAndShowsWindowsBoxUnlessSuppressed) {
  m.config.drives.push_back({'A', hosted::DriveKind::Removable, std::nullopt, false});
  m.Start();
  char buffer[MAX_PATH];
  WIN32_FIND_DATAA data;
  std::vector<std::function<bool()>> calls = {
      [&] { return P().Files().GetFileAttributesA("A:\\x") == INVALID_FILE_ATTRIBUTES; },
      [&] { return Open("A:\\x", GENERIC_WRITE, CREATE_ALWAYS) == INVALID_HANDLE_VALUE; },
      [&] { return P().FindFirstFileA("A:\\*", &data) == INVALID_HANDLE_VALUE; },
      [&] { return !P().SetCurrentDirectoryA("A:\\"); },
      [&] { return !P().DeleteFileA("a:x"); },
      [&] { return P().GetShortPathNameA("A:\\x", buffer, sizeof buffer) == 0; },
  };
  for (UINT mode : {0u, SEM_FAILCRITICALERRORS}) {
    P().SetErrorMode(mode);
    for (std::size_t i = 0; i < calls.size(); ++i) {
      std::size_t before = m.transcript.Events().size();
      P().SetLastError(0);
      EXPECT_TRUE(calls[i]()) << i;
      EXPECT_EQ(P().GetLastError(), ERROR_NOT_READY) << i;
      EXPECT_EQ(m.transcript.Events().size(), before + (mode == 0 ? 1 : 0)) << i;
    }
  }
  const hosted::Event& box = m.transcript.Events().front();
  EXPECT_EQ(box.kind, "critical-error");
  EXPECT_EQ(box.Find("drive")->text, "A:");
  EXPECT_EQ(box.Find("text")->text,
            "There is no disk in the drive. Please insert a disk into drive A:.");
  std::size_t events = m.transcript.Events().size();
  P().SetErrorMode(0);
  EXPECT_EQ(P().GetDriveTypeA("A:\\"), DRIVE_REMOVABLE);
  EXPECT_EQ(m.transcript.Events().size(), events) << "asking the type touches no medium";
}

TEST_F(HostedFiles, ReadOnlyDriveRefusesEveryWrite) {
  m.Write("cd/SETUP.EXE", "MZ");
  m.MakeDir("cd/dir");
  m.Start();
  std::vector<std::function<bool()>> writes = {
      [&] { return Opens("D:\\new.txt", GENERIC_WRITE, CREATE_NEW); },
      [&] { return Opens("D:\\SETUP.EXE", GENERIC_WRITE, OPEN_EXISTING); },
      [&] { return Opens("D:\\SETUP.EXE", GENERIC_READ, CREATE_ALWAYS); },
      [&] { return P().DeleteFileA("D:\\SETUP.EXE") != FALSE; },
      [&] { return P().SetFileAttributesA("D:\\SETUP.EXE", 0) != FALSE; },
      [&] { return P().MoveFileA("D:\\SETUP.EXE", "D:\\X.EXE") != FALSE; },
      [&] { return P().MoveFileA("D:\\SETUP.EXE", "C:\\X.EXE") != FALSE; },
      [&] { return P().Files().CreateDirectoryA("D:\\new", nullptr) != FALSE; },
      [&] { return P().Files().RemoveDirectoryA("D:\\dir") != FALSE; },
  };
  for (std::size_t i = 0; i < writes.size(); ++i) {
    P().SetLastError(0);
    EXPECT_FALSE(writes[i]()) << i;
    EXPECT_EQ(P().GetLastError(), ERROR_ACCESS_DENIED) << i;
  }
  EXPECT_TRUE(Opens("D:\\setup.exe", GENERIC_READ, OPEN_EXISTING));
  EXPECT_TRUE(P().Files().Changes().empty());
}

TEST_F(HostedFiles, ProtectedFoldersRefuseUsersButNotAdministrators) {
  m.MakeDir("c/Program Files/Orv");
  m.config.protectedDirs = {"C:\\Program Files"};
  for (bool admin : {false, true}) {
    m.config.userAdmin = admin;
    m.Start();
    P().SetLastError(0);
    EXPECT_EQ(Opens("c:\\program files\\orv\\a.txt", GENERIC_WRITE, CREATE_ALWAYS), admin);
    EXPECT_EQ(P().GetLastError(), admin ? 0 : ERROR_ACCESS_DENIED);
    EXPECT_EQ(P().Files().CreateDirectoryA("C:\\Program Files\\New", nullptr) != FALSE, admin);
    EXPECT_TRUE(Opens("C:\\Program Files Other.txt", GENERIC_WRITE, CREATE_ALWAYS))
        << "a sibling whose name only begins alike is free";
  }
}

// free_bytes is the drive's free space: what lengthens a file takes from it, deleting or
// emptying a file gives it back, overwriting takes nothing.
TEST_F(HostedFiles, FreeBytesAreTheDrivesFreeSpace) {
  m.config.freeBytes['C'] = 10;
  m.Start();
  EXPECT_EQ(Write("C:\\f.bin", CREATE_ALWAYS, "12345678abcde"), 10u);
  EXPECT_EQ(m.Read("c/f.bin"), "12345678ab");
  EXPECT_EQ(Write("C:\\f.bin", OPEN_EXISTING, "XYZ"), 3u) << "overwritten in place";
  EXPECT_EQ(Write("C:\\f.bin", OPEN_EXISTING, std::string(11, 'o')), 10u);
  EXPECT_TRUE(P().DeleteFileA("C:\\f.bin"));
  EXPECT_EQ(Write("C:\\g.bin", CREATE_ALWAYS, std::string(10, 'g')), 10u) << "deleted: given back";
  EXPECT_EQ(Write("C:\\g.bin", CREATE_ALWAYS, std::string(11, 'h')), 10u) << "emptied: given back";
}

// A move to another drive copies the file: it must fit there, and its room here comes back.
TEST_F(HostedFiles, MovesAcrossDrivesCarryTheirSize) {
  m.config.drives.push_back({'E', hosted::DriveKind::Fixed, m.MakeDir("e")});
  m.config.freeBytes['C'] = 0;
  m.config.freeBytes['E'] = 6;
  m.Write("c/six.bin", "123456");
  m.Write("c/seven.bin", "1234567");
  m.Start();
  P().SetLastError(0);
  EXPECT_FALSE(P().MoveFileA("C:\\seven.bin", "E:\\seven.bin"));
  EXPECT_EQ(P().GetLastError(), ERROR_DISK_FULL);
  EXPECT_EQ(m.Read("c/seven.bin"), "1234567") << "a move that does not fit leaves the file";
  EXPECT_TRUE(P().MoveFileA("C:\\six.bin", "E:\\six.bin"));
  EXPECT_EQ(m.Read("e/six.bin"), "123456");
  EXPECT_EQ(Write("C:\\back.bin", CREATE_NEW, "1234567"), 6u)
      << "C: has the moved file's room again";
  EXPECT_EQ(Write("E:\\more.bin", CREATE_NEW, "1"), 0u) << "E: is full";
}

TEST_F(HostedFiles, AliasesAreNumberedInNameOrderUnlessShortNamesAreOff) {
  for (const char* name : {"Program Files", "Programs", "PROGRA~1", "Program Data", "readme.txt",
                           "Long Name.html", "x+y.txt", ".hidden"})
    m.MakeDir(std::string("c/") + name);
  m.Start();
  struct {
    const char* path;
    const char* alias;
  } cases[] = {{"C:\\Program Data", "PROGRA~2"},
               {"C:\\Program Files", "PROGRA~3"},
               {"C:\\Programs", ""},
               {"C:\\PROGRA~1", ""},
               {"C:\\readme.txt", ""},
               {"C:\\Long Name.html", "LONGNA~1.HTM"},
               {"C:\\x+y.txt", "X_Y~1.TXT"},
               {"C:\\.hidden", "HIDDEN~1"}};
  for (const auto& c : cases) EXPECT_EQ(Alias(c.path), c.alias) << c.path;
  EXPECT_EQ(ShortPath("c:/program files/"), "c:/PROGRA~3/");
  EXPECT_EQ(ShortPath("C:\\Programs\\..\\Long Name.html"), "C:\\Programs\\..\\LONGNA~1.HTM");
  EXPECT_EQ(Names("C:\\progra~3"), (std::vector<std::string>{"Program Files"}));
  EXPECT_TRUE(Exists("C:\\PROGRA~2"));

  m.config.shortNames = false;
  m.Start();
  EXPECT_EQ(ShortPath("C:\\Program Files"), "C:\\Program Files");
  EXPECT_EQ(Alias("C:\\Program Files"), "");
  EXPECT_FALSE(Exists("C:\\PROGRA~3"));
}

TEST_F(HostedFiles, ChangesSummariseTheRun) {
  for (const char* name : {"keep", "write", "gone", "attr", "old", "same"})
    m.Write(std::string("c/") + name + ".txt", name);
  m.Start();
  Write("C:\\new.txt", CREATE_NEW, "x");
  Write("C:\\WRITE.TXT", OPEN_EXISTING, "x");
  Write("C:\\temp.txt", CREATE_NEW, "x");
  P().DeleteFileA("C:\\temp.txt");
  P().DeleteFileA("C:\\gone.txt");
  P().SetFileAttributesA("C:\\attr.txt", FILE_ATTRIBUTE_HIDDEN);
  P().MoveFileA("C:\\old.txt", "C:\\moved.txt");
  P().MoveFileA("C:\\same.txt", "C:\\same.txt");
  Opens("C:\\keep.txt", GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING);
  EXPECT_EQ(Changes(), (std::vector<std::string>{"modified C:\\attr.txt", "deleted C:\\gone.txt",
                                                 "created C:\\moved.txt", "created C:\\new.txt",
                                                 "deleted C:\\old.txt", "modified C:\\write.txt"}));
}

// Attributes come from the description and the run; the host's mode bits mean nothing, so
// root and any other host user see the same machine.
TEST_F(HostedFiles, AttributesComeFromTheDescriptionNotTheHostModes) {
  m.Write("c/h.txt", "x");
  m.Write("c/r.txt", "x");
  m.Write("c/host-ro.txt", "x");
  fs::permissions(m.dir / "c/host-ro.txt", fs::perms::owner_write, fs::perm_options::remove);
  m.config.attributes["c:\\H.TXT"] = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  m.config.attributes["C:\\r.txt"] = FILE_ATTRIBUTE_READONLY;
  m.Start();
  EXPECT_EQ(P().Files().GetFileAttributesA("C:\\h.txt"),
            FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  EXPECT_EQ(P().Files().GetFileAttributesA("C:\\host-ro.txt"), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(P().Files().GetFileAttributesA("C:\\r.txt"), FILE_ATTRIBUTE_READONLY);
  EXPECT_FALSE(P().DeleteFileA("C:\\r.txt")) << "refused by the attribute, even for root";
  EXPECT_TRUE(P().SetFileAttributesA("C:\\r.txt", 0));
  EXPECT_TRUE(P().SetFileAttributesA("C:\\h.txt", FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(P().Files().GetFileAttributesA("C:\\h.txt"), FILE_ATTRIBUTE_READONLY);
  EXPECT_NE(fs::status(m.dir / "c/h.txt").permissions() & fs::perms::owner_write, fs::perms::none)
      << "the host file keeps its modes";
  EXPECT_TRUE(P().DeleteFileA("C:\\r.txt"));
}

TEST_F(HostedFiles, TempPathTimeZoneAndHostModificationTime) {
  m.Write("c/t.txt", "x");
  m.SetMtime("c/t.txt", 1'000'000'000);  // 2001-09-09 01:46:40 UTC
  m.config.temp = "";
  m.config.timezone = "XYZ-3";
  m.Start();
  char buffer[MAX_PATH] = "untouched";
  P().SetLastError(0);
  EXPECT_EQ(P().GetTempPathA(sizeof buffer, buffer), 0u);
  EXPECT_EQ(P().GetLastError(), ERROR_ENVVAR_NOT_FOUND);
  WIN32_FIND_DATAA data;
  P().FindClose(P().FindFirstFileA("C:\\t.txt", &data));
  WORD date = 0, time = 0;
  ASSERT_TRUE(P().FileTimeToDosDateTime(&data.ftLastWriteTime, &date, &time));
  EXPECT_EQ(date, (21 << 9) | (9 << 5) | 9);
  EXPECT_EQ(time, (1 << 11) | (46 << 5) | 20);
  FILETIME utc{0, 0x01D00000}, local{};
  ASSERT_TRUE(P().FileTimeToLocalFileTime(&utc, &local));
  std::uint64_t shift = ((std::uint64_t{local.dwHighDateTime} << 32) | local.dwLowDateTime) -
                        (std::uint64_t{utc.dwHighDateTime} << 32);
  EXPECT_EQ(shift, 3 * 3600 * 10'000'000ULL);
}

TEST_F(HostedFiles, DriveRelativePathsAndStartingDirectory) {
  m.Write("c/sub/f.txt", "x");
  m.Write("cd/g.txt", "x");
  m.config.currentDir = "C:\\sub";
  m.Start();
  EXPECT_EQ(P().Files().CurrentDirectory(), "C:\\sub");
  EXPECT_TRUE(Exists("C:f.txt"));
  EXPECT_TRUE(Exists("D:g.txt")) << "another drive's relative path starts at its root";
  EXPECT_TRUE(Exists("\\sub\\f.txt"));
  ASSERT_TRUE(P().SetCurrentDirectoryA("D:"));
  EXPECT_EQ(P().Files().CurrentDirectory(), "D:\\");
  EXPECT_EQ(P().GetDriveTypeA(nullptr), DRIVE_CDROM);
}

TEST_F(HostedFiles, ProgramsAreProbedAsCreateProcessFindsThem) {
  m.Write("c/app/prog.exe", "MZ..");
  m.Write("c/app/text.exe", "hello");
  m.Write("c/Program Files/Orv/Orv.Exe", "MZ");
  m.MakeDir("c/work");
  m.config.currentDir = "C:\\work";
  m.Start();
  struct {
    const char* line;
    UINT result;
  } cases[] = {
      {"C:\\app\\prog.exe", 33},
      {"C:\\app\\prog", 33},
      {"prog arg", 33},
      {"\"C:\\app\\prog.exe\" \"D:\\\"", 33},
      {"C:\\Program Files\\Orv\\Orv.Exe", 33},
      {"\"C:\\Program Files\\Orv\\Orv.Exe\"", 33},
      {"C:\\app\\text.exe", 11},
      {"C:\\app\\none.exe", 2},
      {"C:\\nofolder\\none.exe", 3},
      {"", 2},
  };
  for (const auto& c : cases)
    EXPECT_EQ(P().Files().ProbeProgram(c.line, "C:\\app\\self.exe"), c.result) << c.line;
}

}  // namespace
