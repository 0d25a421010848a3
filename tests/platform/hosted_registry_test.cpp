// The simulated registry's own behaviour: broken .reg files, what a file's text reads as, the
// rights of a user who is not an administrator, the launcher's view on 64-bit Windows, a tree
// too deep for Windows. How files are read and written back: the registry-* scenarios.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/hosted/registry/registry.h"
#include "tests/support/machine_fixture.h"

namespace {

namespace fs = std::filesystem;
using namespace hosted;

// A value as RegQueryValueExA gives it, or "<error N>": the key opened in the view, then
// the subkey `then` opened from it.
std::string Query(Registry& reg, HKEY root, const char* path, const char* name,
                  DWORD* type = nullptr, REGSAM view = 0, const char* then = "") {
  HKEY key, inner;
  LONG e = reg.RegOpenKeyExA(root, path, 0, KEY_READ | view, &key);
  if (!e) e = reg.RegOpenKeyExA(key, then, 0, KEY_READ | view, &inner);
  if (e) return "<error " + std::to_string(e) + ">";
  std::string data(4096, '\0');
  DWORD size = DWORD(data.size());
  e = reg.RegQueryValueExA(inner, name, nullptr, type, (BYTE*)data.data(), &size);
  return e ? "<error " + std::to_string(e) + ">" : data.substr(0, size);
}

TEST(RegFile, MalformedFilesAreRefusedWithTheirLineAndChangeNothing) {
  const std::string key = "REGEDIT4\n[HKCU\\x]\n";
  const std::pair<std::string, std::string> cases[] = {
      {"", "t.reg:1: empty file"},
      {"REGEDIT5\n", "t.reg:1: unknown header"},
      {"REGEDIT4\n\n\"a\"=\"b\"\n", "t.reg:3: value outside a key"},
      {"REGEDIT4\n[-HKCU\\x]\n\"a\"=\"b\"\n", "t.reg:3: value outside a key"},
      {"REGEDIT4\nstray\n", "t.reg:2: unexpected text"},
      {"REGEDIT4\n[HKCU\\x\n", "t.reg:2: missing ]"},
      {"REGEDIT4\n[HKEY_NOWHERE\\x]\n", "t.reg:2: unknown root key HKEY_NOWHERE"},
      {"REGEDIT4\n[-HKCU]\n", "t.reg:2: a root key cannot be deleted"},
      {"\xEF\xBB\xBFWindows Registry Editor Version 5.00\n[HKCU\\\xE9]\n",
       "t.reg:2: invalid UTF-8"},
      {"\xFF\xFEW", "t.reg:1: UTF-16 file with an odd number of bytes"},
      {key + "\"a=\"b\"\n", "t.reg:3: expected ="},
      {key + "\"a\"=\"b\n", "t.reg:3: unterminated string"},
      {key + "\"a\"=\"b\\\"\n", "t.reg:3: unterminated string"},
      {key + "\"a\"=\"C:\\P\"\n", "t.reg:3: unknown escape"},
      {key + "\"a\"=\"b\" c\n", "t.reg:3: text after the closing quote"},
      {key + "\"a\"=\n", "t.reg:3: missing value data"},
      {key + "\"a\"=word:1\n", "t.reg:3: unknown value type"},
      {key + "\"a\"=dword:\n", "t.reg:3: bad dword"},
      {key + "\"a\"=dword:123456789\n", "t.reg:3: bad dword"},
      {key + "\"a\"=dword:12g\n", "t.reg:3: bad dword"},
      {key + "\"a\"=hex:0g\n", "t.reg:3: bad hex data"},
      {key + "\"a\"=hex:012\n", "t.reg:3: bad hex data"},
      {key + "\"a\"=hex:01,\\\n  02,x\n", "t.reg:4: bad hex data"},
      {key + "\"a\"=hex:01,\\", "t.reg:3: hex data continues past the end"},
      {key + "\"a\"=hex(zz):01\n", "t.reg:3: bad hex(N) type"},
      {key + "\"a\"=hex(2)01\n", "t.reg:3: expected :"},
  };
  for (const auto& [text, error] : cases) {
    SCOPED_TRACE(text);
    Registry reg(true);
    reg.LoadText("REGEDIT4\n[HKCU\\Keep]\n\"v\"=\"1\"\n", "good.reg");
    try {
      reg.LoadText(text, "t.reg");
      ADD_FAILURE() << "accepted";
    } catch (const RegFileError& e) {
      EXPECT_EQ(std::string(e.what()).substr(0, error.size()), error);
    }
    EXPECT_EQ(Query(reg, HKEY_CURRENT_USER, "Keep", "v"), std::string("1\0", 2));
  }
  EXPECT_THROW(Registry(true).Load("/nonexistent/machine.reg"), RegFileError);
}

// Texts are read in code page 1252 whatever the file's encoding; a Version 5.00 file read as
// 1252 only because one value was not UTF-8 must not keep 1252 name bytes that would read as
// UTF-8 once that value is written in hex form.
TEST(RegFile, TextsReadInCodePage1252AndA1252FileIsWrittenSoThatItReadsAlike) {
  Registry reg(true);
  reg.LoadText(
      "Windows Registry Editor Version 5.00\r\n[HKCU\\T]\r\n\"caf\u00e9\"=\"\u20ac\"\r\n"
      "\"E\"=hex(2):41,00,e9,00,00,00\r\n",
      "t.reg");
  DWORD type = 0;
  EXPECT_EQ(Query(reg, HKEY_CURRENT_USER, "T", "caf\xE9"), std::string("\x80\0", 2));
  EXPECT_EQ(Query(reg, HKEY_CURRENT_USER, "T", "E", &type), std::string("A\xE9\0", 3));
  EXPECT_EQ(type, REG_EXPAND_SZ);

  testing_support::TempMachine dir;
  reg.LoadText(
      "Windows Registry Editor Version 5.00\r\n[HKCU\\T]\r\n"
      "\"\xEF\xBB\xBF\"=\"x\"\r\n\"bin\"=hex(1):ff,00\r\n\"t\"=\"\xFF\"\r\n\"t\"=-\r\n",
      "t.reg");
  reg.Save(dir.dir / "saved.reg");
  Registry again(true);
  again.Load(dir.dir / "saved.reg");
  EXPECT_EQ(Query(again, HKEY_CURRENT_USER, "T", "\xEF\xBB\xBF"), std::string("x\0", 2));
  again.Save(dir.dir / "again.reg");
  EXPECT_EQ(dir.Read("again.reg"), dir.Read("saved.reg"));
}

TEST(RegFile, SaveReplacesAtomicallyOrThrowsNamingTheFile) {
  Registry reg(true);
  testing_support::TempMachine machine;
  const fs::path dir = machine.MakeDir("reg");
  reg.Save(dir / "machine.reg");
  reg.Save(dir / "machine.reg");
  fs::create_directories(dir / "busy" / "inside");
  for (const fs::path& target : {dir / "missing" / "m.reg", dir / "busy"}) {
    try {
      reg.Save(target);
      ADD_FAILURE() << "saved " << target;
    } catch (const std::runtime_error& error) {
      EXPECT_NE(std::string(error.what()).find(target.string()), std::string::npos);
    }
  }
  EXPECT_TRUE(fs::is_directory(dir / "busy" / "inside"));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2)
      << "machine.reg and busy, no file left half-written";
}

// Subkeys enumerate by upper-cased name ("_" after the letters); deleting the first one
// at a time, as the launcher deletes a tree, keeps the longest name RegQueryInfoKeyA reports.
TEST(RegCalls, SubkeysSortByUpperCasedNameAndDeleteOneAtATime) {
  Registry reg(true);
  reg.LoadText(
      "REGEDIT4\n[HKCU\\T\\_xyz]\n[HKCU\\T\\\xE9]\n[HKCU\\T\\fff]\n[HKCU\\T\\Zeta]\n"
      "[HKCU\\T\\\xC9t\xE9]\n",
      "t.reg");
  HKEY key;
  ASSERT_EQ(reg.RegOpenKeyExA(HKEY_CURRENT_USER, "t", 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
  const std::pair<std::string, DWORD> expected[] = {{"fff", 4},  {"Zeta", 4},      {"_xyz", 4},
                                                    {"\xE9", 3}, {"\xC9t\xE9", 3}, {"", 0}};
  for (const auto& [first, longest] : expected) {
    DWORD count = 0, longestName = 99;
    reg.RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &count, &longestName, nullptr, nullptr,
                         nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(longestName, longest) << first;
    char name[16] = "";
    DWORD size = sizeof name;
    if (count == 0) break;
    ASSERT_EQ(reg.RegEnumKeyExA(key, 0, name, &size, nullptr, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(name, first);
    EXPECT_EQ(reg.RegDeleteKeyA(key, name), ERROR_SUCCESS);
  }
}

// How a run shows it: the not-administrator and obsolete-key-kept-for-a-user scenarios.
TEST(RegCalls, NonAdministratorIsRefusedWriteRightsUnderLocalMachine) {
  const std::string file = "REGEDIT4\n[HKLM\\Software\\X]\n[HKCR\\.x]\n[HKCU\\Software\\X]\n";
  constexpr REGSAM kWriteDac = 0x00040000, kWriteOwner = 0x00080000;
  const struct {
    HKEY root;
    const char* path;
    std::vector<REGSAM> desired;
    LONG user;  // an administrator is refused nothing but an absent key
  } cases[] = {
      {HKEY_LOCAL_MACHINE, "Software\\X", {KEY_READ, KEY_QUERY_VALUE | KEY_NOTIFY}, 0},
      {HKEY_LOCAL_MACHINE,
       "Software\\X",
       {KEY_ALL_ACCESS, KEY_WRITE, KEY_SET_VALUE, KEY_CREATE_SUB_KEY, KEY_CREATE_LINK, DELETE,
        kWriteDac, kWriteOwner},
       ERROR_ACCESS_DENIED},
      {HKEY_LOCAL_MACHINE, "", {KEY_ALL_ACCESS}, ERROR_ACCESS_DENIED},
      {HKEY_CLASSES_ROOT, ".x", {KEY_ALL_ACCESS}, ERROR_ACCESS_DENIED},
      {HKEY_CLASSES_ROOT, ".x", {KEY_READ}, 0},
      {HKEY_CURRENT_USER, "Software\\X", {KEY_ALL_ACCESS}, 0},
      {HKEY_LOCAL_MACHINE, "Software\\Absent", {KEY_ALL_ACCESS}, ERROR_FILE_NOT_FOUND},
  };
  for (bool admin : {false, true}) {
    Registry reg(admin);
    reg.LoadText(file, "t.reg");
    for (const auto& c : cases)
      for (REGSAM desired : c.desired) {
        SCOPED_TRACE(std::string(c.path) + " " + std::to_string(desired) + (admin ? " admin" : ""));
        HKEY key;
        EXPECT_EQ(reg.RegOpenKeyExA(c.root, c.path, 0, desired, &key),
                  admin && c.user == ERROR_ACCESS_DENIED ? 0 : c.user);
      }
  }
  Registry user(false);
  user.LoadText(file, "t.reg");
  EXPECT_EQ(user.RegDeleteKeyA(HKEY_CLASSES_ROOT, ".x"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(user.RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\X"), ERROR_SUCCESS);
}

TEST(RegTrees, AHundredThousandLevelsLoadAndFree) {
  // Far deeper than Windows allows: loading and freeing must not recurse per level.
  std::string path = "HKCU";
  for (int i = 0; i < 100000; ++i) path += "\\k";
  Registry(true).LoadText("REGEDIT4\n[" + path + "]\n", "t.reg");
}

// Beyond what the view conformance tests show: the 32-bit view also through a key opened
// before, App Paths shared; on 32-bit Windows Wow6432Node is only a name and the view flags
// mean nothing.
TEST(RegistryView, TheLauncherOn64BitWindowsSeesThe32BitViewAndTheSharedKeys) {
  const std::string file =
      "REGEDIT4\n[HKLM\\SOFTWARE\\Microsoft\\Orv]\n@=\"64\"\n"
      "[HKLM\\SOFTWARE\\Wow6432Node\\Microsoft\\Orv]\n@=\"32\"\n"
      "[HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Orv.exe]\n@=\"shared\"\n";
  const struct {
    const char *path, *then;  // the second opened from the first
    REGSAM view;
    const char *on64, *on32;  // the default value's text
  } cases[] = {
      {"SOFTWARE", "Microsoft\\Orv", 0, "32", "64"},
      {"Software\\Microsoft\\Orv", "", KEY_WOW64_64KEY, "64", "64"},
      {"Software\\Microsoft\\Orv", "", KEY_WOW64_32KEY, "32", "64"},
      {"Software\\Wow6432Node\\Microsoft", "Orv", 0, "32", "32"},
      {"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Orv.exe", "", 0, "shared",
       "shared"},
  };
  for (bool windows64 : {true, false}) {
    Registry reg(true, windows64);
    reg.LoadText(file, "views.reg");
    for (const auto& c : cases)
      EXPECT_EQ(Query(reg, HKEY_LOCAL_MACHINE, c.path, "", nullptr, c.view, c.then),
                std::string(windows64 ? c.on64 : c.on32) + '\0')
          << c.path << " + " << c.then << (windows64 ? " on 64" : " on 32");
  }
}

}  // namespace
