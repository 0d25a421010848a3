#include "platform/win32/win32_platform.h"

#include <cstddef>
#include <cstring>
#include <type_traits>

// <windows.h> defines macros named like the constants of platform/platform.h (TRUE,
// MAX_PATH, ERROR_*, DELETE, OF_*...), so it comes after it. Below this line a type name
// alone is the portable one (this namespace is inside platform's) and ::NAME
// the Windows one. It declares the LZ32 calls too.
#include <windows.h>

namespace platform::win32 {

namespace {

template <class Portable, class Native>
constexpr bool kSameShape = sizeof(Portable) == sizeof(Native) &&
                            alignof(Portable) == alignof(Native);

// The portable records mirror the Windows ones member for member (a pointer to a number is
// checked where it is passed, below).
#define ORV_SAME_SHAPE(type) static_assert(kSameShape<platform::type, ::type>, #type)
#define ORV_SAME_OFFSET(type, member) \
  static_assert(offsetof(platform::type, member) == offsetof(::type, member), #member)
ORV_SAME_SHAPE(FILETIME);
ORV_SAME_OFFSET(FILETIME, dwHighDateTime);
ORV_SAME_SHAPE(WIN32_FIND_DATAA);
ORV_SAME_OFFSET(WIN32_FIND_DATAA, ftLastWriteTime);
ORV_SAME_OFFSET(WIN32_FIND_DATAA, nFileSizeLow);
ORV_SAME_OFFSET(WIN32_FIND_DATAA, cFileName);
ORV_SAME_OFFSET(WIN32_FIND_DATAA, cAlternateFileName);
ORV_SAME_SHAPE(OSVERSIONINFOA);
ORV_SAME_OFFSET(OSVERSIONINFOA, dwPlatformId);
ORV_SAME_OFFSET(OSVERSIONINFOA, szCSDVersion);
ORV_SAME_SHAPE(OFSTRUCT);
ORV_SAME_OFFSET(OFSTRUCT, nErrCode);
ORV_SAME_OFFSET(OFSTRUCT, szPathName);
ORV_SAME_SHAPE(SID_IDENTIFIER_AUTHORITY);
ORV_SAME_SHAPE(SID_AND_ATTRIBUTES);
ORV_SAME_OFFSET(SID_AND_ATTRIBUTES, Attributes);
ORV_SAME_SHAPE(TOKEN_GROUPS);
ORV_SAME_OFFSET(TOKEN_GROUPS, Groups);

// A portable argument as the Windows call's parameter type: a number as that number, a
// pointer as the twin Windows pointer. The records pointed to have the same shape (above);
// a pointer to numbers must point to numbers of the same size. A few declarations predate
// const and take a non-const pointer to what they only read: that const is dropped here.
template <class Portable>
struct Passed {
  Portable value;

  template <class Native>
  operator Native() const {
    if constexpr (std::is_pointer_v<Portable> && std::is_pointer_v<Native>) {
      using From = std::remove_cv_t<std::remove_pointer_t<Portable>>;
      using To = std::remove_cv_t<std::remove_pointer_t<Native>>;
      if constexpr (std::is_arithmetic_v<From> && std::is_arithmetic_v<To>)
        static_assert(sizeof(From) == sizeof(To));
      return reinterpret_cast<Native>(const_cast<From*>(value));
    } else {
      static_assert(!std::is_pointer_v<Portable> && !std::is_pointer_v<Native>);
      return static_cast<Native>(value);
    }
  }
};

template <class Portable>
Passed<Portable> Pass(Portable value) {
  return {value};
}

// Restores the last error when it goes out of scope.
struct KeptLastError {
  ::DWORD saved = ::GetLastError();
  ~KeptLastError() { ::SetLastError(saved); }
};

// GetProcAddress gives a generic entry; it is called only through its documented type.
template <class Function, class Entry>
Function EntryAs(Entry entry) {
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(entry));
}

// Systems from Windows 8 on (and 7 with its update) can keep every DLL that is loaded
// later, by the system on the program's behalf included, to the system folder.
void RestrictDllSearch() {
  ::HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
  FARPROC entry =
      kernel == nullptr ? nullptr : ::GetProcAddress(kernel, "SetDefaultDllDirectories");
  if (entry != nullptr) EntryAs<::BOOL(WINAPI*)(::DWORD)>(entry)(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

// LZ32 is not a KnownDLL on every supported Windows: as an ordinary import it would be looked
// for first in the program's folder (the medium), so it is loaded by its system-folder path.
::HMODULE LoadLz32() {
  constexpr char kName[] = "\\lz32.dll";
  char path[MAX_PATH];
  ::UINT length = ::GetSystemDirectoryA(path, sizeof path);
  if (length == 0 || length + sizeof kName > sizeof path) return nullptr;
  std::memcpy(path + length, kName, sizeof kName);
  return ::LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace

Win32Platform::Win32Platform() {
  RestrictDllSearch();
  ::HMODULE lz32 = LoadLz32();
  if (lz32 == nullptr) return;
  lz32_ = lz32;
  lzOpenFile_ = EntryAs<Entry>(::GetProcAddress(lz32, "LZOpenFileA"));
  lzCopy_ = EntryAs<Entry>(::GetProcAddress(lz32, "LZCopy"));
  lzClose_ = EntryAs<Entry>(::GetProcAddress(lz32, "LZClose"));
}

Win32Platform::~Win32Platform() {
  if (lz32_ != nullptr) ::FreeLibrary(static_cast<::HMODULE>(lz32_));
}

// Every call but those of LZ32 passes straight through.
#define ORV_PASS(type, name, role) Pass(name)
#define ORV_PASS_THROUGH(result, name, error, ...)          \
  result Win32Platform::name(ORV_PARAMETERS(__VA_ARGS__)) { \
    ORV_KEEP_LAST_ERROR(error, KeptLastError)               \
    return ::name(ORV_MAP(ORV_PASS, __VA_ARGS__));          \
  }
#define ORV_AREA_thread ORV_PASS_THROUGH
#define ORV_AREA_process ORV_PASS_THROUGH
#define ORV_AREA_registry ORV_PASS_THROUGH
#define ORV_AREA_files ORV_PASS_THROUGH
#define ORV_AREA_text ORV_PASS_THROUGH
#define ORV_AREA_security ORV_PASS_THROUGH
#define ORV_AREA_lz(...)
#define ORV_CALL(area, result, shown, name, failure, error, plausible, ...) \
  ORV_AREA_##area(result, name, error, __VA_ARGS__)
#include "platform/calls.def"
#undef ORV_CALL

// LZ32 is reached through the entries loaded at start.
INT Win32Platform::LZOpenFileA(const char* name, OFSTRUCT* info, WORD style) {
  KeptLastError kept;
  if (lzOpenFile_ == nullptr) return LZERROR_BADINHANDLE;
  return EntryAs<decltype(&::LZOpenFileA)>(lzOpenFile_)(Pass(name), Pass(info), style);
}

LONG Win32Platform::LZCopy(INT source, INT target) {
  KeptLastError kept;
  if (lzCopy_ == nullptr) return LZERROR_BADINHANDLE;
  return EntryAs<decltype(&::LZCopy)>(lzCopy_)(source, target);
}

void Win32Platform::LZClose(INT file) {
  KeptLastError kept;
  if (lzClose_ != nullptr) EntryAs<decltype(&::LZClose)>(lzClose_)(file);
}

}  // namespace platform::win32
