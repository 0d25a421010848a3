// A simulated machine for the benchmarks: drive C: is a host folder the caller names, D: a
// read-only medium below it, and the hosted platform is installed as the current one.
#pragma once

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/hosted/machine/hosted.h"

namespace bench {

class BenchMachine {
 public:
  // c: the host folder of drive C:; d: that of drive D: (none when empty).
  explicit BenchMachine(const std::filesystem::path& c, const std::filesystem::path& d = {});
  ~BenchMachine();
  BenchMachine(const BenchMachine&) = delete;
  BenchMachine& operator=(const BenchMachine&) = delete;

  hosted::HostedPlatform& Platform() { return *platform_; }

 private:
  hosted::Transcript transcript_;
  std::unique_ptr<hosted::HostedPlatform> platform_;
  std::unique_ptr<platform::ScopedPlatform> installed_;
};

// Throws std::runtime_error naming the usage unless there are exactly count arguments.
void RequireArguments(const std::vector<std::string>& args, std::size_t count, const char* usage);
// Prints the seconds since start, the figure every command reports.
void ReportSecondsSince(std::chrono::steady_clock::time_point start);

// Seconds since an earlier point of the steady clock.
double SecondsSince(std::chrono::steady_clock::time_point start);

}  // namespace bench
