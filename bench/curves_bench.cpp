// The steps whose cost grows with what the machine holds: the module scan of the medium,
// the JAWS deployment and the deletion of the obsolete product key.
#include <cstdio>
#include <fstream>
#include <stdexcept>

#include "bench/bench_machine.h"
#include "bench/commands.h"
#include "launcher/launcher.h"
#include "winsys/jaws.h"
#include "winsys/registry.h"

namespace bench {

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr const char* kObsoleteKey = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Orvanel";
constexpr unsigned kKeysPerGroup = 100;

void WriteFile(const fs::path& path, const std::string& content) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
  if (!out.flush()) throw std::runtime_error("cannot write " + path.string());
}

std::string Numbered(const char* format, unsigned number) {
  char name[32];
  std::snprintf(name, sizeof name, format, number);
  return name;
}

unsigned Count(const std::string& text) { return static_cast<unsigned>(std::stoul(text)); }

// An installed product in C:\ORV\ with its data folder, and a medium of module files
// without the install set, so that the launcher hands the modules to the product.
std::string InstalledProduct(const fs::path& dir, unsigned entries) {
  WriteFile(dir / "c/ORV/Orv.Exe", "MZ installed program");
  fs::create_directories(dir / "c/ORV/DATA");
  for (unsigned i = 0; i < entries; ++i) WriteFile(dir / "d" / Numbered("M%06u.801", i), "");
  return "REGEDIT4\r\n\r\n"
         "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Orvanel]"
         "\r\n\"DisplayName\"=\"Orvanel 9.1\"\r\n"
         "\"UninstallString\"=\"C:\\\\ORV\\\\OrvDel.Exe a b C:\\\\ORV\\\\DATA\\\\\"\r\n";
}

// The screen reader's association and folders settings folders below C:\JAWS\Settings\,
// made afresh: a configuration left by an earlier run would be skipped as up to date.
std::string InstalledScreenReader(const fs::path& dir, unsigned folders) {
  fs::remove_all(dir / "c/JAWS");
  WriteFile(dir / "d/Orv.Jcf", "jaws config");
  for (unsigned i = 0; i < folders; ++i)
    fs::create_directories(dir / "c/JAWS/Settings" / Numbered("S%05u", i));
  return "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Classes\\.jcf]\r\n"
         "@=\"JAWS.Configuration\"\r\n\r\n"
         "[HKEY_LOCAL_MACHINE\\Software\\Classes\\JAWS.Configuration\\shell\\open\\command]\r\n"
         "@=\"C:\\\\JAWS\\\\jconfig.exe /q\"\r\n";
}

// The obsolete product key with keys subkeys in groups of a hundred, one value each.
std::string ObsoleteProductTree(unsigned keys) {
  std::string root = "[HKEY_LOCAL_MACHINE" + std::string(kObsoleteKey);
  std::string text = "REGEDIT4\r\n\r\n" + root + "]\r\n";
  for (unsigned i = 0; i < keys; ++i) {
    text += root + Numbered("\\G%05u", i / kKeysPerGroup) + Numbered("\\K%07u]\r\n", i);
    text += "\"Value\"=dword:00000001\r\n";
  }
  return text;
}

void Require(bool condition, const char* what) {
  if (!condition) throw std::runtime_error(what);
}

}  // namespace

void ModuleScan(const Arguments& args) {
  RequireArguments(args, 2, "module-scan DIR ENTRIES");
  fs::path dir = args[0];
  std::string registry = InstalledProduct(dir, Count(args[1]));
  BenchMachine machine(dir / "c", dir / "d");
  machine.Platform().Reg().LoadText(registry, "bench.reg");
  auto start = Clock::now();
  bool setUp = launcher::CheckInstalledVersion("D:\\");
  ReportSecondsSince(start);
  Require(!setUp && fs::file_size(dir / "c/ORV/DATA/AutoLoad.Lst") > 0,
          "the module list was not written");
}

void JawsDeployment(const Arguments& args) {
  RequireArguments(args, 2, "jaws DIR FOLDERS");
  unsigned folders = Count(args[1]);
  fs::path dir = args[0];
  std::string registry = InstalledScreenReader(dir, folders);
  BenchMachine machine(dir / "c", dir / "d");
  machine.Platform().Reg().LoadText(registry, "bench.reg");
  auto start = Clock::now();
  winsys::DeployJawsConfig("D:\\");
  ReportSecondsSince(start);
  fs::path last = dir / "c/JAWS/Settings" / Numbered("S%05u", folders - 1);
  Require(fs::exists(last / "Orv.Jcf"), "the configuration was not deployed");
}

void TreeDeletion(const Arguments& args) {
  RequireArguments(args, 2, "tree-deletion DIR KEYS");
  BenchMachine machine(args[0]);
  machine.Platform().Reg().LoadText(ObsoleteProductTree(Count(args[1])), "bench.reg");
  auto start = Clock::now();
  winsys::DeleteRegistryTree(kObsoleteKey, true);
  ReportSecondsSince(start);
  platform::HKEY key = nullptr;
  Require(machine.Platform().RegOpenKeyExA(platform::HKEY_LOCAL_MACHINE, kObsoleteKey + 1, 0,
                                           platform::KEY_READ, &key) != platform::ERROR_SUCCESS,
          "the obsolete product key is still there");
}

}  // namespace bench
