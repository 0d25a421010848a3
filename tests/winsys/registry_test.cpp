// The registry-*, installed-per-user, not-administrator, uninstall-* and obsolete-key-*
// scenarios pin how values are read and keys deleted; here is what no run can reach: a read
// into a string that holds something, and a delete of a whole root.
#include "winsys/registry.h"

#include <gtest/gtest.h>

#include "tests/support/started_machine.h"

namespace {

using testing_support::Key;

class RegistryTest : public testing_support::StartedMachineTest {};

TEST_F(RegistryTest, AValueThatIsNotThereReadsAsNothing) {
  Start(Key(R"(HKEY_CURRENT_USER\Software\T)", R"("Other"="x")"));
  for (const char* key : {"\\Software\\T", "\\Software\\None"}) {
    std::string read = "stale";
    winsys::ReadKeyValue("V", key, platform::HKEY_CURRENT_USER, read);
    EXPECT_EQ(read, "") << key;
  }
}

TEST_F(RegistryTest, AWholeRootIsNeverDeleted) {
  Start(Key(R"(HKEY_CURRENT_USER\Software\T)") + Key(R"(HKEY_CURRENT_USER\Software\T\Sub)"));
  winsys::RegistryAccessor registry(platform::HKEY_CURRENT_USER);
  EXPECT_FALSE(registry.DeleteKey("\\"));
  ASSERT_TRUE(registry.OpenKey("\\Software\\T"));
  EXPECT_FALSE(registry.DeleteKey(""));  // relative to the open key: the key itself
  EXPECT_TRUE(machine.Platform().Reg().Changes().empty());
}

}  // namespace
