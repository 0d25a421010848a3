// The real Windows platform: every member passes straight to the Windows call of its name.
#pragma once

#include "platform/platform.h"

// In this namespace the table's type names are the portable ones, which hide the <windows.h>
// types of the same names where the members are defined.
namespace platform::win32 {

class Win32Platform : public Platform {
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

}  // namespace platform::win32
