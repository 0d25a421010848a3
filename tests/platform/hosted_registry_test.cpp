// The simulated registry's own behaviour: what a file's text reads as, the order subkeys are
// deleted in, the launcher's view on 64-bit Windows, a tree too deep for Windows. How files are
// read and written back: the registry-* scenarios of scenarios/suite; how a broken file is
// refused: those of scenarios/refused; a user's rights: the not-administrator scenarios.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/hosted/registry/registry.h"
#include "tests/support/machine_fixture.h"

namespace {

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
