// The simulated machine's drives, files, directories and file times.
//
// Windows paths (ANSI, code page 1252) are resolved onto host folders, one per drive.
// Resolution never leaves a drive's folder. File attributes (read-only included), read-only
// drives and protected folders come from the configuration and the run alone, never from
// host mode bits or whether the host refuses a write: the same machine must behave the
// same for root and for any other host user.
#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/hosted/events.h"
#include "platform/hosted/files/config.h"

namespace hosted {

struct FileChange {
  std::string path;    // Windows path
  std::string change;  // "created", "modified" or "deleted"
};

class FileSystem {
 public:
  // roots: the host folder of each drive that has a medium, overriding the configuration
  // (orvlaunch passes private copies of the writable drives). admin: the user may write
  // the protected folders.
  FileSystem(const FilesConfig& config, bool admin, std::map<char, std::filesystem::path> roots,
             Events& events);
  ~FileSystem();
  FileSystem(const FileSystem&) = delete;
  FileSystem& operator=(const FileSystem&) = delete;

  // The calls below behave as the Platform members of the same names.
  HANDLE CreateFileA(const char* name, DWORD access, DWORD share, void* security, DWORD disposition,
                     DWORD flags, HANDLE templateFile);
  BOOL ReadFile(HANDLE file, void* buffer, DWORD toRead, DWORD* read, void* overlapped);
  BOOL WriteFile(HANDLE file, const void* buffer, DWORD toWrite, DWORD* written, void* overlapped);
  DWORD SetFilePointer(HANDLE file, LONG distance, LONG* distanceHigh, DWORD method);
  DWORD GetFileSize(HANDLE file, DWORD* sizeHigh);
  BOOL GetFileTime(HANDLE file, FILETIME* creation, FILETIME* lastAccess, FILETIME* lastWrite);
  BOOL SetFileTime(HANDLE file, const FILETIME* creation, const FILETIME* lastAccess,
                   const FILETIME* lastWrite);
  // FALSE with ERROR_INVALID_HANDLE when the handle is not one of the file system's.
  BOOL CloseFile(HANDLE object);
  bool OwnsHandle(HANDLE object) const;
  BOOL SetFileAttributesA(const char* name, DWORD attributes);
  DWORD GetFileAttributesA(const char* name);
  BOOL DeleteFileA(const char* name);
  BOOL MoveFileA(const char* from, const char* to);
  BOOL CreateDirectoryA(const char* name, void* security);
  BOOL RemoveDirectoryA(const char* name);
  HANDLE FindFirstFileA(const char* pattern, WIN32_FIND_DATAA* data);
  BOOL FindNextFileA(HANDLE find, WIN32_FIND_DATAA* data);
  BOOL FindClose(HANDLE find);

  BOOL FileTimeToLocalFileTime(const FILETIME* utc, FILETIME* local);
  BOOL LocalFileTimeToFileTime(const FILETIME* local, FILETIME* utc);
  BOOL FileTimeToDosDateTime(const FILETIME* time, WORD* date, WORD* dosTime);
  BOOL DosDateTimeToFileTime(WORD date, WORD dosTime, FILETIME* time);

  BOOL SetCurrentDirectoryA(const char* path);
  DWORD GetCurrentDirectoryA(DWORD size, char* buffer);
  DWORD GetTempPathA(DWORD size, char* buffer);
  DWORD GetShortPathNameA(const char* longPath, char* shortPath, DWORD size);
  UINT GetDriveTypeA(const char* root);
  UINT SetErrorMode(UINT mode);

  // What WinExec answers for a command line, finding the program as CreateProcess does
  // (relative names against the folder of appPath, then the current directory):
  // 2 not found, 3 folder not found, 11 not a Windows program (no MZ), 33 found.
  UINT ProbeProgram(const std::string& cmdLine, const std::string& appPath);

  // Whether a Windows path names a file or folder; no box, the last error kept.
  bool Exists(const std::string& path) const;

  // The current directory as GetCurrentDirectoryA gives it.
  std::string CurrentDirectory() const;

  // Every file the run created, modified or deleted, by Windows path, in path order.
  std::vector<FileChange> Changes() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace hosted
