// The one interface through which the launcher reaches the operating system.
//
// Every member is named after the Windows call it stands for and takes that call's
// arguments with Win32-shaped portable types. The comment of each member states its
// failure convention: what it returns on failure and whether it sets the calling
// thread's last-error value (GetLastError). Nothing above platform/ includes a system
// header; the logic is written once against this class.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using INT = int;
using UINT = unsigned int;
using BOOL = int;
using LCID = DWORD;
using REGSAM = DWORD;
using ULONGLONG = std::uint64_t;
using HANDLE = void*;
using HWND = void*;
using HMODULE = void*;
using PSID = void*;
struct HKEY__;
using HKEY = HKEY__*;

constexpr BOOL FALSE = 0;
constexpr BOOL TRUE = 1;
constexpr DWORD MAX_PATH = 260;

inline HANDLE const INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(~std::uintptr_t{0});

// The predefined roots carry the same values as on Windows (sign-extended 32-bit).
inline HKEY PredefinedKey(std::int32_t value) {
  return reinterpret_cast<HKEY>(static_cast<std::intptr_t>(value));
}
inline HKEY const HKEY_CLASSES_ROOT = PredefinedKey(static_cast<std::int32_t>(0x80000000u));
inline HKEY const HKEY_CURRENT_USER = PredefinedKey(static_cast<std::int32_t>(0x80000001u));
inline HKEY const HKEY_LOCAL_MACHINE = PredefinedKey(static_cast<std::int32_t>(0x80000002u));

// Error codes (the last-error values and registry results the launcher can meet).
constexpr DWORD ERROR_SUCCESS = 0;
constexpr DWORD ERROR_INVALID_FUNCTION = 1;
constexpr DWORD ERROR_FILE_NOT_FOUND = 2;
constexpr DWORD ERROR_PATH_NOT_FOUND = 3;
constexpr DWORD ERROR_TOO_MANY_OPEN_FILES = 4;
constexpr DWORD ERROR_ACCESS_DENIED = 5;
constexpr DWORD ERROR_INVALID_HANDLE = 6;
constexpr DWORD ERROR_NOT_ENOUGH_MEMORY = 8;
constexpr DWORD ERROR_BAD_FORMAT = 11;
constexpr DWORD ERROR_INVALID_DRIVE = 15;
constexpr DWORD ERROR_NO_MORE_FILES = 18;
constexpr DWORD ERROR_WRITE_PROTECT = 19;
constexpr DWORD ERROR_NOT_READY = 21;
constexpr DWORD ERROR_SHARING_VIOLATION = 32;
constexpr DWORD ERROR_HANDLE_EOF = 38;
constexpr DWORD ERROR_BAD_NETPATH = 53;
constexpr DWORD ERROR_FILE_EXISTS = 80;
constexpr DWORD ERROR_INVALID_PARAMETER = 87;
constexpr DWORD ERROR_DISK_FULL = 112;
constexpr DWORD ERROR_INSUFFICIENT_BUFFER = 122;
constexpr DWORD ERROR_INVALID_NAME = 123;
constexpr DWORD ERROR_DIR_NOT_EMPTY = 145;
constexpr DWORD ERROR_BAD_PATHNAME = 161;
constexpr DWORD ERROR_ALREADY_EXISTS = 183;
constexpr DWORD ERROR_ENVVAR_NOT_FOUND = 203;
constexpr DWORD ERROR_MORE_DATA = 234;
constexpr DWORD ERROR_NO_MORE_ITEMS = 259;
constexpr DWORD ERROR_DIRECTORY = 267;
constexpr DWORD ERROR_NO_TOKEN = 1008;
constexpr DWORD ERROR_KEY_DELETED = 1018;
constexpr DWORD ERROR_INVALID_WINDOW_HANDLE = 1400;

// Files.
constexpr DWORD GENERIC_READ = 0x80000000u;
constexpr DWORD GENERIC_WRITE = 0x40000000u;
constexpr DWORD FILE_SHARE_READ = 0x1;
constexpr DWORD FILE_SHARE_WRITE = 0x2;
constexpr DWORD FILE_SHARE_DELETE = 0x4;
constexpr DWORD CREATE_NEW = 1;
constexpr DWORD CREATE_ALWAYS = 2;
constexpr DWORD OPEN_EXISTING = 3;
constexpr DWORD OPEN_ALWAYS = 4;
constexpr DWORD TRUNCATE_EXISTING = 5;
constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x1;
constexpr DWORD FILE_ATTRIBUTE_HIDDEN = 0x2;
constexpr DWORD FILE_ATTRIBUTE_SYSTEM = 0x4;
constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
constexpr DWORD FILE_ATTRIBUTE_ARCHIVE = 0x20;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;
constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFFu;
constexpr DWORD INVALID_FILE_SIZE = 0xFFFFFFFFu;
constexpr DWORD INVALID_SET_FILE_POINTER = 0xFFFFFFFFu;
constexpr DWORD FILE_BEGIN = 0;
constexpr DWORD FILE_CURRENT = 1;
constexpr DWORD FILE_END = 2;

// Drives and error mode.
constexpr UINT DRIVE_UNKNOWN = 0;
constexpr UINT DRIVE_NO_ROOT_DIR = 1;
constexpr UINT DRIVE_REMOVABLE = 2;
constexpr UINT DRIVE_FIXED = 3;
constexpr UINT DRIVE_REMOTE = 4;
constexpr UINT DRIVE_CDROM = 5;
constexpr UINT DRIVE_RAMDISK = 6;
constexpr UINT SEM_FAILCRITICALERRORS = 0x0001;
constexpr UINT SEM_NOGPFAULTERRORBOX = 0x0002;
constexpr UINT SEM_NOOPENFILEERRORBOX = 0x8000;

// Registry.
constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_SET_VALUE = 0x0002;
constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
constexpr REGSAM KEY_NOTIFY = 0x0010;
constexpr REGSAM KEY_CREATE_LINK = 0x0020;
constexpr REGSAM DELETE = 0x00010000;
constexpr REGSAM KEY_READ = 0x00020019;
constexpr REGSAM KEY_WRITE = 0x00020006;
constexpr REGSAM KEY_ALL_ACCESS = 0x000F003F;
constexpr REGSAM KEY_WOW64_64KEY = 0x0100;
constexpr REGSAM KEY_WOW64_32KEY = 0x0200;
constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_EXPAND_SZ = 2;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;
constexpr DWORD REG_DWORD_BIG_ENDIAN = 5;
constexpr DWORD REG_LINK = 6;
constexpr DWORD REG_MULTI_SZ = 7;
constexpr DWORD REG_QWORD = 11;

// Message boxes, process start, messages, locale.
constexpr UINT MB_OK = 0x0;
constexpr UINT MB_ICONERROR = 0x10;
constexpr UINT MB_TASKMODAL = 0x2000;
constexpr int IDOK = 1;
constexpr UINT SW_SHOWNORMAL = 1;
constexpr DWORD FORMAT_MESSAGE_IGNORE_INSERTS = 0x200;
constexpr DWORD FORMAT_MESSAGE_FROM_SYSTEM = 0x1000;
constexpr DWORD FORMAT_MESSAGE_MAX_WIDTH_MASK = 0xFF;
constexpr LCID LOCALE_USER_DEFAULT = 0x400;
constexpr DWORD NORM_IGNORECASE = 0x1;
constexpr int CSTR_LESS_THAN = 1;
constexpr int CSTR_EQUAL = 2;
constexpr int CSTR_GREATER_THAN = 3;

// LZ expansion library.
constexpr WORD OF_READ = 0x0000;
constexpr WORD OF_WRITE = 0x0001;
constexpr WORD OF_READWRITE = 0x0002;
constexpr WORD OF_SHARE_EXCLUSIVE = 0x0010;
constexpr WORD OF_SHARE_DENY_WRITE = 0x0020;
constexpr WORD OF_SHARE_DENY_READ = 0x0030;
constexpr WORD OF_SHARE_DENY_NONE = 0x0040;
constexpr WORD OF_CREATE = 0x1000;
constexpr INT LZERROR_BADINHANDLE = -1;
constexpr INT LZERROR_BADOUTHANDLE = -2;
constexpr INT LZERROR_READ = -3;
constexpr INT LZERROR_WRITE = -4;
constexpr INT LZERROR_GLOBALLOC = -5;
constexpr INT LZERROR_GLOBLOCK = -6;
constexpr INT LZERROR_BADVALUE = -7;
constexpr INT LZERROR_UNKNOWNALG = -8;

// Version and security.
constexpr DWORD VER_PLATFORM_WIN32s = 0;
constexpr DWORD VER_PLATFORM_WIN32_WINDOWS = 1;
constexpr DWORD VER_PLATFORM_WIN32_NT = 2;
constexpr DWORD TOKEN_QUERY = 0x0008;
constexpr int TokenGroups = 2;
constexpr DWORD SE_GROUP_MANDATORY = 0x1;
constexpr DWORD SE_GROUP_ENABLED_BY_DEFAULT = 0x2;
constexpr DWORD SE_GROUP_ENABLED = 0x4;
constexpr DWORD SE_GROUP_USE_FOR_DENY_ONLY = 0x10;
constexpr DWORD SECURITY_BUILTIN_DOMAIN_RID = 32;
constexpr DWORD DOMAIN_ALIAS_RID_ADMINS = 544;

struct FILETIME {
  DWORD dwLowDateTime;
  DWORD dwHighDateTime;
};

struct WIN32_FIND_DATAA {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
  DWORD dwReserved0;
  DWORD dwReserved1;
  char cFileName[MAX_PATH];
  char cAlternateFileName[14];
};

struct OSVERSIONINFOA {
  DWORD dwOSVersionInfoSize;
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  char szCSDVersion[128];
};
static_assert(sizeof(OSVERSIONINFOA) == 148);

constexpr int OFS_MAXPATHNAME = 128;
struct OFSTRUCT {
  BYTE cBytes;
  BYTE fFixedDisk;
  WORD nErrCode;
  WORD Reserved1;
  WORD Reserved2;
  char szPathName[OFS_MAXPATHNAME];
};

struct SID_IDENTIFIER_AUTHORITY {
  BYTE Value[6];
};
constexpr SID_IDENTIFIER_AUTHORITY SECURITY_NT_AUTHORITY = {{0, 0, 0, 0, 0, 5}};

struct SID_AND_ATTRIBUTES {
  PSID Sid;
  DWORD Attributes;
};

struct TOKEN_GROUPS {
  DWORD GroupCount;
  SID_AND_ATTRIBUTES Groups[1];
};

class Platform {
 public:
  virtual ~Platform() = default;

  // Last error (per thread).
  virtual DWORD GetLastError() = 0;                // never fails
  virtual void SetLastError(DWORD code) = 0;       // never fails
  // 0 on failure (no text for the code); sets the last error. args is a va_list* or null.
  virtual DWORD FormatMessageA(DWORD flags, const void* source, DWORD messageId,
                               DWORD languageId, char* buffer, DWORD size, void* args) = 0;

  // Registry. Each returns ERROR_SUCCESS or an error code; none sets the last error.
  virtual LONG RegOpenKeyExA(HKEY key, const char* subKey, DWORD options, REGSAM desired,
                             HKEY* result) = 0;
  virtual LONG RegQueryValueExA(HKEY key, const char* valueName, DWORD* reserved, DWORD* type,
                                BYTE* data, DWORD* dataSize) = 0;
  virtual LONG RegQueryInfoKeyA(HKEY key, char* className, DWORD* classSize, DWORD* reserved,
                                DWORD* subKeys, DWORD* maxSubKeyLen, DWORD* maxClassLen,
                                DWORD* values, DWORD* maxValueNameLen, DWORD* maxValueLen,
                                DWORD* securityDescriptor, FILETIME* lastWriteTime) = 0;
  virtual LONG RegEnumKeyExA(HKEY key, DWORD index, char* name, DWORD* nameSize,
                             DWORD* reserved, char* className, DWORD* classSize,
                             FILETIME* lastWriteTime) = 0;
  virtual LONG RegDeleteKeyA(HKEY key, const char* subKey) = 0;
  virtual LONG RegCloseKey(HKEY key) = 0;

  // Files.
  // INVALID_HANDLE_VALUE on failure; sets the last error.
  virtual HANDLE CreateFileA(const char* name, DWORD access, DWORD share, void* security,
                             DWORD disposition, DWORD flags, HANDLE templateFile) = 0;
  // FALSE on failure; sets the last error. *read is 0 at end of file.
  virtual BOOL ReadFile(HANDLE file, void* buffer, DWORD toRead, DWORD* read,
                        void* overlapped) = 0;
  // FALSE on failure (disk full after a partial write included); sets the last error.
  virtual BOOL WriteFile(HANDLE file, const void* buffer, DWORD toWrite, DWORD* written,
                         void* overlapped) = 0;
  // INVALID_SET_FILE_POINTER on failure; sets the last error.
  virtual DWORD SetFilePointer(HANDLE file, LONG distance, LONG* distanceHigh,
                               DWORD method) = 0;
  // INVALID_FILE_SIZE on failure; sets the last error.
  virtual DWORD GetFileSize(HANDLE file, DWORD* sizeHigh) = 0;
  // FALSE on failure; sets the last error.
  virtual BOOL GetFileTime(HANDLE file, FILETIME* creation, FILETIME* lastAccess,
                           FILETIME* lastWrite) = 0;
  // FALSE on failure; sets the last error. A null time is left unchanged.
  virtual BOOL SetFileTime(HANDLE file, const FILETIME* creation, const FILETIME* lastAccess,
                           const FILETIME* lastWrite) = 0;
  // FALSE on failure; sets the last error.
  virtual BOOL CloseHandle(HANDLE object) = 0;
  // FALSE on failure; sets the last error.
  virtual BOOL SetFileAttributesA(const char* name, DWORD attributes) = 0;
  // INVALID_FILE_ATTRIBUTES on failure; sets the last error.
  virtual DWORD GetFileAttributesA(const char* name) = 0;
  // FALSE on failure; sets the last error.
  virtual BOOL DeleteFileA(const char* name) = 0;
  // FALSE on failure; sets the last error.
  virtual BOOL MoveFileA(const char* from, const char* to) = 0;
  // FALSE on failure; sets the last error.
  virtual BOOL CreateDirectoryA(const char* name, void* security) = 0;
  // FALSE on failure; sets the last error.
  virtual BOOL RemoveDirectoryA(const char* name) = 0;
  // INVALID_HANDLE_VALUE when nothing is found or on failure; sets the last error.
  virtual HANDLE FindFirstFileA(const char* pattern, WIN32_FIND_DATAA* data) = 0;
  // FALSE at the end (ERROR_NO_MORE_FILES) or on failure; sets the last error.
  virtual BOOL FindNextFileA(HANDLE find, WIN32_FIND_DATAA* data) = 0;
  // FALSE on failure; sets the last error.
  virtual BOOL FindClose(HANDLE find) = 0;

  // File times. Each returns FALSE on failure and sets the last error.
  virtual BOOL FileTimeToLocalFileTime(const FILETIME* utc, FILETIME* local) = 0;
  virtual BOOL LocalFileTimeToFileTime(const FILETIME* local, FILETIME* utc) = 0;
  virtual BOOL FileTimeToDosDateTime(const FILETIME* time, WORD* date, WORD* dosTime) = 0;
  virtual BOOL DosDateTimeToFileTime(WORD date, WORD dosTime, FILETIME* time) = 0;

  // Directories and system.
  // FALSE on failure; sets the last error.
  virtual BOOL SetCurrentDirectoryA(const char* path) = 0;
  // 0 on failure (sets the last error); the length needed, NUL included, when size is short.
  virtual DWORD GetCurrentDirectoryA(DWORD size, char* buffer) = 0;
  // 0 on failure (sets the last error); the length needed, NUL included, when size is short.
  virtual DWORD GetTempPathA(DWORD size, char* buffer) = 0;
  // 0 on failure (sets the last error); the length needed, NUL included, when size is short.
  virtual DWORD GetShortPathNameA(const char* longPath, char* shortPath, DWORD size) = 0;
  // DRIVE_NO_ROOT_DIR for a root that names no drive; never sets the last error.
  virtual UINT GetDriveTypeA(const char* root) = 0;
  // Returns the previous mode; never fails.
  virtual UINT SetErrorMode(UINT mode) = 0;
  // 0 on failure (sets the last error); size when the path was cut (ERROR_INSUFFICIENT_BUFFER).
  virtual DWORD GetModuleFileNameA(HMODULE module, char* buffer, DWORD size) = 0;
  // Never fails.
  virtual const char* GetCommandLineA() = 0;
  // 0 when the variable is absent (ERROR_ENVVAR_NOT_FOUND); the size needed when short.
  virtual DWORD GetEnvironmentVariableA(const char* name, char* buffer, DWORD size) = 0;
  // Returns the count of characters processed; never fails.
  virtual DWORD CharLowerBuffA(char* text, DWORD length) = 0;
  // 0 on failure (sets the last error); else CSTR_LESS_THAN, CSTR_EQUAL or CSTR_GREATER_THAN.
  virtual int CompareStringA(LCID locale, DWORD flags, const char* a, int aLength,
                             const char* b, int bLength) = 0;

  // Process start and message boxes.
  // Above 31 when started; 0 to 31 is the failure code (sets the last error).
  virtual UINT WinExec(const char* cmdLine, UINT show) = 0;
  // 0 when the box could not be shown; sets the last error.
  virtual int MessageBoxA(HWND owner, const char* text, const char* caption, UINT style) = 0;

  // LZ expansion library. Negative LZERROR_* codes on failure; no last error is promised.
  virtual INT LZOpenFileA(const char* name, OFSTRUCT* info, WORD style) = 0;
  virtual LONG LZCopy(INT source, INT target) = 0;
  virtual void LZClose(INT file) = 0;

  // Version and security.
  // FALSE on failure; sets the last error.
  virtual BOOL GetVersionExA(OSVERSIONINFOA* info) = 0;
  // Pseudo-handles; never fail.
  virtual HANDLE GetCurrentThread() = 0;
  virtual HANDLE GetCurrentProcess() = 0;
  // FALSE on failure (ERROR_NO_TOKEN when the thread does not impersonate); sets the last error.
  virtual BOOL OpenThreadToken(HANDLE thread, DWORD access, BOOL openAsSelf, HANDLE* token) = 0;
  // FALSE on failure; sets the last error.
  virtual BOOL OpenProcessToken(HANDLE process, DWORD access, HANDLE* token) = 0;
  // FALSE on failure (ERROR_INSUFFICIENT_BUFFER with *needed set when short); sets the last error.
  virtual BOOL GetTokenInformation(HANDLE token, int infoClass, void* info, DWORD size,
                                   DWORD* needed) = 0;
  // FALSE on failure; sets the last error. The SID is released with FreeSid.
  virtual BOOL AllocateAndInitializeSid(const SID_IDENTIFIER_AUTHORITY* authority, BYTE count,
                                        DWORD sub0, DWORD sub1, DWORD sub2, DWORD sub3,
                                        DWORD sub4, DWORD sub5, DWORD sub6, DWORD sub7,
                                        PSID* sid) = 0;
  // FALSE when the two differ; sets the last error to 0 on success only.
  virtual BOOL EqualSid(PSID a, PSID b) = 0;
  // Returns null; never fails.
  virtual PSID FreeSid(PSID sid) = 0;
};

// The platform the process runs on. The entry point installs it before anything else.
Platform& Current();

// Installs a platform and returns the one installed before (null at first).
Platform* Install(Platform* platform);

// Installs a platform for the lifetime of the object, then restores the previous one.
class ScopedPlatform {
 public:
  explicit ScopedPlatform(Platform& platform) : previous_(Install(&platform)) {}
  ~ScopedPlatform() { Install(previous_); }
  ScopedPlatform(const ScopedPlatform&) = delete;
  ScopedPlatform& operator=(const ScopedPlatform&) = delete;

 private:
  Platform* previous_;
};

}  // namespace platform
