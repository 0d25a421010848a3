// The simulated registry's own behaviour: what a file's text reads as, the order subkeys are
// deleted in, a tree too deep for Windows. Files read, written back and refused: the registry-*
// scenarios of scenarios/suite and scenarios/refused.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/hosted/registry/registry.h"
#include "tests/support/machine_fixture.h"

namespace {

using namespace hosted;

// A value as RegQueryValueExA gives it, or "<error N>".
std::string Query(Registry& reg, HKEY root, const char* path, const char* name) {
  HKEY key;
  LONG e = reg.RegOpenKeyExA(root, path, 0, KEY_READ, &key);
  if (e) return "<error " + std::to_string(e) + ">";
  std::string data(4096, '\0');
  DWORD size = DWORD(data.size());
  e = reg.RegQueryValueExA(key, name, nullptr, nullptr, (BYTE*)data.data(), &size);
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
  EXPECT_EQ(Query(reg, HKEY_CURRENT_USER, "T", "caf\xE9"), std::string("\x80\0", 2));
  EXPECT_EQ(Query(reg, HKEY_CURRENT_USER, "T", "E"), std::string("A\xE9\0", 3));

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

}  // namespace
