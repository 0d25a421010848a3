// The private copy a run works on: the machine's files as they are, writable by whoever
// runs it, however the original's host modes are set.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/hosted/machine/private_copy.h"
#include "tests/support/machine_fixture.h"

namespace {

namespace fs = std::filesystem;
using Perms = fs::perms;

bool OwnerMay(const fs::path& path, Perms perms) {
  return (fs::symlink_status(path).permissions() & perms) == perms;
}

TEST(PrivateCopy, AReadOnlyMachineFolderIsCopiedWholeAndWritable) {
  testing_support::TempMachine m;
  m.Write("c/TEMP/.keep", "");
  m.Write("c/ORV/DATA/old.lst", "list");
  m.SetMtime("c/ORV/DATA/old.lst", 1'000'000'000);
  fs::create_symlink("ORV/DATA/old.lst", m.dir / "c/link");
  m.Write("cd/Orv.Exe", "MZ");
  for (auto it = fs::recursive_directory_iterator(m.dir); it != fs::recursive_directory_iterator();
       ++it)
    if (!it->is_symlink())
      fs::permissions(it->path(), it->is_directory() ? Perms::owner_read | Perms::owner_exec
                                                     : Perms::owner_read);

  hosted::PrivateCopy copy;
  auto roots = copy.Roots(m.config);
  ASSERT_EQ(roots.size(), 2u);
  EXPECT_EQ(roots['D'], m.dir / "cd") << "a read-only drive without file times is not copied";
  const fs::path c = roots['C'];
  EXPECT_NE(c, m.dir / "c");
  EXPECT_EQ(testing_support::Slurp(c / "ORV/DATA/old.lst"), "list");
  EXPECT_EQ(fs::last_write_time(c / "ORV/DATA/old.lst"),
            fs::last_write_time(m.dir / "c/ORV/DATA/old.lst"));
  EXPECT_EQ(fs::read_symlink(c / "link"), "ORV/DATA/old.lst");
  for (const char* dir : {"", "TEMP", "ORV", "ORV/DATA"})
    EXPECT_TRUE(OwnerMay(c / dir, Perms::owner_all)) << dir;
  for (const char* file : {"TEMP/.keep", "ORV/DATA/old.lst"})
    EXPECT_TRUE(OwnerMay(c / file, Perms::owner_read | Perms::owner_write)) << file;
}

}  // namespace
