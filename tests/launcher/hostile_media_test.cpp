// Whole launcher runs on hostile machines: uninstall entries that climb out of the drive
// or run to 100,000 characters, media with names Windows cannot hold or with 100,000
// entries, an obsolete key 1,000 levels deep. Every run must end normally, write only
// what it is meant to, and leave everything beside the machine folder alone.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "tests/support/machine_fixture.h"

namespace {

namespace fs = std::filesystem;
using namespace platform;
using testing_support::TempMachine;

constexpr const char* kProgram = "MZ stub program\r\n";
const std::string kObsoleteKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Orvanel";
const std::string kObsolete = "HKEY_LOCAL_MACHINE\\" + kObsoleteKey;

// Every host file below dir by what a change alters: size and time, or a link's target.
// Contents are read only for what changed, so that huge folders stay cheap.
std::map<std::string, std::string> Snapshot(const fs::path& dir) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(dir)) {
    std::string name = entry.path().lexically_relative(dir).generic_string();
    if (entry.is_symlink()) {
      files[name] = "-> " + fs::read_symlink(entry.path()).string();
    } else if (entry.is_regular_file()) {
      files[name] = std::to_string(entry.file_size()) + " " +
                    std::to_string(entry.last_write_time().time_since_epoch().count());
    }
  }
  return files;
}

// The files below dir that differ from a snapshot, with their content ("" when gone).
std::map<std::string, std::string> Changed(const fs::path& dir,
                                           const std::map<std::string, std::string>& before) {
  std::map<std::string, std::string> changed, after = Snapshot(dir);
  for (const auto& [name, stamp] : after) {
    auto old = before.find(name);
    if (old == before.end() || old->second != stamp)
      changed[name] = testing_support::Slurp(dir / name);
  }
  for (const auto& [name, stamp] : before)
    if (!after.count(name)) changed[name] = "";
  return changed;
}

std::string RegText(const std::string& text) {
  std::string escaped;
  for (char c : text) {
    if (c == '\\' || c == '"') escaped += '\\';
    escaped += c;
  }
  return "\"" + escaped + "\"";
}

std::string UninstallEntry(const std::string& uninstallString) {
  return "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion"
         "\\Uninstall\\Orvanel]\r\n\"DisplayName\"=\"Orvanel 9.1\"\r\n\"UninstallString\"=" +
         RegText(uninstallString) + "\r\n";
}

// A machine whose folder has a sentinel folder beside it, the first thing an escape
// through ".." or a link would reach.
class HostileRun {
 public:
  HostileRun() : sentinel_(machine.dir.string() + "-sentinel") {
    fs::create_directories(sentinel_ / "etc");
    std::ofstream(sentinel_ / "etc" / "Orv.Exe") << kProgram;
  }
  ~HostileRun() { fs::remove_all(sentinel_); }

  void Registry(const std::string& text) {
    machine.Write("registry.reg", text);
    machine.config.registry = machine.dir / "registry.reg";
  }
  // Runs the launcher; answers the host files the run changed.
  std::map<std::string, std::string> Run() {
    auto before = Snapshot(machine.dir);
    auto outside = Snapshot(sentinel_);
    EXPECT_EQ(machine.RunLauncher(), 0);
    EXPECT_EQ(Changed(sentinel_, outside), (std::map<std::string, std::string>{}));
    return Changed(machine.dir, before);
  }

  TempMachine machine;

 private:
  fs::path sentinel_;
};

const std::string kList = "D:\\MODA.801\r\nSetup 2.0\r\n";
const std::string kLong(100'000, 'a');

TEST(HostileUninstallString, StaysOnItsDrive) {
  const struct {
    const char* name;
    std::string uninstallString;
    std::vector<std::string> hostFiles;          // made on the machine before the run
    std::map<std::string, std::string> changed;  // host files the run changes
    std::vector<std::string> cmdlines;           // programs started
  } cases[] = {
      // ".." above a root stays at the root: C:\etc is the install folder, and the
      // module folder C:\x does not exist, so the list goes to the install folder.
      {"DotDotChain",
       "C:\\..\\..\\..\\..\\etc\\OrvDel.Exe a b C:\\..\\..\\x",
       {"c/etc/Orv.Exe"},
       {{"c/etc/AutoLoad.Lst", kList}},
       {"C:\\..\\..\\..\\..\\etc\\Orv.Exe"}},
      // The same without the program on the drive: the one outside must not count.
      {"DotDotChainToNothing", "C:\\..\\..\\..\\..\\etc\\OrvDel.Exe a b C:\\..\\..\\x", {}, {}, {}},
      {"ModuleFolderUpAndBack",
       "C:\\ORV\\OrvDel.Exe a b C:\\..\\..\\ORV\\..\\DATA\\",
       {"c/ORV/Orv.Exe", "c/DATA/keep"},
       {{"c/DATA/AutoLoad.Lst", kList}},
       {"C:\\ORV\\Orv.Exe"}},
      {"HundredThousandCharacterFolder", "C:\\" + kLong + "\\OrvDel.Exe a b C:\\D", {}, {}, {}},
      {"HundredThousandCharacterModuleFolder",
       "C:\\ORV\\OrvDel.Exe a b C:\\" + kLong,
       {"c/ORV/Orv.Exe"},
       {{"c/ORV/AutoLoad.Lst", kList}},
       {"C:\\ORV\\Orv.Exe"}},
      {"HundredThousandBlanksBeforeTheWords",
       "C:\\ORV\\OrvDel.Exe" + std::string(100'000, ' ') + "a b C:\\ORV\\",
       {"c/ORV/Orv.Exe"},
       {{"c/ORV/AutoLoad.Lst", kList}},
       {"C:\\ORV\\Orv.Exe"}},
      {"HundredThousandQuotes",
       "C:\\ORV\\OrvDel.Exe " + std::string(100'000, '"'),
       {"c/ORV/Orv.Exe"},
       {{"c/ORV/AutoLoad.Lst", kList}},
       {"C:\\ORV\\Orv.Exe"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    HostileRun run;
    run.Registry(UninstallEntry(c.uninstallString));
    run.machine.Write("cd/MODA.801", "m");
    for (const std::string& file : c.hostFiles) run.machine.Write(file, kProgram);
    EXPECT_EQ(run.Run(), c.changed);
    EXPECT_EQ(run.machine.Texts("exec", "cmdline"), c.cmdlines);
  }
}

TEST(HostileMedium, NamesWindowsCannotHoldAreNoModules) {
  HostileRun run;
  run.Registry(UninstallEntry("C:\\ORV\\OrvDel.Exe a b C:\\ORV\\"));
  run.machine.Write("c/ORV/Orv.Exe", kProgram);
  const std::string longModule = "M" + std::string(250, 'x') + ".801";
  for (const std::string& name :
       {std::string("MOD\x01.801"), std::string("MOD\t.801"), std::string("MODB.801."),
        std::string("MODC.801 "), std::string("MOD?.801"), std::string("CON.801"),
        std::string("nul.101"), longModule})
    run.machine.Write("cd/" + name, "m");
  fs::create_directory_symlink(run.machine.dir.string() + "-sentinel",
                               run.machine.dir / "cd/OUT.801");
  // Reserved device names are ordinary names on a medium; Windows lists them.
  EXPECT_EQ(run.Run(), (std::map<std::string, std::string>{
                           {"c/ORV/AutoLoad.Lst", "D:\\CON.801\r\nD:\\" + longModule +
                                                      "\r\nD:\\nul.101\r\nSetup 2.0\r\n"}}));
}

// i in four letters, in the same order as i.
std::string Letters(int i) {
  std::string letters(4, 'A');
  for (int at = 3; at >= 0; --at, i /= 26) letters[at] = static_cast<char>('A' + i % 26);
  return letters;
}

TEST(HostileMedium, HundredThousandEntriesAreScannedOnce) {
  constexpr int kEntries = 100'000, kEveryModule = 1'000;
  HostileRun run;
  run.Registry(UninstallEntry("C:\\ORV\\OrvDel.Exe a b C:\\ORV\\"));
  run.machine.Write("c/ORV/Orv.Exe", kProgram);
  fs::path medium = run.machine.dir / "cd";
  std::string list;
  for (int i = 0; i < kEntries; ++i) {
    bool module = i % kEveryModule == 0;
    // Letters only: a module is told by "801" or "101" anywhere in its name.
    std::string name = (module ? "MOD" : "F") + Letters(i) + (module ? ".801" : ".DAT");
    std::ofstream{medium / name};
    if (module) list += "D:\\" + name + "\r\n";
  }
  EXPECT_EQ(run.Run(),
            (std::map<std::string, std::string>{{"c/ORV/AutoLoad.Lst", list + "Setup 2.0\r\n"}}));
}

std::string DeepChain(int depth) {
  std::string sections, path = kObsolete;
  for (int i = 0; i < depth; ++i) {
    path += "\\k" + std::to_string(i);
    sections += "[" + path + "]\r\n\"v\"=dword:00000001\r\n";
  }
  return sections;
}

std::string WideLevel(int width, const std::string& nameStem) {
  std::string sections;
  for (int i = 0; i < width; ++i)
    sections += "[" + kObsolete + "\\" + nameStem + std::to_string(i) + "]\r\n";
  return sections;
}

// The per-user copy of the obsolete key and a key whose name only begins like it stay: the
// deleted keys are exactly the tree's.
TEST(ObsoleteKeyTree, IsDeletedWholeAndAlone) {
  const struct {
    const char* name;
    std::string sections;
    std::size_t keys;  // keys in the tree, the obsolete key included
  } cases[] = {{"thousand deep", DeepChain(1'000), 1'001},
               {"thousand wide", WideLevel(1'000, "w"), 1'001},
               {"long and odd names", WideLevel(20, std::string(250, 'n') + " .\xE9"), 21}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    HostileRun run;
    run.Registry("REGEDIT4\r\n\r\n[" + kObsolete + "]\r\n\"v\"=\"x\"\r\n" + c.sections + "[" +
                 kObsolete + "X]\r\n[HKEY_CURRENT_USER\\" + kObsoleteKey + "\\k0]\r\n");
    run.Run();
    std::size_t deleted = 0;
    for (const auto& change : run.machine.Platform().Reg().Changes())
      deleted += change.change == "deleted";
    EXPECT_EQ(deleted, c.keys);
  }
}

}  // namespace
