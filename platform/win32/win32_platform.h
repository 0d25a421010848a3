// The real Windows platform: every member passes straight to the Windows call of its name.
#pragma once

#include "platform/platform.h"

namespace win32 {

// The table's types are the portable ones. Declared in this namespace, they also hide the
// <windows.h> types of the same names where the members are defined.
using platform::BOOL;
using platform::BYTE;
using platform::DWORD;
using platform::FILETIME;
using platform::HANDLE;
using platform::HKEY;
using platform::HMODULE;
using platform::HWND;
using platform::INT;
using platform::LCID;
using platform::LONG;
using platform::OFSTRUCT;
using platform::OSVERSIONINFOA;
using platform::PSID;
using platform::REGSAM;
using platform::SID_IDENTIFIER_AUTHORITY;
using platform::UINT;
using platform::WIN32_FIND_DATAA;
using platform::WORD;

class Win32Platform : public platform::Platform {
 public:
  // Restricts the process's DLL search to the system folder and loads LZ32 from there.
  Win32Platform();
  ~Win32Platform() override;
  Win32Platform(const Win32Platform&) = delete;
  Win32Platform& operator=(const Win32Platform&) = delete;

#define ORV_CALL(area, result, shown, name, failure, error, plausible, ...) \
  result name(ORV_PARAMETERS(__VA_ARGS__)) override;
#include "platform/calls.def"
#undef ORV_CALL

 private:
  // LZ32, loaded from the system folder; its entries stay null when it could not be loaded.
  // They are kept as a generic function pointer and take their true type where called.
  using Entry = void (*)();
  HMODULE lz32_ = nullptr;
  Entry lzOpenFile_ = nullptr;
  Entry lzCopy_ = nullptr;
  Entry lzClose_ = nullptr;
};

}  // namespace win32
