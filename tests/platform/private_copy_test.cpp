// The private copy a run works on: the machine's files as they are, links kept as links. That
// it is writable whatever the original's host modes: tools/user-scenarios, which runs the suite
// as an ordinary user from a read-only copy.
#include "platform/hosted/machine/private_copy.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/machine_fixture.h"

namespace {

namespace fs = std::filesystem;

TEST(PrivateCopy, TheWritableDrivesAreCopiedWholeWithTheirTimesAndLinks) {
  testing_support::TempMachine m;
  m.Write("c/ORV/DATA/old.lst", "list");
  m.SetMtime("c/ORV/DATA/old.lst", 1'000'000'000);
  fs::create_symlink("ORV/DATA/old.lst", m.dir / "c/link");

  hosted::PrivateCopy copy;
  auto roots = copy.Roots(m.config);
  ASSERT_EQ(roots.size(), 2u);
  const fs::path c = roots['C'];
  EXPECT_NE(c, m.dir / "c");
  EXPECT_EQ(testing_support::Slurp(c / "ORV/DATA/old.lst"), "list");
  EXPECT_EQ(fs::last_write_time(c / "ORV/DATA/old.lst"),
            fs::last_write_time(m.dir / "c/ORV/DATA/old.lst"));
  EXPECT_EQ(fs::read_symlink(c / "link"), "ORV/DATA/old.lst");
}

}  // namespace
