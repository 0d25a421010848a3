// The simulated registry's own behaviour: the .reg reader and writer, rights of a user who
// is not an administrator, the launcher's view on 64-bit Windows, a tree too deep for Windows.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/hosted/registry/registry.h"
#include "platform/hosted/text/codepage.h"
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

std::string Saved(const Registry& reg) {
  testing_support::TempMachine dir;
  reg.Save(dir.dir / "out.reg");
  return dir.Read("out.reg");
}

std::string Utf16File(const std::string& utf8) {
  std::u16string units = u"\uFEFF" + *Utf8ToUtf16(utf8);
  std::string bytes;
  for (char16_t c : units) bytes += {char(c & 0xFF), char(c >> 8)};
  return bytes;
}

TEST(RegFile, MalformedFilesAreRefusedWithTheirLineAndChangeNothing) {
  const std::string key = "REGEDIT4\n[HKCU\\x]\n";
  const struct {
    std::string text, error;
  } cases[] = {
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
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    Registry reg(true);
    reg.LoadText("REGEDIT4\n[HKCU\\Keep]\n\"v\"=\"1\"\n", "good.reg");
    try {
      reg.LoadText(c.text, "t.reg");
      ADD_FAILURE() << "accepted";
    } catch (const RegFileError& error) {
      EXPECT_EQ(std::string(error.what()).substr(0, c.error.size()), c.error);
    }
    EXPECT_EQ(Query(reg, HKEY_CURRENT_USER, "Keep", "v"), std::string("1\0", 2));
  }
  EXPECT_THROW(Registry(true).Load("/nonexistent/machine.reg"), RegFileError);
}

// One file through the reader and the writer: comments, continuations, abbreviated roots,
// deletions, a key in several sections (values replaced in place, first spelling kept, more
// than the few a key holds without its index), escapes, value types and regedit's folding.
TEST(RegFile, ReadsWhatRegeditWritesAndWritesItBack) {
  std::string many, hex;
  for (int i = 0; i < 10; ++i)
    many += "\"v" + std::to_string(i) + "\"=dword:" + char('0' + i) + "\n";
  for (int i = 0; i < 100; ++i) hex += (i ? ",7f" : "7f");
  Registry reg(true);
  reg.LoadText(
      "Windows Registry Editor Version 5.00\n; a comment\n\n[HKCU\\T]\n@=\"default\"\n"
      "\"Keep\"=\"1\"\n\"Gone\"=\"x\"\n" +
          many +
          "\"long\"=hex:01,02,\\\n    03,04\n  \"spaced\" = dword:a\n"
          "\"q\\\"\\\\\"=\"a\\\\b\\\"c\"\n\"short\"=hex(4):01,02\n\"greek\"=hex(1):a3,03,00,00\n"
          "\"m\"=hex(7):61,00,00,00,00,00\n\"z\"=hex:\n\"ProductId\"=hex:" +
          hex +
          "\n"
          "[HKCU\\Dead\\Below]\n[-HKEY_CURRENT_USER\\Dead]\n[-HKCU\\NeverThere]\n"
          "[HKCR\\.jcf]\n@=\"JAWS.Configuration\"\n[HKEY_USERS\\.DEFAULT\\Kept]\n\"u\"=\"1\"\n"
          "[hkcu\\t]\n\"KEEP\"=\"2\"\n\"gone\"=-\n\"v3\"=-\n\"V4\"=-\n\"v3\"=-\n\"New\"=\"n\"\n"
          "\"Gone\"=\"back\"\n",
      "t.reg");
  EXPECT_EQ(Query(reg, HKEY_LOCAL_MACHINE, "Software\\Classes\\.jcf", ""),
            std::string("JAWS.Configuration\0", 19));
  EXPECT_EQ(Query(reg, HKEY_CURRENT_USER, "T", "V9"), std::string("\x09\0\0\0", 4));
  EXPECT_EQ(Query(reg, HKEY_CURRENT_USER, "T", "greek"), std::string("?\0", 2));
  std::string values;
  for (int i = 0; i < 10; ++i)
    if (i != 3 && i != 4)
      values += "\"v" + std::to_string(i) + "\"=dword:0000000" + char('0' + i) + "\r\n";
  // 21 bytes after the name on the first line, 25 on each continuation line.
  std::string folded = "\"ProductId\"=hex:" + hex.substr(0, 63) + "\\\r\n";
  for (std::size_t at = 63; at < hex.size(); at += 75)
    folded += "  " + hex.substr(at, 75) + (at + 75 < hex.size() ? "\\\r\n" : "\r\n");
  EXPECT_EQ(
      Saved(reg),
      "Windows Registry Editor Version 5.00\r\n\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE]\r\n\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes]\r\n\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\.jcf]\r\n@=\"JAWS.Configuration\"\r\n\r\n"
      "[HKEY_CURRENT_USER\\T]\r\n@=\"default\"\r\n\"Keep\"=\"2\"\r\n" +
          values +
          "\"long\"=hex:01,02,03,04\r\n\"spaced\"=dword:0000000a\r\n"
          "\"q\\\"\\\\\"=\"a\\\\b\\\"c\"\r\n\"short\"=hex(4):01,02\r\n"
          "\"greek\"=\"\u03a3\"\r\n\"m\"=hex(7):61,00,00,00,00,00\r\n\"z\"=hex:\r\n" +
          folded +
          "\"New\"=\"n\"\r\n\"Gone\"=\"back\"\r\n\r\n"
          "[HKEY_USERS\\.DEFAULT]\r\n\r\n[HKEY_USERS\\.DEFAULT\\Kept]\r\n\"u\"=\"1\"\r\n\r\n");
}

TEST(RegFile, EveryFlavourAndEncodingRoundTrips) {
  // The same registry in each form: a 1252 name and text with the euro sign, an
  // expandable text in hex form (ANSI bytes in REGEDIT4, UTF-16LE in Version 5.00).
  const std::string v5 = "Windows Registry Editor Version 5.00\r\n";
  const std::string body8 = "[HKEY_CURRENT_USER\\Software\\T]\r\n\"Name\xE9\"=\"caf\xE9 \x80\"\r\n";
  const std::string bodyUtf8 =
      "[HKEY_CURRENT_USER\\Software\\T]\r\n\"Name\u00e9\"=\"caf\u00e9 \u20ac\"\r\n";
  const std::string hex16 = "\"E\"=hex(2):41,00,e9,00,00,00\r\n";
  const struct {
    const char* label;
    std::string file, savedPrefix;
  } cases[] = {
      {"REGEDIT4", "REGEDIT4\r\n" + body8 + "\"E\"=hex(2):41,e9,00\r\n", "REGEDIT4\r\n"},
      {"UTF-16", Utf16File(v5 + bodyUtf8 + hex16), Utf16File(v5).substr(0, 10)},
      {"UTF-8 BOM", "\xEF\xBB\xBF" + v5 + bodyUtf8 + hex16, "\xEF\xBB\xBF" + v5},
      {"UTF-8", v5 + bodyUtf8 + hex16, v5},
      {"1252", v5 + body8 + hex16, v5},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    Registry reg(true);
    reg.LoadText(c.file, "t.reg");
    DWORD type = 0;
    EXPECT_EQ(Query(reg, HKEY_CURRENT_USER, "Software\\T", "Name\xE9"),
              std::string("caf\xE9 \x80\0", 7));
    EXPECT_EQ(Query(reg, HKEY_CURRENT_USER, "Software\\T", "E", &type), std::string("A\xE9\0", 3));
    EXPECT_EQ(type, REG_EXPAND_SZ);

    std::string saved = Saved(reg);
    EXPECT_EQ(saved.substr(0, c.savedPrefix.size()), c.savedPrefix);
    Registry again(true);
    again.LoadText(saved, "saved.reg");
    EXPECT_EQ(Query(again, HKEY_CURRENT_USER, "Software\\T", "Name\xE9"),
              std::string("caf\xE9 \x80\0", 7));
    EXPECT_EQ(Saved(again), saved);
  }
}

// A Version 5.00 file read as 1252 only because one value was not UTF-8: once that value is
// written in hex form, its 1252 name bytes would read as UTF-8, so they must not be kept.
TEST(RegFile, A1252FileThatWouldReadAsUtf8IsWrittenAsUtf8) {
  Registry reg(true);
  reg.LoadText(
      "Windows Registry Editor Version 5.00\r\n[HKCU\\T]\r\n"
      "\"\xEF\xBB\xBF\"=\"x\"\r\n\"bin\"=hex(1):ff,00\r\n\"t\"=\"\xFF\"\r\n\"t\"=-\r\n",
      "t.reg");
  std::string saved = Saved(reg);
  Registry again(true);
  again.LoadText(saved, "saved.reg");
  EXPECT_EQ(Query(again, HKEY_CURRENT_USER, "T", "\xEF\xBB\xBF"), std::string("x\0", 2)) << saved;
  EXPECT_EQ(Saved(again), saved);
}

TEST(RegFile, SaveReplacesAtomicallyOrThrowsNamingTheFile) {
  Registry reg(true);
  reg.LoadText("REGEDIT4\n[HKCU\\T]\n\"v\"=\"1\"\n", "t.reg");
  testing_support::TempMachine machine;
  const fs::path dir = machine.MakeDir("reg");
  reg.Save(dir / "machine.reg");
  reg.Save(dir / "machine.reg");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);

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
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2);
}

// Subkeys enumerate by upper-cased name ("_" after the letters); deleting the first one
// at a time, as the launcher deletes a tree, keeps the longest name RegQueryInfoKeyA reports.
TEST(RegCalls, SubkeysSortByUpperCasedNameAndDeleteOneAtATime) {
  Registry reg(true);
  reg.LoadText(
      "REGEDIT4\n[HKCU\\T\\_xyz]\n[HKCU\\T\\\xE9]\n[HKCU\\T\\fff]\n[HKCU\\T\\Zeta]\n["
      "HKCU\\T\\\xC9t\xE9]\n",
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
  HKEY software;
  ASSERT_EQ(user.RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, KEY_READ, &software), 0);
  EXPECT_EQ(user.RegDeleteKeyA(software, "X"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(user.RegDeleteKeyA(HKEY_CLASSES_ROOT, ".x"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(user.RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\X"), ERROR_SUCCESS);
  EXPECT_EQ(user.RegOpenKeyExA(software, "X", 0, KEY_READ, &software), ERROR_SUCCESS);
}

TEST(RegTrees, AHundredThousandLevelsLoadAndFree) {
  // Far deeper than Windows allows: loading and freeing must not recurse per level.
  std::string path = "HKCU";
  for (int i = 0; i < 100000; ++i) path += "\\k";
  Registry(true).LoadText("REGEDIT4\n[" + path + "]\n", "t.reg");
}

// The launcher, a 32-bit program, on 64-bit Windows: HKEY_LOCAL_MACHINE\Software is the
// 32-bit view's, also through a key opened before; on 32-bit Windows Wow6432Node is only a
// name and the view flags mean nothing. The file association is shared.
TEST(RegistryView, TheLauncherOn64BitWindowsSeesThe32BitViewAndTheSharedKeys) {
  const std::string file =
      "REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Orv]\n@=\"64\"\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Microsoft\\Orv]\n@=\"32\"\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Orv.exe]\n"
      "@=\"shared\"\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\.jcf]\n@=\"shared\"\n";
  const struct {
    HKEY root;
    const char *path, *then;  // the second opened from the first
    REGSAM view;
    const char *on64, *on32;  // the default value's text
  } cases[] = {
      {HKEY_LOCAL_MACHINE, "SOFTWARE", "Microsoft\\Orv", 0, "32", "64"},
      {HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Orv", "", KEY_WOW64_64KEY, "64", "64"},
      {HKEY_LOCAL_MACHINE, "Software\\Wow6432Node\\Microsoft", "Orv", 0, "32", "32"},
      {HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Orv.exe", "",
       0, "shared", "shared"},
      {HKEY_CLASSES_ROOT, ".jcf", "", 0, "shared", "shared"},
  };
  for (bool windows64 : {true, false}) {
    Registry reg(true, windows64);
    reg.LoadText(file, "views.reg");
    for (const auto& c : cases)
      EXPECT_EQ(Query(reg, c.root, c.path, "", nullptr, c.view, c.then),
                std::string(windows64 ? c.on64 : c.on32) + '\0')
          << c.path << " + " << c.then << (windows64 ? " on 64" : " on 32");
  }
}

}  // namespace
