// The one interface through which the launcher reaches the operating system.
//
// Every member is named after the Windows call it stands for and takes that call's
// arguments with Win32-shaped portable types; the calls, their failure conventions, the
// constants and the error codes are described once, in calls.def, constants.def and
// errors.def. Nothing above platform/ includes a system header; the logic is written once
// against this class.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/table_macros.h"

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

inline HANDLE const INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(~std::uintptr_t{0});

// The predefined roots carry the same values as on Windows (sign-extended 32-bit).
inline HKEY PredefinedKey(std::int32_t value) {
  return reinterpret_cast<HKEY>(static_cast<std::intptr_t>(value));
}
inline HKEY const HKEY_CLASSES_ROOT = PredefinedKey(static_cast<std::int32_t>(0x80000000u));
inline HKEY const HKEY_CURRENT_USER = PredefinedKey(static_cast<std::int32_t>(0x80000001u));
inline HKEY const HKEY_LOCAL_MACHINE = PredefinedKey(static_cast<std::int32_t>(0x80000002u));

#define ORV_INITIALISE(name, value) name = value
#define ORV_GROUP(group, type, ...) constexpr type ORV_MAP(ORV_INITIALISE, __VA_ARGS__);
#include "platform/constants.def"
#undef ORV_GROUP

#define ORV_ERROR(name, number, text) constexpr DWORD name = number;
#include "platform/errors.def"
#undef ORV_ERROR

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

// One member per Windows call of calls.def, which gives each call's failure convention.
class Platform {
 public:
  virtual ~Platform() = default;

#define ORV_CALL(area, result, shown, name, failure, error, plausible, ...) \
  virtual result name(ORV_PARAMETERS(__VA_ARGS__)) = 0;
#include "platform/calls.def"
#undef ORV_CALL
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
