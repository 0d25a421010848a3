#include "winsys/registry.h"

#include <algorithm>
#include <vector>

#include "strutil/strutil.h"
#include "winsys/errors.h"
#include "winsys/log.h"

namespace winsys {

using namespace platform;

namespace {

constexpr const char* kUninstallKey =
    "\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Orvanel";
constexpr const char* kUninstallerName = "OrvDel.Exe";
constexpr int kDataDirWord = 4;

// The names of the subkeys of key, collected before any of them is deleted so that the
// deletions do not shift the enumeration's indices.
std::vector<std::string> SubKeyNames(HKEY key) {
  Platform& os = Current();
  DWORD count = 0;
  DWORD longest = 0;
  if (os.RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &count, &longest, nullptr, nullptr,
                          nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
    return {};
  std::vector<std::string> names;
  std::vector<char> buffer(longest + 1);
  for (DWORD index = 0; index < count; ++index) {
    DWORD size = static_cast<DWORD>(buffer.size());
    if (os.RegEnumKeyExA(key, index, buffer.data(), &size, nullptr, nullptr, nullptr, nullptr) ==
        ERROR_SUCCESS)
      names.emplace_back(buffer.data(), size);
  }
  return names;
}

}  // namespace

bool RegistryAccessor::OpenKey(const std::string& path) {
  HKEY opened = nullptr;
  if (Current().RegOpenKeyExA(BaseFor(path), Relative(path).c_str(), 0, KEY_ALL_ACCESS, &opened) !=
      ERROR_SUCCESS)
    return false;
  CloseKey();
  key_ = opened;
  return true;
}

void RegistryAccessor::CloseKey() {
  if (key_) Current().RegCloseKey(key_);
  key_ = nullptr;
}

void RegistryAccessor::ReadString(const std::string& name, std::string& out) {
  Platform& os = Current();
  DWORD type = REG_NONE;
  DWORD size = 0;
  out.clear();
  if (os.RegQueryValueExA(key_, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
      size == 0)
    return;
  // The data goes straight into out, so a value of another type is left there raw.
  out.resize(size);
  if (os.RegQueryValueExA(key_, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(out.data()),
                          &size) != ERROR_SUCCESS) {
    // What the platform left in the buffer is undefined; nothing of it is kept.
    out.clear();
    throw ERegistryException("Failed to get data for '" + name + "'");
  }
  if (size < out.size()) out.resize(size);
  if (type == REG_SZ || type == REG_EXPAND_SZ) {
    out.resize(std::min(out.find('\0'), out.size()));
  } else if (!out.empty()) {
    throw ERegistryException("Invalid data type for '" + name + "'");
  }
}

bool RegistryAccessor::DeleteKey(const std::string& path) {
  HKEY parent = BaseFor(path);
  std::string name = Relative(path);
  // An empty name stands for the base key itself: a whole root is never emptied.
  if (name.empty()) return false;
  {
    // The tree is opened by an accessor of its own, whose open key the subkey names are
    // taken from; platforms that refuse to delete a key with subkeys need them gone first.
    RegistryAccessor tree(parent);
    if (tree.OpenKey(name)) tree.DeleteSubKeys();
  }
  return Current().RegDeleteKeyA(parent, name.c_str()) == ERROR_SUCCESS;
}

void RegistryAccessor::DeleteSubKeys() {
  for (const std::string& name : SubKeyNames(key_)) DeleteKey(name);
}

HKEY RegistryAccessor::BaseFor(const std::string& path) const {
  if (!path.empty() && path[0] == '\\') return root_;
  return key_ ? key_ : root_;
}

std::string RegistryAccessor::Relative(const std::string& path) {
  return !path.empty() && path[0] == '\\' ? path.substr(1) : path;
}

void ReadKeyValue(const std::string& valueName, const std::string& keyPath, HKEY root,
                  std::string& result) {
  RegistryAccessor registry(root);
  if (registry.OpenKey(keyPath)) {
    registry.ReadString(valueName, result);
    return;
  }
  result.clear();
  // The line names the value that was wanted, not the key.
  LogLine("Registry Open Failed for Key: " + valueName);
}

void ReadUninstallValue(const std::string& valueName, std::string& result) {
  ReadKeyValue(valueName, kUninstallKey, HKEY_CURRENT_USER, result);
  if (!result.empty()) return;
  try {
    ReadKeyValue(valueName, kUninstallKey, HKEY_LOCAL_MACHINE, result);
  } catch (...) {
    // Every error of the machine-wide read is swallowed; result keeps what the read left
    // (the raw data of a value of another type, or nothing).
  }
}

void GetInstallDir(std::string& result) {
  result.clear();
  ReadUninstallValue("UninstallString", result);
  int position = strutil::FindTextNoCase(kUninstallerName, result);
  result.resize(position > 1 ? static_cast<std::size_t>(position - 1) : 0);
}

void GetDataDir(std::string& result) {
  ReadUninstallValue("UninstallString", result);
  std::string installDir;
  GetInstallDir(installDir);
  // InstallDir is a prefix of the same value, so it is removed by its length alone.
  result.erase(0, installDir.size());
  result = strutil::NthWord(result, kDataDirWord);
}

void DeleteRegistryTree(const std::string& keyPath, bool machineWide) {
  RegistryAccessor registry(machineWide ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER);
  registry.DeleteKey(keyPath.empty() ? std::string(kUninstallKey) : keyPath);
}

}  // namespace winsys
