// The registry calls as the launcher relies on them; runs unchanged against Windows.
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "tests/platform/conformance.h"
#include "tests/platform/conformance_registry.h"

#ifndef _WIN32
#include "tests/support/machine_fixture.h"
#endif

namespace conformance {

#ifndef _WIN32
namespace {

// The simulated machine: a fresh one per test, its registry loaded from the data.
std::shared_ptr<testing_support::TempMachine> StartMachine(std::string_view registry,
                                                           bool windows64) {
  auto machine = std::make_shared<testing_support::TempMachine>();
  machine->config.windows64 = windows64;
  machine->config.registry = machine->Write("registry.reg", registry);
  machine->Start();
  return machine;
}
}  // namespace

void ConformanceRegistry::SetUp() { machine_ = StartMachine(kRegistryData, false); }
void ConformanceRegistry::TearDown() {}
platform::Platform& ConformanceRegistry::P() { return machine_->Platform(); }
void ConformanceRegistryViews::SetUp() { machine_ = StartMachine(kViewData, true); }
void ConformanceRegistryViews::TearDown() {}
#endif

namespace {

using namespace platform;

constexpr const char* kBase = "Software\\OrvConformance";

// An open key, closed at the end of the scope.
struct Key {
  Key(Platform& p, HKEY parent, const char* path, REGSAM access = KEY_READ) : p(p) {
    error = p.RegOpenKeyExA(parent, path, 0, access, &key);
  }
  ~Key() {
    if (error == ERROR_SUCCESS) p.RegCloseKey(key);
  }
  Key(const Key&) = delete;  // a copy would close the key twice

  Platform& p;
  LONG error;
  HKEY key = nullptr;
};

// The subkey count and longest subkey name of RegQueryInfoKeyA, all the launcher asks of it.
LONG Info(Platform& p, HKEY key, DWORD* subKeys, DWORD* maxSubKey = nullptr) {
  return p.RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, subKeys, maxSubKey, nullptr, nullptr,
                            nullptr, nullptr, nullptr, nullptr);
}

LONG Enum(Platform& p, HKEY key, DWORD index, char* name, DWORD* size) {
  return p.RegEnumKeyExA(key, index, name, size, nullptr, nullptr, nullptr, nullptr);
}

// The launcher's way of deleting a tree: while the key has subkeys, the first one's tree,
// each named relative to its parent; then the key.
LONG DeleteTree(Platform& p, HKEY parent, const char* name) {
  Key key(p, parent, name, KEY_ALL_ACCESS);
  DWORD count = 0, longest = 0;
  while (key.error == ERROR_SUCCESS && Info(p, key.key, &count, &longest) == ERROR_SUCCESS &&
         count > 0) {
    std::string child(longest + 1, '\0');
    DWORD size = longest + 1;
    LONG error = Enum(p, key.key, 0, child.data(), &size);
    if (error || (error = DeleteTree(p, key.key, child.c_str()))) return error;
  }
  return p.RegDeleteKeyA(parent, name);
}

TEST_F(ConformanceRegistry, ValuesReadWithTheirTypeAndAnsiData) {
  const struct {
    const char* name;
    DWORD type;
    std::string data;  // as RegQueryValueExA returns it: text in the ANSI code page
    LONG error = ERROR_SUCCESS;
  } cases[] = {
      {"", REG_SZ, std::string("default text\0", 13)},
      {"Missing", 0, "", ERROR_FILE_NOT_FOUND},
      {"Text", REG_SZ, std::string("hello\0", 6)},
      {"TEXT", REG_SZ, std::string("hello\0", 6)},
      {"Empty", REG_SZ, std::string("\0", 1)},
      {"EmptyText", REG_SZ, ""},
      {"Expand", REG_EXPAND_SZ, std::string("%TEMP%\\x\0", 9)},
      {"Multi", REG_MULTI_SZ, std::string("a\0bc\0\0", 6)},
      {"Number", REG_DWORD, "\x78\x56\x34\x12"},
      {"Binary", REG_BINARY, "\x01\x02\x03\xFF"},
      {"NoData", REG_BINARY, ""},
      {"None", REG_NONE, "\xAA"},
      {"Unknown", 0x100, "\xDE\xAD"},
      {"Latin", REG_SZ, std::string("caf\xE9\0", 5)},
      {"Quote \"q\"", REG_SZ, std::string("back\\slash\0", 11)},
  };
  Key base(P(), HKEY_CURRENT_USER, kBase);
  ASSERT_EQ(base.error, ERROR_SUCCESS);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    DWORD type = 99, size = 0;
    ASSERT_EQ(P().RegQueryValueExA(base.key, c.name, nullptr, &type, nullptr, &size), c.error);
    if (c.error) continue;
    EXPECT_EQ(type, c.type);
    ASSERT_EQ(size, c.data.size());
    std::string data(size + 4, '\x7F');
    size = DWORD(data.size());
    ASSERT_EQ(P().RegQueryValueExA(base.key, c.name, nullptr, &type, (BYTE*)data.data(), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(data.substr(0, size), c.data);
  }
  DWORD size = 0;
  EXPECT_EQ(P().RegQueryValueExA(Key(P(), base.key, "NoDefault").key, "", nullptr, nullptr, nullptr,
                                 &size),
            ERROR_FILE_NOT_FOUND);
}

TEST_F(ConformanceRegistry, KeysOpenWithoutRegardToCaseAndCloseOnce) {
  const std::pair<const char*, LONG> cases[] = {
      {"Software\\OrvConformance", ERROR_SUCCESS},
      {"SOFTWARE\\orvconformance\\LEAF", ERROR_SUCCESS},
      {"Software\\OrvConformance\\Tree\\A\\B\\C", ERROR_SUCCESS},
      {"Software\\OrvConformance\\", ERROR_SUCCESS},
      {"Software\\\\OrvConformance", ERROR_SUCCESS},
      {"Software\\OrvConformance\\Missing", ERROR_FILE_NOT_FOUND},
      {"Software\\Missing\\Leaf", ERROR_FILE_NOT_FOUND},
      {"Software\\OrvConformance\\Leaf\\v", ERROR_FILE_NOT_FOUND},  // a value is no key
      {"\\Software\\OrvConformance", ERROR_BAD_PATHNAME},
  };
  for (const auto& [path, expected] : cases)
    EXPECT_EQ(Key(P(), HKEY_CURRENT_USER, path).error, expected) << path;
  // An empty subkey opens the key again, a handle of its own.
  HKEY base, again;
  ASSERT_EQ(P().RegOpenKeyExA(HKEY_CURRENT_USER, kBase, 0, KEY_READ, &base), ERROR_SUCCESS);
  ASSERT_EQ(P().RegOpenKeyExA(base, "", 0, KEY_READ, &again), ERROR_SUCCESS);
  EXPECT_NE(again, base);
  EXPECT_EQ(P().RegCloseKey(base), ERROR_SUCCESS);
  DWORD size = 0;
  EXPECT_EQ(P().RegQueryValueExA(again, "Text", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(P().RegCloseKey(again), ERROR_SUCCESS);
}

TEST_F(ConformanceRegistry, SubkeysAreCountedAndEnumerateSortedWithoutRegardToCase) {
  Key base(P(), HKEY_CURRENT_USER, kBase);
  DWORD subKeys = 0, maxSubKey = 0;
  ASSERT_EQ(Info(P(), base.key, &subKeys, &maxSubKey), ERROR_SUCCESS);
  EXPECT_EQ(subKeys, 4u);    // Order, Tree, Leaf, NoDefault
  EXPECT_EQ(maxSubKey, 9u);  // NoDefault
  Key order(P(), HKEY_CURRENT_USER, "Software\\OrvConformance\\Order");
  std::vector<std::string> names;
  char name[16];
  DWORD i = 0, size = sizeof name;
  while (Enum(P(), order.key, i++, name, &size) == ERROR_SUCCESS) {
    names.push_back(std::string(name, size));
    size = sizeof name;
  }
  EXPECT_EQ(names, (std::vector<std::string>{"Alpha", "beta", "Delta", "gamma"}));
  size = 5;  // "Alpha" needs 6 with its NUL
  EXPECT_EQ(Enum(P(), order.key, 0, name, &size), ERROR_MORE_DATA);
  size = 6;
  EXPECT_EQ(Enum(P(), order.key, 0, name, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 5u);
  EXPECT_STREQ(name, "Alpha");
}

// A handle to a deleted key answers ERROR_KEY_DELETED; a key with subkeys, or none, is not
// deleted.
TEST_F(ConformanceRegistry, DeleteRefusesKeysWithSubkeysAndAbsentKeys) {
  Key base(P(), HKEY_CURRENT_USER, kBase, KEY_ALL_ACCESS);
  HKEY leaf;
  ASSERT_EQ(P().RegOpenKeyExA(base.key, "Leaf", 0, KEY_READ, &leaf), ERROR_SUCCESS);
  ASSERT_EQ(P().RegDeleteKeyA(base.key, "Leaf"), ERROR_SUCCESS);
  DWORD size = 0, count = 0;
  EXPECT_EQ(P().RegQueryValueExA(leaf, "v", nullptr, nullptr, nullptr, &size), ERROR_KEY_DELETED);
  EXPECT_EQ(Info(P(), leaf, &count), ERROR_KEY_DELETED);
  EXPECT_EQ(P().RegCloseKey(leaf), ERROR_SUCCESS);
  ASSERT_EQ(Info(P(), base.key, &count), ERROR_SUCCESS);
  EXPECT_EQ(count, 3u);
  for (const char* parent : {"Tree", "Tree\\A\\B"})  // two subkeys, one
    EXPECT_EQ(P().RegDeleteKeyA(base.key, parent), ERROR_ACCESS_DENIED) << parent;
  EXPECT_EQ(Key(P(), base.key, "Tree\\A\\B\\C").error, ERROR_SUCCESS);
  EXPECT_EQ(P().RegDeleteKeyA(base.key, "Missing"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(P().RegDeleteKeyA(base.key, "Tree\\E"), ERROR_SUCCESS);
  EXPECT_EQ(Key(P(), base.key, "Tree\\E").error, ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(DeleteTree(P(), base.key, "Tree"), ERROR_SUCCESS) << "subkeys first";
  EXPECT_EQ(Key(P(), base.key, "Tree").error, ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(Key(P(), base.key, "Order").error, ERROR_SUCCESS);
}

// The default value of a key opened in one view, or "<error N>". The view flags make the
// answer the same for a 32-bit and a 64-bit test program.
std::string InView(Platform& p, HKEY root, const char* path, REGSAM view) {
  Key key(p, root, path, KEY_READ | view);
  if (key.error) return "<error " + std::to_string(key.error) + ">";
  char data[32];
  DWORD size = sizeof data;
  LONG error = p.RegQueryValueExA(key.key, "", nullptr, nullptr, (BYTE*)data, &size);
  return error ? "<error " + std::to_string(error) + ">" : std::string(data, size ? size - 1 : 0);
}

// HKEY_LOCAL_MACHINE\Software is one key per view, the uninstall entries included; the
// 32-bit view's keys lie below Wow6432Node. HKEY_CURRENT_USER is shared, and so, from Windows 7
// on, is HKEY_LOCAL_MACHINE\Software\Classes: a 64-bit installer's file association is a 32-bit
// program's too.
TEST_F(ConformanceRegistryViews, EachViewHasItsOwnSoftwareKeysButSharesClasses) {
  const char* uninstall =
      "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\OrvConformanceView";
  // The key, its default value in the 64-bit view and in the 32-bit view, and whether Wine
  // differs in the 32-bit one.
  const std::tuple<HKEY, const char*, const char*, const char*, bool> cases[] = {
      {HKEY_LOCAL_MACHINE, "Software\\OrvConformanceView", "64", "32", false},
      {HKEY_LOCAL_MACHINE, uninstall, "64", "32", false},
      {HKEY_LOCAL_MACHINE, "Software\\Wow6432Node\\OrvConformanceView", "32", "32", false},
      {HKEY_CURRENT_USER, "Software\\OrvConformanceView", "user", "user", false},
      {HKEY_CLASSES_ROOT, "OrvConformanceView", "shared", "shared", true},
      {HKEY_LOCAL_MACHINE, "Software\\Classes\\OrvConformanceView", "shared", "shared", true},
  };
  for (const auto& [root, path, in64, in32, wineDiffers] : cases) {
    SCOPED_TRACE(path);
    EXPECT_EQ(InView(P(), root, path, KEY_WOW64_64KEY), in64);
    TODO_WINE_EQ_IF(wineDiffers, in32, InView(P(), root, path, KEY_WOW64_32KEY));
  }
}

}  // namespace
}  // namespace conformance
