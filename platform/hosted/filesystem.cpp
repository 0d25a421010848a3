// Placeholder until the simulated file system lands: every call fails.
#include "platform/hosted/filesystem.h"

#include "platform/hosted/last_error.h"

namespace hosted {

struct FileSystem::State {};

FileSystem::FileSystem(const MachineConfig&, std::map<char, std::filesystem::path>, Transcript&) {}
FileSystem::~FileSystem() = default;
std::string FileSystem::CurrentDirectory() const { return "C:\\"; }
std::vector<FileChange> FileSystem::Changes() const { return {}; }
HANDLE FileSystem::CreateFileA(const char* name, DWORD access, DWORD share, void* security,
                               DWORD disposition, DWORD flags, HANDLE templateFile) {
  (void)name;
  (void)access;
  (void)share;
  (void)security;
  (void)disposition;
  (void)flags;
  (void)templateFile;
  return Fail(120, HANDLE(INVALID_HANDLE_VALUE));
}
BOOL FileSystem::ReadFile(HANDLE file, void* buffer, DWORD toRead, DWORD* read, void* overlapped) {
  (void)file;
  (void)buffer;
  (void)toRead;
  (void)read;
  (void)overlapped;
  return Fail(120, BOOL(FALSE));
}
BOOL FileSystem::WriteFile(HANDLE file, const void* buffer, DWORD toWrite, DWORD* written,
                           void* overlapped) {
  (void)file;
  (void)buffer;
  (void)toWrite;
  (void)written;
  (void)overlapped;
  return Fail(120, BOOL(FALSE));
}
DWORD FileSystem::SetFilePointer(HANDLE file, LONG distance, LONG* distanceHigh, DWORD method) {
  (void)file;
  (void)distance;
  (void)distanceHigh;
  (void)method;
  return Fail(120, DWORD(0));
}
DWORD FileSystem::GetFileSize(HANDLE file, DWORD* sizeHigh) {
  (void)file;
  (void)sizeHigh;
  return Fail(120, DWORD(0));
}
BOOL FileSystem::GetFileTime(HANDLE file, FILETIME* creation, FILETIME* lastAccess,
                             FILETIME* lastWrite) {
  (void)file;
  (void)creation;
  (void)lastAccess;
  (void)lastWrite;
  return Fail(120, BOOL(FALSE));
}
BOOL FileSystem::SetFileTime(HANDLE file, const FILETIME* creation, const FILETIME* lastAccess,
                             const FILETIME* lastWrite) {
  (void)file;
  (void)creation;
  (void)lastAccess;
  (void)lastWrite;
  return Fail(120, BOOL(FALSE));
}
BOOL FileSystem::CloseHandle(HANDLE object) {
  (void)object;
  return Fail(120, BOOL(FALSE));
}
bool FileSystem::OwnsHandle(HANDLE object) const {
  (void)object;
  return false;
}
BOOL FileSystem::SetFileAttributesA(const char* name, DWORD attributes) {
  (void)name;
  (void)attributes;
  return Fail(120, BOOL(FALSE));
}
DWORD FileSystem::GetFileAttributesA(const char* name) {
  (void)name;
  return Fail(120, DWORD(0));
}
BOOL FileSystem::DeleteFileA(const char* name) {
  (void)name;
  return Fail(120, BOOL(FALSE));
}
BOOL FileSystem::MoveFileA(const char* from, const char* to) {
  (void)from;
  (void)to;
  return Fail(120, BOOL(FALSE));
}
BOOL FileSystem::CreateDirectoryA(const char* name, void* security) {
  (void)name;
  (void)security;
  return Fail(120, BOOL(FALSE));
}
BOOL FileSystem::RemoveDirectoryA(const char* name) {
  (void)name;
  return Fail(120, BOOL(FALSE));
}
HANDLE FileSystem::FindFirstFileA(const char* pattern, WIN32_FIND_DATAA* data) {
  (void)pattern;
  (void)data;
  return Fail(120, HANDLE(INVALID_HANDLE_VALUE));
}
BOOL FileSystem::FindNextFileA(HANDLE find, WIN32_FIND_DATAA* data) {
  (void)find;
  (void)data;
  return Fail(120, BOOL(FALSE));
}
BOOL FileSystem::FindClose(HANDLE find) {
  (void)find;
  return Fail(120, BOOL(FALSE));
}
BOOL FileSystem::FileTimeToLocalFileTime(const FILETIME* utc, FILETIME* local) {
  (void)utc;
  (void)local;
  return Fail(120, BOOL(FALSE));
}
BOOL FileSystem::LocalFileTimeToFileTime(const FILETIME* local, FILETIME* utc) {
  (void)local;
  (void)utc;
  return Fail(120, BOOL(FALSE));
}
BOOL FileSystem::FileTimeToDosDateTime(const FILETIME* time, WORD* date, WORD* dosTime) {
  (void)time;
  (void)date;
  (void)dosTime;
  return Fail(120, BOOL(FALSE));
}
BOOL FileSystem::DosDateTimeToFileTime(WORD date, WORD dosTime, FILETIME* time) {
  (void)date;
  (void)dosTime;
  (void)time;
  return Fail(120, BOOL(FALSE));
}
BOOL FileSystem::SetCurrentDirectoryA(const char* path) {
  (void)path;
  return Fail(120, BOOL(FALSE));
}
DWORD FileSystem::GetCurrentDirectoryA(DWORD size, char* buffer) {
  (void)size;
  (void)buffer;
  return Fail(120, DWORD(0));
}
DWORD FileSystem::GetTempPathA(DWORD size, char* buffer) {
  (void)size;
  (void)buffer;
  return Fail(120, DWORD(0));
}
DWORD FileSystem::GetShortPathNameA(const char* longPath, char* shortPath, DWORD size) {
  (void)longPath;
  (void)shortPath;
  (void)size;
  return Fail(120, DWORD(0));
}
UINT FileSystem::GetDriveTypeA(const char* root) {
  (void)root;
  return Fail(120, UINT(0));
}
UINT FileSystem::SetErrorMode(UINT mode) {
  (void)mode;
  return Fail(120, UINT(0));
}
UINT FileSystem::ProbeProgram(const std::string& cmdLine, const std::string& appPath) {
  (void)cmdLine;
  (void)appPath;
  return Fail(120, UINT(0));
}
}  // namespace hosted
