#include "platform/hosted/hosted.h"

#include <cstring>

#include "platform/hosted/codepage.h"
#include "platform/hosted/last_error.h"
#include "platform/hosted/messages.h"

namespace hosted {

namespace {

std::map<char, std::filesystem::path> ConfiguredRoots(const MachineConfig& config) {
  std::map<char, std::filesystem::path> roots;
  for (const auto& drive : config.drives)
    if (drive.folder) roots[drive.letter] = *drive.folder;
  return roots;
}

// An argument that holds a double quote is taken as written; others are quoted when
// they hold blanks or control characters, so that the launcher's splitter gets them back.
std::string BuildCommandLine(const MachineConfig& config) {
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

}  // namespace

HostedPlatform::HostedPlatform(const MachineConfig& config,
                               std::map<char, std::filesystem::path> roots, Transcript& transcript)
    : config_(config),
      transcript_(transcript),
      files_(config_, std::move(roots), transcript),
      registry_(config_.EffectiveAdmin()),
      lz_(*this),
      commandLine_(BuildCommandLine(config_)),
      security_(std::make_unique<Security>(config_)) {
  if (config_.registry) registry_.Load(*config_.registry);
}

HostedPlatform::HostedPlatform(const MachineConfig& config, Transcript& transcript)
    : HostedPlatform(config, ConfiguredRoots(config), transcript) {}

HostedPlatform::~HostedPlatform() = default;

DWORD HostedPlatform::GetLastError() { return ThreadLastError(); }
void HostedPlatform::SetLastError(DWORD code) { ThreadLastError() = code; }

DWORD HostedPlatform::FormatMessageA(DWORD flags, const void*, DWORD messageId, DWORD, char* buffer,
                                     DWORD size, void* args) {
  constexpr DWORD kMessageNotFound = 317;
  if (!(flags & FORMAT_MESSAGE_FROM_SYSTEM) || !buffer)
    return Fail(ERROR_INVALID_PARAMETER, DWORD{0});
  const char* text = SystemMessageText(messageId);
  if (!text) return Fail(kMessageNotFound, DWORD{0});
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

LONG HostedPlatform::RegOpenKeyExA(HKEY key, const char* subKey, DWORD options, REGSAM desired,
                                   HKEY* result) {
  return registry_.RegOpenKeyExA(key, subKey, options, desired, result);
}

LONG HostedPlatform::RegQueryValueExA(HKEY key, const char* valueName, DWORD* reserved, DWORD* type,
                                      BYTE* data, DWORD* dataSize) {
  return registry_.RegQueryValueExA(key, valueName, reserved, type, data, dataSize);
}

LONG HostedPlatform::RegQueryInfoKeyA(HKEY key, char* className, DWORD* classSize, DWORD* reserved,
                                      DWORD* subKeys, DWORD* maxSubKeyLen, DWORD* maxClassLen,
                                      DWORD* values, DWORD* maxValueNameLen, DWORD* maxValueLen,
                                      DWORD* securityDescriptor, FILETIME* lastWriteTime) {
  return registry_.RegQueryInfoKeyA(key, className, classSize, reserved, subKeys, maxSubKeyLen,
                                    maxClassLen, values, maxValueNameLen, maxValueLen,
                                    securityDescriptor, lastWriteTime);
}

LONG HostedPlatform::RegEnumKeyExA(HKEY key, DWORD index, char* name, DWORD* nameSize,
                                   DWORD* reserved, char* className, DWORD* classSize,
                                   FILETIME* lastWriteTime) {
  return registry_.RegEnumKeyExA(key, index, name, nameSize, reserved, className, classSize,
                                 lastWriteTime);
}

LONG HostedPlatform::RegDeleteKeyA(HKEY key, const char* subKey) {
  return registry_.RegDeleteKeyA(key, subKey);
}

LONG HostedPlatform::RegCloseKey(HKEY key) { return registry_.RegCloseKey(key); }

HANDLE HostedPlatform::CreateFileA(const char* name, DWORD access, DWORD share, void* security,
                                   DWORD disposition, DWORD flags, HANDLE templateFile) {
  return files_.CreateFileA(name, access, share, security, disposition, flags, templateFile);
}

BOOL HostedPlatform::ReadFile(HANDLE file, void* buffer, DWORD toRead, DWORD* read,
                              void* overlapped) {
  return files_.ReadFile(file, buffer, toRead, read, overlapped);
}

BOOL HostedPlatform::WriteFile(HANDLE file, const void* buffer, DWORD toWrite, DWORD* written,
                               void* overlapped) {
  return files_.WriteFile(file, buffer, toWrite, written, overlapped);
}

DWORD HostedPlatform::SetFilePointer(HANDLE file, LONG distance, LONG* distanceHigh, DWORD method) {
  return files_.SetFilePointer(file, distance, distanceHigh, method);
}

DWORD HostedPlatform::GetFileSize(HANDLE file, DWORD* sizeHigh) {
  return files_.GetFileSize(file, sizeHigh);
}

BOOL HostedPlatform::GetFileTime(HANDLE file, FILETIME* creation, FILETIME* lastAccess,
                                 FILETIME* lastWrite) {
  return files_.GetFileTime(file, creation, lastAccess, lastWrite);
}

BOOL HostedPlatform::SetFileTime(HANDLE file, const FILETIME* creation, const FILETIME* lastAccess,
                                 const FILETIME* lastWrite) {
  return files_.SetFileTime(file, creation, lastAccess, lastWrite);
}

BOOL HostedPlatform::CloseHandle(HANDLE object) {
  if (security_->OwnsHandle(object)) return security_->CloseToken(object);
  return files_.CloseHandle(object);
}

BOOL HostedPlatform::SetFileAttributesA(const char* name, DWORD attributes) {
  return files_.SetFileAttributesA(name, attributes);
}

DWORD HostedPlatform::GetFileAttributesA(const char* name) {
  return files_.GetFileAttributesA(name);
}

BOOL HostedPlatform::DeleteFileA(const char* name) { return files_.DeleteFileA(name); }

BOOL HostedPlatform::MoveFileA(const char* from, const char* to) {
  return files_.MoveFileA(from, to);
}

BOOL HostedPlatform::CreateDirectoryA(const char* name, void* security) {
  return files_.CreateDirectoryA(name, security);
}

BOOL HostedPlatform::RemoveDirectoryA(const char* name) { return files_.RemoveDirectoryA(name); }

HANDLE HostedPlatform::FindFirstFileA(const char* pattern, WIN32_FIND_DATAA* data) {
  return files_.FindFirstFileA(pattern, data);
}

BOOL HostedPlatform::FindNextFileA(HANDLE find, WIN32_FIND_DATAA* data) {
  return files_.FindNextFileA(find, data);
}

BOOL HostedPlatform::FindClose(HANDLE find) { return files_.FindClose(find); }

BOOL HostedPlatform::FileTimeToLocalFileTime(const FILETIME* utc, FILETIME* local) {
  return files_.FileTimeToLocalFileTime(utc, local);
}

BOOL HostedPlatform::LocalFileTimeToFileTime(const FILETIME* local, FILETIME* utc) {
  return files_.LocalFileTimeToFileTime(local, utc);
}

BOOL HostedPlatform::FileTimeToDosDateTime(const FILETIME* time, WORD* date, WORD* dosTime) {
  return files_.FileTimeToDosDateTime(time, date, dosTime);
}

BOOL HostedPlatform::DosDateTimeToFileTime(WORD date, WORD dosTime, FILETIME* time) {
  return files_.DosDateTimeToFileTime(date, dosTime, time);
}

BOOL HostedPlatform::SetCurrentDirectoryA(const char* path) {
  return files_.SetCurrentDirectoryA(path);
}

DWORD HostedPlatform::GetCurrentDirectoryA(DWORD size, char* buffer) {
  return files_.GetCurrentDirectoryA(size, buffer);
}

DWORD HostedPlatform::GetTempPathA(DWORD size, char* buffer) {
  return files_.GetTempPathA(size, buffer);
}

DWORD HostedPlatform::GetShortPathNameA(const char* longPath, char* shortPath, DWORD size) {
  return files_.GetShortPathNameA(longPath, shortPath, size);
}

UINT HostedPlatform::GetDriveTypeA(const char* root) { return files_.GetDriveTypeA(root); }

UINT HostedPlatform::SetErrorMode(UINT mode) { return files_.SetErrorMode(mode); }

DWORD HostedPlatform::GetModuleFileNameA(HMODULE module, char* buffer, DWORD size) {
  if (module != nullptr || !buffer) return Fail(ERROR_INVALID_PARAMETER, DWORD{0});
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

const char* HostedPlatform::GetCommandLineA() { return commandLine_.c_str(); }

DWORD HostedPlatform::GetEnvironmentVariableA(const char* name, char* buffer, DWORD size) {
  if (!name || !EqualNoCase(name, kLogDirVariable) || config_.logDir.empty())
    return Fail(ERROR_ENVVAR_NOT_FOUND, DWORD{0});
  return CopyOut(config_.logDir, buffer, size);
}

DWORD HostedPlatform::CharLowerBuffA(char* text, DWORD length) {
  if (!text) return 0;
  for (DWORD i = 0; i < length; ++i) text[i] = LowerAnsi(text[i]);
  return length;
}

int HostedPlatform::CompareStringA(LCID, DWORD flags, const char* a, int aLength, const char* b,
                                   int bLength) {
  if (!a || !b) return Fail(ERROR_INVALID_PARAMETER, 0);
  std::string left(a, aLength < 0 ? std::strlen(a) : static_cast<std::size_t>(aLength));
  std::string right(b, bLength < 0 ? std::strlen(b) : static_cast<std::size_t>(bLength));
  if (flags & NORM_IGNORECASE) {
    left = LowerAnsi(left);
    right = LowerAnsi(right);
  }
  int order = std::string_view(left).compare(right);
  return order < 0 ? CSTR_LESS_THAN : order == 0 ? CSTR_EQUAL : CSTR_GREATER_THAN;
}

UINT HostedPlatform::WinExec(const char* cmdLine, UINT show) {
  std::string line = cmdLine ? cmdLine : "";
  UINT result = config_.execResult ? *config_.execResult : files_.ProbeProgram(line, config_.self);
  transcript_.Exec(line, show, files_.CurrentDirectory(), result);
  // The last error is the one the process start failed with; a file that is no program
  // fails with ERROR_BAD_EXE_FORMAT, whose text needs an insert.
  constexpr DWORD kBadExeFormat = 193;
  if (result < 32) {
    ThreadLastError() = result == 0    ? ERROR_NOT_ENOUGH_MEMORY
                        : result == 11 ? kBadExeFormat
                                       : result;
  }
  return result;
}

int HostedPlatform::MessageBoxA(HWND, const char* text, const char* caption, UINT style) {
  transcript_.Box(caption ? caption : "Error", text ? text : "", style);
  return IDOK;
}

INT HostedPlatform::LZOpenFileA(const char* name, OFSTRUCT* info, WORD style) {
  return lz_.LZOpenFileA(name, info, style);
}

LONG HostedPlatform::LZCopy(INT source, INT target) { return lz_.LZCopy(source, target); }

void HostedPlatform::LZClose(INT file) { lz_.LZClose(file); }

BOOL HostedPlatform::GetVersionExA(OSVERSIONINFOA* info) {
  if (!info || info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA))
    return Fail(ERROR_INSUFFICIENT_BUFFER, FALSE);
  info->dwMajorVersion = config_.osMajor;
  info->dwMinorVersion = config_.osMinor;
  info->dwBuildNumber = config_.osBuild;
  info->dwPlatformId = config_.osPlatform;
  std::memset(info->szCSDVersion, 0, sizeof(info->szCSDVersion));
  return TRUE;
}

HANDLE HostedPlatform::GetCurrentThread() { return reinterpret_cast<HANDLE>(~std::uintptr_t{1}); }

HANDLE HostedPlatform::GetCurrentProcess() { return reinterpret_cast<HANDLE>(~std::uintptr_t{0}); }

BOOL HostedPlatform::OpenThreadToken(HANDLE thread, DWORD access, BOOL, HANDLE* token) {
  return security_->OpenThreadToken(thread, access, token);
}

BOOL HostedPlatform::OpenProcessToken(HANDLE process, DWORD access, HANDLE* token) {
  return security_->OpenProcessToken(process, access, token);
}

BOOL HostedPlatform::GetTokenInformation(HANDLE token, int infoClass, void* info, DWORD size,
                                         DWORD* needed) {
  return security_->GetTokenInformation(token, infoClass, info, size, needed);
}

BOOL HostedPlatform::AllocateAndInitializeSid(const SID_IDENTIFIER_AUTHORITY* authority, BYTE count,
                                              DWORD sub0, DWORD sub1, DWORD sub2, DWORD sub3,
                                              DWORD sub4, DWORD sub5, DWORD sub6, DWORD sub7,
                                              PSID* sid) {
  const DWORD subs[8] = {sub0, sub1, sub2, sub3, sub4, sub5, sub6, sub7};
  return security_->AllocateAndInitializeSid(authority, count, subs, sid);
}

BOOL HostedPlatform::EqualSid(PSID a, PSID b) { return security_->EqualSid(a, b); }

PSID HostedPlatform::FreeSid(PSID sid) { return security_->FreeSid(sid); }

}  // namespace hosted
