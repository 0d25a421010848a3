#include "launcher/version_check.h"

#include <vector>

#include "launcher/command_line.h"
#include "launcher/launcher.h"
#include "winsys/errors.h"
#include "winsys/files.h"
#include "winsys/log.h"
#include "winsys/paths.h"
#include "winsys/registry.h"

namespace launcher {

using namespace platform;
using namespace winsys;

namespace {

constexpr const char* kListName = "AutoLoad.Lst";

bool StartsWithNoCase(const std::string& name, const std::string& prefix) {
  return CompareNoCase(name.substr(0, prefix.size()), prefix) == 0;
}

// The module lines in search order; nothing when the search broke off before its end,
// since a list that misses modules would pass for the complete one.
std::optional<std::vector<std::string>> ModuleLines(const std::string& sourceDir) {
  std::vector<std::string> lines;
  WIN32_FIND_DATAA data;
  Platform& os = Current();
  HANDLE search = os.FindFirstFileA((sourceDir + "*.*").c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return lines;
  do {
    if (IsModuleFile(data.cFileName)) lines.push_back(sourceDir + data.cFileName);
  } while (os.FindNextFileA(search, &data));
  bool complete = os.GetLastError() == ERROR_NO_MORE_FILES;
  os.FindClose(search);
  if (!complete) return std::nullopt;
  return lines;
}

void ChangeDirectory(const std::string& dir) {
  if (!Current().SetCurrentDirectoryA(dir.c_str()))
    throw EInOutError(static_cast<int>(Current().GetLastError()));
}

void AutoInstallModules(const std::string& sourceDir, const std::string& installDir) {
  std::string dataDir;
  GetDataDir(dataDir);
  DebugNote("DataDir " + (dataDir.empty() ? std::string("none") : dataDir));
  if (dataDir.empty() || !IsWritableDir(dataDir)) dataDir = installDir;
  auto lines = ModuleLines(sourceDir);
  DebugNote(!lines           ? "module list: the search of " + sourceDir + " broke off"
            : lines->empty() ? "module list: no modules in " + sourceDir
                             : "module list: " + std::to_string(lines->size()) + " modules to " +
                                   dataDir + kListName);
  Current().DeleteFileA((dataDir + kListName).c_str());
  if (!lines) {
    ShowFatal("Unable to Auto Install modules");
  } else if (!lines->empty()) {
    lines->push_back("Setup 2.0");
    try {
      SaveListToFile(*lines, dataDir + kListName);
    } catch (...) {
      ShowFatal("Unable to Auto Install modules");
    }
  }
  ChangeDirectory(installDir);
  std::string cmdLine = ProgramPath(installDir + "Orv.Exe");
  DebugNote("starting the installed program: " + cmdLine);
  RunProgram(cmdLine, SW_SHOWNORMAL);
}

}  // namespace

std::optional<std::int32_t> InstalledVersionNumber(const std::string& displayName) {
  std::string digits;
  for (char c : displayName)
    if (c >= '0' && c <= '9') digits += c;
  while (digits.size() < 7) digits += "00";
  std::int64_t number = 0;
  for (char c : digits) {
    number = number * 10 + (c - '0');
    if (number > INT32_MAX) return std::nullopt;
  }
  return static_cast<std::int32_t>(number);
}

bool TooOldForModules(std::optional<std::int32_t> number) {
  return number && *number > 7000000 && *number < 9000000;
}

bool IsModuleFile(const std::string& name) {
  if (name.empty() || name[0] == '.') return false;
  if (name.find("801") == std::string::npos && name.find("101") == std::string::npos) return false;
  return CompareNoCase(name, "install.801") != 0 && !StartsWithNoCase(name, "common") &&
         CompareNoCase(name, "betaeng.801") != 0 && !StartsWithNoCase(name, "lang");
}

bool CheckInstalledVersion(const std::string& sourceDir) {
  std::string displayName;
  std::string installDir;
  try {
    ReadUninstallValue("DisplayName", displayName);
    GetInstallDir(installDir);
  } catch (...) {
    ShowMessage("Error accessing ORV Windows' Registry", "Setup Error");
  }
  DebugNote(
      displayName.empty()
          ? "no display name read: the product is not installed, or its entry cannot be opened"
          : "display name \"" + displayName + "\", InstallDir " +
                (installDir.empty() ? "none" : installDir));
  bool present = InstallSetPresent(sourceDir);
  if (displayName.empty()) {
    if (!present)
      ShowFatal("Program install files missing (2) <" + displayName + "> <" + installDir);
    return present;
  }
  std::optional<std::int32_t> number = InstalledVersionNumber(displayName);
  DebugNote(number ? "version number " + std::to_string(*number) +
                         (TooOldForModules(number) ? ": too old for modules"
                                                   : ": outside the band too old for modules")
                   : "version number beyond range: not too old for modules");
  if (TooOldForModules(number)) {
    if (!present) ShowFatal("Current Orvanel Program too old to install modules");
    return present;
  }
  if (FileExistsNonEmpty(installDir + "Orv.Exe")) {
    if (present) return true;
    AutoInstallModules(sourceDir, installDir);
    return false;
  }
  if (!present) ShowFatal("Program not properly installed");
  return present;
}

}  // namespace launcher
