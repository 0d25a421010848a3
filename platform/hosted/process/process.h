// The launcher's process on the simulated machine: its own path and command line, its
// environment, the system's version and message texts, its tokens, the boxes it shows and
// the programs it starts.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "platform/hosted/events.h"
#include "platform/hosted/files/filesystem.h"
#include "platform/hosted/process/config.h"
#include "platform/hosted/process/security.h"

namespace hosted {

class Process {
 public:
  // files: where programs are looked for and whose current directory a start reports;
  // security: the holder of the process's tokens.
  Process(const ProcessConfig& config, FileSystem& files, Security& security, Events& events);

  // The calls below behave as the Platform members of the same names.
  DWORD FormatMessageA(DWORD flags, const void* source, DWORD messageId, DWORD languageId,
                       char* buffer, DWORD size, void* args);
  DWORD GetModuleFileNameA(HMODULE module, char* buffer, DWORD size);
  const char* GetCommandLineA();
  DWORD GetEnvironmentVariableA(const char* name, char* buffer, DWORD size);
  // Sets a variable of the process's environment; an empty value removes it.
  void SetEnvironmentVariable(const std::string& name, const std::string& value);
  UINT WinExec(const char* cmdLine, UINT show);
  int MessageBoxA(HWND owner, const char* text, const char* caption, UINT style);
  // No debugger is attached to the simulated process: the text goes nowhere.
  void OutputDebugStringA(const char*) {}
  BOOL GetVersionExA(OSVERSIONINFOA* info);
  // Tokens are the process's own handles; every other handle is the file system's.
  BOOL CloseHandle(HANDLE object);

 private:
  ProcessConfig config_;
  FileSystem& files_;
  Security& security_;
  Events& events_;
  std::string commandLine_;
  std::map<std::string, std::string> environment_;  // by upper-case name
};

}  // namespace hosted
