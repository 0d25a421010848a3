// Calls on files and folders by name: attributes, delete, move, folders.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/hosted/files/state.h"
#include "platform/hosted/text/codepage.h"

namespace hosted {

namespace fs = std::filesystem;

namespace {

constexpr DWORD ERROR_NOT_SAME_DEVICE = 17;

bool SameObject(const Located& a, const Located& b) {
  return a.info && b.info && a.info->device == b.info->device && a.info->inode == b.info->inode;
}

// Moves a file to another host folder tree, where rename cannot.
bool CopyAcross(const Located& from, const Located& to) {
  std::error_code ec;
  fs::copy_file(from.host, to.host, ec);
  if (ec) return false;
  fs::last_write_time(to.host, fs::last_write_time(from.host, ec), ec);
  return unlink(from.host.c_str()) == 0;
}

}  // namespace

std::optional<Located> FileSystem::State::LocateExisting(const char* text) {
  std::optional<Located> at = Locate(text);
  if (at && (at->device || !at->Exists())) return Fail(ERROR_FILE_NOT_FOUND, std::nullopt);
  return at;
}

void FileSystem::State::Rename(const Located& from, const Located& to) {
  std::string oldKey = KeyOf(from.path), newKey = KeyOf(to.path);
  std::map<std::string, DWORD> moved;
  for (auto it = kept.begin(); it != kept.end();) {
    const std::string& key = it->first;
    bool below = key.compare(0, oldKey.size(), oldKey) == 0 &&
                 (key.size() == oldKey.size() || key[oldKey.size()] == '\\');
    if (!below) {
      ++it;
      continue;
    }
    moved[newKey + key.substr(oldKey.size())] = it->second;
    it = kept.erase(it);
  }
  kept.merge(moved);
}

DWORD FileSystem::GetFileAttributesA(const char* name) {
  std::optional<Located> at = state_->LocateExisting(name);
  return at ? state_->Attributes(*at) : INVALID_FILE_ATTRIBUTES;
}

BOOL FileSystem::SetFileAttributesA(const char* name, DWORD attributes) {
  State& s = *state_;
  std::optional<Located> at = s.LocateExisting(name);
  if (!at) return FALSE;
  DWORD refusal = s.WriteRefusal(*at);
  if (refusal != ERROR_SUCCESS) return Fail(refusal, FALSE);
  s.Touch(*at);
  s.kept[KeyOf(at->path)] = attributes & kKeptBits;
  return TRUE;
}

BOOL FileSystem::DeleteFileA(const char* name) {
  State& s = *state_;
  std::optional<Located> at = s.Locate(name);
  if (!at) return FALSE;
  if (at->device || at->IsDir()) return Fail(ERROR_ACCESS_DENIED, FALSE);
  if (!at->Exists()) return Fail(ERROR_FILE_NOT_FOUND, FALSE);
  DWORD refusal = s.WriteRefusal(*at);
  if (refusal != ERROR_SUCCESS) return Fail(refusal, FALSE);
  if (s.OpenWithoutDeleteShare(*at)) return Fail(ERROR_SHARING_VIOLATION, FALSE);
  if (s.Attributes(*at) & FILE_ATTRIBUTE_READONLY) return Fail(ERROR_ACCESS_DENIED, FALSE);
  s.Touch(*at);
  if (unlink(at->host.c_str()) != 0) return Fail(ERROR_ACCESS_DENIED, FALSE);
  s.GiveBack(*at);
  s.kept.erase(KeyOf(at->path));
  return TRUE;
}

BOOL FileSystem::MoveFileA(const char* from, const char* to) {
  State& s = *state_;
  std::optional<Located> source = s.LocateExisting(from);
  if (!source) return FALSE;
  std::optional<Located> target = s.Locate(to);
  if (!target) return FALSE;
  for (const Located* at : {&*source, &*target}) {
    DWORD refusal = s.WriteRefusal(*at);
    if (refusal != ERROR_SUCCESS) return Fail(refusal, FALSE);
  }
  if (SameObject(*source, *target) && source->host == target->host) return TRUE;
  if (target->Exists() && !SameObject(*source, *target)) return Fail(ERROR_ALREADY_EXISTS, FALSE);
  // A host entry the machine hides (a link out of the drive) still holds its name: a move
  // onto it would replace it, as a create cannot.
  struct stat hidden;
  if (!target->Exists() && lstat(target->host.c_str(), &hidden) == 0)
    return Fail(ERROR_ACCESS_DENIED, FALSE);
  if (s.OpenWithoutDeleteShare(*source)) return Fail(ERROR_SHARING_VIOLATION, FALSE);
  bool acrossDrives = source->drive != target->drive;
  if (acrossDrives && source->IsDir()) return Fail(ERROR_NOT_SAME_DEVICE, FALSE);
  // A move to another drive is a copy: the file takes room there and gives it back here.
  auto free = acrossDrives ? s.freeBytes.find(target->drive->letter) : s.freeBytes.end();
  if (free != s.freeBytes.end() && source->info->size > free->second)
    return Fail(ERROR_DISK_FULL, FALSE);
  s.Touch(*source);
  s.Touch(*target);
  bool moved = std::rename(source->host.c_str(), target->host.c_str()) == 0;
  if (!moved && (acrossDrives || errno == EXDEV) && !source->IsDir())
    moved = CopyAcross(*source, *target);
  if (!moved) return Fail(ERROR_ACCESS_DENIED, FALSE);
  if (acrossDrives) {
    if (free != s.freeBytes.end()) free->second -= source->info->size;
    s.GiveBack(*source);
  }
  s.Rename(*source, *target);
  return TRUE;
}

BOOL FileSystem::CreateDirectoryA(const char* name, void*) {
  State& s = *state_;
  std::optional<Located> at = s.Locate(name);
  if (!at) return FALSE;
  if (at->device || at->path.names.empty()) return Fail(ERROR_ACCESS_DENIED, FALSE);
  if (at->Exists()) return Fail(ERROR_ALREADY_EXISTS, FALSE);
  DWORD refusal = s.WriteRefusal(*at);
  if (refusal != ERROR_SUCCESS) return Fail(refusal, FALSE);
  if (mkdir(at->host.c_str(), 0777) != 0) return Fail(ERROR_ACCESS_DENIED, FALSE);
  return TRUE;
}

BOOL FileSystem::RemoveDirectoryA(const char* name) {
  State& s = *state_;
  std::optional<Located> at = s.LocateExisting(name);
  if (!at) return FALSE;
  if (!at->IsDir()) return Fail(ERROR_DIRECTORY, FALSE);
  if (at->path.names.empty()) return Fail(ERROR_ACCESS_DENIED, FALSE);
  DWORD refusal = s.WriteRefusal(*at);
  if (refusal != ERROR_SUCCESS) return Fail(refusal, FALSE);
  if (s.Attributes(*at) & FILE_ATTRIBUTE_READONLY) return Fail(ERROR_ACCESS_DENIED, FALSE);
  // The process holds its current directory open, so Windows cannot remove it.
  std::optional<Located> cwd = s.Locate(s.cwd.Text().c_str(), false, true);
  if (cwd && SameObject(*cwd, *at)) return Fail(ERROR_SHARING_VIOLATION, FALSE);
  if (rmdir(at->host.c_str()) != 0)
    return Fail(errno == ENOTEMPTY || errno == EEXIST ? ERROR_DIR_NOT_EMPTY : ERROR_ACCESS_DENIED,
                FALSE);
  s.kept.erase(KeyOf(at->path));
  return TRUE;
}

}  // namespace hosted
