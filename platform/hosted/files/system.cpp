// Current directory, temporary path, drives, error mode, file-time conversions, program
// probing and the run's file changes.
#include <cstring>
#include <fstream>

#include "platform/hosted/files/state.h"
#include "platform/hosted/files/times.h"

namespace hosted {

namespace {

constexpr std::int64_t kTicksPerSecond = 10'000'000;

// Copies text out by the rule GetCurrentDirectoryA and its kin share: the length
// without NUL when it fits, else the size needed and nothing written.
DWORD CopyOut(const std::string& text, char* buffer, DWORD size) {
  if (buffer == nullptr || size <= text.size()) return static_cast<DWORD>(text.size() + 1);
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  return static_cast<DWORD>(text.size());
}

UINT DriveType(DriveKind kind) {
  switch (kind) {
    case DriveKind::Fixed:
      return DRIVE_FIXED;
    case DriveKind::CdRom:
      return DRIVE_CDROM;
    case DriveKind::Removable:
      return DRIVE_REMOVABLE;
    case DriveKind::Remote:
      return DRIVE_REMOTE;
    case DriveKind::RamDisk:
      return DRIVE_RAMDISK;
  }
  return DRIVE_UNKNOWN;
}

bool IsAbsolute(std::string_view name) {
  return (name.size() >= 2 && name[1] == ':') || (!name.empty() && IsSeparator(name[0]));
}

// The program names CreateProcess tries for a command line, in order.
std::vector<std::string> Candidates(std::string_view line) {
  while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
  if (!line.empty() && line.front() == '"') {
    std::size_t close = line.find('"', 1);
    return {std::string(line.substr(1, close == std::string_view::npos ? close : close - 1))};
  }
  std::vector<std::string> names;
  for (std::size_t i = 1; i <= line.size(); ++i)
    if (i == line.size() || (line[i] == ' ' && line[i - 1] != ' '))
      names.emplace_back(line.substr(0, i));
  return names;
}

std::string WithExtension(std::string name) {
  std::size_t last = name.find_last_of("\\/:");
  std::size_t start = last == std::string::npos ? 0 : last + 1;
  if (name.find('.', start) == std::string::npos) name += ".exe";
  return name;
}

bool StartsWithMz(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  char magic[2] = {};
  return in.read(magic, 2) && magic[0] == 'M' && magic[1] == 'Z';
}

// Windows adds the bias without a range check: a time near either end wraps around.
FileTicks Shift(const FILETIME* in, std::int64_t seconds) {
  return TicksOf(*in) + static_cast<FileTicks>(seconds * kTicksPerSecond);
}

}  // namespace

BOOL FileSystem::SetCurrentDirectoryA(const char* path) {
  State& s = *state_;
  std::optional<Located> at = s.LocateExisting(path);
  if (!at) return FALSE;
  if (!at->IsDir()) return Fail(ERROR_DIRECTORY, FALSE);
  // Windows keeps the directory as it was written, not as the disk spells it.
  s.cwd = ParseWinPath(path, s.cwd).path;
  return TRUE;
}

std::string FileSystem::CurrentDirectory() const { return state_->cwd.Text(); }

DWORD FileSystem::GetCurrentDirectoryA(DWORD size, char* buffer) {
  return CopyOut(CurrentDirectory(), buffer, size);
}

DWORD FileSystem::GetTempPathA(DWORD size, char* buffer) {
  const std::string& temp = state_->config.temp;
  if (temp.empty()) return Fail(ERROR_ENVVAR_NOT_FOUND, DWORD{0});
  return CopyOut(temp, buffer, size);
}

UINT FileSystem::GetDriveTypeA(const char* root) {
  State& s = *state_;
  char letter = s.cwd.drive;
  if (root != nullptr) {
    std::string_view r = root;
    bool form = (r.size() == 2 || (r.size() == 3 && IsSeparator(r[2]))) && r[1] == ':';
    char upper = form ? static_cast<char>(r[0] & ~0x20) : '\0';
    if (upper < 'A' || upper > 'Z') return DRIVE_NO_ROOT_DIR;
    letter = upper;
  }
  const Drive* drive = s.FindDrive(letter);
  return drive ? DriveType(drive->kind) : DRIVE_NO_ROOT_DIR;
}

UINT FileSystem::SetErrorMode(UINT mode) {
  UINT previous = state_->errorMode;
  state_->errorMode = mode;
  return previous;
}

BOOL FileSystem::FileTimeToLocalFileTime(const FILETIME* utc, FILETIME* local) {
  if (utc == nullptr || local == nullptr) return Fail(ERROR_INVALID_PARAMETER, FALSE);
  *local = FileTimeOf(Shift(utc, LocalBiasNow(state_->config.timezone)));
  return TRUE;
}

BOOL FileSystem::LocalFileTimeToFileTime(const FILETIME* local, FILETIME* utc) {
  if (utc == nullptr || local == nullptr) return Fail(ERROR_INVALID_PARAMETER, FALSE);
  *utc = FileTimeOf(Shift(local, -LocalBiasNow(state_->config.timezone)));
  return TRUE;
}

BOOL FileSystem::FileTimeToDosDateTime(const FILETIME* time, WORD* date, WORD* dosTime) {
  if (time == nullptr) return Fail(ERROR_INVALID_PARAMETER, FALSE);
  std::optional<DosStamp> stamp = ToDosStamp(TicksOf(*time));
  if (!stamp) return Fail(ERROR_INVALID_PARAMETER, FALSE);
  if (date) *date = stamp->date;
  if (dosTime) *dosTime = stamp->time;
  return TRUE;
}

BOOL FileSystem::DosDateTimeToFileTime(WORD date, WORD dosTime, FILETIME* time) {
  if (time == nullptr) return Fail(ERROR_INVALID_PARAMETER, FALSE);
  std::optional<FileTicks> ticks = FromDosStamp(date, dosTime);
  if (!ticks) return Fail(ERROR_INVALID_PARAMETER, FALSE);
  *time = FileTimeOf(*ticks);
  return TRUE;
}

UINT FileSystem::ProbeProgram(const std::string& cmdLine, const std::string& appPath) {
  State& s = *state_;
  DWORD saved = ThreadLastError();
  std::size_t slash = appPath.find_last_of("\\/");
  std::string appFolder = slash == std::string::npos ? "" : appPath.substr(0, slash + 1);
  DWORD failure = ERROR_FILE_NOT_FOUND;
  for (const std::string& candidate : Candidates(cmdLine)) {
    std::string name = WithExtension(candidate);
    std::vector<std::string> tries = {name};
    if (!IsAbsolute(name) && !appFolder.empty()) tries.insert(tries.begin(), appFolder + name);
    for (const std::string& text : tries) {
      std::optional<Located> at = s.Locate(text.c_str());
      if (at && at->Exists() && !at->IsDir()) {
        if (!StartsWithMz(at->host)) return Fail(ERROR_BAD_FORMAT, UINT{ERROR_BAD_FORMAT});
        ThreadLastError() = saved;
        return 33;
      }
      DWORD error = at ? ERROR_FILE_NOT_FOUND : ThreadLastError();
      if (error < 32) failure = error;
    }
  }
  return Fail(failure, static_cast<UINT>(failure));
}

bool FileSystem::Exists(const std::string& path) const {
  DWORD saved = ThreadLastError();
  std::optional<Located> at = state_->Locate(path.c_str(), false, true);
  ThreadLastError() = saved;
  return at && at->Exists();
}

std::vector<FileChange> FileSystem::Changes() const {
  DWORD saved = ThreadLastError();
  std::vector<FileChange> changes;
  for (const auto& [key, before] : state_->touched) {
    std::optional<Located> at = state_->Locate(before.path.c_str(), false, true);
    bool now = at && at->Exists() && !at->IsDir();
    if (before.existed && !now) {
      changes.push_back({before.path, "deleted"});
    } else if (!before.existed && now) {
      changes.push_back({before.path, "created"});
    } else if (now && (before.written || before.size != at->info->size ||
                       before.mtimeNs != at->info->mtimeNs ||
                       before.attributes != state_->Attributes(*at))) {
      changes.push_back({before.path, "modified"});
    }
  }
  ThreadLastError() = saved;
  return changes;
}

}  // namespace hosted
