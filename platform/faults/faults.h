// A Platform that fails chosen calls of another one, so that every failure path of the
// logic is reached by failing a real call.
#pragma once

#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace faults {

using namespace platform;

struct Rule {
  std::string call;  // the Windows name of the call
  unsigned nth = 0;  // 1 = first call of that name, 0 = every call
  DWORD error = 0;   // the last-error value (registry calls: the result) it leaves
};

// True for the names of the calls that can be failed (those whose result can say so).
bool IsFaultableCall(std::string_view name);
std::span<const std::string_view> FaultableCalls();  // those names
// The error a failing call most plausibly meets.
DWORD PlausibleError(std::string_view call);

// A failed call does nothing and answers as that call answers a failure: its failure
// result, and the rule's error as last error (registry calls return it instead).
class FaultPlatform : public Platform {
 public:
  FaultPlatform(Platform& inner, std::vector<Rule> rules);

  // Also fails the k-th call of all that can fail (1-based), with the error that call most
  // plausibly meets (disk full for a write, access denied for an open, ...). For sweeps.
  void FailOverall(unsigned k) { overallTarget_ = k; }
  // How many calls that can fail were made so far.
  unsigned CallsMade() const { return overallCount_; }
  // The name of the call that FailOverall failed, empty before it has.
  const std::string& FailedCall() const { return overallFailed_; }

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
  // The error to fail this call with, or nothing; counts the call.
  std::optional<DWORD> Hit(const char* call);
  template <typename R, typename Call>
  R Guard(const char* call, R failure, Call&& forward);
  template <typename Call>
  LONG GuardRegistry(const char* call, Call&& forward);

  Platform& inner_;
  std::vector<Rule> rules_;
  std::map<std::string, unsigned, std::less<>> counts_;
  unsigned overallTarget_ = 0;
  unsigned overallCount_ = 0;
  std::string overallFailed_;
};

}  // namespace faults
