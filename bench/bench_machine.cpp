#include "bench/bench_machine.h"

#include <chrono>
#include <cstdio>
#include <stdexcept>

namespace bench {

BenchMachine::BenchMachine(const std::filesystem::path& c, const std::filesystem::path& d) {
  hosted::MachineConfig config;
  config.dir = c;
  config.drives = {{'C', hosted::DriveKind::Fixed, std::filesystem::absolute(c), false}};
  if (!d.empty())
    config.drives.push_back({'D', hosted::DriveKind::CdRom, std::filesystem::absolute(d), true});
  platform_ = std::make_unique<hosted::HostedPlatform>(config, transcript_);
  installed_ = std::make_unique<platform::ScopedPlatform>(*platform_);
}

BenchMachine::~BenchMachine() = default;

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void RequireArguments(const std::vector<std::string>& args, std::size_t count, const char* usage) {
  if (args.size() != count) throw std::runtime_error(std::string("usage: ") + usage);
}

void ReportSecondsSince(std::chrono::steady_clock::time_point start) {
  std::printf("%.6f\n", SecondsSince(start));
}

}  // namespace bench
