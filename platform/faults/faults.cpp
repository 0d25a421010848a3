#include "platform/faults/faults.h"

#include <algorithm>
#include <array>

namespace faults {

namespace {

// Calls whose result can tell a failure; the others (last error, pseudo-handles,
// CharLowerBuffA, SetErrorMode, GetCommandLineA, LZClose, FreeSid) never fail.
constexpr std::string_view kFaultable[] = {"FormatMessageA",
                                           "RegOpenKeyExA",
                                           "RegQueryValueExA",
                                           "RegQueryInfoKeyA",
                                           "RegEnumKeyExA",
                                           "RegDeleteKeyA",
                                           "RegCloseKey",
                                           "CreateFileA",
                                           "ReadFile",
                                           "WriteFile",
                                           "SetFilePointer",
                                           "GetFileSize",
                                           "GetFileTime",
                                           "SetFileTime",
                                           "CloseHandle",
                                           "SetFileAttributesA",
                                           "GetFileAttributesA",
                                           "DeleteFileA",
                                           "MoveFileA",
                                           "CreateDirectoryA",
                                           "RemoveDirectoryA",
                                           "FindFirstFileA",
                                           "FindNextFileA",
                                           "FindClose",
                                           "FileTimeToLocalFileTime",
                                           "LocalFileTimeToFileTime",
                                           "FileTimeToDosDateTime",
                                           "DosDateTimeToFileTime",
                                           "SetCurrentDirectoryA",
                                           "GetCurrentDirectoryA",
                                           "GetTempPathA",
                                           "GetShortPathNameA",
                                           "GetDriveTypeA",
                                           "GetModuleFileNameA",
                                           "GetEnvironmentVariableA",
                                           "CompareStringA",
                                           "WinExec",
                                           "MessageBoxA",
                                           "LZOpenFileA",
                                           "LZCopy",
                                           "GetVersionExA",
                                           "OpenThreadToken",
                                           "OpenProcessToken",
                                           "GetTokenInformation",
                                           "AllocateAndInitializeSid",
                                           "EqualSid"};

}  // namespace

std::span<const std::string_view> FaultableCalls() { return kFaultable; }

bool IsFaultableCall(std::string_view name) {
  return std::find(std::begin(kFaultable), std::end(kFaultable), name) != std::end(kFaultable);
}

DWORD PlausibleError(std::string_view call) {
  if (call == "WriteFile") return ERROR_DISK_FULL;
  if (call == "ReadFile") return 23;  // a data error (CRC): a damaged medium
  if (call == "SetCurrentDirectoryA" || call == "GetDriveTypeA") return ERROR_NOT_READY;
  if (call == "FindFirstFileA" || call == "GetShortPathNameA") return ERROR_NOT_READY;
  if (call == "MessageBoxA") return ERROR_INVALID_WINDOW_HANDLE;
  if (call == "WinExec") return ERROR_FILE_NOT_FOUND;
  if (call == "GetTempPathA") return ERROR_ENVVAR_NOT_FOUND;
  if (call == "FindNextFileA" || call == "FormatMessageA") return ERROR_NOT_ENOUGH_MEMORY;
  if (call.rfind("Reg", 0) == 0 && call != "RegOpenKeyExA") return ERROR_NOT_ENOUGH_MEMORY;
  return ERROR_ACCESS_DENIED;
}

FaultPlatform::FaultPlatform(Platform& inner, std::vector<Rule> rules)
    : inner_(inner), rules_(std::move(rules)) {}

std::optional<DWORD> FaultPlatform::Hit(const char* call) {
  unsigned count = ++counts_[call];
  if (++overallCount_ == overallTarget_) {
    overallFailed_ = call;
    return PlausibleError(call);
  }
  for (const Rule& rule : rules_)
    if (rule.call == call && (rule.nth == 0 || rule.nth == count)) return rule.error;
  return std::nullopt;
}

template <typename R, typename Call>
R FaultPlatform::Guard(const char* call, R failure, Call&& forward) {
  if (auto error = Hit(call)) {
    inner_.SetLastError(*error);
    return failure;
  }
  return forward();
}

template <typename Call>
LONG FaultPlatform::GuardRegistry(const char* call, Call&& forward) {
  if (auto error = Hit(call)) return static_cast<LONG>(*error);
  return forward();
}

DWORD FaultPlatform::GetLastError() { return inner_.GetLastError(); }
void FaultPlatform::SetLastError(DWORD code) { inner_.SetLastError(code); }

DWORD FaultPlatform::FormatMessageA(DWORD flags, const void* source, DWORD messageId,
                                    DWORD languageId, char* buffer, DWORD size, void* args) {
  return Guard("FormatMessageA", DWORD{0}, [&] {
    return inner_.FormatMessageA(flags, source, messageId, languageId, buffer, size, args);
  });
}

LONG FaultPlatform::RegOpenKeyExA(HKEY key, const char* subKey, DWORD options, REGSAM desired,
                                  HKEY* result) {
  return GuardRegistry("RegOpenKeyExA",
                       [&] { return inner_.RegOpenKeyExA(key, subKey, options, desired, result); });
}

LONG FaultPlatform::RegQueryValueExA(HKEY key, const char* valueName, DWORD* reserved, DWORD* type,
                                     BYTE* data, DWORD* dataSize) {
  return GuardRegistry("RegQueryValueExA", [&] {
    return inner_.RegQueryValueExA(key, valueName, reserved, type, data, dataSize);
  });
}

LONG FaultPlatform::RegQueryInfoKeyA(HKEY key, char* className, DWORD* classSize, DWORD* reserved,
                                     DWORD* subKeys, DWORD* maxSubKeyLen, DWORD* maxClassLen,
                                     DWORD* values, DWORD* maxValueNameLen, DWORD* maxValueLen,
                                     DWORD* securityDescriptor, FILETIME* lastWriteTime) {
  return GuardRegistry("RegQueryInfoKeyA", [&] {
    return inner_.RegQueryInfoKeyA(key, className, classSize, reserved, subKeys, maxSubKeyLen,
                                   maxClassLen, values, maxValueNameLen, maxValueLen,
                                   securityDescriptor, lastWriteTime);
  });
}

LONG FaultPlatform::RegEnumKeyExA(HKEY key, DWORD index, char* name, DWORD* nameSize,
                                  DWORD* reserved, char* className, DWORD* classSize,
                                  FILETIME* lastWriteTime) {
  return GuardRegistry("RegEnumKeyExA", [&] {
    return inner_.RegEnumKeyExA(key, index, name, nameSize, reserved, className, classSize,
                                lastWriteTime);
  });
}

LONG FaultPlatform::RegDeleteKeyA(HKEY key, const char* subKey) {
  return GuardRegistry("RegDeleteKeyA", [&] { return inner_.RegDeleteKeyA(key, subKey); });
}

LONG FaultPlatform::RegCloseKey(HKEY key) {
  return GuardRegistry("RegCloseKey", [&] { return inner_.RegCloseKey(key); });
}

HANDLE FaultPlatform::CreateFileA(const char* name, DWORD access, DWORD share, void* security,
                                  DWORD disposition, DWORD flags, HANDLE templateFile) {
  return Guard("CreateFileA", INVALID_HANDLE_VALUE, [&] {
    return inner_.CreateFileA(name, access, share, security, disposition, flags, templateFile);
  });
}

BOOL FaultPlatform::ReadFile(HANDLE file, void* buffer, DWORD toRead, DWORD* read,
                             void* overlapped) {
  if (read) *read = 0;
  return Guard("ReadFile", FALSE,
               [&] { return inner_.ReadFile(file, buffer, toRead, read, overlapped); });
}

BOOL FaultPlatform::WriteFile(HANDLE file, const void* buffer, DWORD toWrite, DWORD* written,
                              void* overlapped) {
  if (written) *written = 0;
  return Guard("WriteFile", FALSE,
               [&] { return inner_.WriteFile(file, buffer, toWrite, written, overlapped); });
}

DWORD FaultPlatform::SetFilePointer(HANDLE file, LONG distance, LONG* distanceHigh, DWORD method) {
  return Guard("SetFilePointer", INVALID_SET_FILE_POINTER,
               [&] { return inner_.SetFilePointer(file, distance, distanceHigh, method); });
}

DWORD FaultPlatform::GetFileSize(HANDLE file, DWORD* sizeHigh) {
  return Guard("GetFileSize", INVALID_FILE_SIZE,
               [&] { return inner_.GetFileSize(file, sizeHigh); });
}

BOOL FaultPlatform::GetFileTime(HANDLE file, FILETIME* creation, FILETIME* lastAccess,
                                FILETIME* lastWrite) {
  return Guard("GetFileTime", FALSE,
               [&] { return inner_.GetFileTime(file, creation, lastAccess, lastWrite); });
}

BOOL FaultPlatform::SetFileTime(HANDLE file, const FILETIME* creation, const FILETIME* lastAccess,
                                const FILETIME* lastWrite) {
  return Guard("SetFileTime", FALSE,
               [&] { return inner_.SetFileTime(file, creation, lastAccess, lastWrite); });
}

BOOL FaultPlatform::CloseHandle(HANDLE object) {
  // A failed close still releases the handle on Windows; so it does here.
  if (auto error = Hit("CloseHandle")) {
    inner_.CloseHandle(object);
    inner_.SetLastError(*error);
    return FALSE;
  }
  return inner_.CloseHandle(object);
}

BOOL FaultPlatform::SetFileAttributesA(const char* name, DWORD attributes) {
  return Guard("SetFileAttributesA", FALSE,
               [&] { return inner_.SetFileAttributesA(name, attributes); });
}

DWORD FaultPlatform::GetFileAttributesA(const char* name) {
  return Guard("GetFileAttributesA", INVALID_FILE_ATTRIBUTES,
               [&] { return inner_.GetFileAttributesA(name); });
}

BOOL FaultPlatform::DeleteFileA(const char* name) {
  return Guard("DeleteFileA", FALSE, [&] { return inner_.DeleteFileA(name); });
}

BOOL FaultPlatform::MoveFileA(const char* from, const char* to) {
  return Guard("MoveFileA", FALSE, [&] { return inner_.MoveFileA(from, to); });
}

BOOL FaultPlatform::CreateDirectoryA(const char* name, void* security) {
  return Guard("CreateDirectoryA", FALSE, [&] { return inner_.CreateDirectoryA(name, security); });
}

BOOL FaultPlatform::RemoveDirectoryA(const char* name) {
  return Guard("RemoveDirectoryA", FALSE, [&] { return inner_.RemoveDirectoryA(name); });
}

HANDLE FaultPlatform::FindFirstFileA(const char* pattern, WIN32_FIND_DATAA* data) {
  return Guard("FindFirstFileA", INVALID_HANDLE_VALUE,
               [&] { return inner_.FindFirstFileA(pattern, data); });
}

BOOL FaultPlatform::FindNextFileA(HANDLE find, WIN32_FIND_DATAA* data) {
  return Guard("FindNextFileA", FALSE, [&] { return inner_.FindNextFileA(find, data); });
}

BOOL FaultPlatform::FindClose(HANDLE find) {
  if (auto error = Hit("FindClose")) {
    inner_.FindClose(find);
    inner_.SetLastError(*error);
    return FALSE;
  }
  return inner_.FindClose(find);
}

BOOL FaultPlatform::FileTimeToLocalFileTime(const FILETIME* utc, FILETIME* local) {
  return Guard("FileTimeToLocalFileTime", FALSE,
               [&] { return inner_.FileTimeToLocalFileTime(utc, local); });
}

BOOL FaultPlatform::LocalFileTimeToFileTime(const FILETIME* local, FILETIME* utc) {
  return Guard("LocalFileTimeToFileTime", FALSE,
               [&] { return inner_.LocalFileTimeToFileTime(local, utc); });
}

BOOL FaultPlatform::FileTimeToDosDateTime(const FILETIME* time, WORD* date, WORD* dosTime) {
  return Guard("FileTimeToDosDateTime", FALSE,
               [&] { return inner_.FileTimeToDosDateTime(time, date, dosTime); });
}

BOOL FaultPlatform::DosDateTimeToFileTime(WORD date, WORD dosTime, FILETIME* time) {
  return Guard("DosDateTimeToFileTime", FALSE,
               [&] { return inner_.DosDateTimeToFileTime(date, dosTime, time); });
}

BOOL FaultPlatform::SetCurrentDirectoryA(const char* path) {
  return Guard("SetCurrentDirectoryA", FALSE, [&] { return inner_.SetCurrentDirectoryA(path); });
}

DWORD FaultPlatform::GetCurrentDirectoryA(DWORD size, char* buffer) {
  return Guard("GetCurrentDirectoryA", DWORD{0},
               [&] { return inner_.GetCurrentDirectoryA(size, buffer); });
}

DWORD FaultPlatform::GetTempPathA(DWORD size, char* buffer) {
  return Guard("GetTempPathA", DWORD{0}, [&] { return inner_.GetTempPathA(size, buffer); });
}

DWORD FaultPlatform::GetShortPathNameA(const char* longPath, char* shortPath, DWORD size) {
  return Guard("GetShortPathNameA", DWORD{0},
               [&] { return inner_.GetShortPathNameA(longPath, shortPath, size); });
}

UINT FaultPlatform::GetDriveTypeA(const char* root) {
  return Guard("GetDriveTypeA", DRIVE_UNKNOWN, [&] { return inner_.GetDriveTypeA(root); });
}

UINT FaultPlatform::SetErrorMode(UINT mode) { return inner_.SetErrorMode(mode); }

DWORD FaultPlatform::GetModuleFileNameA(HMODULE module, char* buffer, DWORD size) {
  return Guard("GetModuleFileNameA", DWORD{0},
               [&] { return inner_.GetModuleFileNameA(module, buffer, size); });
}

const char* FaultPlatform::GetCommandLineA() { return inner_.GetCommandLineA(); }

DWORD FaultPlatform::GetEnvironmentVariableA(const char* name, char* buffer, DWORD size) {
  return Guard("GetEnvironmentVariableA", DWORD{0},
               [&] { return inner_.GetEnvironmentVariableA(name, buffer, size); });
}

DWORD FaultPlatform::CharLowerBuffA(char* text, DWORD length) {
  return inner_.CharLowerBuffA(text, length);
}

int FaultPlatform::CompareStringA(LCID locale, DWORD flags, const char* a, int aLength,
                                  const char* b, int bLength) {
  return Guard("CompareStringA", 0,
               [&] { return inner_.CompareStringA(locale, flags, a, aLength, b, bLength); });
}

UINT FaultPlatform::WinExec(const char* cmdLine, UINT show) {
  if (auto error = Hit("WinExec")) {
    inner_.SetLastError(*error);
    return *error < 32 ? *error : 0;
  }
  return inner_.WinExec(cmdLine, show);
}

int FaultPlatform::MessageBoxA(HWND owner, const char* text, const char* caption, UINT style) {
  return Guard("MessageBoxA", 0, [&] { return inner_.MessageBoxA(owner, text, caption, style); });
}

INT FaultPlatform::LZOpenFileA(const char* name, OFSTRUCT* info, WORD style) {
  return Guard("LZOpenFileA", LZERROR_BADINHANDLE,
               [&] { return inner_.LZOpenFileA(name, info, style); });
}

LONG FaultPlatform::LZCopy(INT source, INT target) {
  return Guard("LZCopy", LONG{LZERROR_READ}, [&] { return inner_.LZCopy(source, target); });
}

void FaultPlatform::LZClose(INT file) { inner_.LZClose(file); }

BOOL FaultPlatform::GetVersionExA(OSVERSIONINFOA* info) {
  return Guard("GetVersionExA", FALSE, [&] { return inner_.GetVersionExA(info); });
}

HANDLE FaultPlatform::GetCurrentThread() { return inner_.GetCurrentThread(); }
HANDLE FaultPlatform::GetCurrentProcess() { return inner_.GetCurrentProcess(); }

BOOL FaultPlatform::OpenThreadToken(HANDLE thread, DWORD access, BOOL openAsSelf, HANDLE* token) {
  return Guard("OpenThreadToken", FALSE,
               [&] { return inner_.OpenThreadToken(thread, access, openAsSelf, token); });
}

BOOL FaultPlatform::OpenProcessToken(HANDLE process, DWORD access, HANDLE* token) {
  return Guard("OpenProcessToken", FALSE,
               [&] { return inner_.OpenProcessToken(process, access, token); });
}

BOOL FaultPlatform::GetTokenInformation(HANDLE token, int infoClass, void* info, DWORD size,
                                        DWORD* needed) {
  return Guard("GetTokenInformation", FALSE,
               [&] { return inner_.GetTokenInformation(token, infoClass, info, size, needed); });
}

BOOL FaultPlatform::AllocateAndInitializeSid(const SID_IDENTIFIER_AUTHORITY* authority, BYTE count,
                                             DWORD sub0, DWORD sub1, DWORD sub2, DWORD sub3,
                                             DWORD sub4, DWORD sub5, DWORD sub6, DWORD sub7,
                                             PSID* sid) {
  return Guard("AllocateAndInitializeSid", FALSE, [&] {
    return inner_.AllocateAndInitializeSid(authority, count, sub0, sub1, sub2, sub3, sub4, sub5,
                                           sub6, sub7, sid);
  });
}

BOOL FaultPlatform::EqualSid(PSID a, PSID b) {
  return Guard("EqualSid", FALSE, [&] { return inner_.EqualSid(a, b); });
}

PSID FaultPlatform::FreeSid(PSID sid) { return inner_.FreeSid(sid); }

}  // namespace faults
