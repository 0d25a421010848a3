// orvlaunch: runs the launcher once against a described machine and prints what it did.
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>

#include "launcher/launcher.h"
#include "platform/faults/faults.h"
#include "platform/hosted/machine/hosted.h"
#include "platform/hosted/machine/private_copy.h"
#include "platform/hosted/machine/warnings.h"
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
    "  --help          this text (anywhere before --)\n"
    "\n"
    "Exit code: the launcher's own (0, or 1 after an escaped error); 2 when the machine\n"
    "cannot be used or an option is wrong (nothing is changed); 3 when the transcript\n"
    "cannot be written (found before the run when the --json file cannot be opened).\n";

// Exit codes of orvlaunch beside the launcher's own 0 and 1.
constexpr int kUnusable = 2;
constexpr int kUnwritable = 3;

struct Options {
  bool help = false, version = false;
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

// A transcript that cannot be written where it was asked for.
struct OutputError {
  std::string what;
};

// Every option is read before any is acted on, so --help works wherever it stands.
Options ParseOptions(int argc, char** argv) {
  Options options;
  std::optional<UsageError> error;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    auto value = [&]() -> std::string {
      if (i + 1 < argc) return argv[++i];
      if (!error) error = UsageError{arg + " needs a value"};
      return {};
    };
    if (arg == "--help" || arg == "-h") {
      options.help = true;
    } else if (arg == "--version") {
      options.version = true;
    } else if (arg == "--machine") {
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
    } else if (!error) {
      error = UsageError{"unknown option '" + arg + "'"};
    }
  }
  if (error && !options.help) throw *error;
  return options;
}

std::string Ansi(const std::string& utf8, const char* what) {
  auto ansi = hosted::Utf8ToAnsi(utf8);
  if (!ansi)
    throw hosted::ConfigError(std::string(what) + " has characters outside code page 1252");
  return *ansi;
}

// The --json file, opened (and emptied) before the run, so that a file that cannot be
// written ends orvlaunch before anything is changed.
std::optional<std::ofstream> OpenJson(const Options& options) {
  if (!options.json || *options.json == "-") return std::nullopt;
  std::optional<std::ofstream> out(std::in_place, *options.json,
                                   std::ios::binary | std::ios::trunc);
  if (!*out)
    throw OutputError{"--json " + *options.json + ": cannot be written (" + std::strerror(errno) +
                      "); name a file in a folder you may write"};
  return out;
}

void Report(const Options& options, const hosted::Transcript& transcript,
            std::optional<std::ofstream>& json) {
  if (options.json && *options.json == "-") {
    transcript.WriteJsonLines(std::cout);
  } else {
    transcript.WriteReadable(std::cout);
  }
  if (json) {
    transcript.WriteJsonLines(*json);
    json->close();
    if (!*json) throw OutputError{"--json " + *options.json + ": writing failed"};
  }
  if (!std::cout.flush()) throw OutputError{"standard output: writing failed"};
}

int Run(const Options& options) {
  std::optional<std::ofstream> json = OpenJson(options);
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
  for (const auto& warning :
       hosted::DescriptionWarnings(config, machine.Files(), options.self ? "--self" : "run.self"))
    std::cerr << "orvlaunch: warning: " << warning << '\n';
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
  Report(options, transcript, json);
  return code;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    Options options = ParseOptions(argc, argv);
    if (options.help) {
      std::cout << kUsage;
      return 0;
    }
    if (options.version) {
      std::cout << "orvlaunch " ORV_VERSION "\n";
      return 0;
    }
    return Run(options);
  } catch (const UsageError& error) {
    std::cerr << "orvlaunch: " << error.what << "\n\n" << kUsage;
  } catch (const OutputError& error) {
    std::cerr << "orvlaunch: " << error.what << '\n';
    return kUnwritable;
  } catch (const std::exception& error) {
    std::cerr << "orvlaunch: " << error.what() << '\n';
  }
  return kUnusable;
}
