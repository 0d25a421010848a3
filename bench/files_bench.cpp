// Expansion, copy and comparison of files on drive C:, whose folder is the first argument.
#include <stdexcept>

#include "bench/bench_machine.h"
#include "bench/commands.h"
#include "launcher/launcher.h"
#include "winsys/files.h"

namespace bench {

namespace {

using Clock = std::chrono::steady_clock;

std::string OnDriveC(const std::string& name) { return "C:\\" + name; }

void Check(bool done, const char* what) {
  if (!done) throw std::runtime_error(std::string(what) + " failed");
}

}  // namespace

void Expand(const Arguments& args) {
  RequireArguments(args, 3, "expand DIR SOURCE TARGET");
  BenchMachine machine(args[0]);
  auto start = Clock::now();
  Check(launcher::ExpandCopy(OnDriveC(args[1]), OnDriveC(args[2])), "the expansion");
  ReportSecondsSince(start);
}

void Copy(const Arguments& args) {
  RequireArguments(args, 3, "copy DIR SOURCE TARGET");
  BenchMachine machine(args[0]);
  auto start = Clock::now();
  Check(winsys::CopyFileKeepDate(OnDriveC(args[1]), OnDriveC(args[2])), "the copy");
  ReportSecondsSince(start);
}

void Match(const Arguments& args) {
  RequireArguments(args, 3, "match DIR A B");
  BenchMachine machine(args[0]);
  auto start = Clock::now();
  Check(winsys::FilesMatch(OnDriveC(args[1]), OnDriveC(args[2]), false), "the comparison");
  ReportSecondsSince(start);
}

}  // namespace bench
