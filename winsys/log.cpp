#include "winsys/log.h"

#include <algorithm>
#include <cstring>

#include "winsys/files.h"
#include "winsys/winsys.h"

namespace winsys {

using namespace platform;

namespace {

constexpr std::size_t kRecordLimit = 255;
constexpr DWORD kMessageBuffer = 255;
constexpr DWORD kMessageFlags = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_MAX_WIDTH_MASK;

void AppendToLogFile(const std::string& line) {
  HANDLE file = FileOpen(Winsys().logDir + "Startup.Log", kModeWriteExclusive);
  if (file == INVALID_HANDLE_VALUE) return;
  if (FileSeekEnd(file)) {
    char record[kRecordLimit + 1] = {};
    std::string text = line + "\r\n";
    std::size_t length = std::min(text.size(), kRecordLimit);
    std::memcpy(record, text.data(), length);
    FileWrite(file, record, static_cast<DWORD>(length));
  }
  FileClose(file);
}

}  // namespace

void LogLine(const std::string& line) {
  State& state = Winsys();
  if (state.logDir.empty() || !state.logList) return;
  state.logList->push_back(line);
  if (LogListener()) LogListener()(line);
  AppendToLogFile(line);
}

std::function<void(const std::string&)>& LogListener() {
  static std::function<void(const std::string&)> listener;
  return listener;
}

void ClearLastError() { Current().SetLastError(0); }

void ReportLastError(const std::string& opName) {
  Platform& os = Current();
  DWORD code = os.GetLastError();
  if (code == 0) return;
  char text[kMessageBuffer] = {};
  os.FormatMessageA(kMessageFlags, nullptr, code, 0, text, kMessageBuffer, nullptr);
  text[kMessageBuffer - 1] = '\0';
  if (text[0] == '\0') return;
  ShowWindowsError(opName, text);
}

void ShowWindowsError(const std::string& opName, const std::string& text) {
  Current().MessageBoxA(nullptr, text.c_str(), ("Windows Error: " + opName).c_str(), MB_OK);
  LogLine("Windows Error (" + opName + ") " + text);
}

int SafeMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT style) {
  ClearLastError();
  int result = Current().MessageBoxA(owner, text.c_str(), caption.c_str(), style);
  if (result == 0) ReportLastError("MessageBox");
  return result;
}

void DebugNote(const std::string& text) {
  Current().OutputDebugStringA(("OrvLaunch: " + text).c_str());
}

UINT RunProgram(const std::string& cmdLine, UINT show) {
  ClearLastError();
  UINT result = Current().WinExec(cmdLine.c_str(), show);
  if (result <= 31) ReportLastError("WinExec");
  return result;
}

}  // namespace winsys
