// orvlaunch: runs the launcher once against a described machine and prints what it did.
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>

#include "launcher/launcher.h"
#include "platform/faults/faults.h"
#include "platform/hosted/machine/hosted.h"
#include "platform/hosted/machine/private_copy.h"
#include "platform/hosted/text/codepage.h"
#include "platform/trace/trace.h"
#include "winsys/log.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kUsage =
    "usage: orvlaunch [--machine DIR] [--self PATH] [--json FILE|-] [--in-place] [--trace]\n"
    "                 [-- ARGS...]\n"
    "\n"
    "Runs the set-up launcher once against the simulated Windows machine described by\n"
    "DIR/machine.json (default: the demo machine) and prints what it did.\n"
    "\n"
    "  --machine DIR   the machine directory\n"
    "  --self PATH     the launcher's own Windows path (overrides run.self)\n"
    "  --json FILE     also write the transcript as JSON Lines; '-' writes them to standard\n"
    "                  output in place of the readable transcript\n"
    "  --in-place      apply the run's changes to DIR (files, and the .reg file rewritten);\n"
    "                  without it the machine is never changed\n"
    "  --trace         also record every platform call (with its arguments, result and\n"
    "                  error) and the launcher's debug notes, in the order they happened\n"
    "  -- ARGS...      the launcher's arguments (override run.args)\n"
    "\n"
    "Exit code: the launcher's own (0 or 1); 2 when the machine cannot be used.\n";

struct Options {
  fs::path machine = ORV_DEMO_MACHINE;
  std::optional<std::string> self;
  std::optional<std::vector<std::string>> args;
  std::optional<std::string> json;
  bool inPlace = false;
  bool trace = false;
};

struct UsageError {
  std::string what;
};

Options ParseOptions(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= argc) throw UsageError{arg + " needs a value"};
      return argv[++i];
    };
    if (arg == "--machine") {
      options.machine = value();
    } else if (arg == "--self") {
      options.self = value();
    } else if (arg == "--json") {
      options.json = value();
    } else if (arg == "--in-place") {
      options.inPlace = true;
    } else if (arg == "--trace") {
      options.trace = true;
    } else if (arg == "--") {
      options.args.emplace(argv + i + 1, argv + argc);
      break;
    } else {
      throw UsageError{"unknown option '" + arg + "'"};
    }
  }
  return options;
}

std::string Ansi(const std::string& utf8, const char* what) {
  auto ansi = hosted::Utf8ToAnsi(utf8);
  if (!ansi)
    throw hosted::ConfigError(std::string(what) + " has characters outside code page 1252");
  return *ansi;
}

void Report(const Options& options, const hosted::Transcript& transcript) {
  if (options.json && *options.json == "-") {
    transcript.WriteJsonLines(std::cout);
    return;
  }
  transcript.WriteReadable(std::cout);
  if (options.json) {
    std::ofstream out(*options.json, std::ios::binary | std::ios::trunc);
    transcript.WriteJsonLines(out);
    if (!out) throw std::runtime_error("cannot write " + *options.json);
  }
}

int Run(const Options& options) {
  hosted::MachineConfig config = hosted::LoadMachineConfig(options.machine);
  if (options.self) config.self = Ansi(*options.self, "--self");
  if (options.args) {
    config.args.clear();
    for (const auto& arg : *options.args) config.args.push_back(Ansi(arg, "an argument"));
  }
  hosted::PrivateCopy copy;
  auto roots = options.inPlace ? hosted::InPlaceRoots(config) : copy.Roots(config);
  hosted::ApplyFileTimes(config, roots);
  hosted::Transcript transcript;
  hosted::HostedPlatform machine(config, roots, transcript);
  faults::FaultPlatform platform(machine, [&] {
    std::vector<faults::Rule> rules;
    for (const auto& fault : config.faults) rules.push_back({fault.call, fault.nth, fault.error});
    return rules;
  }());
  trace::TracePlatform traced(platform, transcript, &platform);
  winsys::LogListener() = [&](const std::string& line) { transcript.Log(line); };
  int code;
  {
    platform::ScopedPlatform installed(options.trace ? static_cast<platform::Platform&>(traced)
                                                     : platform);
    code = launcher::RunLauncher();
  }
  winsys::LogListener() = nullptr;
  // A rule that never fired tested nothing: its author should know.
  for (const faults::Rule& rule : platform.UnfiredRules())
    std::cerr << "orvlaunch: the fault rule for " << rule.call << " (nth " << rule.nth
              << ") never fired\n";
  for (const auto& change : machine.Files().Changes()) transcript.File(change.path, change.change);
  auto keys = machine.Reg().Changes();
  for (const auto& change : keys) transcript.Key(change.key, change.change);
  transcript.Exit(code);
  if (options.inPlace && config.registry && !keys.empty()) machine.Reg().Save(*config.registry);
  Report(options, transcript);
  return code;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::cout << kUsage;
    return 0;
  }
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::cout << "orvlaunch " ORV_VERSION "\n";
    return 0;
  }
  try {
    return Run(ParseOptions(argc, argv));
  } catch (const UsageError& error) {
    std::cerr << "orvlaunch: " << error.what << "\n\n" << kUsage;
  } catch (const std::exception& error) {
    std::cerr << "orvlaunch: " << error.what() << '\n';
  }
  return 2;
}
