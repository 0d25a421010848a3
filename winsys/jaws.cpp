#include "winsys/jaws.h"

#include <algorithm>

#include "platform/platform.h"
#include "strutil/strutil.h"
#include "winsys/files.h"
#include "winsys/log.h"
#include "winsys/registry.h"

namespace winsys {

using namespace platform;

namespace {

constexpr const char* kAssociationKey = "\\.jcf";
constexpr const char* kConfigTool = "\\jconfig.exe";
constexpr const char* kConfigFile = "Orv.Jcf";

// A directory search that is closed on every path out of the loop over its entries.
class DirectorySearch {
 public:
  explicit DirectorySearch(const std::string& pattern)
      : handle_(Current().FindFirstFileA(pattern.c_str(), &data_)) {}
  ~DirectorySearch() {
    if (Found()) Current().FindClose(handle_);
  }
  DirectorySearch(const DirectorySearch&) = delete;
  DirectorySearch& operator=(const DirectorySearch&) = delete;

  bool Found() const { return handle_ != INVALID_HANDLE_VALUE; }
  bool Next() { return Current().FindNextFileA(handle_, &data_) != FALSE; }
  std::string Name() const {
    const char* end = std::find(data_.cFileName, data_.cFileName + MAX_PATH, '\0');
    return std::string(data_.cFileName, end);
  }
  bool IsDirectory() const { return (data_.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }

 private:
  WIN32_FIND_DATAA data_ = {};
  HANDLE handle_;
};

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// Reads the default value of the key at path into out; false when the key does not open.
bool ReadDefaultValue(RegistryAccessor& registry, const std::string& path, std::string& out) {
  if (!registry.OpenKey(path)) return false;
  registry.ReadString("", out);
  registry.CloseKey();
  return true;
}

// Copies the source into one settings subdirectory unless its copy is as new.
void ServeSubdirectory(const std::string& source, const std::string& target) {
  if (PathStamp(source) <= PathStamp(target)) {
    LogLine("  JAWS: Already Installed in " + target);
  } else if (CopyFileKeepDate(source, target)) {
    LogLine("  JAWS: Installing in " + target);
  } else {
    LogLine("  JAWS: Copy failed to " + target);
  }
}

void ServeSettingsDirectory(const std::string& settingsDir, const std::string& sourceDir) {
  DirectorySearch search(settingsDir + "*.*");
  if (!search.Found()) return;
  do {
    std::string name = search.Name();
    LogLine("  JAWS: Settings Directory " + name);
    if (name[0] == '.' || !search.IsDirectory()) continue;
    ServeSubdirectory(sourceDir + kConfigFile, settingsDir + name + "\\" + kConfigFile);
  } while (search.Next());
}

}  // namespace

void DeployJawsConfig(const std::string& sourceDir) {
  RegistryAccessor registry(HKEY_CLASSES_ROOT);
  std::string fileType;
  if (!ReadDefaultValue(registry, kAssociationKey, fileType)) {
    LogLine("  JAWS: Not Installed");
    return;
  }
  LogLine("  JAWS: Config File Type = " + Quoted(fileType));
  if (fileType.empty()) return;
  std::string command;
  if (!ReadDefaultValue(registry, "\\" + fileType + "\\shell\\open\\command", command)) return;
  LogLine("  JAWS: Command Path = " + Quoted(command));
  if (command.empty()) return;
  int position = strutil::FindTextNoCase(kConfigTool, command);
  if (position == 0) return;
  // Up to and including the backslash before the tool's name, as the command spells it.
  std::string settingsDir = command.substr(0, static_cast<std::size_t>(position)) + "Settings\\";
  LogLine("  JAWS: Settings Path = " + settingsDir);
  ServeSettingsDirectory(settingsDir, sourceDir);
}

bool IsJawsRegistered() {
  RegistryAccessor registry(HKEY_CLASSES_ROOT);
  return registry.OpenKey(kAssociationKey);
}

}  // namespace winsys
