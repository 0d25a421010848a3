#include "platform/hosted/process/process.h"

#include <cstring>

#include "platform/call_table.h"
#include "platform/hosted/last_error.h"
#include "platform/hosted/text/codepage.h"

namespace hosted {

namespace {

// An argument that holds a double quote is taken as written; others are quoted when
// they hold blanks or control characters, so that the launcher's splitter gets them back.
std::string BuildCommandLine(const ProcessConfig& config) {
  std::string line = "\"" + config.self + "\"";
  for (const std::string& arg : config.args) {
    bool plain = !arg.empty() && arg.find('"') == std::string::npos;
    for (char c : arg) plain = plain && static_cast<unsigned char>(c) > ' ';
    bool quoted = arg.find('"') != std::string::npos;
    line += ' ';
    line += (plain || quoted) ? arg : "\"" + arg + "\"";
  }
  return line;
}

// Copies text into a caller's buffer by the usual rules: the length without NUL when it
// fits, else the size needed with NUL and nothing written.
DWORD CopyOut(const std::string& text, char* buffer, DWORD size) {
  if (text.size() + 1 > size || !buffer) return static_cast<DWORD>(text.size() + 1);
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  return static_cast<DWORD>(text.size());
}

constexpr const char* kLogDirVariable = "ORVLAUNCH_LOG_DIR";
constexpr DWORD kVersionInfoExSize = 156;  // sizeof(OSVERSIONINFOEXA)

}  // namespace

Process::Process(const ProcessConfig& config, FileSystem& files, Security& security, Events& events)
    : config_(config),
      files_(files),
      security_(security),
      events_(events),
      commandLine_(BuildCommandLine(config_)) {
  SetEnvironmentVariable(kLogDirVariable, config_.logDir);
}

DWORD Process::FormatMessageA(DWORD flags, const void*, DWORD messageId, DWORD, char* buffer,
                              DWORD size, void* args) {
  if (!(flags & FORMAT_MESSAGE_FROM_SYSTEM) || !buffer)
    return Fail(ERROR_INVALID_PARAMETER, DWORD{0});
  const char* text = ErrorText(messageId);
  if (!text) return Fail(ERROR_MR_MID_NOT_FOUND, DWORD{0});
  // A text with an insert needs arguments, unless inserts are to be left alone.
  bool insert = std::strchr(text, '%') != nullptr;
  if (insert && !(flags & FORMAT_MESSAGE_IGNORE_INSERTS) && !args)
    return Fail(ERROR_INVALID_PARAMETER, DWORD{0});
  // The table's texts end in a line break; under the width mask it comes out as a blank.
  std::string message = text;
  message += (flags & FORMAT_MESSAGE_MAX_WIDTH_MASK) ? " " : "\r\n";
  if (message.size() + 1 > size) return Fail(ERROR_INSUFFICIENT_BUFFER, DWORD{0});
  std::memcpy(buffer, message.c_str(), message.size() + 1);
  return static_cast<DWORD>(message.size());
}

DWORD Process::GetModuleFileNameA(HMODULE module, char* buffer, DWORD size) {
  // The program is the machine's only module.
  if (module != nullptr) return Fail(ERROR_MOD_NOT_FOUND, DWORD{0});
  if (!buffer) return Fail(ERROR_INVALID_PARAMETER, DWORD{0});
  if (size == 0) return Fail(ERROR_INSUFFICIENT_BUFFER, DWORD{0});
  // A path that does not fit is cut and still terminated, with the buffer size returned.
  const std::string& self = config_.self;
  if (self.size() + 1 > size) {
    std::memcpy(buffer, self.data(), size - 1);
    buffer[size - 1] = '\0';
    return Fail(ERROR_INSUFFICIENT_BUFFER, size);
  }
  std::memcpy(buffer, self.c_str(), self.size() + 1);
  return static_cast<DWORD>(self.size());
}

const char* Process::GetCommandLineA() { return commandLine_.c_str(); }

DWORD Process::GetEnvironmentVariableA(const char* name, char* buffer, DWORD size) {
  auto found = name ? environment_.find(UpperAnsi(name)) : environment_.end();
  if (found == environment_.end()) return Fail(ERROR_ENVVAR_NOT_FOUND, DWORD{0});
  return CopyOut(found->second, buffer, size);
}

void Process::SetEnvironmentVariable(const std::string& name, const std::string& value) {
  if (value.empty())
    environment_.erase(UpperAnsi(name));
  else
    environment_[UpperAnsi(name)] = value;
}

UINT Process::WinExec(const char* cmdLine, UINT show) {
  std::string line = cmdLine ? cmdLine : "";
  UINT result = config_.execResult ? *config_.execResult : files_.ProbeProgram(line, config_.self);
  events_.Exec(line, show, files_.CurrentDirectory(), result);
  // The last error is the one the process start failed with; a file that is no program
  // fails with ERROR_BAD_EXE_FORMAT, whose text needs an insert.
  if (result < 32) {
    ThreadLastError() = result == 0    ? ERROR_NOT_ENOUGH_MEMORY
                        : result == 11 ? ERROR_BAD_EXE_FORMAT
                                       : result;
  }
  return result;
}

// The simulated machine has no windows: any owner given is an invalid one.
int Process::MessageBoxA(HWND owner, const char* text, const char* caption, UINT style) {
  if (owner != nullptr) return Fail(ERROR_INVALID_WINDOW_HANDLE, 0);
  events_.Box(caption ? caption : "Error", text ? text : "", style);
  return IDOK;
}

BOOL Process::GetVersionExA(OSVERSIONINFOA* info) {
  DWORD size = info ? info->dwOSVersionInfoSize : 0;
  if (size != sizeof(OSVERSIONINFOA) && size != kVersionInfoExSize)
    return Fail(ERROR_INSUFFICIENT_BUFFER, FALSE);
  // The longer OSVERSIONINFOEXA record ends in service pack 0.0, no suites, a workstation.
  if (size == kVersionInfoExSize) {
    const BYTE tail[kVersionInfoExSize - sizeof(OSVERSIONINFOA)] = {0, 0, 0, 0, 0, 0, 1, 0};
    std::memcpy(reinterpret_cast<BYTE*>(info) + sizeof(OSVERSIONINFOA), tail, sizeof tail);
  }
  info->dwMajorVersion = config_.osMajor;
  info->dwMinorVersion = config_.osMinor;
  info->dwBuildNumber = config_.osBuild;
  info->dwPlatformId = config_.osPlatform;
  std::memset(info->szCSDVersion, 0, sizeof(info->szCSDVersion));
  return TRUE;
}

BOOL Process::CloseHandle(HANDLE object) {
  if (security_.OwnsHandle(object)) return security_.CloseToken(object);
  return files_.CloseFile(object);
}

}  // namespace hosted
