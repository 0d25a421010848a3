// The real Windows platform: every member passes straight to the Windows call of its name.
#pragma once

#include "platform/platform.h"

namespace win32 {

class Win32Platform : public platform::Platform {
 public:
  // Restricts the process's DLL search to the system folder and loads LZ32 from there.
  Win32Platform();
  ~Win32Platform() override;
  Win32Platform(const Win32Platform&) = delete;
  Win32Platform& operator=(const Win32Platform&) = delete;

  platform::DWORD GetLastError() override;
  void SetLastError(platform::DWORD code) override;
  platform::DWORD FormatMessageA(platform::DWORD flags, const void* source,
                                 platform::DWORD messageId, platform::DWORD languageId,
                                 char* buffer, platform::DWORD size, void* args) override;

  platform::LONG RegOpenKeyExA(platform::HKEY key, const char* subKey, platform::DWORD options,
                               platform::REGSAM desired, platform::HKEY* result) override;
  platform::LONG RegQueryValueExA(platform::HKEY key, const char* valueName,
                                  platform::DWORD* reserved, platform::DWORD* type,
                                  platform::BYTE* data, platform::DWORD* dataSize) override;
  platform::LONG RegQueryInfoKeyA(platform::HKEY key, char* className, platform::DWORD* classSize,
                                  platform::DWORD* reserved, platform::DWORD* subKeys,
                                  platform::DWORD* maxSubKeyLen, platform::DWORD* maxClassLen,
                                  platform::DWORD* values, platform::DWORD* maxValueNameLen,
                                  platform::DWORD* maxValueLen, platform::DWORD* securityDescriptor,
                                  platform::FILETIME* lastWriteTime) override;
  platform::LONG RegEnumKeyExA(platform::HKEY key, platform::DWORD index, char* name,
                               platform::DWORD* nameSize, platform::DWORD* reserved,
                               char* className, platform::DWORD* classSize,
                               platform::FILETIME* lastWriteTime) override;
  platform::LONG RegDeleteKeyA(platform::HKEY key, const char* subKey) override;
  platform::LONG RegCloseKey(platform::HKEY key) override;

  platform::HANDLE CreateFileA(const char* name, platform::DWORD access, platform::DWORD share,
                               void* security, platform::DWORD disposition, platform::DWORD flags,
                               platform::HANDLE templateFile) override;
  platform::BOOL ReadFile(platform::HANDLE file, void* buffer, platform::DWORD toRead,
                          platform::DWORD* read, void* overlapped) override;
  platform::BOOL WriteFile(platform::HANDLE file, const void* buffer, platform::DWORD toWrite,
                           platform::DWORD* written, void* overlapped) override;
  platform::DWORD SetFilePointer(platform::HANDLE file, platform::LONG distance,
                                 platform::LONG* distanceHigh, platform::DWORD method) override;
  platform::DWORD GetFileSize(platform::HANDLE file, platform::DWORD* sizeHigh) override;
  platform::BOOL GetFileTime(platform::HANDLE file, platform::FILETIME* creation,
                             platform::FILETIME* lastAccess,
                             platform::FILETIME* lastWrite) override;
  platform::BOOL SetFileTime(platform::HANDLE file, const platform::FILETIME* creation,
                             const platform::FILETIME* lastAccess,
                             const platform::FILETIME* lastWrite) override;
  platform::BOOL CloseHandle(platform::HANDLE object) override;
  platform::BOOL SetFileAttributesA(const char* name, platform::DWORD attributes) override;
  platform::DWORD GetFileAttributesA(const char* name) override;
  platform::BOOL DeleteFileA(const char* name) override;
  platform::BOOL MoveFileA(const char* from, const char* to) override;
  platform::BOOL CreateDirectoryA(const char* name, void* security) override;
  platform::BOOL RemoveDirectoryA(const char* name) override;
  platform::HANDLE FindFirstFileA(const char* pattern, platform::WIN32_FIND_DATAA* data) override;
  platform::BOOL FindNextFileA(platform::HANDLE find, platform::WIN32_FIND_DATAA* data) override;
  platform::BOOL FindClose(platform::HANDLE find) override;

  platform::BOOL FileTimeToLocalFileTime(const platform::FILETIME* utc,
                                         platform::FILETIME* local) override;
  platform::BOOL LocalFileTimeToFileTime(const platform::FILETIME* local,
                                         platform::FILETIME* utc) override;
  platform::BOOL FileTimeToDosDateTime(const platform::FILETIME* time, platform::WORD* date,
                                       platform::WORD* dosTime) override;
  platform::BOOL DosDateTimeToFileTime(platform::WORD date, platform::WORD dosTime,
                                       platform::FILETIME* time) override;

  platform::BOOL SetCurrentDirectoryA(const char* path) override;
  platform::DWORD GetCurrentDirectoryA(platform::DWORD size, char* buffer) override;
  platform::DWORD GetTempPathA(platform::DWORD size, char* buffer) override;
  platform::DWORD GetShortPathNameA(const char* longPath, char* shortPath,
                                    platform::DWORD size) override;
  platform::UINT GetDriveTypeA(const char* root) override;
  platform::UINT SetErrorMode(platform::UINT mode) override;
  platform::DWORD GetModuleFileNameA(platform::HMODULE module, char* buffer,
                                     platform::DWORD size) override;
  const char* GetCommandLineA() override;
  platform::DWORD GetEnvironmentVariableA(const char* name, char* buffer,
                                          platform::DWORD size) override;
  platform::DWORD CharLowerBuffA(char* text, platform::DWORD length) override;
  int CompareStringA(platform::LCID locale, platform::DWORD flags, const char* a, int aLength,
                     const char* b, int bLength) override;

  platform::UINT WinExec(const char* cmdLine, platform::UINT show) override;
  int MessageBoxA(platform::HWND owner, const char* text, const char* caption,
                  platform::UINT style) override;

  platform::INT LZOpenFileA(const char* name, platform::OFSTRUCT* info,
                            platform::WORD style) override;
  platform::LONG LZCopy(platform::INT source, platform::INT target) override;
  void LZClose(platform::INT file) override;

  platform::BOOL GetVersionExA(platform::OSVERSIONINFOA* info) override;
  platform::HANDLE GetCurrentThread() override;
  platform::HANDLE GetCurrentProcess() override;
  platform::BOOL OpenThreadToken(platform::HANDLE thread, platform::DWORD access,
                                 platform::BOOL openAsSelf, platform::HANDLE* token) override;
  platform::BOOL OpenProcessToken(platform::HANDLE process, platform::DWORD access,
                                  platform::HANDLE* token) override;
  platform::BOOL GetTokenInformation(platform::HANDLE token, int infoClass, void* info,
                                     platform::DWORD size, platform::DWORD* needed) override;
  platform::BOOL AllocateAndInitializeSid(const platform::SID_IDENTIFIER_AUTHORITY* authority,
                                          platform::BYTE count, platform::DWORD sub0,
                                          platform::DWORD sub1, platform::DWORD sub2,
                                          platform::DWORD sub3, platform::DWORD sub4,
                                          platform::DWORD sub5, platform::DWORD sub6,
                                          platform::DWORD sub7, platform::PSID* sid) override;
  platform::BOOL EqualSid(platform::PSID a, platform::PSID b) override;
  platform::PSID FreeSid(platform::PSID sid) override;

 private:
  // LZ32, loaded from the system folder; its entries stay null when it could not be loaded.
  // They are kept as a generic function pointer and take their true type where called.
  using Entry = void (*)();
  platform::HMODULE lz32_ = nullptr;
  Entry lzOpenFile_ = nullptr;
  Entry lzCopy_ = nullptr;
  Entry lzClose_ = nullptr;
};

}  // namespace win32
