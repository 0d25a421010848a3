#include "winsys/registry.h"

#include <gtest/gtest.h>

#include <optional>

#include "platform/faults/faults.h"
#include "tests/support/started_machine.h"
#include "winsys/errors.h"

namespace {

using namespace platform;
using namespace std::string_literals;
using testing_support::HexBytes;
using testing_support::Key;
using testing_support::Lines;

const std::string kEntry = R"(Software\Microsoft\Windows\CurrentVersion\Uninstall\Orvanel)";
const std::string kUser = "HKEY_CURRENT_USER\\" + kEntry;
const std::string kMachine = "HKEY_LOCAL_MACHINE\\" + kEntry;
const std::string kOpenFailed = "Registry Open Failed for Key: UninstallString";

class RegistryTest : public testing_support::StartedMachineTest {
 protected:
  // Looked at with read access, which a non-administrator has under HKEY_LOCAL_MACHINE too.
  bool KeyExists(HKEY root, const std::string& path) {
    HKEY key = nullptr;
    if (machine.Platform().RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
      return false;
    machine.Platform().RegCloseKey(key);
    return true;
  }
  // The read's error message, empty when nothing was raised.
  template <typename Read>
  static std::string Raised(Read read) {
    try {
      read();
    } catch (const winsys::ERegistryException& error) {
      return error.Message();
    }
    return "";
  }
};

void ReadString(std::string& s) { winsys::ReadUninstallValue("UninstallString", s); }

// The uninstall-* scenarios pin how the folders are cut from the UninstallString.
struct FallCase {
  const char* name;
  std::optional<std::string> user, machine;  // the keys' value lines; none: no key
  void (*read)(std::string&);
  std::string result;
  std::size_t openFailures;
  bool admin = true;
};

// A per-user value that wins, and neither key, are pinned by installed-per-user and by the
// log lines of the jaws-* scenarios.
TEST_F(RegistryTest, PerUserValueFallsThroughToMachineWideWhenEmpty) {
  const std::string m = R"("UninstallString"="M")";
  const FallCase cases[] = {
      {"empty per-user", R"("UninstallString"="")", m, ReadString, "M", 0},
      {"no per-user value", R"("Other"="U")", m, ReadString, "M", 0},
      {"zero-length per-user bytes", R"("UninstallString"=hex:)", m, ReadString, "M", 0},
      {"no per-user key", std::nullopt, m, ReadString, "M", 1},
      {"no machine-wide value", std::nullopt, R"("Other"="M")", ReadString, "", 1},
      {"neither key, data dir", std::nullopt, std::nullopt, winsys::GetDataDir, "", 4},
      // A machine-wide value of another type is swallowed, its raw bytes kept.
      {"machine-wide number", std::nullopt, R"("UninstallString"=dword:00000005)", ReadString,
       "\x05\0\0\0"s, 1},
      {"machine-wide bytes", R"("UninstallString"="")", R"("UninstallString"=hex:41,00,42)",
       ReadString, "A\0B"s, 0},
      {"machine-wide refused", std::nullopt, m, ReadString, "", 2, false},
  };
  for (const FallCase& c : cases) {
    SCOPED_TRACE(c.name);
    machine.config.userAdmin = c.admin;
    Start((c.user ? Key(kUser, *c.user) : "") + (c.machine ? Key(kMachine, *c.machine) : ""));
    std::string result = "stale";
    c.read(result);
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(Log(), Lines(c.openFailures, kOpenFailed));
    EXPECT_TRUE(machine.Platform().Reg().Changes().empty());
  }
}

TEST_F(RegistryTest, PerUserValueOfAnotherTypeIsRaisedWithItsRawBytes) {
  struct Case {
    void (*read)(std::string&);
    std::string message, raw;
  };
  const Case cases[] = {
      {[](std::string& s) { winsys::ReadUninstallValue("DisplayName", s); },
       "Invalid data type for 'DisplayName'", "\x05\x01\0\0"s},
      {winsys::GetInstallDir, "Invalid data type for 'UninstallString'", "C\0:"s},
      {winsys::GetDataDir, "Invalid data type for 'UninstallString'", "C\0:"s},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    // The machine-wide entry holds text; it must not be consulted.
    Start(Key(kUser, "\"DisplayName\"=dword:00000105\r\n\"UninstallString\"=hex:43,00,3a") +
          Key(kMachine, "\"DisplayName\"=\"M\"\r\n\"UninstallString\"=\"M\""));
    std::string result = "stale";
    EXPECT_EQ(Raised([&] { c.read(result); }), c.message);
    EXPECT_EQ(result, c.raw);
    EXPECT_EQ(Log(), Lines{});
  }
}

TEST_F(RegistryTest, ValuesReadAsTextUpToTheirFirstNul) {
  struct Case {
    std::string value, result, error;
  };
  const Case cases[] = {
      {R"("V"="abc")", "abc", ""},
      {"", "", ""},
      {"\"V\"=hex(2):" + HexBytes("%TEMP%\\x\0"s), "%TEMP%\\x", ""},
      {R"("V"=hex(1):61,00,62,00)", "a", ""},
      {R"("V"=hex(4):)", "", ""},
      {R"("V"=hex(7):61,00,62,00,00)", "a\0b\0\0"s, "Invalid data type for 'V'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    Start(Key(R"(HKEY_CURRENT_USER\Software\T)", c.value));
    std::string read = "stale";
    EXPECT_EQ(Raised([&] { winsys::ReadKeyValue("V", "\\Software\\T", HKEY_CURRENT_USER, read); }),
              c.error);
    EXPECT_EQ(read, c.result);
  }
}

TEST_F(RegistryTest, DataThatCannotBeFetchedAfterItsSizeReadsAsNothing) {
  const std::pair<std::string, std::string> cases[] = {
      {Key(kUser, R"("UninstallString"="U")"), "Failed to get data for 'UninstallString'"},
      {Key(kMachine, R"("UninstallString"="M")"), ""},  // swallowed
  };
  for (const auto& [reg, message] : cases) {
    SCOPED_TRACE(reg);
    Start(reg);
    // The second query is the data fetch, after the first gave type and size.
    faults::FaultPlatform faulty(machine.Platform(), {{"RegQueryValueExA", 2, ERROR_MORE_DATA}});
    ScopedPlatform installed(faulty);
    std::string result = "stale";
    EXPECT_EQ(Raised([&] { ReadString(result); }), message);
    EXPECT_EQ(result, "");
  }
}

const std::string kObsolete = R"(Software\Microsoft\Windows\CurrentVersion\Orvanel)";

TEST_F(RegistryTest, TreePathsAreRelativeToTheOpenKeyOrTheUninstallEntryWhenEmpty) {
  std::string tree;
  for (const char* sub : {"\\A\\A1\\Deep", "\\A\\A2", "\\B\\B1"})
    tree += Key("HKEY_CURRENT_USER\\" + kObsolete + sub);
  Start(tree + Key(kUser) + Key(kUser + "\\Sub") + Key(kMachine));
  winsys::RegistryAccessor registry(HKEY_CURRENT_USER);
  ASSERT_TRUE(registry.OpenKey("\\Software\\Microsoft\\Windows\\CurrentVersion"));
  EXPECT_TRUE(registry.DeleteKey("Orvanel\\A"));
  EXPECT_FALSE(registry.DeleteKey("Orvanel\\A"));
  EXPECT_FALSE(registry.DeleteKey("\\"));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kObsolete + "\\A"));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kObsolete + "\\B\\B1"));
  winsys::DeleteRegistryTree("", false);
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kEntry));
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kEntry));
}

}  // namespace
