#include "platform/hosted/machine/hosted.h"

#include "platform/hosted/last_error.h"

namespace hosted {

namespace {

std::map<char, std::filesystem::path> ConfiguredRoots(const MachineConfig& config) {
  std::map<char, std::filesystem::path> roots;
  for (const auto& drive : config.drives)
    if (drive.folder) roots[drive.letter] = *drive.folder;
  return roots;
}

}  // namespace

HostedPlatform::HostedPlatform(const MachineConfig& config,
                               std::map<char, std::filesystem::path> roots, Transcript& transcript)
    : config_(config),
      files_(config_, config_.EffectiveAdmin(), std::move(roots), transcript),
      registry_(config_.EffectiveAdmin(), config_.windows64),
      lz_(*this),
      process_(config_, files_, transcript) {
  if (config_.registry) registry_.Load(*config_.registry);
}

HostedPlatform::HostedPlatform(const MachineConfig& config, Transcript& transcript)
    : HostedPlatform(config, ConfiguredRoots(config), transcript) {}

HostedPlatform::~HostedPlatform() = default;

DWORD HostedPlatform::GetLastError() { return ThreadLastError(); }
void HostedPlatform::SetLastError(DWORD code) { ThreadLastError() = code; }

DWORD HostedPlatform::FormatMessageA(DWORD flags, const void* source, DWORD messageId,
                                     DWORD languageId, char* buffer, DWORD size, void* args) {
  return process_.FormatMessageA(flags, source, messageId, languageId, buffer, size, args);
}

LONG HostedPlatform::RegOpenKeyExA(HKEY key, const char* subKey, DWORD options, REGSAM desired,
                                   HKEY* result) {
  return registry_.RegOpenKeyExA(key, subKey, options, desired, result);
}

LONG HostedPlatform::RegQueryValueExA(HKEY key, const char* valueName, DWORD* reserved, DWORD* type,
                                      BYTE* data, DWORD* dataSize) {
  return registry_.RegQueryValueExA(key, valueName, reserved, type, data, dataSize);
}

LONG HostedPlatform::RegQueryInfoKeyA(HKEY key, char* className, DWORD* classSize, DWORD* reserved,
                                      DWORD* subKeys, DWORD* maxSubKeyLen, DWORD* maxClassLen,
                                      DWORD* values, DWORD* maxValueNameLen, DWORD* maxValueLen,
                                      DWORD* securityDescriptor, FILETIME* lastWriteTime) {
  return registry_.RegQueryInfoKeyA(key, className, classSize, reserved, subKeys, maxSubKeyLen,
                                    maxClassLen, values, maxValueNameLen, maxValueLen,
                                    securityDescriptor, lastWriteTime);
}

LONG HostedPlatform::RegEnumKeyExA(HKEY key, DWORD index, char* name, DWORD* nameSize,
                                   DWORD* reserved, char* className, DWORD* classSize,
                                   FILETIME* lastWriteTime) {
  return registry_.RegEnumKeyExA(key, index, name, nameSize, reserved, className, classSize,
                                 lastWriteTime);
}

LONG HostedPlatform::RegDeleteKeyA(HKEY key, const char* subKey) {
  return registry_.RegDeleteKeyA(key, subKey);
}

LONG HostedPlatform::RegCloseKey(HKEY key) { return registry_.RegCloseKey(key); }

HANDLE HostedPlatform::CreateFileA(const char* name, DWORD access, DWORD share, void* security,
                                   DWORD disposition, DWORD flags, HANDLE templateFile) {
  return files_.CreateFileA(name, access, share, security, disposition, flags, templateFile);
}

BOOL HostedPlatform::ReadFile(HANDLE file, void* buffer, DWORD toRead, DWORD* read,
                              void* overlapped) {
  return files_.ReadFile(file, buffer, toRead, read, overlapped);
}

BOOL HostedPlatform::WriteFile(HANDLE file, const void* buffer, DWORD toWrite, DWORD* written,
                               void* overlapped) {
  return files_.WriteFile(file, buffer, toWrite, written, overlapped);
}

DWORD HostedPlatform::SetFilePointer(HANDLE file, LONG distance, LONG* distanceHigh, DWORD method) {
  return files_.SetFilePointer(file, distance, distanceHigh, method);
}

DWORD HostedPlatform::GetFileSize(HANDLE file, DWORD* sizeHigh) {
  return files_.GetFileSize(file, sizeHigh);
}

BOOL HostedPlatform::GetFileTime(HANDLE file, FILETIME* creation, FILETIME* lastAccess,
                                 FILETIME* lastWrite) {
  return files_.GetFileTime(file, creation, lastAccess, lastWrite);
}

BOOL HostedPlatform::SetFileTime(HANDLE file, const FILETIME* creation, const FILETIME* lastAccess,
                                 const FILETIME* lastWrite) {
  return files_.SetFileTime(file, creation, lastAccess, lastWrite);
}

BOOL HostedPlatform::CloseHandle(HANDLE object) { return process_.CloseHandle(object); }

BOOL HostedPlatform::SetFileAttributesA(const char* name, DWORD attributes) {
  return files_.SetFileAttributesA(name, attributes);
}

DWORD HostedPlatform::GetFileAttributesA(const char* name) {
  return files_.GetFileAttributesA(name);
}

BOOL HostedPlatform::DeleteFileA(const char* name) { return files_.DeleteFileA(name); }

BOOL HostedPlatform::MoveFileA(const char* from, const char* to) {
  return files_.MoveFileA(from, to);
}

BOOL HostedPlatform::CreateDirectoryA(const char* name, void* security) {
  return files_.CreateDirectoryA(name, security);
}

BOOL HostedPlatform::RemoveDirectoryA(const char* name) { return files_.RemoveDirectoryA(name); }

HANDLE HostedPlatform::FindFirstFileA(const char* pattern, WIN32_FIND_DATAA* data) {
  return files_.FindFirstFileA(pattern, data);
}

BOOL HostedPlatform::FindNextFileA(HANDLE find, WIN32_FIND_DATAA* data) {
  return files_.FindNextFileA(find, data);
}

BOOL HostedPlatform::FindClose(HANDLE find) { return files_.FindClose(find); }

BOOL HostedPlatform::FileTimeToLocalFileTime(const FILETIME* utc, FILETIME* local) {
  return files_.FileTimeToLocalFileTime(utc, local);
}

BOOL HostedPlatform::LocalFileTimeToFileTime(const FILETIME* local, FILETIME* utc) {
  return files_.LocalFileTimeToFileTime(local, utc);
}

BOOL HostedPlatform::FileTimeToDosDateTime(const FILETIME* time, WORD* date, WORD* dosTime) {
  return files_.FileTimeToDosDateTime(time, date, dosTime);
}

BOOL HostedPlatform::DosDateTimeToFileTime(WORD date, WORD dosTime, FILETIME* time) {
  return files_.DosDateTimeToFileTime(date, dosTime, time);
}

BOOL HostedPlatform::SetCurrentDirectoryA(const char* path) {
  return files_.SetCurrentDirectoryA(path);
}

DWORD HostedPlatform::GetCurrentDirectoryA(DWORD size, char* buffer) {
  return files_.GetCurrentDirectoryA(size, buffer);
}

DWORD HostedPlatform::GetTempPathA(DWORD size, char* buffer) {
  return files_.GetTempPathA(size, buffer);
}

DWORD HostedPlatform::GetShortPathNameA(const char* longPath, char* shortPath, DWORD size) {
  return files_.GetShortPathNameA(longPath, shortPath, size);
}

UINT HostedPlatform::GetDriveTypeA(const char* root) { return files_.GetDriveTypeA(root); }

UINT HostedPlatform::SetErrorMode(UINT mode) { return files_.SetErrorMode(mode); }

DWORD HostedPlatform::GetModuleFileNameA(HMODULE module, char* buffer, DWORD size) {
  return process_.GetModuleFileNameA(module, buffer, size);
}

const char* HostedPlatform::GetCommandLineA() { return process_.GetCommandLineA(); }

DWORD HostedPlatform::GetEnvironmentVariableA(const char* name, char* buffer, DWORD size) {
  return process_.GetEnvironmentVariableA(name, buffer, size);
}

DWORD HostedPlatform::CharLowerBuffA(char* text, DWORD length) {
  return locale_.CharLowerBuffA(text, length);
}

int HostedPlatform::CompareStringA(LCID locale, DWORD flags, const char* a, int aLength,
                                   const char* b, int bLength) {
  return locale_.CompareStringA(locale, flags, a, aLength, b, bLength);
}

UINT HostedPlatform::WinExec(const char* cmdLine, UINT show) {
  return process_.WinExec(cmdLine, show);
}

int HostedPlatform::MessageBoxA(HWND owner, const char* text, const char* caption, UINT style) {
  return process_.MessageBoxA(owner, text, caption, style);
}

INT HostedPlatform::LZOpenFileA(const char* name, OFSTRUCT* info, WORD style) {
  return lz_.LZOpenFileA(name, info, style);
}

LONG HostedPlatform::LZCopy(INT source, INT target) { return lz_.LZCopy(source, target); }

void HostedPlatform::LZClose(INT file) { lz_.LZClose(file); }

BOOL HostedPlatform::GetVersionExA(OSVERSIONINFOA* info) { return process_.GetVersionExA(info); }

HANDLE HostedPlatform::GetCurrentThread() { return process_.GetCurrentThread(); }

HANDLE HostedPlatform::GetCurrentProcess() { return process_.GetCurrentProcess(); }

BOOL HostedPlatform::OpenThreadToken(HANDLE thread, DWORD access, BOOL openAsSelf, HANDLE* token) {
  return process_.OpenThreadToken(thread, access, openAsSelf, token);
}

BOOL HostedPlatform::OpenProcessToken(HANDLE process, DWORD access, HANDLE* token) {
  return process_.OpenProcessToken(process, access, token);
}

BOOL HostedPlatform::GetTokenInformation(HANDLE token, int infoClass, void* info, DWORD size,
                                         DWORD* needed) {
  return process_.GetTokenInformation(token, infoClass, info, size, needed);
}

BOOL HostedPlatform::AllocateAndInitializeSid(const SID_IDENTIFIER_AUTHORITY* authority, BYTE count,
                                              DWORD sub0, DWORD sub1, DWORD sub2, DWORD sub3,
                                              DWORD sub4, DWORD sub5, DWORD sub6, DWORD sub7,
                                              PSID* sid) {
  return process_.AllocateAndInitializeSid(authority, count, sub0, sub1, sub2, sub3, sub4, sub5,
                                           sub6, sub7, sid);
}

BOOL HostedPlatform::EqualSid(PSID a, PSID b) { return process_.EqualSid(a, b); }

PSID HostedPlatform::FreeSid(PSID sid) { return process_.FreeSid(sid); }

}  // namespace hosted
