#include "platform/win32/win32_platform.h"

#include <cstddef>
#include <cstring>
#include <type_traits>

// <windows.h> defines macros named like the constants of platform/platform.h (TRUE,
// MAX_PATH, ERROR_*, DELETE, OF_*...), so it comes after it, and below this line the
// Windows names are meant unless platform:: says otherwise. It declares the LZ32 calls too.
#include <windows.h>

namespace win32 {

namespace {

template <class Portable, class Native>
constexpr bool kSameShape = sizeof(Portable) == sizeof(Native) &&
                            alignof(Portable) == alignof(Native);

// The portable records mirror the Windows ones member for member.
static_assert(kSameShape<platform::DWORD, ::DWORD>);
static_assert(kSameShape<platform::LONG, ::LONG>);
static_assert(kSameShape<platform::HKEY, ::HKEY>);
static_assert(kSameShape<platform::FILETIME, ::FILETIME>);
static_assert(offsetof(platform::FILETIME, dwHighDateTime) == offsetof(::FILETIME, dwHighDateTime));
static_assert(kSameShape<platform::WIN32_FIND_DATAA, ::WIN32_FIND_DATAA>);
static_assert(offsetof(platform::WIN32_FIND_DATAA, ftLastWriteTime) ==
              offsetof(::WIN32_FIND_DATAA, ftLastWriteTime));
static_assert(offsetof(platform::WIN32_FIND_DATAA, nFileSizeLow) ==
              offsetof(::WIN32_FIND_DATAA, nFileSizeLow));
static_assert(offsetof(platform::WIN32_FIND_DATAA, cFileName) ==
              offsetof(::WIN32_FIND_DATAA, cFileName));
static_assert(offsetof(platform::WIN32_FIND_DATAA, cAlternateFileName) ==
              offsetof(::WIN32_FIND_DATAA, cAlternateFileName));
static_assert(kSameShape<platform::OSVERSIONINFOA, ::OSVERSIONINFOA>);
static_assert(offsetof(platform::OSVERSIONINFOA, dwPlatformId) ==
              offsetof(::OSVERSIONINFOA, dwPlatformId));
static_assert(offsetof(platform::OSVERSIONINFOA, szCSDVersion) ==
              offsetof(::OSVERSIONINFOA, szCSDVersion));
static_assert(kSameShape<platform::OFSTRUCT, ::OFSTRUCT>);
static_assert(offsetof(platform::OFSTRUCT, nErrCode) == offsetof(::OFSTRUCT, nErrCode));
static_assert(offsetof(platform::OFSTRUCT, szPathName) == offsetof(::OFSTRUCT, szPathName));
static_assert(kSameShape<platform::SID_IDENTIFIER_AUTHORITY, ::SID_IDENTIFIER_AUTHORITY>);
static_assert(kSameShape<platform::SID_AND_ATTRIBUTES, ::SID_AND_ATTRIBUTES>);
static_assert(offsetof(platform::SID_AND_ATTRIBUTES, Attributes) ==
              offsetof(::SID_AND_ATTRIBUTES, Attributes));
static_assert(kSameShape<platform::TOKEN_GROUPS, ::TOKEN_GROUPS>);
static_assert(offsetof(platform::TOKEN_GROUPS, Groups) == offsetof(::TOKEN_GROUPS, Groups));

// A portable object seen as its Windows twin. Only the system reads and writes it through
// the result, on the far side of a DLL boundary.
template <class Native, class Portable>
auto As(Portable* object) {
  static_assert(kSameShape<std::remove_const_t<Portable>, Native>);
  using Result = std::conditional_t<std::is_const_v<Portable>, const Native, Native>;
  return reinterpret_cast<Result*>(object);
}

::HKEY Key(platform::HKEY key) { return reinterpret_cast<::HKEY>(key); }

// GetProcAddress gives a generic entry; it is called only through its documented type.
template <class Function, class Entry>
Function EntryAs(Entry entry) {
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(entry));
}

// Systems from Windows 8 on (and 7 with its update) can keep every DLL that is loaded
// later, by the system on the program's behalf included, to the system folder.
void RestrictDllSearch() {
  HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
  FARPROC entry =
      kernel == nullptr ? nullptr : ::GetProcAddress(kernel, "SetDefaultDllDirectories");
  if (entry != nullptr) EntryAs<BOOL(WINAPI*)(DWORD)>(entry)(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

// LZ32 is not a KnownDLL on every supported Windows: as an ordinary import it would be looked
// for first in the program's folder (the medium), so it is loaded by its system-folder path.
HMODULE LoadLz32() {
  constexpr char kName[] = "\\lz32.dll";
  char path[MAX_PATH];
  UINT length = ::GetSystemDirectoryA(path, sizeof path);
  if (length == 0 || length + sizeof kName > sizeof path) return nullptr;
  std::memcpy(path + length, kName, sizeof kName);
  return ::LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace

Win32Platform::Win32Platform() {
  RestrictDllSearch();
  HMODULE lz32 = LoadLz32();
  if (lz32 == nullptr) return;
  lz32_ = lz32;
  lzOpenFile_ = EntryAs<Entry>(::GetProcAddress(lz32, "LZOpenFileA"));
  lzCopy_ = EntryAs<Entry>(::GetProcAddress(lz32, "LZCopy"));
  lzClose_ = EntryAs<Entry>(::GetProcAddress(lz32, "LZClose"));
}

Win32Platform::~Win32Platform() {
  if (lz32_ != nullptr) ::FreeLibrary(static_cast<HMODULE>(lz32_));
}

platform::DWORD Win32Platform::GetLastError() { return ::GetLastError(); }

void Win32Platform::SetLastError(platform::DWORD code) { ::SetLastError(code); }

platform::DWORD Win32Platform::FormatMessageA(platform::DWORD flags, const void* source,
                                              platform::DWORD messageId, platform::DWORD languageId,
                                              char* buffer, platform::DWORD size, void* args) {
  return ::FormatMessageA(flags, source, messageId, languageId, buffer, size,
                          static_cast<va_list*>(args));
}

platform::LONG Win32Platform::RegOpenKeyExA(platform::HKEY key, const char* subKey,
                                            platform::DWORD options, platform::REGSAM desired,
                                            platform::HKEY* result) {
  return ::RegOpenKeyExA(Key(key), subKey, options, desired, As<::HKEY>(result));
}

platform::LONG Win32Platform::RegQueryValueExA(platform::HKEY key, const char* valueName,
                                               platform::DWORD* reserved, platform::DWORD* type,
                                               platform::BYTE* data, platform::DWORD* dataSize) {
  return ::RegQueryValueExA(Key(key), valueName, As<::DWORD>(reserved), As<::DWORD>(type), data,
                            As<::DWORD>(dataSize));
}

platform::LONG Win32Platform::RegQueryInfoKeyA(
    platform::HKEY key, char* className, platform::DWORD* classSize, platform::DWORD* reserved,
    platform::DWORD* subKeys, platform::DWORD* maxSubKeyLen, platform::DWORD* maxClassLen,
    platform::DWORD* values, platform::DWORD* maxValueNameLen, platform::DWORD* maxValueLen,
    platform::DWORD* securityDescriptor, platform::FILETIME* lastWriteTime) {
  return ::RegQueryInfoKeyA(Key(key), className, As<::DWORD>(classSize), As<::DWORD>(reserved),
                            As<::DWORD>(subKeys), As<::DWORD>(maxSubKeyLen),
                            As<::DWORD>(maxClassLen), As<::DWORD>(values),
                            As<::DWORD>(maxValueNameLen), As<::DWORD>(maxValueLen),
                            As<::DWORD>(securityDescriptor), As<::FILETIME>(lastWriteTime));
}

platform::LONG Win32Platform::RegEnumKeyExA(platform::HKEY key, platform::DWORD index, char* name,
                                            platform::DWORD* nameSize, platform::DWORD* reserved,
                                            char* className, platform::DWORD* classSize,
                                            platform::FILETIME* lastWriteTime) {
  return ::RegEnumKeyExA(Key(key), index, name, As<::DWORD>(nameSize), As<::DWORD>(reserved),
                         className, As<::DWORD>(classSize), As<::FILETIME>(lastWriteTime));
}

platform::LONG Win32Platform::RegDeleteKeyA(platform::HKEY key, const char* subKey) {
  return ::RegDeleteKeyA(Key(key), subKey);
}

platform::LONG Win32Platform::RegCloseKey(platform::HKEY key) { return ::RegCloseKey(Key(key)); }

platform::HANDLE Win32Platform::CreateFileA(const char* name, platform::DWORD access,
                                            platform::DWORD share, void* security,
                                            platform::DWORD disposition, platform::DWORD flags,
                                            platform::HANDLE templateFile) {
  return ::CreateFileA(name, access, share, static_cast<SECURITY_ATTRIBUTES*>(security),
                       disposition, flags, templateFile);
}

platform::BOOL Win32Platform::ReadFile(platform::HANDLE file, void* buffer, platform::DWORD toRead,
                                       platform::DWORD* read, void* overlapped) {
  return ::ReadFile(file, buffer, toRead, As<::DWORD>(read), static_cast<OVERLAPPED*>(overlapped));
}

platform::BOOL Win32Platform::WriteFile(platform::HANDLE file, const void* buffer,
                                        platform::DWORD toWrite, platform::DWORD* written,
                                        void* overlapped) {
  return ::WriteFile(file, buffer, toWrite, As<::DWORD>(written),
                     static_cast<OVERLAPPED*>(overlapped));
}

platform::DWORD Win32Platform::SetFilePointer(platform::HANDLE file, platform::LONG distance,
                                              platform::LONG* distanceHigh,
                                              platform::DWORD method) {
  return ::SetFilePointer(file, distance, As<::LONG>(distanceHigh), method);
}

platform::DWORD Win32Platform::GetFileSize(platform::HANDLE file, platform::DWORD* sizeHigh) {
  return ::GetFileSize(file, As<::DWORD>(sizeHigh));
}

platform::BOOL Win32Platform::GetFileTime(platform::HANDLE file, platform::FILETIME* creation,
                                          platform::FILETIME* lastAccess,
                                          platform::FILETIME* lastWrite) {
  return ::GetFileTime(file, As<::FILETIME>(creation), As<::FILETIME>(lastAccess),
                       As<::FILETIME>(lastWrite));
}

platform::BOOL Win32Platform::SetFileTime(platform::HANDLE file, const platform::FILETIME* creation,
                                          const platform::FILETIME* lastAccess,
                                          const platform::FILETIME* lastWrite) {
  return ::SetFileTime(file, As<::FILETIME>(creation), As<::FILETIME>(lastAccess),
                       As<::FILETIME>(lastWrite));
}

platform::BOOL Win32Platform::CloseHandle(platform::HANDLE object) { return ::CloseHandle(object); }

platform::BOOL Win32Platform::SetFileAttributesA(const char* name, platform::DWORD attributes) {
  return ::SetFileAttributesA(name, attributes);
}

platform::DWORD Win32Platform::GetFileAttributesA(const char* name) {
  return ::GetFileAttributesA(name);
}

platform::BOOL Win32Platform::DeleteFileA(const char* name) { return ::DeleteFileA(name); }

platform::BOOL Win32Platform::MoveFileA(const char* from, const char* to) {
  return ::MoveFileA(from, to);
}

platform::BOOL Win32Platform::CreateDirectoryA(const char* name, void* security) {
  return ::CreateDirectoryA(name, static_cast<SECURITY_ATTRIBUTES*>(security));
}

platform::BOOL Win32Platform::RemoveDirectoryA(const char* name) {
  return ::RemoveDirectoryA(name);
}

platform::HANDLE Win32Platform::FindFirstFileA(const char* pattern,
                                               platform::WIN32_FIND_DATAA* data) {
  return ::FindFirstFileA(pattern, As<::WIN32_FIND_DATAA>(data));
}

platform::BOOL Win32Platform::FindNextFileA(platform::HANDLE find,
                                            platform::WIN32_FIND_DATAA* data) {
  return ::FindNextFileA(find, As<::WIN32_FIND_DATAA>(data));
}

platform::BOOL Win32Platform::FindClose(platform::HANDLE find) { return ::FindClose(find); }

platform::BOOL Win32Platform::FileTimeToLocalFileTime(const platform::FILETIME* utc,
                                                      platform::FILETIME* local) {
  return ::FileTimeToLocalFileTime(As<::FILETIME>(utc), As<::FILETIME>(local));
}

platform::BOOL Win32Platform::LocalFileTimeToFileTime(const platform::FILETIME* local,
                                                      platform::FILETIME* utc) {
  return ::LocalFileTimeToFileTime(As<::FILETIME>(local), As<::FILETIME>(utc));
}

platform::BOOL Win32Platform::FileTimeToDosDateTime(const platform::FILETIME* time,
                                                    platform::WORD* date, platform::WORD* dosTime) {
  return ::FileTimeToDosDateTime(As<::FILETIME>(time), date, dosTime);
}

platform::BOOL Win32Platform::DosDateTimeToFileTime(platform::WORD date, platform::WORD dosTime,
                                                    platform::FILETIME* time) {
  return ::DosDateTimeToFileTime(date, dosTime, As<::FILETIME>(time));
}

platform::BOOL Win32Platform::SetCurrentDirectoryA(const char* path) {
  return ::SetCurrentDirectoryA(path);
}

platform::DWORD Win32Platform::GetCurrentDirectoryA(platform::DWORD size, char* buffer) {
  return ::GetCurrentDirectoryA(size, buffer);
}

platform::DWORD Win32Platform::GetTempPathA(platform::DWORD size, char* buffer) {
  return ::GetTempPathA(size, buffer);
}

platform::DWORD Win32Platform::GetShortPathNameA(const char* longPath, char* shortPath,
                                                 platform::DWORD size) {
  return ::GetShortPathNameA(longPath, shortPath, size);
}

platform::UINT Win32Platform::GetDriveTypeA(const char* root) { return ::GetDriveTypeA(root); }

platform::UINT Win32Platform::SetErrorMode(platform::UINT mode) { return ::SetErrorMode(mode); }

platform::DWORD Win32Platform::GetModuleFileNameA(platform::HMODULE module, char* buffer,
                                                  platform::DWORD size) {
  return ::GetModuleFileNameA(static_cast<HMODULE>(module), buffer, size);
}

const char* Win32Platform::GetCommandLineA() { return ::GetCommandLineA(); }

platform::DWORD Win32Platform::GetEnvironmentVariableA(const char* name, char* buffer,
                                                       platform::DWORD size) {
  return ::GetEnvironmentVariableA(name, buffer, size);
}

platform::DWORD Win32Platform::CharLowerBuffA(char* text, platform::DWORD length) {
  return ::CharLowerBuffA(text, length);
}

int Win32Platform::CompareStringA(platform::LCID locale, platform::DWORD flags, const char* a,
                                  int aLength, const char* b, int bLength) {
  return ::CompareStringA(locale, flags, a, aLength, b, bLength);
}

platform::UINT Win32Platform::WinExec(const char* cmdLine, platform::UINT show) {
  return ::WinExec(cmdLine, show);
}

int Win32Platform::MessageBoxA(platform::HWND owner, const char* text, const char* caption,
                               platform::UINT style) {
  return ::MessageBoxA(static_cast<HWND>(owner), text, caption, style);
}

platform::INT Win32Platform::LZOpenFileA(const char* name, platform::OFSTRUCT* info,
                                         platform::WORD style) {
  if (lzOpenFile_ == nullptr) return LZERROR_BADINHANDLE;
  // The name is only read; the declaration predates const.
  return EntryAs<decltype(&::LZOpenFileA)>(lzOpenFile_)(const_cast<char*>(name),
                                                        As<::OFSTRUCT>(info), style);
}

platform::LONG Win32Platform::LZCopy(platform::INT source, platform::INT target) {
  if (lzCopy_ == nullptr) return LZERROR_BADINHANDLE;
  return EntryAs<decltype(&::LZCopy)>(lzCopy_)(source, target);
}

void Win32Platform::LZClose(platform::INT file) {
  if (lzClose_ != nullptr) EntryAs<decltype(&::LZClose)>(lzClose_)(file);
}

platform::BOOL Win32Platform::GetVersionExA(platform::OSVERSIONINFOA* info) {
  return ::GetVersionExA(As<::OSVERSIONINFOA>(info));
}

platform::HANDLE Win32Platform::GetCurrentThread() { return ::GetCurrentThread(); }

platform::HANDLE Win32Platform::GetCurrentProcess() { return ::GetCurrentProcess(); }

platform::BOOL Win32Platform::OpenThreadToken(platform::HANDLE thread, platform::DWORD access,
                                              platform::BOOL openAsSelf, platform::HANDLE* token) {
  return ::OpenThreadToken(thread, access, openAsSelf, token);
}

platform::BOOL Win32Platform::OpenProcessToken(platform::HANDLE process, platform::DWORD access,
                                               platform::HANDLE* token) {
  return ::OpenProcessToken(process, access, token);
}

platform::BOOL Win32Platform::GetTokenInformation(platform::HANDLE token, int infoClass, void* info,
                                                  platform::DWORD size, platform::DWORD* needed) {
  return ::GetTokenInformation(token, static_cast<TOKEN_INFORMATION_CLASS>(infoClass), info, size,
                               As<::DWORD>(needed));
}

platform::BOOL Win32Platform::AllocateAndInitializeSid(
    const platform::SID_IDENTIFIER_AUTHORITY* authority, platform::BYTE count, platform::DWORD sub0,
    platform::DWORD sub1, platform::DWORD sub2, platform::DWORD sub3, platform::DWORD sub4,
    platform::DWORD sub5, platform::DWORD sub6, platform::DWORD sub7, platform::PSID* sid) {
  // The authority is only read; the declaration predates const.
  return ::AllocateAndInitializeSid(
      const_cast<SID_IDENTIFIER_AUTHORITY*>(As<::SID_IDENTIFIER_AUTHORITY>(authority)), count, sub0,
      sub1, sub2, sub3, sub4, sub5, sub6, sub7, sid);
}

platform::BOOL Win32Platform::EqualSid(platform::PSID a, platform::PSID b) {
  return ::EqualSid(a, b);
}

platform::PSID Win32Platform::FreeSid(platform::PSID sid) { return ::FreeSid(sid); }

}  // namespace win32
