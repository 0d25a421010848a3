// The inside of hosted::FileSystem, shared by its source files.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/hosted/files/filesystem.h"
#include "platform/hosted/files/host.h"
#include "platform/hosted/files/path.h"
#include "platform/hosted/last_error.h"

namespace hosted {

// The attributes the machine keeps itself (read-only also lives in the host's mode bits).
constexpr DWORD kKeptBits = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                            FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;

struct Drive {
  char letter = 'C';
  DriveKind kind = DriveKind::Fixed;
  std::optional<std::filesystem::path> folder;  // canonical; none: no medium
  std::string root;                             // folder as text, for containment checks
  bool readOnly = false;
};

// A Windows path resolved onto its drive. info is empty when the last name does not
// exist (its folder does); host then names where it would be created.
struct Located {
  const Drive* drive = nullptr;
  WinPath path;  // the names as found on the host, the missing last one as given
  std::filesystem::path host;
  std::optional<HostInfo> info;
  bool device = false;
  bool Exists() const { return info.has_value(); }
  bool IsDir() const { return info && info->dir; }
};

struct OpenFile {
  int fd = -1;  // -1 for a device
  DWORD access = 0;
  DWORD share = 0;
  std::uint64_t device = 0, inode = 0;
  std::uint64_t position = 0;
  char drive = 0;
  std::string key;  // the file's attribute and change key
};

struct Search {
  std::vector<WIN32_FIND_DATAA> entries;
  std::size_t next = 0;
};

// A file's state when the run first touched it.
struct Before {
  std::string path;
  bool existed = false;
  std::uint64_t size = 0;
  std::int64_t mtimeNs = 0;
  DWORD attributes = 0;
  bool written = false;
};

struct FileSystem::State {
  FilesConfig config;
  bool admin;
  Events& events;
  std::vector<Drive> drives;
  WinPath cwd;
  UINT errorMode = 0;
  std::map<std::string, DWORD> kept;  // key -> read-only/hidden/system/archive bits
  std::vector<std::string> protectedKeys;
  std::map<char, std::uint64_t> freeBytes;
  std::map<std::uintptr_t, OpenFile> files;
  std::map<std::uintptr_t, Search> searches;
  std::uintptr_t nextHandle = 0x40000000;
  std::map<std::string, Before> touched;

  State(const FilesConfig& c, bool a, Events& e) : config(c), admin(a), events(e) {}

  const Drive* FindDrive(char letter) const;
  // Resolves a Windows path; nullopt with the last error set when it cannot be.
  // quiet: no critical-error box (for the machine's own bookkeeping).
  std::optional<Located> Locate(const char* text, bool wildcards = false, bool quiet = false);
  // The last-error value when the located object may not be changed by this user, else 0.
  DWORD WriteRefusal(const Located& at) const;
  DWORD Attributes(const Located& at) const;
  void Touch(const Located& at);
  void MarkWritten(const std::string& key);
  HANDLE NewHandle();
  OpenFile* File(HANDLE handle);
  bool SharingAllows(const Located& at, DWORD access, DWORD share) const;
  bool OpenWithoutDeleteShare(const Located& at) const;
  // A drive with a free-space limit gets back the bytes of a file deleted or emptied.
  void GiveBack(const Located& at);

  HANDLE OpenDevice(DWORD access, DWORD share);
  HANDLE OpenFileAt(const Located& at, DWORD access, DWORD share, DWORD disposition, DWORD flags);
  HANDLE CreateNew(const Located& at, DWORD access, DWORD share, DWORD flags);
  HANDLE Register(int fd, const Located& at, DWORD access, DWORD share);
  // Locate for a call that needs the object to exist (ERROR_FILE_NOT_FOUND otherwise).
  std::optional<Located> LocateExisting(const char* text);
  // Moves the machine's record of a file from one path to another.
  void Rename(const Located& from, const Located& to);
  std::optional<std::vector<WIN32_FIND_DATAA>> Snapshot(const WinPath& path);
  std::optional<std::vector<WIN32_FIND_DATAA>> SnapshotOne(const WinPath& path);
  Located Parent(const Located& at);
  std::string AliasOf(const Located& at) const;
  std::string ShortForm(std::string_view text);
  WIN32_FIND_DATAA FindData(const std::string& name, const std::string& alias,
                            const Located& at) const;
};

// The key under which the machine keeps a path's attributes and changes.
std::string KeyOf(const WinPath& path);

}  // namespace hosted
