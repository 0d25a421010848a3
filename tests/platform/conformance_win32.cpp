// The conformance fixtures on Windows: the real calls through the Win32 platform, a scratch
// folder under the user's temporary folder, and the test keys imported with reg.exe.
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>

#include "platform/win32/win32_platform.h"
#include "tests/platform/conformance.h"
#include "tests/platform/conformance_registry.h"

// After the project's headers: <windows.h> defines macros named like platform.h's constants.
#include <windows.h>

namespace conformance {
namespace {

constexpr const char* kTestKey = "Software\\OrvConformance";

platform::win32::Win32Platform windows;

class WindowsHost : public Host {
 public:
  using DWORD = platform::DWORD;  // the platform's, not Windows' own
  DWORD GetFileAttributesA(const char* name) override { return ::GetFileAttributesA(name); }
  BOOL CreateDirectoryA(const char* name) override { return ::CreateDirectoryA(name, nullptr); }
  DWORD GetCurrentDirectoryA(DWORD size, char* buffer) override {
    return ::GetCurrentDirectoryA(size, buffer);
  }
  BOOL SetEnvironmentVariableA(const char* name, const char* value) override {
    return ::SetEnvironmentVariableA(name, value);
  }
  // The stub program built beside the test program.
  BOOL CopyProgramA(const char* path) override {
    char self[MAX_PATH];
    std::string stub(self, ::GetModuleFileNameA(nullptr, self, sizeof self));
    stub = stub.substr(0, stub.find_last_of('\\') + 1) + "stub_program.exe";
    return ::CopyFileA(stub.c_str(), path, FALSE);
  }
} host;

// The tests' message boxes are answered with OK, as a user would: a box of this process
// (a visible window of the dialog class) is sent the OK button's command.
BOOL CALLBACK AnswerBox(HWND window, LPARAM) {
  DWORD process = 0;
  char name[16] = "";
  ::GetWindowThreadProcessId(window, &process);
  ::GetClassNameA(window, name, sizeof name);
  if (process == ::GetCurrentProcessId() && std::string_view(name) == "#32770" &&
      ::IsWindowVisible(window))
    ::PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  return TRUE;
}

DWORD WINAPI AnswerBoxes(void*) {
  for (;;) {
    ::EnumWindows(AnswerBox, 0);
    ::Sleep(10);
  }
}

// Removes a folder and everything below it, read-only files included.
void RemoveTree(const std::string& dir) {
  WIN32_FIND_DATAA found;
  HANDLE find = ::FindFirstFileA((dir + "*").c_str(), &found);
  for (BOOL more = find != INVALID_HANDLE_VALUE; more; more = ::FindNextFileA(find, &found)) {
    std::string name = found.cFileName, path = dir + name;
    if (name == "." || name == "..") continue;
    ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
      RemoveTree(path + "\\");
    else
      ::DeleteFileA(path.c_str());
  }
  if (find != INVALID_HANDLE_VALUE) ::FindClose(find);
  ::RemoveDirectoryA(dir.c_str());
}

// The user's temporary folder, ending in "\".
std::string Temp() {
  char temp[MAX_PATH];
  DWORD length = ::GetTempPathA(sizeof temp, temp);
  EXPECT_GT(length, 0u);
  return std::string(temp, length);
}

// Keys made by reg.exe from a .reg file's text, as a user imports one; options: reg's own.
void Import(std::string_view data, const std::string& options = "") {
  std::string file = Temp() + "OrvConformance-" + std::to_string(::GetCurrentProcessId()) + ".reg";
  std::ofstream(file, std::ios::binary).write(data.data(), std::streamsize(data.size()));
  EXPECT_EQ(std::system(("reg import \"" + file + "\" " + options + " >nul 2>&1").c_str()), 0);
  ::DeleteFileA(file.c_str());
}

// Each key kViewData names, in the 64-bit view by its path, whatever the test program's own view.
void RemoveViewKeys() {
  for (auto at = kViewData.find('['); at != kViewData.npos; at = kViewData.find('[', at + 1)) {
    std::string key(kViewData.substr(at + 1, kViewData.find(']', at) - at - 1));
    std::system(("reg delete \"" + key + "\" /f /reg:64 >nul 2>&1").c_str());
  }
}

}  // namespace

// Wine's ntdll exports its version; Windows' does not.
bool OnWine() {
  return ::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

// A folder of its own per test: the process id and a count make the name.
Scratch PrepareScratch() {
  static int count = 0;
  static HANDLE answerer = ::CreateThread(nullptr, 0, AnswerBoxes, nullptr, 0, nullptr);
  EXPECT_NE(answerer, nullptr);
  std::string dir = Temp() + "OrvConformance-" + std::to_string(::GetCurrentProcessId()) + "-" +
                    std::to_string(++count) + "\\";
  EXPECT_TRUE(::CreateDirectoryA(dir.c_str(), nullptr)) << dir;
  auto owner = std::shared_ptr<void>(nullptr, [dir](void*) { RemoveTree(dir); });
  return {&windows, &host, dir, owner};
}

void ConformanceRegistry::SetUp() {
  ::RegDeleteTreeA(HKEY_CURRENT_USER, kTestKey);
  Import(kRegistryData);
}
void ConformanceRegistry::TearDown() { ::RegDeleteTreeA(HKEY_CURRENT_USER, kTestKey); }
platform::Platform& ConformanceRegistry::P() { return windows; }

void ConformanceRegistryViews::SetUp() {
  RemoveViewKeys();
  Import(kViewData, "/reg:64");
}
void ConformanceRegistryViews::TearDown() { RemoveViewKeys(); }

}  // namespace conformance
