// The simulated Windows machine behind the Platform interface.
#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "platform/hosted/files/filesystem.h"
#include "platform/hosted/lz/lz.h"
#include "platform/hosted/machine/config.h"
#include "platform/hosted/machine/transcript.h"
#include "platform/hosted/process/process.h"
#include "platform/hosted/registry/registry.h"
#include "platform/hosted/text/locale.h"
#include "platform/platform.h"

namespace hosted {

class HostedPlatform : public Platform {
 public:
  // roots: host folder per drive letter, overriding the configured folders (private copies).
  // Loads the configured registry file; throws RegFileError when it cannot be read.
  HostedPlatform(const MachineConfig& config, std::map<char, std::filesystem::path> roots,
                 Transcript& transcript);
  // The drives' folders as configured.
  HostedPlatform(const MachineConfig& config, Transcript& transcript);
  ~HostedPlatform() override;

  FileSystem& Files() { return files_; }
  Registry& Reg() { return registry_; }
  const MachineConfig& Config() const { return config_; }

  DWORD GetLastError() override;
  void SetLastError(DWORD code) override;
  DWORD FormatMessageA(DWORD flags, const void* source, DWORD messageId, DWORD languageId,
                       char* buffer, DWORD size, void* args) override;

  LONG RegOpenKeyExA(HKEY key, const char* subKey, DWORD options, REGSAM desired,
                     HKEY* result) override;
  LONG RegQueryValueExA(HKEY key, const char* valueName, DWORD* reserved, DWORD* type, BYTE* data,
                        DWORD* dataSize) override;
  LONG RegQueryInfoKeyA(HKEY key, char* className, DWORD* classSize, DWORD* reserved,
                        DWORD* subKeys, DWORD* maxSubKeyLen, DWORD* maxClassLen, DWORD* values,
                        DWORD* maxValueNameLen, DWORD* maxValueLen, DWORD* securityDescriptor,
                        FILETIME* lastWriteTime) override;
  LONG RegEnumKeyExA(HKEY key, DWORD index, char* name, DWORD* nameSize, DWORD* reserved,
                     char* className, DWORD* classSize, FILETIME* lastWriteTime) override;
  LONG RegDeleteKeyA(HKEY key, const char* subKey) override;
  LONG RegCloseKey(HKEY key) override;

  HANDLE CreateFileA(const char* name, DWORD access, DWORD share, void* security, DWORD disposition,
                     DWORD flags, HANDLE templateFile) override;
  BOOL ReadFile(HANDLE file, void* buffer, DWORD toRead, DWORD* read, void* overlapped) override;
  BOOL WriteFile(HANDLE file, const void* buffer, DWORD toWrite, DWORD* written,
                 void* overlapped) override;
  DWORD SetFilePointer(HANDLE file, LONG distance, LONG* distanceHigh, DWORD method) override;
  DWORD GetFileSize(HANDLE file, DWORD* sizeHigh) override;
  BOOL GetFileTime(HANDLE file, FILETIME* creation, FILETIME* lastAccess,
                   FILETIME* lastWrite) override;
  BOOL SetFileTime(HANDLE file, const FILETIME* creation, const FILETIME* lastAccess,
                   const FILETIME* lastWrite) override;
  BOOL CloseHandle(HANDLE object) override;
  BOOL SetFileAttributesA(const char* name, DWORD attributes) override;
  DWORD GetFileAttributesA(const char* name) override;
  BOOL DeleteFileA(const char* name) override;
  BOOL MoveFileA(const char* from, const char* to) override;
  BOOL CreateDirectoryA(const char* name, void* security) override;
  BOOL RemoveDirectoryA(const char* name) override;
  HANDLE FindFirstFileA(const char* pattern, WIN32_FIND_DATAA* data) override;
  BOOL FindNextFileA(HANDLE find, WIN32_FIND_DATAA* data) override;
  BOOL FindClose(HANDLE find) override;

  BOOL FileTimeToLocalFileTime(const FILETIME* utc, FILETIME* local) override;
  BOOL LocalFileTimeToFileTime(const FILETIME* local, FILETIME* utc) override;
  BOOL FileTimeToDosDateTime(const FILETIME* time, WORD* date, WORD* dosTime) override;
  BOOL DosDateTimeToFileTime(WORD date, WORD dosTime, FILETIME* time) override;

  BOOL SetCurrentDirectoryA(const char* path) override;
  DWORD GetCurrentDirectoryA(DWORD size, char* buffer) override;
  DWORD GetTempPathA(DWORD size, char* buffer) override;
  DWORD GetShortPathNameA(const char* longPath, char* shortPath, DWORD size) override;
  UINT GetDriveTypeA(const char* root) override;
  UINT SetErrorMode(UINT mode) override;
  DWORD GetModuleFileNameA(HMODULE module, char* buffer, DWORD size) override;
  const char* GetCommandLineA() override;
  DWORD GetEnvironmentVariableA(const char* name, char* buffer, DWORD size) override;
  DWORD CharLowerBuffA(char* text, DWORD length) override;
  int CompareStringA(LCID locale, DWORD flags, const char* a, int aLength, const char* b,
                     int bLength) override;

  UINT WinExec(const char* cmdLine, UINT show) override;
  int MessageBoxA(HWND owner, const char* text, const char* caption, UINT style) override;

  INT LZOpenFileA(const char* name, OFSTRUCT* info, WORD style) override;
  LONG LZCopy(INT source, INT target) override;
  void LZClose(INT file) override;

  BOOL GetVersionExA(OSVERSIONINFOA* info) override;
  HANDLE GetCurrentThread() override;
  HANDLE GetCurrentProcess() override;
  BOOL OpenThreadToken(HANDLE thread, DWORD access, BOOL openAsSelf, HANDLE* token) override;
  BOOL OpenProcessToken(HANDLE process, DWORD access, HANDLE* token) override;
  BOOL GetTokenInformation(HANDLE token, int infoClass, void* info, DWORD size,
                           DWORD* needed) override;
  BOOL AllocateAndInitializeSid(const SID_IDENTIFIER_AUTHORITY* authority, BYTE count, DWORD sub0,
                                DWORD sub1, DWORD sub2, DWORD sub3, DWORD sub4, DWORD sub5,
                                DWORD sub6, DWORD sub7, PSID* sid) override;
  BOOL EqualSid(PSID a, PSID b) override;
  PSID FreeSid(PSID sid) override;

 private:
  MachineConfig config_;
  FileSystem files_;
  Registry registry_;
  LzLibrary lz_;
  Locale locale_;
  Process process_;
};

}  // namespace hosted
