// What only the simulated machine's file system does: drives without a medium, read-only
// drives, protected folders, free bytes, host names and links, aliases, changes.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/machine_fixture.h"

namespace {

using namespace platform;
namespace fs = std::filesystem;

class HostedFiles : public ::testing::Test {
 protected:
  void Start() { m.Start(); }
  hosted::HostedPlatform& P() { return m.Platform(); }
  HANDLE Open(const char* name, DWORD access, DWORD disposition) {
    return P().CreateFileA(name, access, 0, nullptr, disposition, 0, nullptr);
  }
  bool Exists(const char* name) { return P().GetFileAttributesA(name) != INVALID_FILE_ATTRIBUTES; }
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
  Start();
  char buffer[MAX_PATH];
  WIN32_FIND_DATAA data;
  std::vector<std::function<bool()>> calls = {
      [&] { return P().GetFileAttributesA("A:\\x") == INVALID_FILE_ATTRIBUTES; },
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
  Start();
  std::vector<std::function<bool()>> writes = {
      [&] { return Open("D:\\new.txt", GENERIC_WRITE, CREATE_NEW) != INVALID_HANDLE_VALUE; },
      [&] { return Open("D:\\SETUP.EXE", GENERIC_WRITE, OPEN_EXISTING) != INVALID_HANDLE_VALUE; },
      [&] { return Open("D:\\SETUP.EXE", GENERIC_READ, CREATE_ALWAYS) != INVALID_HANDLE_VALUE; },
      [&] { return P().DeleteFileA("D:\\SETUP.EXE") != FALSE; },
      [&] { return P().SetFileAttributesA("D:\\SETUP.EXE", 0) != FALSE; },
      [&] { return P().MoveFileA("D:\\SETUP.EXE", "D:\\X.EXE") != FALSE; },
      [&] { return P().MoveFileA("D:\\SETUP.EXE", "C:\\X.EXE") != FALSE; },
      [&] { return P().CreateDirectoryA("D:\\new", nullptr) != FALSE; },
      [&] { return P().RemoveDirectoryA("D:\\dir") != FALSE; },
  };
  for (std::size_t i = 0; i < writes.size(); ++i) {
    P().SetLastError(0);
    EXPECT_FALSE(writes[i]()) << i;
    EXPECT_EQ(P().GetLastError(), ERROR_ACCESS_DENIED) << i;
  }
  HANDLE h = Open("D:\\setup.exe", GENERIC_READ, OPEN_EXISTING);
  EXPECT_NE(h, INVALID_HANDLE_VALUE);
  P().CloseHandle(h);
  EXPECT_TRUE(P().Files().Changes().empty());
}

TEST_F(HostedFiles, ProtectedFoldersRefuseUsersButNotAdministrators) {
  m.MakeDir("c/Program Files/Orv");
  m.config.protectedDirs = {"C:\\Program Files"};
  for (bool admin : {false, true}) {
    m.config.userAdmin = admin;
    Start();
    HANDLE h = Open("c:\\program files\\orv\\a.txt", GENERIC_WRITE, CREATE_ALWAYS);
    EXPECT_EQ(h != INVALID_HANDLE_VALUE, admin);
    if (!admin) {
      EXPECT_EQ(P().GetLastError(), ERROR_ACCESS_DENIED);
    }
    if (h != INVALID_HANDLE_VALUE) P().CloseHandle(h);
    EXPECT_EQ(P().CreateDirectoryA("C:\\Program Files\\New", nullptr) != FALSE, admin);
    h = Open("C:\\Program Files Other.txt", GENERIC_WRITE, CREATE_ALWAYS);
    EXPECT_NE(h, INVALID_HANDLE_VALUE) << "a sibling whose name only begins alike is free";
    P().CloseHandle(h);
  }
}

TEST_F(HostedFiles, FreeBytesGiveShortWrites) {
  m.config.freeBytes['C'] = 10;
  Start();
  HANDLE h = Open("C:\\f.bin", GENERIC_WRITE, CREATE_ALWAYS);
  DWORD n = 0;
  EXPECT_TRUE(P().WriteFile(h, "12345678", 8, &n, nullptr));
  EXPECT_EQ(n, 8u);
  P().SetLastError(0);
  EXPECT_FALSE(P().WriteFile(h, "abcde", 5, &n, nullptr));
  EXPECT_EQ(n, 2u);
  EXPECT_EQ(P().GetLastError(), ERROR_DISK_FULL);
  P().CloseHandle(h);
  EXPECT_EQ(m.Read("c/f.bin"), "12345678ab");
}

TEST_F(HostedFiles, LinksLeavingTheDriveAreInvisible) {
  m.Write("outside/secret.txt", "s");
  m.Write("c/real/inner.txt", "i");
  fs::create_directory_symlink(m.dir / "outside", m.dir / "c/out");
  fs::create_symlink(m.dir / "outside/secret.txt", m.dir / "c/secret.txt");
  fs::create_directory_symlink(m.dir / "c/real", m.dir / "c/in");
  Start();
  EXPECT_FALSE(Exists("C:\\out\\secret.txt"));
  EXPECT_FALSE(Exists("C:\\secret.txt"));
  EXPECT_FALSE(Exists("C:\\..\\outside\\secret.txt"));
  EXPECT_TRUE(Exists("C:\\in\\inner.txt"));
  EXPECT_EQ(Names("C:\\*"), (std::vector<std::string>{"in", "real"}));
  EXPECT_EQ(Open("C:\\out\\x.txt", GENERIC_WRITE, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
  EXPECT_EQ(P().GetLastError(), ERROR_PATH_NOT_FOUND);
  EXPECT_FALSE(fs::exists(m.dir / "outside/x.txt"));
}

TEST_F(HostedFiles, HostNamesWindowsCannotShowAreInvisible) {
  for (const char* name :
       {"colon:name", "trail.", "trail ", "\xE4\xB8\xAD.txt", "back\\slash", "q?", "bad\xFF.txt"})
    m.Write(std::string("c/") + name, "x");
  m.Write("c/caf\xC3\xA9.txt", "x");
  Start();
  EXPECT_EQ(Names("C:\\*"), (std::vector<std::string>{"caf\xE9.txt"}));
  EXPECT_TRUE(Exists("C:\\CAF\xC9.TXT")) << "cp1252 folding";
}

TEST_F(HostedFiles, AliasesAreNumberedInNameOrder) {
  for (const char* name : {"Program Files", "Programs", "PROGRA~1", "Program Data", "readme.txt",
                           "Long Name.html", "x+y.txt", ".hidden"})
    m.MakeDir(std::string("c/") + name);
  Start();
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
}

TEST_F(HostedFiles, WithoutShortNamesPathsStayLong) {
  m.MakeDir("c/Program Files");
  m.config.shortNames = false;
  Start();
  EXPECT_EQ(ShortPath("C:\\Program Files"), "C:\\Program Files");
  EXPECT_EQ(Alias("C:\\Program Files"), "");
  EXPECT_FALSE(Exists("C:\\PROGRA~1"));
}

TEST_F(HostedFiles, ChangesSummariseTheRun) {
  m.Write("c/keep.txt", "k");
  m.Write("c/write.txt", "w");
  m.Write("c/gone.txt", "g");
  m.Write("c/attr.txt", "a");
  m.Write("c/old.txt", "o");
  m.Write("c/same.txt", "s");
  Start();
  auto write = [&](const char* name, DWORD disposition) {
    HANDLE h = Open(name, GENERIC_WRITE, disposition);
    DWORD n = 0;
    P().WriteFile(h, "x", 1, &n, nullptr);
    P().CloseHandle(h);
  };
  write("C:\\new.txt", CREATE_NEW);
  write("C:\\WRITE.TXT", OPEN_EXISTING);
  write("C:\\temp.txt", CREATE_NEW);
  P().DeleteFileA("C:\\temp.txt");
  P().DeleteFileA("C:\\gone.txt");
  P().SetFileAttributesA("C:\\attr.txt", FILE_ATTRIBUTE_HIDDEN);
  P().MoveFileA("C:\\old.txt", "C:\\moved.txt");
  P().MoveFileA("C:\\same.txt", "C:\\same.txt");
  HANDLE h = Open("C:\\keep.txt", GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING);
  P().CloseHandle(h);
  EXPECT_EQ(Changes(), (std::vector<std::string>{"modified C:\\attr.txt", "deleted C:\\gone.txt",
                                                 "created C:\\moved.txt", "created C:\\new.txt",
                                                 "deleted C:\\old.txt", "modified C:\\write.txt"}));
}

TEST_F(HostedFiles, ConfiguredAttributesAndHostWriteBit) {
  m.Write("c/h.txt", "x");
  m.Write("c/ro.txt", "x");
  fs::permissions(m.dir / "c/ro.txt", fs::perms::owner_write, fs::perm_options::remove);
  m.config.attributes["c:\\H.TXT"] = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  Start();
  EXPECT_EQ(P().GetFileAttributesA("C:\\h.txt"), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  EXPECT_EQ(P().GetFileAttributesA("C:\\ro.txt"), FILE_ATTRIBUTE_READONLY);
  EXPECT_FALSE(P().DeleteFileA("C:\\ro.txt")) << "decided by the bit, even for root";
  EXPECT_TRUE(P().SetFileAttributesA("C:\\ro.txt", 0));
  EXPECT_TRUE((fs::status(m.dir / "c/ro.txt").permissions() & fs::perms::owner_write) !=
              fs::perms::none);
  EXPECT_TRUE(P().DeleteFileA("C:\\ro.txt"));
}

TEST_F(HostedFiles, TempPathAndTimeZone) {
  m.config.temp = "";
  m.config.timezone = "XYZ-3";
  Start();
  char buffer[MAX_PATH] = "untouched";
  P().SetLastError(0);
  EXPECT_EQ(P().GetTempPathA(sizeof buffer, buffer), 0u);
  EXPECT_EQ(P().GetLastError(), ERROR_ENVVAR_NOT_FOUND);
  FILETIME utc{0, 0x01D00000}, local{};
  ASSERT_TRUE(P().FileTimeToLocalFileTime(&utc, &local));
  std::uint64_t shift = ((std::uint64_t{local.dwHighDateTime} << 32) | local.dwLowDateTime) -
                        (std::uint64_t{utc.dwHighDateTime} << 32);
  EXPECT_EQ(shift, 3 * 3600 * 10'000'000ULL);
}

TEST_F(HostedFiles, HostModificationTimeIsTheLastWriteTime) {
  m.Write("c/t.txt", "x");
  m.SetMtime("c/t.txt", 1'000'000'000);  // 2001-09-09 01:46:40 UTC
  Start();
  WIN32_FIND_DATAA data;
  HANDLE h = P().FindFirstFileA("C:\\t.txt", &data);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  P().FindClose(h);
  WORD date = 0, time = 0;
  ASSERT_TRUE(P().FileTimeToDosDateTime(&data.ftLastWriteTime, &date, &time));
  EXPECT_EQ(date, (21 << 9) | (9 << 5) | 9);
  EXPECT_EQ(time, (1 << 11) | (46 << 5) | 20);
}

TEST_F(HostedFiles, DriveRelativePathsAndStartingDirectory) {
  m.Write("c/sub/f.txt", "x");
  m.Write("cd/g.txt", "x");
  m.config.currentDir = "C:\\sub";
  Start();
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
  Start();
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

TEST_F(HostedFiles, HostilePathsGetAnErrorAndStayOnTheDrive) {
  m.MakeDir("c/sub");
  Start();
  struct {
    std::string path;
    DWORD error;  // 0: the create succeeds, on the drive
  } cases[] = {
      {"C:\\..\\..\\..\\escape.txt", 0},
      {"C:..\\..\\up.txt", 0},
      {"sub/../../../../sub2.txt", 0},
      {std::string(300, 'a'), ERROR_INVALID_NAME},
      {"C:\\" + std::string(20000, '\\') + "deep.txt", 0},
      {"\\\\?\\C:\\x.txt", ERROR_BAD_NETPATH},
      {"//server/share/x", ERROR_BAD_NETPATH},
      {"::", ERROR_INVALID_NAME},
      {"C:\\sub\\a\tb", ERROR_INVALID_NAME},
      {"Q:\\x.txt", ERROR_PATH_NOT_FOUND},
      {"", ERROR_PATH_NOT_FOUND},
  };
  for (const auto& c : cases) {
    P().SetLastError(0);
    HANDLE h = Open(c.path.c_str(), GENERIC_WRITE, CREATE_ALWAYS);
    EXPECT_EQ(h != INVALID_HANDLE_VALUE, c.error == 0) << c.path.substr(0, 40);
    if (h != INVALID_HANDLE_VALUE) P().CloseHandle(h);
    if (c.error != 0) {
      EXPECT_EQ(P().GetLastError(), c.error) << c.path.substr(0, 40);
    }
  }
  for (const char* name : {"escape.txt", "up.txt", "sub2.txt", "deep.txt"})
    EXPECT_TRUE(fs::exists(m.dir / "c" / name)) << name;
  EXPECT_FALSE(fs::exists(m.dir / "escape.txt"));
  EXPECT_EQ(Open(nullptr, GENERIC_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
}

}  // namespace
