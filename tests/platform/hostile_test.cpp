// The simulated file system against hostile paths, names and links: every call answers, none
// reaches outside a drive's folder, and names Windows cannot hold never reach the host.
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
  void TearDown() override { EXPECT_EQ(HostTree(sentinel), std::set<std::string>{"keep.txt"}); }
  ~Hostile() override { fs::remove_all(sentinel); }

  hosted::HostedPlatform& P() { return m.Platform(); }
  bool Create(const char* name) {
    HANDLE h = P().CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    return h != INVALID_HANDLE_VALUE && P().CloseHandle(h);
  }

  testing_support::TempMachine m;
  fs::path sentinel;
};

TEST_F(Hostile, PathsCreateOnlyWhatWindowsWouldOnTheDrive) {
  m.MakeDir("c/sub");
  m.Start();
  const std::string n255(255, 'n');
  const struct {
    std::string path;
    std::string hostFile;  // what the create leaves below drive C:'s folder; empty: nothing
    DWORD error;           // 0: the create succeeds
  } cases[] = {
      {"C:\\..\\..\\..\\escape.txt", "escape.txt", 0},
      {"C:\\" + std::string(20000, '\\') + "deep.txt", "deep.txt", 0},
      {"Q:\\x.txt", "", ERROR_PATH_NOT_FOUND},
      {"", "", ERROR_PATH_NOT_FOUND},
      {"C:\\sub\\del\x7f", "sub/del\x7f", 0},  // DEL is an ordinary character to Windows
      // Names up to 255 characters after trailing dots and blanks go, at the root (MAX_PATH).
      {"C:\\" + n255, n255, 0},
      {"C:\\" + std::string(250, 'd') + "......", std::string(250, 'd'), 0},
      {"C:\\" + n255 + "x", "", ERROR_INVALID_NAME},
      {"C:\\sub\\Aux .log", "", 0},
      {"C:\\sub\\COM10", "sub/COM10", 0},         // only COM1 to COM9 are devices
      {"C:\\sub\\...", "", ERROR_ACCESS_DENIED},  // the folder itself
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path.substr(0, 60));
    std::set<std::string> before = HostTree(m.dir), added;
    P().SetLastError(0);
    EXPECT_EQ(Create(c.path.c_str()), c.error == 0);
    if (c.error != 0) {
      EXPECT_EQ(P().GetLastError(), c.error);
    }
    for (const std::string& path : HostTree(m.dir))
      if (!before.count(path)) added.insert(path);
    EXPECT_EQ(added, c.hostFile.empty() ? std::set<std::string>{}
                                        : std::set<std::string>{"c/" + c.hostFile});
  }
}

TEST_F(Hostile, HostNamesWindowsCannotHoldAreInvisible) {
  const std::string n255(255, 'L');
  const std::string names[] = {
      "ctl\x01name", "nl\nname",    "dot.",        "blank ",          "star*", "q?",
      "colon:name",  "back\\slash", "bad\xFF.txt", "\xE4\xB8\xAD.txt" /* not in code page 1252 */};
  for (const std::string& name : names) m.Write("c/" + name, "x");
  m.Write("c/" + n255, "x");
  m.Write("c/caf\xC3\xA9.txt", "x");
  m.Start();
  // The 255-character name is one Windows can hold (at the root, within MAX_PATH).
  EXPECT_EQ(testing_support::FindNames(P(), "C:\\*"),
            (std::vector<std::string>{"caf\xE9.txt", n255}));
  EXPECT_NE(P().Files().GetFileAttributesA("C:\\CAF\xC9.TXT"), INVALID_FILE_ATTRIBUTES);
  for (const char* path : {"C:\\ctl\x01name", "C:\\dot", "C:\\blank"}) {
    EXPECT_FALSE(P().DeleteFileA(path)) << path;
    EXPECT_EQ(P().Files().GetFileAttributesA(path), INVALID_FILE_ATTRIBUTES) << path;
  }
  char shortPath[MAX_PATH];
  EXPECT_GT(P().GetShortPathNameA(("C:\\" + n255).c_str(), shortPath, MAX_PATH), 0u);
  EXPECT_EQ(HostTree(m.dir / "c").size(), std::size(names) + 2) << "nothing was deleted";
}

TEST_F(Hostile, LinksOutOfTheDriveRefuseEveryCall) {
  fs::create_directory_symlink(sentinel, m.dir / "c/abs");
  fs::create_symlink(sentinel / "keep.txt", m.dir / "c/file");
  fs::create_symlink("loop", m.dir / "c/loop");
  fs::create_symlink("nowhere", m.dir / "c/dangling");
  m.Write("c/real/inner.txt", "i");
  fs::create_directory_symlink(m.dir / "c/real", m.dir / "c/in");
  m.Start();
  // Each call that changes or reveals something, but the opens, searches and deletions the
  // hosted_paths fuzz target's corpus makes through links out; true when it succeeds.
  char buffer[MAX_PATH];
  const std::function<bool(const char*)> calls[] = {
      [&](const char* p) { return P().SetFileAttributesA(p, FILE_ATTRIBUTE_READONLY); },
      [&](const char* p) { return P().MoveFileA(p, "C:\\stolen"); },
      [&](const char* p) { return P().MoveFileA("C:\\in", p); },
      [&](const char* p) { return P().GetShortPathNameA(p, buffer, MAX_PATH) != 0; },
      [&](const char* p) { return P().SetCurrentDirectoryA(p); },
  };
  std::set<std::string> before = HostTree(m.dir);
  for (std::string link : {"C:\\abs", "C:\\file", "C:\\loop", "C:\\dangling"})
    for (const std::string& path : {link, link + "\\keep.txt", link + "\\*", link + "\\new"})
      for (std::size_t i = 0; i < std::size(calls); ++i)
        EXPECT_FALSE(calls[i](path.c_str())) << "call " << i << " on " << path;
  EXPECT_EQ(HostTree(m.dir), before);
  P().SetLastError(0);
  EXPECT_FALSE(Create("C:\\abs\\x.txt"));
  EXPECT_EQ(P().GetLastError(), ERROR_PATH_NOT_FOUND);
  // A link that stays on the drive is an ordinary folder.
  EXPECT_EQ(testing_support::FindNames(P(), "C:\\*"), (std::vector<std::string>{"in", "real"}));
  EXPECT_NE(P().Files().GetFileAttributesA("C:\\in\\inner.txt"), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
