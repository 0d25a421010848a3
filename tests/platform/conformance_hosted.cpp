// The conformance fixture on the simulated machine: a throw-away machine per test.
#include "tests/platform/conformance.h"
#include "tests/support/machine_fixture.h"

namespace conformance {
namespace {

using namespace platform;

class MachineHost : public Host {
 public:
  MachineHost() {
    machine_.MakeDir("c/scratch");
    machine_.Start();
  }
  hosted::HostedPlatform& Platform() { return machine_.Platform(); }
  DWORD GetFileAttributesA(const char* name) override { return Files().GetFileAttributesA(name); }
  BOOL CreateDirectoryA(const char* name) override {
    return Files().CreateDirectoryA(name, nullptr);
  }
  DWORD GetCurrentDirectoryA(DWORD size, char* buffer) override {
    return Files().GetCurrentDirectoryA(size, buffer);
  }
  BOOL SetEnvironmentVariableA(const char* name, const char* value) override {
    Platform().Proc().SetEnvironmentVariable(name, value ? value : "");
    return TRUE;
  }
  // The machine takes a file for a program by its "MZ" start.
  BOOL CopyProgramA(const char* path) override {
    HANDLE h = Files().CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    bool done = h != INVALID_HANDLE_VALUE && Files().WriteFile(h, "MZ", 2, &written, nullptr);
    return done && Files().CloseFile(h) ? TRUE : FALSE;
  }

 private:
  hosted::FileSystem& Files() { return Platform().Files(); }
  testing_support::TempMachine machine_;
};

}  // namespace

bool OnWine() { return false; }

Scratch PrepareScratch() {
  auto host = std::make_shared<MachineHost>();
  return {&host->Platform(), host.get(), "C:\\scratch\\", host};
}

}  // namespace conformance
