// The registry accessor and the product's uninstall-entry queries.
#pragma once

#include <string>

#include "platform/platform.h"

namespace winsys {

// One root, at most one open key; the key is released with the accessor. Paths that begin
// with "\" are taken from the root (that backslash dropped), others from the open key, or
// from the root when none is open. Keys are opened with KEY_ALL_ACCESS and never created;
// a refused open counts as an absent key.
class RegistryAccessor {
 public:
  explicit RegistryAccessor(platform::HKEY root) : root_(root) {}
  ~RegistryAccessor() { CloseKey(); }
  RegistryAccessor(const RegistryAccessor&) = delete;
  RegistryAccessor& operator=(const RegistryAccessor&) = delete;

  // Replaces the open key by the one at path; false, with the open key kept, when the key
  // does not open.
  bool OpenKey(const std::string& path);
  void CloseKey();
  // Reads a value of the open key as text into out (the empty name: the default value).
  // An absent value or zero-length data reads as empty; REG_SZ and REG_EXPAND_SZ read up
  // to the first NUL, unexpanded. Raises ERegistryException for data of another type,
  // leaving the raw bytes in out, and when the data cannot be fetched, leaving out empty.
  void ReadString(const std::string& name, std::string& out);
  // Deletes the key at path with every subkey below it; true when the key itself was
  // deleted. A key that does not open still gets the delete attempted.
  bool DeleteKey(const std::string& path);

 private:
  // The key a path is taken from, and the path relative to it.
  platform::HKEY BaseFor(const std::string& path) const;
  static std::string Relative(const std::string& path);
  // Deletes every subkey of the open key, each with its own subkeys.
  void DeleteSubKeys();

  platform::HKEY root_;
  platform::HKEY key_ = nullptr;
};

// Each of these writes its text straight into result, so after a registry error result
// holds what the failed read left there (the raw data of a value of another type).

// Value valueName of keyPath under root; empty, with a log line, when the key does not open.
void ReadKeyValue(const std::string& valueName, const std::string& keyPath, platform::HKEY root,
                  std::string& result);
// The uninstall entry's value, per-user first, else machine-wide. A per-user registry
// error is raised; a machine-wide one is swallowed.
void ReadUninstallValue(const std::string& valueName, std::string& result);
// The UninstallString before its first "OrvDel.Exe" (any case); empty when it has none.
void GetInstallDir(std::string& result);
// Word 4 of the UninstallString once as many characters as InstallDir has are removed.
void GetDataDir(std::string& result);
// Deletes keyPath (the uninstall entry when empty) and its subkeys under HKEY_LOCAL_MACHINE
// or HKEY_CURRENT_USER; every failure passes silently.
void DeleteRegistryTree(const std::string& keyPath, bool machineWide);

}  // namespace winsys
