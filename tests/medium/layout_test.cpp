// Media laid out from install sets made here, read back by the medium inspection; every
// refusal names its reason and leaves nothing behind.
#include "medium/layout.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <random>

#include "medium/error.h"
#include "medium/read_back.h"
#include "medium/szdd_writer.h"
#include "tests/medium/pe_image.h"

namespace {

namespace fs = std::filesystem;

void Spill(const fs::path& file, const std::string& text) {
  fs::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << text;
}

std::string Slurp(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

const std::string kProgram = "MZ set-up program " + std::string(3000, 'x');

class Medium : public ::testing::Test {
 public:
  void SetUp() override {
    options = {};
    auto launcher =
        testing_support::PeImage{false, std::array<std::uint16_t, 4>{7, 3, 1, 0}}.Bytes();
    Spill(root / "OrvLaunch.exe", std::string(launcher.begin(), launcher.end()));
    for (const char* name : {"Install.Msg", "Common.801", "Orv.JCF", "MODA.801"})
      Spill(set / name, name);
    Spill(set / "Orv.Exe", kProgram);
    Spill(set / "LangEng" / "strings.801", "lang");
    fs::last_write_time(set / "Orv.Exe", fs::file_time_type(std::chrono::hours(24 * 365 * 40)));
    options.launcher = root / "OrvLaunch.exe";
    options.files = set;
    options.out = root / "medium";
    options.icon = ORV_MEDIUM_ICON;
  }
  void TearDown() override { fs::remove_all(root); }

  fs::path root = fs::temp_directory_path() / ("medium-" + std::to_string(std::random_device()()));
  fs::path set = root / "set";
  medium::LayoutOptions options;
};

TEST_F(Medium, CompressedInOrvWin32WithTheLauncherAtTheRoot) {
  options.compress = options.subdir = true;
  fs::path out = options.out;
  options.out /= "";  // "medium/", as a shell completes it
  medium::LayOutMedium(options);
  EXPECT_EQ(Slurp(out / "SETUP.EXE"), Slurp(options.launcher));
  EXPECT_EQ(Slurp(out / "autorun.inf"),
            "[autorun]\r\nopen=SETUP.EXE autorun\r\nicon=Orvanel.ico\r\nlabel=Orvanel 7.3.1\r\n");
  EXPECT_EQ(Slurp(out / "Orvanel.ico"), Slurp(ORV_MEDIUM_ICON));
  fs::path files = out / "orv" / "win32";
  EXPECT_FALSE(fs::exists(files / "Orv.Exe"));
  std::vector<std::uint8_t> program(kProgram.begin(), kProgram.end());
  auto compressed = medium::CompressSzdd(program, 'e');
  EXPECT_EQ(Slurp(files / "Orv.Ex_"), std::string(compressed.begin(), compressed.end()));
  // The automatic start compares this file's time with the installed program's.
  EXPECT_EQ(fs::last_write_time(files / "Orv.Ex_"), fs::last_write_time(set / "Orv.Exe"));
  EXPECT_EQ(Slurp(files / "LangEng" / "strings.801"), "lang");
  EXPECT_EQ(Slurp(files / "MODA.801"), "MODA.801");
  auto inspection = medium::InspectMedium(out);
  EXPECT_EQ(inspection.problems, std::vector<std::string>{});
  EXPECT_EQ(inspection.lines.back(),
            "install set  complete in orv\\win32, set-up program compressed");
}

TEST_F(Medium, AGivenCompressedProgramGoesInAsItIs) {
  std::vector<std::uint8_t> program(kProgram.begin(), kProgram.end());
  auto compressed = medium::CompressSzdd(program, 'e');
  fs::remove(set / "Orv.Exe");
  Spill(set / "ORV.EX_", std::string(compressed.begin(), compressed.end()));
  options.subdir = true;
  medium::LayOutMedium(options);
  EXPECT_EQ(Slurp(options.out / "orv" / "win32" / "ORV.EX_"), Slurp(set / "ORV.EX_"));
}

TEST_F(Medium, AnIncompleteSetOrABadNameIsRefusedAndNothingIsWritten) {
  const struct {
    const char* reason;
    std::function<void(Medium&)> change;
  } cases[] = {
      {"Install.Msg missing", [](Medium& m) { fs::remove(m.set / "Install.Msg"); }},
      {"incomplete: Install.Msg, Lang* missing",
       [](Medium& m) { fs::remove(m.set / "Install.Msg"), fs::remove_all(m.set / "LangEng"); }},
      {"Orv.JCF missing",
       [](Medium& m) { fs::remove(m.set / "Orv.JCF"), fs::create_directory(m.set / "Orv.JCF"); }},
      {"Orv.Exe missing", [](Medium& m) { fs::remove(m.set / "Orv.Exe"); }},
      {"holds Orv.Ex_ already",  // --compress needs the program ready to run
       [](Medium& m) {
         fs::rename(m.set / "Orv.Exe", m.set / "Orv.Ex_");
         m.options.compress = true;
       }},
      {"--subdir", [](Medium& m) { m.options.subdir = true; }},
      {"not a Windows program", [](Medium& m) { Spill(m.set / "Orv.Exe", "#!/bin/sh"); }},
      {"not an SZDD", [](Medium& m) { Spill(m.set / "ORV.EX_", "MZ"); }},
      {"outside ASCII", [](Medium& m) { Spill(m.set / "Mod\xC3\xA9.801", "m"); }},
      {"does not allow", [](Medium& m) { Spill(m.set / "LangEng" / "a:b", "m"); }},
      {"ends in a dot", [](Medium& m) { Spill(m.set / "MODB.801.", "m"); }},
      {"device name", [](Medium& m) { Spill(m.set / "aux.801", "m"); }},
      {"only in letter case", [](Medium& m) { Spill(m.set / "moda.801", "m"); }},
      {"a SETUP.EXE of its own", [](Medium& m) { Spill(m.set / "setup.exe", "MZ"); }},
      {"--launcher", [](Medium& m) { m.options.launcher = m.set / "Install.Msg"; }},
      {"no version resource",
       [](Medium& m) {
         auto bytes = testing_support::PeImage{}.Bytes();
         Spill(m.options.launcher, std::string(bytes.begin(), bytes.end()));
       }},
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

TEST_F(Medium, InspectionNamesWhatTheMediumLacks) {
  medium::LayOutMedium(options);
  const struct {
    const char* autorun;  // null: none
    const char* problem;
  } cases[] = {
      {nullptr, "no autorun.inf"},
      {"[autorun]\r\nopen=SETUP.EXE\r\n", "does not start SETUP.EXE with the argument autorun"},
      {"[other]\r\nopen=SETUP.EXE autorun\r\n", "does not start"},
      {"[AutoRun]\nOpen = \"setup.exe\" AUTORUN ; comment\n", nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.autorun ? c.autorun : "none");
    fs::remove(options.out / "autorun.inf");
    if (c.autorun) Spill(options.out / "autorun.inf", c.autorun);
    auto problems = medium::InspectMedium(options.out).problems;
    if (!c.problem) {
      EXPECT_EQ(problems, std::vector<std::string>{});
    } else {
      ASSERT_EQ(problems.size(), 1u);
      EXPECT_NE(problems[0].find(c.problem), std::string::npos) << problems[0];
    }
  }
  fs::remove(options.out / "SETUP.EXE");
  EXPECT_THROW(medium::InspectMedium(options.out), medium::MediumError);
}

}  // namespace
