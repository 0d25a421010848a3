#include <cstdint>

#include "launcher/command_line.h"
#include "launcher/launcher.h"
#include "launcher/state.h"
#include "winsys/errors.h"
#include "winsys/files.h"
#include "winsys/jaws.h"
#include "winsys/log.h"
#include "winsys/paths.h"
#include "winsys/registry.h"

namespace launcher {

using namespace platform;
using namespace winsys;

namespace {

bool LanguageDataPresent(const std::string& sourceDir) {
  WIN32_FIND_DATAA data;
  HANDLE search = Current().FindFirstFileA((sourceDir + "Lang*.*").c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return false;
  Current().FindClose(search);
  return true;
}

void ChangeDirectory(const std::string& dir) {
  if (!Current().SetCurrentDirectoryA(dir.c_str()))
    throw EInOutError(static_cast<int>(Current().GetLastError()));
}

std::string WithoutLastCharacter(const std::string& dir) {
  return dir.empty() ? dir : dir.substr(0, dir.size() - 1);
}

std::string StartFailureText(UINT code, const std::string& program) {
  switch (code) {
    case 0:
      return "0-System was out of memory, executable file was corrupt, or relocations were "
             "invalid.";
    case 2:
      return "2-File was not found. " + program;
    case 3:
      return "3-Path was not found. " + program;
    case 5:
      return "5-Attempt was made to dynamically link to a task, or there was a sharing or "
             "network-protection error.";
    case 6:
      return "6-Library required separate data segments for each task.";
    case 8:
      return "8-There was insufficient memory to start the application.";
    case 10:
      return "10-Windows version was incorrect.";
    case 11:
      return "11-Executable file was invalid. Either it was not a Windows application or there was "
             "an error in the .EXE image.";
    case 12:
      return "12-Application was designed for a different operating system.";
    case 13:
      return "13-Application was designed for MS-DOS 4.0.";
    case 14:
      return "14-Type of executable file was unknown.";
    case 15:
      return "15-Attempt was made to load a real-mode application (developed for an earlier "
             "version of Windows).";
    case 16:
      return "16-Attempt was made to load a second instance of an executable file containing "
             "multiple data segments that were not marked read-only.";
    case 19:
      return "19-Attempt was made to load a compressed executable file. The file must be "
             "decompressed before it can be loaded.";
    case 20:
      return "20-Dynamic-link library (DLL) file was invalid. One of the DLLs required to run this "
             "application was corrupt.";
    case 21:
      return "21-Application requires 32-bit extensions.";
    default:
      return "Failed to run SETUP1.EXE. Error code: " + std::to_string(code);
  }
}

void DeployJawsGuarded() {
  try {
    DeployJawsConfig(Launcher().JawsSourceDir);
  } catch (...) {
    if (IsJawsRegistered()) ShowMessage("Error accessing Jaws Windows' Registry", "Setup Error");
  }
}

}  // namespace

State& Launcher() {
  static State state;
  return state;
}

bool InstallSetPresent(const std::string& sourceDir) {
  // Every test runs, also after one has failed.
  auto test = [&](bool present, const std::string& what) {
    if (!present) DebugNote("install set: no " + what + " in " + sourceDir);
    return present;
  };
  bool program =
      test(FileExistsNonEmpty(sourceDir + "Orv.Ex_") | FileExistsNonEmpty(sourceDir + "Orv.Exe"),
           "Orv.Ex_ or Orv.Exe");
  bool message = test(FileExistsNonEmpty(sourceDir + "Install.Msg"), "Install.Msg");
  bool common = test(FileExistsNonEmpty(sourceDir + "Common.801"), "Common.801");
  bool language = test(LanguageDataPresent(sourceDir), "Lang*.*");
  bool jaws = test(FileExistsNonEmpty(sourceDir + "Orv.JCF"), "Orv.JCF");
  return program && message && common && language && jaws;
}

bool AutorunIsCurrent(const std::string& candidatePath, const std::string& firstArg) {
  if (CompareNoCase(firstArg, "autorun") != 0) return false;
  std::string dir;
  GetInstallDir(dir);
  if (dir.empty()) return false;
  std::int32_t installed = PathStamp(dir + "Orv.Exe");
  std::int32_t candidate = PathStamp(candidatePath);
  DebugNote("autorun: installed program stamp " + std::to_string(installed) + ", medium's " +
            std::to_string(candidate) +
            (installed >= candidate ? ": current, nothing to do" : ": older, set-up runs"));
  return installed >= candidate;
}

void LaunchSequence(const std::string& selfPath, const std::string& firstArg) {
  std::string sourceDir = AddBackslash(PathPart(selfPath));
  bool subdir = FileExistsNonEmpty(sourceDir + "orv\\win32\\orv.ex_");
  if (subdir) sourceDir += "orv\\win32\\";
  sourceDir = ShortPath(sourceDir);
  DebugNote("SourceDir " + sourceDir +
            (subdir ? " (the compressed set-up program lies in orv\\win32)"
                    : " (the launcher's folder)"));
  if (!CheckInstalledVersion(sourceDir)) return;

  std::string tempDir = GetTempDir();
  if (tempDir.empty()) tempDir = "c:\\";
  tempDir = ShortPath(AddBackslash(tempDir));
  DebugNote("TempDir " + tempDir);
  if (!InstallSetPresent(sourceDir)) {
    ShowFatal("Program install files missing. (1)");
    return;
  }

  std::string program;
  if (FileExistsNonEmpty(sourceDir + "Orv.Exe")) {
    program = sourceDir + "ORV.EXE";
    if (AutorunIsCurrent(sourceDir + "Orv.exe", firstArg)) return;
    ChangeDirectory(WithoutLastCharacter(sourceDir));
  } else {
    if (AutorunIsCurrent(sourceDir + "Orv.ex_", firstArg)) return;
    if (!ExpandCopy(sourceDir + "Orv.Ex_", tempDir + "Orv.exe")) return;
    program = tempDir + "ORV.EXE";
    ChangeDirectory(WithoutLastCharacter(tempDir));
  }
  Launcher().JawsSourceDir = sourceDir;
  DeployJawsGuarded();
  std::string cmdLine = ProgramPath(program) + " \"" + sourceDir + "\"";
  DebugNote("starting the set-up program: " + cmdLine);
  UINT code = RunProgram(cmdLine, SW_SHOWNORMAL);
  if (code < 32) ShowMessage(StartFailureText(code, program), "WinExec");
}

}  // namespace launcher
