// The simulated file system against hostile names and links: every call answers, none
// writes outside a drive's folder, and names Windows cannot hold never reach the host.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "tests/support/machine_fixture.h"

namespace {

using namespace platform;
namespace fs = std::filesystem;
using hosted::HostedPlatform;

// Every host file and link below dir, as paths relative to it ("c/x.txt").
std::set<std::string> HostTree(const fs::path& dir) {
  std::set<std::string> tree;
  for (const auto& entry : fs::recursive_directory_iterator(dir))
    tree.insert(entry.path().lexically_relative(dir).generic_string());
  return tree;
}

class Hostile : public ::testing::Test {
 protected:
  // A sentinel beside the machine folder: what any escape would reach first.
  Hostile() : sentinel(m.dir.parent_path() / (m.dir.filename().string() + "-sentinel")) {
    fs::create_directories(sentinel);
    std::ofstream(sentinel / "keep.txt") << "keep";
  }
  ~Hostile() override { fs::remove_all(sentinel); }

  HostedPlatform& P() { return m.Platform(); }
  bool Create(const std::string& name) {
    HANDLE h = P().CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    P().WriteFile(h, "w", 1, &written, nullptr);
    P().CloseHandle(h);
    return true;
  }
  std::vector<std::string> Names(const char* pattern) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE h = P().FindFirstFileA(pattern, &data);
    if (h == INVALID_HANDLE_VALUE) return names;
    do names.push_back(data.cFileName);
    while (P().FindNextFileA(h, &data));
    P().FindClose(h);
    return names;
  }
  void ExpectSentinelUntouched() {
    EXPECT_EQ(HostTree(sentinel), std::set<std::string>{"keep.txt"});
    std::ifstream in(sentinel / "keep.txt");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "keep");
  }

  testing_support::TempMachine m;
  fs::path sentinel;
};

TEST_F(Hostile, WindowsNamesThatNeverReachTheHostAsGiven) {
  m.MakeDir("c/sub");
  m.Start();
  const std::string n255(255, 'n');
  struct {
    std::string path;
    std::string hostFile;  // what the create leaves below drive C:'s folder; empty: nothing
    DWORD error;           // 0: the create succeeds
  } cases[] = {
      {"C:\\sub\\bell\x07.txt", "", ERROR_INVALID_NAME},
      {"C:\\sub\\line\nbreak", "", ERROR_INVALID_NAME},
      {"C:\\sub\\esc\x1b", "", ERROR_INVALID_NAME},
      {"C:\\sub\\del\x7f", "sub/del\x7f", 0},  // DEL is an ordinary character to Windows
      // Names up to 255 characters, counted after the trailing dots and blanks are dropped,
      // within MAX_PATH: at the root.
      {"C:\\" + n255, n255, 0},
      {"C:\\" + std::string(250, 'd') + "......", std::string(250, 'd'), 0},
      {"C:\\" + n255 + "x", "", ERROR_INVALID_NAME},
      {"C:\\sub\\CON", "", 0},
      {"C:\\sub\\nul.txt", "", 0},
      {"C:\\sub\\COM1.dat", "", 0},
      {"C:\\sub\\lpt9", "", 0},
      {"C:\\sub\\Aux .log", "", 0},
      {"C:\\sub\\COM10", "sub/COM10", 0},  // only COM1 to COM9 are devices
      {"C:\\sub\\trail...", "sub/trail", 0},
      {"C:\\sub\\blank   ", "sub/blank", 0},
      {"C:\\sub\\mixed. .", "sub/mixed", 0},
      {"C:\\sub\\...", "", ERROR_ACCESS_DENIED},  // the folder itself
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path.substr(0, 60));
    std::set<std::string> before = HostTree(m.dir);
    P().SetLastError(0);
    EXPECT_EQ(Create(c.path), c.error == 0);
    if (c.error != 0) {
      EXPECT_EQ(P().GetLastError(), c.error);
    }
    std::set<std::string> added;
    for (const std::string& path : HostTree(m.dir))
      if (!before.count(path)) added.insert(path);
    EXPECT_EQ(added, c.hostFile.empty() ? std::set<std::string>{}
                                        : std::set<std::string>{"c/" + c.hostFile});
  }
  ExpectSentinelUntouched();
}

TEST_F(Hostile, HostNamesWindowsCannotHoldAreInvisible) {
  const std::string n255(255, 'L');
  for (const std::string& name :
       {std::string("ctl\x01name"), std::string("tab\tname"), std::string("nl\nname"),
        std::string("dot."), std::string("blank "), std::string("star*"), n255})
    m.Write("c/" + name, "x");
  m.Start();
  // The 255-character name is one Windows can hold (at the root, within MAX_PATH); the
  // others cannot be named.
  EXPECT_EQ(Names("C:\\*"), std::vector<std::string>{n255});
  for (const char* path : {"C:\\ctl\x01name", "C:\\dot", "C:\\blank"}) {
    SCOPED_TRACE(path);
    EXPECT_FALSE(P().DeleteFileA(path));
    EXPECT_EQ(P().GetFileAttributesA(path), INVALID_FILE_ATTRIBUTES);
  }
  char shortPath[MAX_PATH];
  EXPECT_GT(P().GetShortPathNameA(("C:\\" + n255).c_str(), shortPath, MAX_PATH), 0u);
  EXPECT_EQ(HostTree(m.dir / "c").size(), 7u) << "nothing was deleted";
}

// Each call that changes or reveals something, tried through links that leave the drive.
struct LinkCall {
  const char* name;
  std::function<bool(HostedPlatform&, const std::string&)> call;  // true: it succeeded
};

TEST_F(Hostile, LinksOutOfTheDriveRefuseEveryCall) {
  fs::create_directory_symlink(sentinel, m.dir / "c/abs");
  fs::create_directory_symlink("../../" + sentinel.filename().string(), m.dir / "c/rel");
  fs::create_symlink(sentinel / "keep.txt", m.dir / "c/file");
  fs::create_symlink("loop", m.dir / "c/loop");
  fs::create_symlink("ping", m.dir / "c/pong");
  fs::create_symlink("pong", m.dir / "c/ping");
  fs::create_symlink("nowhere", m.dir / "c/dangling");
  m.Start();
  const LinkCall calls[] = {
      {"CreateFileA truncate",
       [](HostedPlatform& p, const std::string& path) {
         HANDLE h =
             p.CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, 0, nullptr);
         return h != INVALID_HANDLE_VALUE && p.CloseHandle(h);
       }},
      {"CreateFileA create",
       [](HostedPlatform& p, const std::string& path) {
         HANDLE h = p.CreateFileA((path + "\\new.txt").c_str(), GENERIC_WRITE, 0, nullptr,
                                  CREATE_ALWAYS, 0, nullptr);
         return h != INVALID_HANDLE_VALUE && p.CloseHandle(h);
       }},
      {"DeleteFileA",
       [](HostedPlatform& p, const std::string& path) {
         return p.DeleteFileA(path.c_str()) && p.DeleteFileA((path + "\\keep.txt").c_str());
       }},
      {"SetFileAttributesA",
       [](HostedPlatform& p, const std::string& path) {
         return p.SetFileAttributesA((path + "\\keep.txt").c_str(), FILE_ATTRIBUTE_READONLY) ||
                p.SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
       }},
      {"MoveFileA",
       [](HostedPlatform& p, const std::string& path) {
         return p.MoveFileA((path + "\\keep.txt").c_str(), "C:\\stolen.txt") ||
                p.MoveFileA("C:\\", (path + "\\in").c_str());
       }},
      {"CreateDirectoryA",
       [](HostedPlatform& p, const std::string& path) {
         return p.CreateDirectoryA((path + "\\made").c_str(), nullptr) != FALSE;
       }},
      {"RemoveDirectoryA",
       [](HostedPlatform& p, const std::string& path) {
         return p.RemoveDirectoryA(path.c_str()) != FALSE;
       }},
      {"SetCurrentDirectoryA",
       [](HostedPlatform& p, const std::string& path) {
         return p.SetCurrentDirectoryA(path.c_str()) != FALSE;
       }},
      {"GetShortPathNameA",
       [](HostedPlatform& p, const std::string& path) {
         char buffer[MAX_PATH];
         return p.GetShortPathNameA((path + "\\keep.txt").c_str(), buffer, MAX_PATH) != 0;
       }},
      {"FindFirstFileA",
       [](HostedPlatform& p, const std::string& path) {
         WIN32_FIND_DATAA data;
         HANDLE h = p.FindFirstFileA((path + "\\*").c_str(), &data);
         return h != INVALID_HANDLE_VALUE && p.FindClose(h);
       }},
  };
  std::set<std::string> before = HostTree(m.dir);
  for (const char* link :
       {"C:\\abs", "C:\\rel", "C:\\file", "C:\\loop", "C:\\ping", "C:\\dangling"})
    for (const LinkCall& c : calls) {
      SCOPED_TRACE(std::string(c.name) + " " + link);
      EXPECT_FALSE(c.call(P(), link));
    }
  EXPECT_EQ(HostTree(m.dir), before);
  EXPECT_EQ(Names("C:\\*"), std::vector<std::string>{}) << "no link is visible";
  ExpectSentinelUntouched();
}

TEST_F(Hostile, DotDotChainsStopAtTheRootOfEveryCall) {
  m.Write("c/inside.txt", "i");
  m.Start();
  std::string up;
  for (int i = 0; i < 64; ++i) up += "..\\";
  const std::string name = m.dir.parent_path().filename().string();
  for (const std::string& path : {"C:\\" + up + sentinel.filename().string() + "\\keep.txt",
                                  up + "..\\" + name + "\\" + sentinel.filename().string(),
                                  "C:" + up + "keep.txt", "C:/" + up + "/../keep.txt"}) {
    SCOPED_TRACE(path.substr(0, 80));
    EXPECT_FALSE(P().DeleteFileA(path.c_str()));
    EXPECT_FALSE(P().SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
  }
  EXPECT_TRUE(P().SetCurrentDirectoryA(("C:\\" + up).c_str()));
  EXPECT_EQ(P().Files().CurrentDirectory(), "C:\\");
  EXPECT_NE(P().GetFileAttributesA((up + "inside.txt").c_str()), INVALID_FILE_ATTRIBUTES);
  ExpectSentinelUntouched();
}

}  // namespace
