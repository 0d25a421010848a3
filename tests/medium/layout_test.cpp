// Media laid out from install sets made here, read back by the medium inspection; every
// refusal names its reason and leaves nothing behind.
#include "medium/layout.h"

#include <gtest/gtest.h>

#include <functional>

#include "medium/error.h"
#include "medium/read_back.h"
#include "medium/szdd_writer.h"
#include "tests/medium/pe_image.h"
#include "tests/support/host_files.h"

namespace {

namespace fs = std::filesystem;
using testing_support::Slurp;
using testing_support::Spill;

const std::string kProgram = "MZ set-up program " + std::string(3000, 'x');

class Medium : public ::testing::Test {
 public:
  void SetUp() override {
    // The fourth part of the version shows: the built launchers' is 0.
    Spill(root / "OrvLaunch.exe",
          testing_support::PeImage{std::array<std::uint16_t, 4>{7, 3, 1, 9}}.Bytes());
    for (const char* name : {"Install.Msg", "Common.801", "Orv.JCF", "MODA.801"}) Put(name, name);
    Put("Orv.Exe", kProgram);
    Put("LangEng/strings.801", "lang");
    fs::last_write_time(set / "Orv.Exe", fs::file_time_type(std::chrono::hours(24 * 365 * 40)));
    options = {root / "OrvLaunch.exe", set, root / "medium", ORV_MEDIUM_ICON, std::nullopt};
  }
  void TearDown() override { fs::remove_all(root); }
  void Put(const std::string& name, const std::string& text = "m") { Spill(set / name, text); }

  fs::path root = testing_support::ScratchPath("medium");
  fs::path set = root / "set";
  medium::LayoutOptions options;
};

TEST_F(Medium, CompressedInOrvWin32WithTheLauncherAtTheRootAndReadBack) {
  options.compress = options.subdir = true;
  fs::path out = options.out;
  options.out /= "";  // "medium/", as a shell completes it
  medium::LayOutMedium(options);
  fs::path files = out / "orv" / "win32";
  EXPECT_FALSE(fs::exists(files / "Orv.Exe"));
  auto compressed =
      medium::CompressSzdd(std::vector<std::uint8_t>(kProgram.begin(), kProgram.end()), 'e');
  EXPECT_EQ(Slurp(files / "Orv.Ex_"), std::string(compressed.begin(), compressed.end()));
  // The automatic start compares this file's time with the installed program's.
  EXPECT_EQ(fs::last_write_time(files / "Orv.Ex_"), fs::last_write_time(set / "Orv.Exe"));
  EXPECT_EQ(Slurp(files / "LangEng" / "strings.801"), "lang");
  EXPECT_EQ(Slurp(files / "MODA.801"), "MODA.801");
  EXPECT_EQ(medium::InspectMedium(out).lines,
            (std::vector<std::string>{
                "launcher     SETUP.EXE: version 7.3.1.9, x86, not signed",
                "autorun.inf  open=SETUP.EXE autorun; icon=Orvanel.ico; label=Orvanel 7.3.1.9",
                "install set  complete in orv\\win32, set-up program compressed"}));

  // A set that holds Orv.Ex_ already goes in as it is, with --subdir alone.
  fs::remove(set / "Orv.Exe");
  fs::copy_file(files / "Orv.Ex_", set / "ORV.EX_");
  options.compress = false;
  options.out = root / "again";
  medium::LayOutMedium(options);
  EXPECT_EQ(Slurp(options.out / "orv" / "win32" / "ORV.EX_"), Slurp(set / "ORV.EX_"));

  // A medium made elsewhere: its autorun.inf and the problem named (none when null).
  const std::pair<const char*, const char*> autoruns[] = {
      {nullptr, "no autorun.inf"},
      {"[autorun]\r\nopen=SETUP.EXE\r\n", "does not start SETUP.EXE with the argument autorun"},
      {"[other]\r\nopen=SETUP.EXE autorun\r\n", "does not start"},
      {"[AutoRun]\nOpen = \"setup.exe\" AUTORUN ; comment\n", nullptr},
  };
  for (const auto& [autorun, problem] : autoruns) {
    fs::remove(out / "autorun.inf");
    if (autorun) Spill(out / "autorun.inf", autorun);
    auto problems = medium::InspectMedium(out).problems;
    ASSERT_EQ(problems.size(), problem ? 1u : 0u) << (autorun ? autorun : "none");
    EXPECT_TRUE(!problem || problems[0].find(problem) != std::string::npos) << problems[0];
  }
  fs::remove(out / "SETUP.EXE");
  EXPECT_THROW(medium::InspectMedium(out), medium::MediumError);
}

TEST_F(Medium, AnIncompleteSetOrABadNameIsRefusedAndNothingIsWritten) {
  const struct {
    const char* reason;
    std::function<void(Medium&)> change;
  } cases[] = {
      {"incomplete: Orv.Exe, Install.Msg, Lang* missing",
       [](Medium& m) {
         for (const char* name : {"Orv.Exe", "Install.Msg", "LangEng"})
           fs::remove_all(m.set / name);
       }},
      {"Orv.JCF missing", [](Medium& m) { fs::remove(m.set / "Orv.JCF"), m.Put("Orv.JCF/x"); }},
      {"holds Orv.Ex_ already",  // --compress needs the program ready to run
       [](Medium& m) { m.Put("Orv.Ex_", kProgram), m.options.compress = true; }},
      {"--subdir", [](Medium& m) { m.options.subdir = true; }},
      {"not a Windows program", [](Medium& m) { m.Put("Orv.Exe", "#!/bin/sh"); }},
      {"not an SZDD", [](Medium& m) { m.Put("ORV.EX_", "MZ"); }},
      {"outside ASCII", [](Medium& m) { m.Put("Mod\xC3\xA9.801"); }},
      {"does not allow", [](Medium& m) { m.Put("LangEng/a:b"); }},
      {"ends in a dot", [](Medium& m) { m.Put("MODB.801."); }},
      {"device name", [](Medium& m) { m.Put("aux.801"); }},
      {"only in letter case", [](Medium& m) { m.Put("moda.801"); }},
      {"a SETUP.EXE of its own", [](Medium& m) { m.Put("setup.exe", "MZ"); }},
      {"--launcher", [](Medium& m) { m.options.launcher = m.set / "Install.Msg"; }},
      {"no version resource",
       [](Medium& m) { Spill(m.options.launcher, testing_support::PeImage{}.Bytes()); }},
      {"--label", [](Medium& m) { m.options.label = "Orvanel; 7"; }},
      {"--label", [](Medium& m) { m.options.label = std::string(33, 'O'); }},
      {"not an empty folder", [](Medium& m) { Spill(m.options.out / "x", "x"); }},
      {"inside --files", [](Medium& m) { m.options.out = m.set / "LangEng" / "medium"; }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.reason);
    TearDown();
    SetUp();
    c.change(*this);
    std::vector<fs::path> before{fs::recursive_directory_iterator(root), {}};
    try {
      medium::LayOutMedium(options);
      ADD_FAILURE() << "laid out";
    } catch (const medium::MediumError& error) {
      EXPECT_NE(std::string(error.what()).find(c.reason), std::string::npos) << error.what();
    }
    EXPECT_EQ((std::vector<fs::path>{fs::recursive_directory_iterator(root), {}}), before);
  }
}

}  // namespace
