// orvmedium: the steps of tools/make-medium and tools/check-medium that read and write a
// medium's files.
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>

#include "medium/error.h"
#include "medium/read_back.h"
#include "medium/layout.h"
#include "medium/pe_file.h"

namespace {

constexpr const char* kUsage =
    "usage: orvmedium layout --launcher EXE --files DIR --out DIR [--label TEXT] [--compress]\n"
    "                        [--subdir]\n"
    "       orvmedium inspect DIR\n"
    "       orvmedium version EXE\n"
    "\n"
    "  layout   lays out a medium in DIR (tools/make-medium)\n"
    "  inspect  prints the launcher, autorun.inf and install set of a medium; exit code 1 when\n"
    "           the medium has a problem\n"
    "  version  prints the version in a program's version resource\n"
    "\n"
    "Exit code 2: the command could not be carried out (the message says why).\n";

struct UsageError {
  std::string what;
};

medium::LayoutOptions LayoutArguments(int argc, char** argv) {
  medium::LayoutOptions options;
  options.icon = ORV_MEDIUM_ICON;
  for (int i = 2; i < argc; ++i) {
    std::string arg = argv[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= argc) throw UsageError{arg + " needs a value"};
      return argv[++i];
    };
    if (arg == "--launcher") {
      options.launcher = value();
    } else if (arg == "--files") {
      options.files = value();
    } else if (arg == "--out") {
      options.out = value();
    } else if (arg == "--label") {
      options.label = value();
    } else if (arg == "--compress") {
      options.compress = true;
    } else if (arg == "--subdir") {
      options.subdir = true;
    } else {
      throw UsageError{"unknown option '" + arg + "'"};
    }
  }
  if (options.launcher.empty() || options.files.empty() || options.out.empty())
    throw UsageError{"layout needs --launcher, --files and --out"};
  return options;
}

int Layout(int argc, char** argv) {
  for (const auto& line : medium::LayOutMedium(LayoutArguments(argc, argv)))
    std::cout << line << '\n';
  return 0;
}

int Inspect(const char* dir) {
  medium::Inspection inspection = medium::InspectMedium(dir);
  for (const auto& line : inspection.lines) std::cout << line << '\n';
  for (const auto& problem : inspection.problems) std::cout << "problem      " << problem << '\n';
  return inspection.problems.empty() ? 0 : 1;
}

int Version(const char* file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw medium::MediumError(std::string(file) + ": cannot be opened");
  std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
  auto facts = medium::ReadProgramFacts(bytes);
  if (!facts.version) throw medium::MediumError(std::string(file) + ": has no version resource");
  std::cout << medium::VersionText(*facts.version) << '\n';
  return 0;
}

int Run(int argc, char** argv) {
  std::string command = argc > 1 ? argv[1] : "";
  if (command == "layout") return Layout(argc, argv);
  if (command == "inspect" && argc == 3) return Inspect(argv[2]);
  if (command == "version" && argc == 3) return Version(argv[2]);
  throw UsageError{command.empty() ? "a command is needed" : "cannot use '" + command + "' so"};
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::cout << kUsage;
    return 0;
  }
  try {
    return Run(argc, argv);
  } catch (const UsageError& error) {
    std::cerr << "orvmedium: " << error.what << "\n\n" << kUsage;
  } catch (const std::exception& error) {
    std::cerr << "orvmedium: " << error.what() << '\n';
  }
  return 2;
}
