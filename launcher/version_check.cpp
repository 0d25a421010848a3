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

std::vector<std::string> ModuleLines(const std::string& sourceDir) {
  std::vector<std::string> lines;
  WIN32_FIND_DATAA data;
  HANDLE search = Current().FindFirstFileA((sourceDir + "*.*").c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return lines;
  do {
    if (IsModuleFile(data.cFileName)) lines.push_back(sourceDir + data.cFileName);
  } while (Current().FindNextFileA(search, &data));
  Current().FindClose(search);
  return lines;
}

void ChangeDirectory(const std::string& dir) {
  if (!Current().SetCurrentDirectoryA(dir.c_str()))
    throw EInOutError(static_cast<int>(Current().GetLastError()));
}

void AutoInstallModules(const std::string& sourceDir, const std::string& installDir) {
  std::string dataDir;
  GetDataDir(dataDir);
  if (dataDir.empty() || !IsWritableDir(dataDir)) dataDir = installDir;
  std::vector<std::string> lines = ModuleLines(sourceDir);
  Current().DeleteFileA((dataDir + kListName).c_str());
  if (!lines.empty()) {
    lines.push_back("Setup 2.0");
    try {
      SaveListToFile(lines, dataDir + kListName);
    } catch (...) {
      ShowFatal("Unable to Auto Install modules");
    }
  }
  ChangeDirectory(installDir);
  RunProgram(ProgramPath(installDir + "Orv.Exe"), SW_SHOWNORMAL);
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
  bool present = InstallSetPresent(sourceDir);
  if (displayName.empty()) {
    if (!present)
      ShowFatal("Program install files missing (2) <" + displayName + "> <" + installDir);
    return present;
  }
  if (TooOldForModules(InstalledVersionNumber(displayName))) {
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
