// The simulated registry's own behaviour: the .reg reader and writer, rights of a user who
// is not an administrator, the change list, and trees too big or deep for Windows tests.
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

// A value as RegQueryValueExA gives it, or "<error N>".
std::string Query(Registry& reg, HKEY root, const char* path, const char* name,
                  DWORD* type = nullptr) {
  HKEY key;
  if (LONG e = reg.RegOpenKeyExA(root, path, 0, KEY_READ, &key))
    return "<error " + std::to_string(e) + ">";
  std::string data(4096, '\0');
  DWORD size = DWORD(data.size());
  LONG e = reg.RegQueryValueExA(key, name, nullptr, type, (BYTE*)data.data(), &size);
  reg.RegCloseKey(key);
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

TEST(RegFile, SyntaxRegeditWrites) {
  Registry reg(true);
  reg.LoadText(
      "REGEDIT4\r\n"
      "; a comment\r\n"
      "\r\n"
      "[HKLM\\Software\\T]\r\n"
      "@=\"default\"\r\n"
      "\"gone\"=\"x\"\r\n"
      "\"first\"=\"1\"\r\n"
      "\"long\"=hex:01,02,\\\r\n"
      "    03,04\r\n"
      "\"FIRST\"=\"2\"\r\n"
      "\"gone\"=-\r\n"
      "  \"spaced\" = dword:a\r\n"
      "[HKCU\\Software\\Dead\\Below]\n"
      "[-HKEY_CURRENT_USER\\Software\\Dead]\n"
      "[-HKCU\\Software\\NeverThere]\n"
      "[HKCR\\.jcf]\n"
      "@=\"JAWS.Configuration\"\n",
      "t.reg");
  const struct {
    HKEY root;
    const char *path, *name;
    std::string data;
  } cases[] = {
      {HKEY_LOCAL_MACHINE, "Software\\T", "", std::string("default\0", 8)},
      {HKEY_LOCAL_MACHINE, "Software\\T", "first", std::string("2\0", 2)},
      {HKEY_LOCAL_MACHINE, "Software\\T", "gone", "<error 2>"},
      {HKEY_LOCAL_MACHINE, "Software\\T", "long", "\x01\x02\x03\x04"},
      {HKEY_LOCAL_MACHINE, "Software\\T", "spaced", std::string("\x0a\0\0\0", 4)},
      {HKEY_CURRENT_USER, "Software\\Dead", "", "<error 2>"},
      {HKEY_CLASSES_ROOT, ".jcf", "", std::string("JAWS.Configuration\0", 19)},
      {HKEY_LOCAL_MACHINE, "Software\\Classes\\.jcf", "", std::string("JAWS.Configuration\0", 19)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Query(reg, c.root, c.path, c.name), c.data);
  }
  // A value set twice keeps its place.
  EXPECT_NE(Saved(reg).find("@=\"default\"\r\n\"first\"=\"2\"\r\n\"long\""), std::string::npos);
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

TEST(RegFile, WriterFormat) {
  Registry reg(true);
  reg.LoadText(
      "Windows Registry Editor Version 5.00\n"
      "[HKCU\\T]\n"
      "\"q\\\"\\\\\"=\"a\\\\b\\\"c\"\n"
      "\"n\"=dword:1A\n"
      "\"short\"=hex(4):01,02\n"
      "\"raw\"=hex(1):41,00\n"
      "\"greek\"=hex(1):a3,03,00,00\n"
      "\"m\"=hex(7):61,00,00,00,00,00\n"
      "\"q\"=hex(b):01,00,00,00,00,00,00,00\n"
      "\"z\"=hex:\n"
      "[HKEY_USERS\\.DEFAULT\\Kept]\n"
      "\"u\"=\"1\"\n",
      "t.reg");
  EXPECT_EQ(Query(reg, HKEY_CURRENT_USER, "T", "greek"), std::string("?\0", 2));
  EXPECT_EQ(Saved(reg),
            "Windows Registry Editor Version 5.00\r\n\r\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE]\r\n\r\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes]\r\n\r\n"
            "[HKEY_CURRENT_USER\\T]\r\n"
            "\"q\\\"\\\\\"=\"a\\\\b\\\"c\"\r\n"
            "\"n\"=dword:0000001a\r\n"
            "\"short\"=hex(4):01,02\r\n"
            "\"raw\"=hex(1):41,00\r\n"
            "\"greek\"=\"\u03a3\"\r\n"
            "\"m\"=hex(7):61,00,00,00,00,00\r\n"
            "\"q\"=hex(b):01,00,00,00,00,00,00,00\r\n"
            "\"z\"=hex:\r\n\r\n"
            "[HKEY_USERS\\.DEFAULT]\r\n\r\n"
            "[HKEY_USERS\\.DEFAULT\\Kept]\r\n"
            "\"u\"=\"1\"\r\n\r\n");
}

// A key named in several sections keeps one set of values: a later section replaces values
// in place (first letter case and position kept), "-" deletes, and what follows adds.
TEST(RegFile, AKeyInSeveralSectionsMergesItsValues) {
  std::string many;
  for (int i = 0; i < 10; ++i)
    many += "\"v" + std::to_string(i) + "\"=dword:" + std::to_string(i) + "\n";
  Registry reg(true);
  reg.LoadText(
      "REGEDIT4\n[HKCU\\T]\n\"Keep\"=\"1\"\n\"Gone\"=\"x\"\n" + many + "\"V5\"=dword:55\n" +
          "[HKCU\\Other]\n\"o\"=\"o\"\n"
          "[hkcu\\t]\n\"KEEP\"=\"2\"\n\"gone\"=-\n\"v3\"=-\n\"V4\"=-\n\"v3\"=-\n\"New\"=\"n\"\n"
          "\"Gone\"=\"back\"\n",
      "t.reg");
  std::string expected =
      "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE]\r\n\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes]\r\n\r\n"
      "[HKEY_CURRENT_USER\\Other]\r\n\"o\"=\"o\"\r\n\r\n"
      "[HKEY_CURRENT_USER\\T]\r\n\"Keep\"=\"2\"\r\n";
  for (int i = 0; i < 10; ++i)
    if (i != 3 && i != 4)
      expected += "\"v" + std::to_string(i) + "\"=dword:000000" +
                  (i == 5 ? "55" : "0" + std::to_string(i)) + "\r\n";
  expected += "\"New\"=\"n\"\r\n\"Gone\"=\"back\"\r\n\r\n";
  EXPECT_EQ(Saved(reg), expected);
  EXPECT_EQ(Query(reg, HKEY_CURRENT_USER, "T", "V9"), std::string("\x09\0\0\0", 4));
}

TEST(RegFile, LongHexDataIsFoldedAsRegeditFoldsIt) {
  std::string hex;
  for (int i = 0; i < 100; ++i) hex += (i ? ",7f" : "7f");
  Registry reg(true);
  reg.LoadText("REGEDIT4\n[HKCU\\T]\n\"ProductId\"=hex:" + hex + "\n", "t.reg");
  std::string saved = Saved(reg);
  // 21 bytes after the name on the first line, 25 on each continuation line.
  std::string folded = "\"ProductId\"=hex:" + hex.substr(0, 63) + "\\\r\n";
  for (std::size_t at = 63; at < hex.size(); at += 75)
    folded += "  " + hex.substr(at, 75) + (at + 75 < hex.size() ? "\\\r\n" : "\r\n");
  EXPECT_NE(saved.find("[HKEY_CURRENT_USER\\T]\r\n" + folded + "\r\n"), std::string::npos) << saved;
  Registry again(true);
  again.LoadText(saved, "saved.reg");
  EXPECT_EQ(Query(again, HKEY_CURRENT_USER, "T", "ProductId"), std::string(100, '\x7f'));
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

TEST(RegCalls, SubkeysSortByUpperCasedName) {
  Registry reg(true);
  reg.LoadText(
      "REGEDIT4\n[HKCU\\T\\_x]\n[HKCU\\T\\\xE9]\n[HKCU\\T\\f]\n[HKCU\\T\\Zeta]\n["
      "HKCU\\T\\\xC9t\xE9]\n",
      "t.reg");
  HKEY key;
  ASSERT_EQ(reg.RegOpenKeyExA(HKEY_CURRENT_USER, "t", 0, KEY_READ, &key), ERROR_SUCCESS);
  std::vector<std::string> names;
  char name[16];
  DWORD size = sizeof name;
  for (DWORD i = 0;
       reg.RegEnumKeyExA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
       ++i, size = sizeof name)
    names.push_back(name);
  EXPECT_EQ(names, (std::vector<std::string>{"f", "Zeta", "_x", "\xE9", "\xC9t\xE9"}));
  HKEY upper;
  EXPECT_EQ(reg.RegOpenKeyExA(key, "\xC9T\xC9", 0, KEY_READ, &upper), ERROR_SUCCESS);
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

TEST(RegCalls, ChangesListDeletedKeysInKeyOrder) {
  Registry reg(true);
  reg.LoadText(
      "REGEDIT4\n"
      "[HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Orvanel\\Sub\\Deep]\n"
      "[HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Orvanel\\Other]\n"
      "[HKCU\\Software\\Gone]\n",
      "t.reg");
  const std::string orv = "Software\\Microsoft\\Windows\\CurrentVersion\\Orvanel";
  for (const std::string& path : {orv + "\\Other", orv + "\\Sub\\Deep", orv + "\\Sub", orv})
    ASSERT_EQ(reg.RegDeleteKeyA(HKEY_LOCAL_MACHINE, path.c_str()), ERROR_SUCCESS) << path;
  ASSERT_EQ(reg.RegDeleteKeyA(HKEY_CURRENT_USER, "software\\gone"), ERROR_SUCCESS);

  std::vector<std::string> changes;
  for (const KeyChange& change : reg.Changes()) changes.push_back(change.key + " " + change.change);
  const std::string hklm = "HKEY_LOCAL_MACHINE\\" + orv;
  EXPECT_EQ(changes,
            (std::vector<std::string>{"HKEY_CURRENT_USER\\Software\\Gone deleted",
                                      hklm + " deleted", hklm + "\\Other deleted",
                                      hklm + "\\Sub deleted", hklm + "\\Sub\\Deep deleted"}));
  EXPECT_EQ(Saved(reg).find("Orvanel"), std::string::npos);
  reg.LoadText("REGEDIT4\n", "t.reg");
  EXPECT_TRUE(reg.Changes().empty());
}

TEST(RegTrees, HundredThousandSiblingsDeletedOneAtATime) {
  std::string file = "REGEDIT4\n";
  for (int i = 0; i < 100000; ++i) file += "[HKCU\\W\\key" + std::to_string(i) + "]\n";
  Registry reg(true);
  reg.LoadText(file, "t.reg");
  HKEY w;
  ASSERT_EQ(reg.RegOpenKeyExA(HKEY_CURRENT_USER, "W", 0, KEY_ALL_ACCESS, &w), ERROR_SUCCESS);
  // As the launcher does: ask for the count and the longest name, take the first subkey.
  DWORD count = 0, longest = 0;
  char name[32];
  for (;;) {
    reg.RegQueryInfoKeyA(w, nullptr, nullptr, nullptr, &count, &longest, nullptr, nullptr, nullptr,
                         nullptr, nullptr, nullptr);
    if (count == 0) break;
    DWORD size = longest + 1;
    ASSERT_EQ(reg.RegEnumKeyExA(w, 0, name, &size, nullptr, nullptr, nullptr, nullptr), 0);
    ASSERT_EQ(reg.RegDeleteKeyA(w, name), ERROR_SUCCESS);
  }
  EXPECT_EQ(longest, 0u);
  EXPECT_EQ(reg.Changes().size(), 100000u);
}

TEST(RegTrees, AHundredThousandLevelsLoadAndFree) {
  // Far deeper than Windows allows: loading and freeing must not recurse per level.
  std::string path = "HKCU";
  for (int i = 0; i < 100000; ++i) path += "\\k";
  Registry(true).LoadText("REGEDIT4\n[" + path + "]\n", "t.reg");
}

}  // namespace

namespace {

// A product and a COM class registered in both views of 64-bit Windows, as its regedit
// exports them, and keys both views share.
constexpr const char* kBothViews =
    "REGEDIT4\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Orvanel]\n"
    "@=\"64\"\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
    "Orvanel]\n"
    "@=\"32\"\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Orv.exe]\n"
    "@=\"shared\"\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\.jcf]\n"
    "@=\"shared\"\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\CLSID\\{1}]\n"
    "@=\"64\"\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\Wow6432Node\\CLSID\\{1}]\n"
    "@=\"32\"\n"
    "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Orvanel]\n"
    "@=\"user\"\n";

constexpr const char* kUninstall =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Orvanel";

// The default value of a key opened from a root in the given way; "<error N>" if it fails.
std::string Seen(Registry& reg, HKEY root, const char* path, REGSAM view, const char* then = "") {
  HKEY key, inner;
  if (LONG e = reg.RegOpenKeyExA(root, path, 0, KEY_READ | view, &key))
    return "<error " + std::to_string(e) + ">";
  LONG e = reg.RegOpenKeyExA(key, then, 0, KEY_READ | view, &inner);
  reg.RegCloseKey(key);
  if (e) return "<error " + std::to_string(e) + ">";
  char data[64];
  DWORD size = sizeof data;
  e = reg.RegQueryValueExA(inner, "", nullptr, nullptr, (BYTE*)data, &size);
  reg.RegCloseKey(inner);
  return e ? "<error " + std::to_string(e) + ">" : std::string(data, size ? size - 1 : 0);
}

TEST(RegistryView, TheLauncherOn64BitWindowsSeesThe32BitViewAndTheSharedKeys) {
  const struct {
    HKEY root;
    const char* path;
    REGSAM view;
    const char* then;  // opened from the first key
    const char* on64;  // the default value seen on 64-bit Windows
    const char* on32;  // on 32-bit Windows, where the view flags mean nothing
  } cases[] = {
      {HKEY_LOCAL_MACHINE, kUninstall, 0, "", "32", "64"},
      {HKEY_LOCAL_MACHINE, kUninstall, KEY_WOW64_32KEY, "", "32", "64"},
      {HKEY_LOCAL_MACHINE, kUninstall, KEY_WOW64_64KEY, "", "64", "64"},
      {HKEY_LOCAL_MACHINE, "SOFTWARE", 0, "Microsoft\\Windows\\CurrentVersion\\Uninstall\\Orvanel",
       "32", "64"},
      {HKEY_LOCAL_MACHINE, "Software\\Wow6432Node\\Microsoft", 0,
       "Windows\\CurrentVersion\\Uninstall\\Orvanel", "32", "32"},
      {HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Orv.exe", 0,
       "", "shared", "shared"},
      {HKEY_CLASSES_ROOT, ".jcf", 0, "", "shared", "shared"},
      {HKEY_LOCAL_MACHINE, "Software\\Classes\\.jcf", 0, "", "shared", "shared"},
      {HKEY_CLASSES_ROOT, "CLSID\\{1}", 0, "", "32", "64"},
      {HKEY_CLASSES_ROOT, "CLSID", 0, "{1}", "32", "64"},
      {HKEY_CLASSES_ROOT, "CLSID\\{1}", KEY_WOW64_64KEY, "", "64", "64"},
      {HKEY_CURRENT_USER, kUninstall, 0, "", "user", "user"},
  };
  for (bool windows64 : {true, false}) {
    Registry reg(true, windows64);
    reg.LoadText(kBothViews, "views.reg");
    for (const auto& c : cases)
      EXPECT_EQ(Seen(reg, c.root, c.path, c.view, c.then), windows64 ? c.on64 : c.on32)
          << c.path << " + " << c.then << " view " << c.view << (windows64 ? " on 64" : " on 32");
  }
}

TEST(RegistryView, DeletingInThe32BitViewLeavesThe64BitKey) {
  Registry reg(true, true);
  reg.LoadText(kBothViews, "views.reg");
  EXPECT_EQ(reg.RegDeleteKeyA(HKEY_LOCAL_MACHINE, kUninstall), ERROR_SUCCESS);
  EXPECT_EQ(reg.RegDeleteKeyA(HKEY_LOCAL_MACHINE, kUninstall), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(Seen(reg, HKEY_LOCAL_MACHINE, kUninstall, KEY_WOW64_64KEY), "64");
  ASSERT_EQ(reg.Changes().size(), 1u);
  EXPECT_EQ(reg.Changes()[0].key,
            "HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\"
            "Uninstall\\Orvanel");
}

}  // namespace
