// The simulated machine's registry: three roots, loaded from and written back to a .reg file.
#pragma once

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace hosted {

using namespace platform;

// A .reg file that cannot be read; what() is "FILE:LINE: what is wrong".
class RegFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct KeyChange {
  std::string key;     // full path from its root name, e.g. HKEY_LOCAL_MACHINE\Software\X
  std::string change;  // "deleted", "modified" or "created"
};

class Registry {
 public:
  // userIsAdmin: false refuses write access (and so KEY_ALL_ACCESS) under HKEY_LOCAL_MACHINE.
  // windows64: the machine is 64-bit Windows, on which the launcher, a 32-bit program, sees
  // the 32-bit registry view (KEY_WOW64_64KEY asks for the other); keys lie as a .reg file
  // exported there names them, the 32-bit view's below Wow6432Node.
  explicit Registry(bool userIsAdmin, bool windows64 = false);
  ~Registry();
  Registry(const Registry&) = delete;
  Registry& operator=(const Registry&) = delete;

  // Replaces the registry by the content of a .reg file (either flavour). Throws
  // RegFileError; the registry is unchanged then.
  void Load(const std::filesystem::path& file);
  // The same from text already in memory (tests); name is used in error messages.
  void LoadText(std::string_view bytes, const std::string& name);
  // Writes the registry in the flavour and encoding it was loaded in (REGEDIT4 when it
  // was never loaded): a new file, then a rename, so a failure leaves the old file
  // intact. Throws std::runtime_error naming the file.
  void Save(const std::filesystem::path& file) const;

  // The calls below behave as the Platform members of the same names.
  LONG RegOpenKeyExA(HKEY key, const char* subKey, DWORD options, REGSAM desired, HKEY* result);
  LONG RegQueryValueExA(HKEY key, const char* valueName, DWORD* reserved, DWORD* type, BYTE* data,
                        DWORD* dataSize);
  LONG RegQueryInfoKeyA(HKEY key, char* className, DWORD* classSize, DWORD* reserved,
                        DWORD* subKeys, DWORD* maxSubKeyLen, DWORD* maxClassLen, DWORD* values,
                        DWORD* maxValueNameLen, DWORD* maxValueLen, DWORD* securityDescriptor,
                        FILETIME* lastWriteTime);
  LONG RegEnumKeyExA(HKEY key, DWORD index, char* name, DWORD* nameSize, DWORD* reserved,
                     char* className, DWORD* classSize, FILETIME* lastWriteTime);
  LONG RegDeleteKeyA(HKEY key, const char* subKey);
  LONG RegCloseKey(HKEY key);

  // Keys deleted or changed since loading, in key order.
  std::vector<KeyChange> Changes() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace hosted
