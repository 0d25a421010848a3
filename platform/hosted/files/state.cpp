#include "platform/hosted/files/state.h"

#include "platform/hosted/text/codepage.h"

namespace hosted {

namespace {

constexpr char kNoDiskText[] = "There is no disk in the drive. Please insert a disk into drive ";

bool Below(const std::string& key, const std::string& folder) {
  if (key.size() < folder.size() || key.compare(0, folder.size(), folder) != 0) return false;
  return key.size() == folder.size() || folder.back() == '\\' || key[folder.size()] == '\\';
}

}  // namespace

std::string KeyOf(const WinPath& path) { return UpperAnsi(path.Text()); }

const Drive* FileSystem::State::FindDrive(char letter) const {
  for (const Drive& d : drives)
    if (d.letter == letter) return &d;
  return nullptr;
}

std::optional<Located> FileSystem::State::Locate(const char* text, bool wildcards, bool quiet) {
  if (text == nullptr) return Fail(ERROR_PATH_NOT_FOUND, std::nullopt);
  ParsedPath parsed = ParseWinPath(text, cwd, wildcards);
  if (parsed.error != ERROR_SUCCESS) return Fail(parsed.error, std::nullopt);
  Located at;
  at.path.drive = parsed.path.drive;
  if (!parsed.path.names.empty() && IsDeviceName(parsed.path.names.back())) {
    at.device = true;
    at.path = parsed.path;
    return at;
  }
  at.drive = FindDrive(parsed.path.drive);
  if (at.drive == nullptr) return Fail(ERROR_PATH_NOT_FOUND, std::nullopt);
  if (!at.drive->folder) {
    if (!quiet && (errorMode & SEM_FAILCRITICALERRORS) == 0) {
      std::string drive{at.drive->letter, ':'};
      events.CriticalError(drive, kNoDiskText + drive + ".");
    }
    return Fail(ERROR_NOT_READY, std::nullopt);
  }
  at.host = *at.drive->folder;
  at.info = StatInside(at.host, at.drive->root);
  const std::vector<std::string>& names = parsed.path.names;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (!at.IsDir()) return Fail(ERROR_PATH_NOT_FOUND, std::nullopt);
    std::optional<HostEntry> entry = FindEntry(at.host, names[i], at.drive->root);
    if (!entry && config.shortNames) entry = FindByAlias(at.host, names[i], at.drive->root);
    if (entry) {
      at.host /= entry->hostName;
      at.path.names.push_back(entry->name);
      at.info = entry->info;
    } else {
      at.host /= AnsiToUtf8(names[i]);
      at.path.names.push_back(names[i]);
      at.info.reset();
      if (i + 1 < names.size()) return Fail(ERROR_PATH_NOT_FOUND, std::nullopt);
    }
  }
  return at;
}

DWORD FileSystem::State::WriteRefusal(const Located& at) const {
  if (at.device || at.drive->readOnly) return ERROR_ACCESS_DENIED;
  if (admin) return ERROR_SUCCESS;
  std::string key = KeyOf(at.path);
  for (const std::string& folder : protectedKeys)
    if (Below(key, folder)) return ERROR_ACCESS_DENIED;
  return ERROR_SUCCESS;
}

DWORD FileSystem::State::Attributes(const Located& at) const {
  DWORD attributes = at.IsDir() ? FILE_ATTRIBUTE_DIRECTORY : 0;
  auto it = kept.find(KeyOf(at.path));
  if (it != kept.end()) attributes |= it->second;
  return attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes;
}

void FileSystem::State::Touch(const Located& at) {
  std::string key = KeyOf(at.path);
  if (at.IsDir() || touched.count(key) != 0) return;
  Before before;
  before.path = at.path.Text();
  before.existed = at.Exists();
  if (at.info) {
    before.size = at.info->size;
    before.mtimeNs = at.info->mtimeNs;
    before.attributes = Attributes(at);
  }
  touched.emplace(key, before);
}

void FileSystem::State::GiveBack(const Located& at) {
  auto free = freeBytes.find(at.drive->letter);
  if (free != freeBytes.end() && at.info) free->second += at.info->size;
}

void FileSystem::State::MarkWritten(const std::string& key) {
  auto it = touched.find(key);
  if (it != touched.end()) it->second.written = true;
  kept[key] |= FILE_ATTRIBUTE_ARCHIVE;
}

HANDLE FileSystem::State::NewHandle() {
  nextHandle += 4;
  return reinterpret_cast<HANDLE>(nextHandle);
}

OpenFile* FileSystem::State::File(HANDLE handle) {
  auto it = files.find(reinterpret_cast<std::uintptr_t>(handle));
  return it == files.end() ? nullptr : &it->second;
}

// Windows compares each open's access with the other's share mode, both ways; an open
// without read or write access takes part in neither direction.
bool FileSystem::State::SharingAllows(const Located& at, DWORD access, DWORD share) const {
  constexpr DWORD kData = GENERIC_READ | GENERIC_WRITE;
  if ((access & kData) == 0 || !at.info) return true;
  for (const auto& [handle, open] : files) {
    if (open.fd < 0 || open.device != at.info->device || open.inode != at.info->inode) continue;
    if ((open.access & kData) == 0) continue;
    if ((access & GENERIC_READ) && !(open.share & FILE_SHARE_READ)) return false;
    if ((access & GENERIC_WRITE) && !(open.share & FILE_SHARE_WRITE)) return false;
    if ((open.access & GENERIC_READ) && !(share & FILE_SHARE_READ)) return false;
    if ((open.access & GENERIC_WRITE) && !(share & FILE_SHARE_WRITE)) return false;
  }
  return true;
}

bool FileSystem::State::OpenWithoutDeleteShare(const Located& at) const {
  if (!at.info) return false;
  for (const auto& [handle, open] : files) {
    if (open.fd >= 0 && open.device == at.info->device && open.inode == at.info->inode &&
        !(open.share & FILE_SHARE_DELETE))
      return true;
  }
  return false;
}

}  // namespace hosted
