#include "platform/hosted/files/filesystem.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "platform/hosted/files/state.h"
#include "platform/hosted/files/times.h"

namespace hosted {

namespace fs = std::filesystem;

namespace {

WinPath ParseConfigPath(const std::string& text) {
  return ParseWinPath(text, WinPath{'C', {}}).path;
}

Drive MakeDrive(const DriveConfig& config, const std::map<char, fs::path>& roots) {
  Drive drive{config.letter, config.kind, config.folder, "",
              config.readOnly || config.kind == DriveKind::CdRom};
  auto it = roots.find(config.letter);
  if (it != roots.end()) drive.folder = it->second;
  if (drive.folder) {
    std::error_code ec;
    fs::path canonical = fs::weakly_canonical(*drive.folder, ec);
    if (!ec) drive.folder = canonical;
    drive.root = drive.folder->string();
  }
  return drive;
}

timespec TimespecOf(const FILETIME* time) {
  if (time == nullptr || TicksOf(*time) == 0) return {0, UTIME_OMIT};
  std::int64_t ns = UnixNsFromTicks(TicksOf(*time));
  std::int64_t sec = ns / 1'000'000'000 - (ns % 1'000'000'000 < 0 ? 1 : 0);
  return {static_cast<time_t>(sec), static_cast<long>(ns - sec * 1'000'000'000)};
}

}  // namespace

FileSystem::FileSystem(const FilesConfig& config, bool admin, std::map<char, fs::path> roots,
                       Events& events)
    : state_(std::make_unique<State>(config, admin, events)) {
  State& s = *state_;
  for (const DriveConfig& d : config.drives) s.drives.push_back(MakeDrive(d, roots));
  ParsedPath cwd = ParseWinPath(config.currentDir, WinPath{'C', {}});
  if (cwd.error == ERROR_SUCCESS) s.cwd = cwd.path;
  for (const auto& [path, attributes] : config.attributes)
    s.kept[KeyOf(ParseConfigPath(path))] = attributes & kKeptBits;
  for (const std::string& folder : config.protectedDirs)
    s.protectedKeys.push_back(KeyOf(ParseConfigPath(folder)));
  s.freeBytes = config.freeBytes;
}

FileSystem::~FileSystem() {
  for (auto& [handle, open] : state_->files)
    if (open.fd >= 0) close(open.fd);
}

HANDLE FileSystem::CreateFileA(const char* name, DWORD access, DWORD share, void*,
                               DWORD disposition, DWORD flags, HANDLE) {
  State& s = *state_;
  if (disposition < CREATE_NEW || disposition > TRUNCATE_EXISTING)
    return Fail(ERROR_INVALID_PARAMETER, INVALID_HANDLE_VALUE);
  std::optional<Located> at = s.Locate(name);
  if (!at) return INVALID_HANDLE_VALUE;
  HANDLE handle = at->device ? s.OpenDevice(access, share)
                             : s.OpenFileAt(*at, access, share, disposition, flags);
  if (handle != INVALID_HANDLE_VALUE &&
      (disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS))
    ThreadLastError() = at->Exists() && !at->device ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS;
  return handle;
}

HANDLE FileSystem::State::OpenDevice(DWORD access, DWORD share) {
  HANDLE handle = NewHandle();
  OpenFile open;
  open.access = access;
  open.share = share;
  files[reinterpret_cast<std::uintptr_t>(handle)] = open;
  return handle;
}

HANDLE FileSystem::State::OpenFileAt(const Located& at, DWORD access, DWORD share,
                                     DWORD disposition, DWORD flags) {
  if (at.IsDir())
    return Fail(disposition == CREATE_NEW ? ERROR_FILE_EXISTS : ERROR_ACCESS_DENIED,
                INVALID_HANDLE_VALUE);
  if (!at.Exists()) {
    if (disposition == OPEN_EXISTING || disposition == TRUNCATE_EXISTING)
      return Fail(ERROR_FILE_NOT_FOUND, INVALID_HANDLE_VALUE);
    return CreateNew(at, access, share, flags);
  }
  if (disposition == CREATE_NEW) return Fail(ERROR_FILE_EXISTS, INVALID_HANDLE_VALUE);
  bool truncate = disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING;
  DWORD attributes = Attributes(at);
  if ((access & GENERIC_WRITE) || truncate) {
    DWORD refusal = WriteRefusal(at);
    if (refusal != ERROR_SUCCESS) return Fail(refusal, INVALID_HANDLE_VALUE);
    if (attributes & FILE_ATTRIBUTE_READONLY)
      return Fail(ERROR_ACCESS_DENIED, INVALID_HANDLE_VALUE);
  }
  // Overwriting a hidden or system file must name those attributes again.
  DWORD guarded = attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  if (disposition == CREATE_ALWAYS && (flags & guarded) != guarded)
    return Fail(ERROR_ACCESS_DENIED, INVALID_HANDLE_VALUE);
  if (!SharingAllows(at, access | (truncate ? GENERIC_WRITE : 0), share))
    return Fail(ERROR_SHARING_VIOLATION, INVALID_HANDLE_VALUE);
  int fd = ::open(at.host.c_str(),
                  ((access & GENERIC_WRITE) || truncate ? O_RDWR : O_RDONLY) | O_CLOEXEC);
  if (fd < 0) return Fail(ERROR_ACCESS_DENIED, INVALID_HANDLE_VALUE);
  std::string key = KeyOf(at.path);
  if ((access & GENERIC_WRITE) || truncate) Touch(at);
  if (truncate) {
    if (ftruncate(fd, 0) != 0) {
      ::close(fd);
      return Fail(ERROR_ACCESS_DENIED, INVALID_HANDLE_VALUE);
    }
    GiveBack(at);
    MarkWritten(key);
  }
  if (disposition == CREATE_ALWAYS) {
    kept[key] = (flags & kKeptBits) | FILE_ATTRIBUTE_ARCHIVE;
  }
  return Register(fd, at, access, share);
}

HANDLE FileSystem::State::CreateNew(const Located& at, DWORD access, DWORD share, DWORD flags) {
  DWORD refusal = WriteRefusal(at);
  if (refusal != ERROR_SUCCESS) return Fail(refusal, INVALID_HANDLE_VALUE);
  int fd = ::open(at.host.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return Fail(ERROR_ACCESS_DENIED, INVALID_HANDLE_VALUE);
  Touch(at);
  std::string key = KeyOf(at.path);
  kept[key] = (flags & kKeptBits) | FILE_ATTRIBUTE_ARCHIVE;
  Located created = at;
  created.info = StatInside(at.host, at.drive->root);
  if (!created.info) {
    ::close(fd);
    return Fail(ERROR_ACCESS_DENIED, INVALID_HANDLE_VALUE);
  }
  return Register(fd, created, access, share);
}

HANDLE FileSystem::State::Register(int fd, const Located& at, DWORD access, DWORD share) {
  HANDLE handle = NewHandle();
  OpenFile open;
  open.fd = fd;
  open.access = access;
  open.share = share;
  open.device = at.info->device;
  open.inode = at.info->inode;
  open.drive = at.drive->letter;
  open.key = KeyOf(at.path);
  files[reinterpret_cast<std::uintptr_t>(handle)] = open;
  return handle;
}

// The count is zeroed before any check, as Windows does, so a failed call leaves no stale count.
BOOL FileSystem::ReadFile(HANDLE file, void* buffer, DWORD toRead, DWORD* read, void*) {
  if (read) *read = 0;
  OpenFile* open = state_->File(file);
  if (open == nullptr) return Fail(ERROR_INVALID_HANDLE, FALSE);
  if (!(open->access & GENERIC_READ)) return Fail(ERROR_ACCESS_DENIED, FALSE);
  if (buffer == nullptr && toRead > 0) return Fail(ERROR_INVALID_PARAMETER, FALSE);
  DWORD total = 0;
  while (open->fd >= 0 && total < toRead) {
    ssize_t n = pread(open->fd, static_cast<char*>(buffer) + total, toRead - total,
                      static_cast<off_t>(open->position));
    if (n < 0) return Fail(ERROR_ACCESS_DENIED, FALSE);
    if (n == 0) break;
    total += static_cast<DWORD>(n);
    open->position += static_cast<std::uint64_t>(n);
  }
  if (read) *read = total;
  return TRUE;
}

BOOL FileSystem::WriteFile(HANDLE file, const void* buffer, DWORD toWrite, DWORD* written, void*) {
  if (written) *written = 0;
  State& s = *state_;
  OpenFile* open = s.File(file);
  if (open == nullptr) return Fail(ERROR_INVALID_HANDLE, FALSE);
  if (!(open->access & GENERIC_WRITE)) return Fail(ERROR_ACCESS_DENIED, FALSE);
  if (buffer == nullptr && toWrite > 0) return Fail(ERROR_INVALID_PARAMETER, FALSE);
  if (open->fd < 0) {
    if (written) *written = toWrite;
    return TRUE;
  }
  // Only the bytes that lengthen the file take free space; those it overwrites do not.
  auto free = s.freeBytes.find(open->drive);
  DWORD fits = toWrite;
  std::uint64_t end = 0;
  if (free != s.freeBytes.end()) {
    struct stat st {};
    if (fstat(open->fd, &st) == 0) end = static_cast<std::uint64_t>(st.st_size);
    std::uint64_t overwritten = end > open->position ? end - open->position : 0;
    fits = static_cast<DWORD>(std::min<std::uint64_t>(toWrite, overwritten + free->second));
  }
  DWORD total = 0;
  while (total < fits) {
    ssize_t n = pwrite(open->fd, static_cast<const char*>(buffer) + total, fits - total,
                       static_cast<off_t>(open->position));
    if (n <= 0) break;
    total += static_cast<DWORD>(n);
    open->position += static_cast<std::uint64_t>(n);
  }
  if (free != s.freeBytes.end() && open->position > end) free->second -= open->position - end;
  if (total > 0) s.MarkWritten(open->key);
  if (written) *written = total;
  return total == toWrite ? TRUE : Fail(ERROR_DISK_FULL, FALSE);
}

DWORD FileSystem::SetFilePointer(HANDLE file, LONG distance, LONG* distanceHigh, DWORD method) {
  OpenFile* open = state_->File(file);
  if (open == nullptr) return Fail(ERROR_INVALID_HANDLE, INVALID_SET_FILE_POINTER);
  std::int64_t move = distance;
  if (distanceHigh)
    move = static_cast<std::int64_t>((std::uint64_t(DWORD(*distanceHigh)) << 32) | DWORD(distance));
  std::int64_t base = 0;
  if (method == FILE_CURRENT) {
    base = static_cast<std::int64_t>(open->position);
  } else if (method == FILE_END) {
    struct stat st;
    if (open->fd >= 0 && fstat(open->fd, &st) == 0) base = st.st_size;
  } else if (method != FILE_BEGIN) {
    return Fail(ERROR_INVALID_PARAMETER, INVALID_SET_FILE_POINTER);
  }
  if (base + move < 0) return Fail(ERROR_NEGATIVE_SEEK, INVALID_SET_FILE_POINTER);
  open->position = static_cast<std::uint64_t>(base + move);
  if (distanceHigh) *distanceHigh = static_cast<LONG>(open->position >> 32);
  auto low = static_cast<DWORD>(open->position & 0xFFFFFFFFu);
  // A position whose low half looks like the failure value is told apart by error 0.
  if (low == INVALID_SET_FILE_POINTER) ThreadLastError() = ERROR_SUCCESS;
  return low;
}

DWORD FileSystem::GetFileSize(HANDLE file, DWORD* sizeHigh) {
  OpenFile* open = state_->File(file);
  if (open == nullptr) return Fail(ERROR_INVALID_HANDLE, INVALID_FILE_SIZE);
  std::uint64_t size = 0;
  struct stat st;
  if (open->fd >= 0 && fstat(open->fd, &st) == 0) size = static_cast<std::uint64_t>(st.st_size);
  if (sizeHigh) *sizeHigh = static_cast<DWORD>(size >> 32);
  return static_cast<DWORD>(size & 0xFFFFFFFFu);
}

BOOL FileSystem::GetFileTime(HANDLE file, FILETIME* creation, FILETIME* lastAccess,
                             FILETIME* lastWrite) {
  OpenFile* open = state_->File(file);
  if (open == nullptr) return Fail(ERROR_INVALID_HANDLE, FALSE);
  struct stat st;
  if (open->fd < 0 || fstat(open->fd, &st) != 0) return Fail(ERROR_INVALID_FUNCTION, FALSE);
  FileTicks written = TicksFromUnixNs(st.st_mtim.tv_sec * 1'000'000'000LL + st.st_mtim.tv_nsec);
  FileTicks accessed = TicksFromUnixNs(st.st_atim.tv_sec * 1'000'000'000LL + st.st_atim.tv_nsec);
  // The host keeps no creation time; the last-write time stands in for it.
  if (creation) *creation = FileTimeOf(written);
  if (lastAccess) *lastAccess = FileTimeOf(accessed);
  if (lastWrite) *lastWrite = FileTimeOf(written);
  return TRUE;
}

BOOL FileSystem::SetFileTime(HANDLE file, const FILETIME*, const FILETIME* lastAccess,
                             const FILETIME* lastWrite) {
  OpenFile* open = state_->File(file);
  if (open == nullptr) return Fail(ERROR_INVALID_HANDLE, FALSE);
  if (!(open->access & GENERIC_WRITE)) return Fail(ERROR_ACCESS_DENIED, FALSE);
  if (open->fd < 0) return Fail(ERROR_INVALID_FUNCTION, FALSE);
  timespec times[2] = {TimespecOf(lastAccess), TimespecOf(lastWrite)};
  if (futimens(open->fd, times) != 0) return Fail(ERROR_INVALID_PARAMETER, FALSE);
  return TRUE;
}

BOOL FileSystem::CloseFile(HANDLE object) {
  auto it = state_->files.find(reinterpret_cast<std::uintptr_t>(object));
  if (it == state_->files.end()) return Fail(ERROR_INVALID_HANDLE, FALSE);
  if (it->second.fd >= 0) close(it->second.fd);
  state_->files.erase(it);
  return TRUE;
}

bool FileSystem::OwnsHandle(HANDLE object) const {
  return state_->files.count(reinterpret_cast<std::uintptr_t>(object)) != 0;
}

}  // namespace hosted
