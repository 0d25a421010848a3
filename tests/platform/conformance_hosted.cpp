// The conformance fixture on the simulated machine: a throw-away machine per test.
#include "tests/platform/conformance.h"
#include "tests/support/machine_fixture.h"

namespace conformance {

namespace {

using namespace platform;

class MachineHost : public Host {
 public:
  explicit MachineHost(hosted::HostedPlatform& machine)
      : files_(machine.Files()), process_(machine.Proc()) {}
  DWORD GetFileAttributesA(const char* name) override { return files_.GetFileAttributesA(name); }
  BOOL CreateDirectoryA(const char* name) override {
    return files_.CreateDirectoryA(name, nullptr);
  }
  BOOL RemoveDirectoryA(const char* name) override { return files_.RemoveDirectoryA(name); }
  DWORD GetCurrentDirectoryA(DWORD size, char* buffer) override {
    return files_.GetCurrentDirectoryA(size, buffer);
  }
  BOOL SetEnvironmentVariableA(const char* name, const char* value) override {
    process_.SetEnvironmentVariable(name, value ? value : "");
    return TRUE;
  }
  // The machine takes a file for a program by its "MZ" start.
  BOOL CopyProgramA(const char* path) override {
    HANDLE h = files_.CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    bool done = h != INVALID_HANDLE_VALUE && files_.WriteFile(h, "MZ", 2, &written, nullptr);
    return done && files_.CloseFile(h) ? TRUE : FALSE;
  }

 private:
  hosted::FileSystem& files_;
  hosted::Process& process_;
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
  owner->host = std::make_unique<MachineHost>(owner->machine.Platform());
  return {&owner->machine.Platform(), owner->host.get(), "C:\\scratch\\", owner};
}

}  // namespace conformance
