// Placeholder until the simulated registry lands: every call fails.
#include "platform/hosted/registry.h"

#include "platform/hosted/last_error.h"

namespace hosted {

struct Registry::State {};

Registry::Registry(bool) {}
Registry::~Registry() = default;
void Registry::Load(const std::filesystem::path&) {}
void Registry::LoadText(std::string_view, const std::string&) {}
void Registry::Save(const std::filesystem::path&) const {}
std::vector<KeyChange> Registry::Changes() const { return {}; }
LONG Registry::RegOpenKeyExA(HKEY key, const char* subKey, DWORD options, REGSAM desired,
                             HKEY* result) {
  (void)key;
  (void)subKey;
  (void)options;
  (void)desired;
  (void)result;
  return 120;
}
LONG Registry::RegQueryValueExA(HKEY key, const char* valueName, DWORD* reserved, DWORD* type,
                                BYTE* data, DWORD* dataSize) {
  (void)key;
  (void)valueName;
  (void)reserved;
  (void)type;
  (void)data;
  (void)dataSize;
  return 120;
}
LONG Registry::RegQueryInfoKeyA(HKEY key, char* className, DWORD* classSize, DWORD* reserved,
                                DWORD* subKeys, DWORD* maxSubKeyLen, DWORD* maxClassLen,
                                DWORD* values, DWORD* maxValueNameLen, DWORD* maxValueLen,
                                DWORD* securityDescriptor, FILETIME* lastWriteTime) {
  (void)key;
  (void)className;
  (void)classSize;
  (void)reserved;
  (void)subKeys;
  (void)maxSubKeyLen;
  (void)maxClassLen;
  (void)values;
  (void)maxValueNameLen;
  (void)maxValueLen;
  (void)securityDescriptor;
  (void)lastWriteTime;
  return 120;
}
LONG Registry::RegEnumKeyExA(HKEY key, DWORD index, char* name, DWORD* nameSize, DWORD* reserved,
                             char* className, DWORD* classSize, FILETIME* lastWriteTime) {
  (void)key;
  (void)index;
  (void)name;
  (void)nameSize;
  (void)reserved;
  (void)className;
  (void)classSize;
  (void)lastWriteTime;
  return 120;
}
LONG Registry::RegDeleteKeyA(HKEY key, const char* subKey) {
  (void)key;
  (void)subKey;
  return 120;
}
LONG Registry::RegCloseKey(HKEY key) {
  (void)key;
  return 120;
}
}  // namespace hosted
