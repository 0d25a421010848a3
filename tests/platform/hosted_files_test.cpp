// What only the simulated machine's file system does: drives without a medium, read-only
// drives, free bytes, aliases, attributes from the description, the starting directory and time
// zone. How a run shows them: the modules-datadir-*, *-disk-full and jaws-* scenarios.
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
  // The bytes written, short only when the disk is full.
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

  testing_support::TempMachine m;
};

// Every call on a drive without a medium is not ready and, unless suppressed, first shows the
// system's box; a read-only drive refuses writes. Protected folders: the
// modules-datadir-*protected* scenarios.
TEST_F(HostedFiles, DrivesWithoutAMediumOrReadOnlyRefuseCalls) {
  m.config.drives.push_back({'A', hosted::DriveKind::Removable, std::nullopt, false});
  m.Write("cd/SETUP.EXE", "MZ");
  m.Start();
  WIN32_FIND_DATAA data;
  const std::pair<std::function<bool()>, DWORD> cases[] = {
      {[&] { return Opens("A:\\x", GENERIC_WRITE, CREATE_ALWAYS); }, ERROR_NOT_READY},
      {[&] { return P().FindFirstFileA("A:\\*", &data) != INVALID_HANDLE_VALUE; }, ERROR_NOT_READY},
      {[&] { return Opens("D:\\SETUP.EXE", GENERIC_WRITE, OPEN_EXISTING); }, ERROR_ACCESS_DENIED},
      {[&] { return Opens("D:\\SETUP.EXE", GENERIC_READ, CREATE_ALWAYS); }, ERROR_ACCESS_DENIED},
      {[&] { return P().SetFileAttributesA("D:\\SETUP.EXE", 0); }, ERROR_ACCESS_DENIED},
      {[&] { return P().MoveFileA("D:\\SETUP.EXE", "D:\\X.EXE"); }, ERROR_ACCESS_DENIED},
  };
  for (UINT mode : {SEM_FAILCRITICALERRORS, 0u})
    for (std::size_t i = 0; i < std::size(cases); ++i) {
      P().SetErrorMode(mode);
      P().SetLastError(0);
      EXPECT_FALSE(cases[i].first()) << i;
      EXPECT_EQ(P().GetLastError(), cases[i].second) << i;
    }
  std::vector<std::string> boxes;
  for (const auto& event : m.transcript.Events())
    if (event.kind == "critical-error") boxes.push_back(event.Find("text")->text);
  const char* kNoDisk = "There is no disk in the drive. Please insert a disk into drive A:.";
  EXPECT_EQ(boxes, std::vector<std::string>(2, kNoDisk));
}

// Overwriting takes no free bytes; deleting gives them back.
TEST_F(HostedFiles, FreeBytesAreTheDrivesFreeSpace) {
  m.config.freeBytes = {{'C', 10}};
  m.Start();
  EXPECT_EQ(Write("C:\\f.bin", CREATE_ALWAYS, "1234567"), 7u);
  EXPECT_EQ(Write("C:\\f.bin", OPEN_EXISTING, std::string(11, 'o')), 10u);
  EXPECT_TRUE(P().DeleteFileA("C:\\f.bin"));
  EXPECT_EQ(Write("C:\\g.bin", CREATE_ALWAYS, std::string(11, 'g')), 10u) << "given back";
}

TEST_F(HostedFiles, AliasesAreNumberedInNameOrderUnlessShortNamesAreOff) {
  for (const char* name : {"Program Files", "Programs", "PROGRA~1", "Program Data",
                           "Long Name.html", "x+y.txt", ".hidden"})
    m.MakeDir(std::string("c/") + name);
  m.Start();
  const std::pair<const char*, const char*> cases[] = {{"C:\\Program Data", "PROGRA~2"},
                                                       {"C:\\Program Files", "PROGRA~3"},
                                                       {"C:\\PROGRA~1", ""},
                                                       {"C:\\Long Name.html", "LONGNA~1.HTM"},
                                                       {"C:\\x+y.txt", "X_Y~1.TXT"},
                                                       {"C:\\.hidden", "HIDDEN~1"},
                                                       {"C:\\progra~3", "PROGRA~3"}};
  for (const auto& [path, alias] : cases) EXPECT_EQ(Alias(path), alias) << path;
  char buffer[MAX_PATH];
  DWORD n = P().GetShortPathNameA("C:\\Programs\\..\\Long Name.html", buffer, sizeof buffer);
  EXPECT_EQ(std::string(buffer, n), "C:\\Programs\\..\\LONGNA~1.HTM");
  m.config.shortNames = false;
  m.Start();
  EXPECT_EQ(Alias("C:\\Program Files"), "");
  EXPECT_EQ(Attributes("C:\\PROGRA~3"), INVALID_FILE_ATTRIBUTES);
}

// Attributes come from the description, never the host's modes, so that root and any other
// host user see the same machine; the starting directory is the description's, another
// drive's relative path starts at its root; local times follow the description's time zone.
TEST_F(HostedFiles, AttributesStartingDirectoryAndTimeZoneComeFromTheDescription) {
  m.Write("c/sub/h.txt", "h");
  m.Write("c/sub/host-ro.txt", "r");
  m.Write("cd/g.txt", "x");
  fs::permissions(m.dir / "c/sub/host-ro.txt", fs::perms::owner_write, fs::perm_options::remove);
  m.config.attributes = {{"c:\\SUB\\H.TXT", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM}};
  m.config.currentDir = "C:\\sub";
  m.config.timezone = "XYZ-3";
  m.Start();
  EXPECT_EQ(Attributes("h.txt"), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  EXPECT_EQ(Attributes("host-ro.txt"), FILE_ATTRIBUTE_NORMAL);
  EXPECT_TRUE(P().SetFileAttributesA("C:\\SUB\\H.TXT", FILE_ATTRIBUTE_READONLY));
  EXPECT_NE(fs::status(m.dir / "c/sub/h.txt").permissions() & fs::perms::owner_write,
            fs::perms::none)
      << "the host file keeps its modes";
  for (const char* path : {"C:h.txt", "D:g.txt", "\\sub\\h.txt"})
    EXPECT_NE(Attributes(path), INVALID_FILE_ATTRIBUTES) << path;
  FILETIME utc{0, 0x01D00000}, local{};
  ASSERT_TRUE(P().FileTimeToLocalFileTime(&utc, &local));
  EXPECT_EQ(((std::uint64_t{local.dwHighDateTime} << 32) | local.dwLowDateTime) -
                (std::uint64_t{utc.dwHighDateTime} << 32),
            3 * 3600 * 10'000'000ULL);
}

}  // namespace
