// The launcher's process on the simulated machine: its own path and command line, its
// environment, the system's version and message texts, its tokens, the boxes it shows and
// the programs it starts.
#pragma once

#include <memory>
#include <string>

#include "platform/hosted/events.h"
#include "platform/hosted/files/filesystem.h"
#include "platform/hosted/process/config.h"
#include "platform/hosted/process/security.h"

namespace hosted {

class Process {
 public:
  // files: where programs are looked for and whose current directory a start reports.
  Process(const ProcessConfig& config, FileSystem& files, Events& events);

  // The calls below behave as the Platform members of the same names.
  DWORD FormatMessageA(DWORD flags, const void* source, DWORD messageId, DWORD languageId,
                       char* buffer, DWORD size, void* args);
  DWORD GetModuleFileNameA(HMODULE module, char* buffer, DWORD size);
  const char* GetCommandLineA();
  DWORD GetEnvironmentVariableA(const char* name, char* buffer, DWORD size);
  UINT WinExec(const char* cmdLine, UINT show);
  int MessageBoxA(HWND owner, const char* text, const char* caption, UINT style);
  // No debugger is attached to the simulated process: the text goes nowhere.
  void OutputDebugStringA(const char*) {}
  BOOL GetVersionExA(OSVERSIONINFOA* info);
  HANDLE GetCurrentThread();
  HANDLE GetCurrentProcess();
  BOOL OpenThreadToken(HANDLE thread, DWORD access, BOOL openAsSelf, HANDLE* token);
  BOOL OpenProcessToken(HANDLE process, DWORD access, HANDLE* token);
  BOOL GetTokenInformation(HANDLE token, int infoClass, void* info, DWORD size, DWORD* needed);
  BOOL AllocateAndInitializeSid(const SID_IDENTIFIER_AUTHORITY* authority, BYTE count, DWORD sub0,
                                DWORD sub1, DWORD sub2, DWORD sub3, DWORD sub4, DWORD sub5,
                                DWORD sub6, DWORD sub7, PSID* sid);
  BOOL EqualSid(PSID a, PSID b);
  PSID FreeSid(PSID sid);
  // Tokens are the process's own handles; every other handle is the file system's.
  BOOL CloseHandle(HANDLE object);

 private:
  ProcessConfig config_;
  FileSystem& files_;
  Events& events_;
  std::string commandLine_;
  Security security_;
};

}  // namespace hosted
