// Stands in for the set-up program and the installed program under Wine: records the command
// line it was given, the show code and its current directory, then ends.
#include <string>

#include "tests/wine/records.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  char cwd[MAX_PATH] = "";
  ::GetCurrentDirectoryA(sizeof cwd, cwd);
  // WinExec hands its show code over in the start-up information.
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  ::GetStartupInfoA(&startup);
  int show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWDEFAULT;
  bool recorded = records::Append(
      std::string("{\"event\":\"exec\",\"cmdline\":") + records::Quoted(::GetCommandLineA()) +
      ",\"show\":" + std::to_string(show) + ",\"cwd\":" + records::Quoted(cwd) + "}");
  return recorded ? 0 : 1;
}
