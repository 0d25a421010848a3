// The JAWS scenarios pin a whole deployment, an absent association, a quoted command, a
// current and an older copy, and a file type of another type; these are the other ends.
#include "winsys/jaws.h"

#include <gtest/gtest.h>

#include <optional>

#include "tests/winsys/started_machine.h"
#include "winsys/errors.h"

namespace {

using testing_support::Key;
using testing_support::Lines;
using namespace std::string_literals;
using winsys::DeployJawsConfig;

const std::string kClasses = R"(HKEY_LOCAL_MACHINE\Software\Classes)";
const std::string kFileType = Key(kClasses + "\\.jcf", R"(@="JAWS.Config")");
const std::string kTypeLine = R"(  JAWS: Config File Type = "JAWS.Config")";
const std::string kSettings = R"(C:\J\Settings\)";

// The association's open command, as the .reg file spells its default value.
std::string Command(const std::string& value) {
  return Key(kClasses + "\\JAWS.Config\\shell\\open\\command", "@=" + value);
}
const std::string kAssociation = kFileType + Command(R"("C:\\J\\JConfig.EXE /q")");
const Lines kHead = {kTypeLine, R"(  JAWS: Command Path = "C:\J\JConfig.EXE /q")",
                     "  JAWS: Settings Path = " + kSettings};

// Seconds since 1970: an even (stamp-exact) time, and one two days later.
constexpr long long kOld = 1000000000;
constexpr long long kNew = kOld + 2 * 86400;

class JawsTest : public testing_support::StartedMachineTest {
 protected:
  void Put(const std::string& relative, const std::string& content, long long mtime) {
    machine.Write(relative, content);
    machine.SetMtime(relative, mtime);
  }
  static std::string Target(const std::string& subdir) { return kSettings + subdir + "\\Orv.Jcf"; }
};

TEST_F(JawsTest, DeploymentEndsQuietlyAfterTheLinesOfItsLastStep) {
  const struct {
    const char* name;
    std::string reg;
    Lines log;
    bool registered;
    bool admin = true;
  } cases[] = {
      {"refused association", kAssociation, {"  JAWS: Not Installed"}, false, false},
      {"empty file type", Key(kClasses + "\\.jcf"), {R"(  JAWS: Config File Type = "")"}, true},
      {"no command key", kFileType, {kTypeLine}, true},
      {"empty command",
       kFileType + Command(R"("")"),
       {kTypeLine, R"(  JAWS: Command Path = "")"},
       true},
      {"another tool",
       kFileType + Command(R"("C:\\J\\jconfig2.exx")"),
       {kTypeLine, R"(  JAWS: Command Path = "C:\J\jconfig2.exx")"},
       true},
      {"no settings directory", kAssociation, kHead, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Put("cd/Orv.Jcf", "new", kNew);
    machine.config.userAdmin = c.admin;
    Start(c.reg);
    DeployJawsConfig("D:\\");
    EXPECT_EQ(Log(), c.log);
    EXPECT_EQ(winsys::IsJawsRegistered(), c.registered);
  }
}

TEST_F(JawsTest, AHiddenSubdirectoryIsServedAndAFailedCopyLogged) {
  machine.MakeDir("c/J/Settings/X");
  machine.MakeDir("c/J/Settings/Y/Orv.Jcf");  // a directory where the copy should go
  machine.config.attributes[kSettings + "X"] = platform::FILE_ATTRIBUTE_HIDDEN;
  Put("cd/Orv.Jcf", "new", kNew);
  Start(kAssociation);
  DeployJawsConfig("D:\\");
  const std::string dir = "  JAWS: Settings Directory ";
  Lines log = kHead;
  log.insert(log.end(), {dir + ".", dir + "..", dir + "X", "  JAWS: Installing in " + Target("X"),
                         dir + "Y", "  JAWS: Copy failed to " + Target("Y")});
  EXPECT_EQ(Log(), log);
  EXPECT_EQ(machine.Read("c/J/Settings/X/Orv.Jcf"), "new");
}

TEST_F(JawsTest, NoCopyUnlessTheSourceStampIsGreater) {
  const struct {
    const char* name;
    std::optional<long long> source;  // mtime; none: no such file
    long long target;
  } cases[] = {
      {"same stamp", kNew, kNew},
      {"newer within one two-second step", kNew + 1, kNew},
      {"no source", std::nullopt, kOld},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove(machine.dir / "cd/Orv.Jcf");
    if (c.source) Put("cd/Orv.Jcf", "new", *c.source);
    Put("c/J/Settings/S/Orv.Jcf", "old", c.target);
    Start(kAssociation);
    DeployJawsConfig("D:\\");
    EXPECT_EQ(Log().back(), "  JAWS: Already Installed in " + Target("S"));
    EXPECT_EQ(machine.Read("c/J/Settings/S/Orv.Jcf"), "old");
  }
}

// A file type of another type is pinned by the jaws-wrong-type scenario.
TEST_F(JawsTest, ACommandOfAnotherTypeEndsTheDeploymentWithAnError) {
  Start(kFileType + Command("hex:43,3a"));
  EXPECT_THROW(DeployJawsConfig("D:\\"), winsys::ERegistryException);
  EXPECT_EQ(Log(), Lines{kTypeLine});
}

}  // namespace
