// orvlaunch as a user meets it: broken machine descriptions, and --in-place write-back.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>

#include "platform/hosted/registry.h"

namespace {

namespace fs = std::filesystem;

std::string Slurp(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void Spill(const fs::path& file, const std::string& text) {
  fs::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << text;
}

// Every file below a folder with its content, to show that nothing changed.
std::map<std::string, std::string> Snapshot(const fs::path& dir) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(dir))
    if (entry.is_regular_file()) files[entry.path().string()] = Slurp(entry.path());
  return files;
}

class Orvlaunch : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("orvlaunch-test-" + std::to_string(std::random_device()()));
    fs::create_directories(dir / "c");
    fs::create_directories(dir / "cd");
  }
  void TearDown() override { fs::remove_all(dir); }

  // Runs orvlaunch; returns its exit code, with its standard error in `errors`.
  int Run(const std::string& options = "") {
    fs::path err = dir.string() + ".err";
    std::string command = "'" + std::string(ORVLAUNCH_PATH) + "' --machine '" + dir.string() +
                          "' " + options + " >/dev/null 2>'" + err.string() + "'";
    int status = std::system(command.c_str());
    errors = Slurp(err);
    fs::remove(err);
    return (status >> 8) & 0xFF;
  }

  fs::path dir;
  std::string errors;
};

struct BrokenCase {
  const char* name;
  const char* json;
  const char* registry;  // null: none
  const char* named;     // what the message must name
};

class BrokenMachine : public Orvlaunch, public ::testing::WithParamInterface<BrokenCase> {};

TEST_P(BrokenMachine, ExitsTwoNamingThePlaceAndChangesNothing) {
  Spill(dir / "machine.json", GetParam().json);
  if (GetParam().registry) Spill(dir / "registry.reg", GetParam().registry);
  Spill(dir / "c" / "keep.txt", "kept");
  auto before = Snapshot(dir);
  EXPECT_EQ(Run("--in-place"), 2);
  EXPECT_NE(errors.find(GetParam().named), std::string::npos) << errors;
  EXPECT_EQ(Snapshot(dir), before);
}

constexpr const char* kDrives = R"("drives": {"C": {"type": "fixed", "path": "c"}})";

INSTANTIATE_TEST_SUITE_P(
    Descriptions, BrokenMachine,
    ::testing::Values(
        BrokenCase{"UnknownField", R"({"colour": 1})", nullptr, "'colour': unknown field"},
        BrokenCase{"WrongType", R"({"short_names": "yes"})", nullptr, "'short_names'"},
        BrokenCase{"BadLetter", R"({"drives": {"1": {"type": "fixed", "path": "c"}}})", nullptr,
                   "not a drive letter"},
        BrokenCase{"MissingFolder", R"({"drives": {"C": {"type": "fixed", "path": "nope"}}})",
                   nullptr, "does not exist"},
        BrokenCase{"BadDriveType", R"({"drives": {"C": {"type": "floppy", "path": "c"}}})", nullptr,
                   "'drives.C.type'"},
        BrokenCase{"UnknownFaultCall", R"({"faults": [{"call": "Frobnicate", "nth": 1}]})", nullptr,
                   "'faults[0].call'"},
        BrokenCase{"NotJson", "{\n  \"os\": \n}", nullptr, "line 3"},
        BrokenCase{
            "MalformedRegistry",
            R"({"registry": "registry.reg", "drives": {"C": {"type": "fixed", "path": "c"}}})",
            "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\X]\r\n\"a\"=dword:zz\r\n", "registry.reg:4"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Orvlaunch, InPlaceWritesTheRegistryBackSoThatItLoadsAgain) {
  const std::string obsolete =
      "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Orvanel";
  Spill(dir / "machine.json", std::string("{") + kDrives + R"(, "registry": "registry.reg"})");
  Spill(dir / "registry.reg",
        "REGEDIT4\r\n\r\n[" + obsolete + "\\Sub]\r\n\"x\"=\"y\"\r\n\r\n" +
            "[HKEY_CURRENT_USER\\Software\\Kept]\r\n\"caf\xE9\"=hex(2):41,00\r\n");
  EXPECT_EQ(Run("--in-place"), 0) << errors;
  hosted::Registry registry(true);
  registry.Load(dir / "registry.reg");
  std::string written = Slurp(dir / "registry.reg");
  EXPECT_EQ(written.find("CurrentVersion\\Orvanel"), std::string::npos) << written;
  EXPECT_NE(written.find("[HKEY_CURRENT_USER\\Software\\Kept]"), std::string::npos) << written;
  EXPECT_NE(written.find("\"caf\xE9\"=hex(2):41,00"), std::string::npos) << written;
}

TEST_F(Orvlaunch, WithoutInPlaceTheMachineIsNeverChanged) {
  Spill(dir / "machine.json", std::string("{") + kDrives + R"(, "registry": "registry.reg"})");
  Spill(dir / "registry.reg",
        "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion"
        "\\Orvanel]\r\n");
  Spill(dir / "cd" / "Orv.Exe", "MZ");
  auto before = Snapshot(dir);
  EXPECT_EQ(Run("--self 'C:\\SETUP.EXE'"), 0) << errors;
  EXPECT_EQ(Snapshot(dir), before);
}

}  // namespace
