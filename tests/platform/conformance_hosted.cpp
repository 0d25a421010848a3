// The conformance fixture on the simulated machine: a throw-away machine per test.
#include "tests/platform/conformance.h"
#include "tests/support/machine_fixture.h"

namespace conformance {

namespace {

class MachineHost : public Host {
 public:
  explicit MachineHost(hosted::FileSystem& files) : files_(files) {}
  platform::DWORD GetFileAttributesA(const char* name) override {
    return files_.GetFileAttributesA(name);
  }
  platform::BOOL CreateDirectoryA(const char* name) override {
    return files_.CreateDirectoryA(name, nullptr);
  }
  platform::BOOL RemoveDirectoryA(const char* name) override {
    return files_.RemoveDirectoryA(name);
  }
  platform::DWORD GetCurrentDirectoryA(platform::DWORD size, char* buffer) override {
    return files_.GetCurrentDirectoryA(size, buffer);
  }

 private:
  hosted::FileSystem& files_;
};

struct Machine {
  testing_support::TempMachine machine;
  std::unique_ptr<MachineHost> host;
};

}  // namespace

bool OnWine() { return false; }

Scratch PrepareScratch() {
  auto owner = std::make_shared<Machine>();
  owner->machine.MakeDir("c/scratch");
  owner->machine.Start();
  owner->host = std::make_unique<MachineHost>(owner->machine.Platform().Files());
  return {&owner->machine.Platform(), owner->host.get(), "C:\\scratch\\", owner};
}

}  // namespace conformance
