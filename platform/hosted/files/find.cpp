// Directory search and short names.
#include <algorithm>
#include <cstring>

#include "platform/hosted/files/names.h"
#include "platform/hosted/files/state.h"
#include "platform/hosted/files/times.h"
#include "platform/hosted/text/codepage.h"

namespace hosted {

namespace {

void CopyName(char* out, std::size_t capacity, const std::string& name) {
  std::size_t n = std::min(name.size(), capacity - 1);
  std::memcpy(out, name.data(), n);
  out[n] = '\0';
}

Located Child(const Located& folder, const HostEntry& entry) {
  Located at = folder;
  at.path.names.push_back(entry.name);
  at.host /= entry.hostName;
  at.info = entry.info;
  return at;
}

}  // namespace

WIN32_FIND_DATAA FileSystem::State::FindData(const std::string& name, const std::string& alias,
                                             const Located& at) const {
  WIN32_FIND_DATAA data{};
  data.dwFileAttributes = Attributes(at);
  data.ftLastWriteTime = FileTimeOf(TicksFromUnixNs(at.info->mtimeNs));
  data.ftCreationTime = data.ftLastWriteTime;
  data.ftLastAccessTime = FileTimeOf(TicksFromUnixNs(at.info->atimeNs));
  data.nFileSizeHigh = static_cast<DWORD>(at.info->size >> 32);
  data.nFileSizeLow = static_cast<DWORD>(at.info->size & 0xFFFFFFFFu);
  CopyName(data.cFileName, sizeof data.cFileName, name);
  CopyName(data.cAlternateFileName, sizeof data.cAlternateFileName, alias);
  return data;
}

HANDLE FileSystem::FindFirstFileA(const char* pattern, WIN32_FIND_DATAA* data) {
  State& s = *state_;
  if (pattern == nullptr || data == nullptr)
    return Fail(ERROR_INVALID_PARAMETER, INVALID_HANDLE_VALUE);
  ParsedPath parsed = ParseWinPath(pattern, s.cwd, true);
  if (parsed.error != ERROR_SUCCESS) return Fail(parsed.error, INVALID_HANDLE_VALUE);
  if (parsed.trailingSeparator || parsed.path.names.empty())
    return Fail(ERROR_FILE_NOT_FOUND, INVALID_HANDLE_VALUE);
  std::optional<std::vector<WIN32_FIND_DATAA>> entries = s.Snapshot(parsed.path);
  if (!entries) return INVALID_HANDLE_VALUE;
  if (entries->empty()) return Fail(ERROR_FILE_NOT_FOUND, INVALID_HANDLE_VALUE);
  *data = entries->front();
  HANDLE handle = s.NewHandle();
  s.searches[reinterpret_cast<std::uintptr_t>(handle)] = Search{std::move(*entries), 1};
  return handle;
}

std::optional<std::vector<WIN32_FIND_DATAA>> FileSystem::State::Snapshot(const WinPath& path) {
  WinPath folderPath = path;
  std::string pattern = folderPath.names.back();
  folderPath.names.pop_back();
  if (!HasWildcards(pattern)) return SnapshotOne(path);
  std::optional<Located> folder = Locate(folderPath.Text().c_str());
  if (!folder) return std::nullopt;
  if (!folder->Exists()) return Fail(ERROR_PATH_NOT_FOUND, std::nullopt);
  if (!folder->IsDir()) return Fail(ERROR_DIRECTORY, std::nullopt);
  Pattern match(pattern);
  std::vector<WIN32_FIND_DATAA> found;
  if (!folder->path.names.empty()) {
    if (match.Matches(".")) found.push_back(FindData(".", "", *folder));
    if (match.Matches("..")) found.push_back(FindData("..", "", Parent(*folder)));
  }
  std::vector<HostEntry> entries = ListFolder(folder->host, folder->drive->root);
  std::vector<std::string> aliases;
  if (config.shortNames) aliases = AliasesOf(entries);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const std::string alias = config.shortNames ? aliases[i] : std::string();
    if (match.Matches(entries[i].name) || (!alias.empty() && match.Matches(alias)))
      found.push_back(FindData(entries[i].name, alias, Child(*folder, entries[i])));
  }
  return found;
}

std::optional<std::vector<WIN32_FIND_DATAA>> FileSystem::State::SnapshotOne(const WinPath& path) {
  if (IsDeviceName(path.names.back())) return std::vector<WIN32_FIND_DATAA>{};
  std::optional<Located> at = Locate(path.Text().c_str());
  if (!at) return std::nullopt;
  if (!at->Exists()) return std::vector<WIN32_FIND_DATAA>{};
  return std::vector<WIN32_FIND_DATAA>{FindData(at->path.names.back(), AliasOf(*at), *at)};
}

Located FileSystem::State::Parent(const Located& at) {
  Located parent = at;
  parent.path.names.pop_back();
  parent.host = at.host.parent_path();
  std::optional<HostInfo> info = StatInside(parent.host, at.drive->root);
  if (info) parent.info = info;
  return parent;
}

std::string FileSystem::State::AliasOf(const Located& at) const {
  if (at.path.names.empty()) return "";  // a drive's root has no name to shorten
  const std::string& name = at.path.names.back();
  if (!config.shortNames || IsValid83(name)) return "";
  std::vector<HostEntry> entries = ListFolder(at.host.parent_path(), at.drive->root);
  std::vector<std::string> aliases = AliasesOf(entries);
  for (std::size_t i = 0; i < entries.size(); ++i)
    if (entries[i].name == name) return aliases[i];
  return "";
}

BOOL FileSystem::FindNextFileA(HANDLE find, WIN32_FIND_DATAA* data) {
  auto it = state_->searches.find(reinterpret_cast<std::uintptr_t>(find));
  if (it == state_->searches.end()) return Fail(ERROR_INVALID_HANDLE, FALSE);
  Search& search = it->second;
  if (search.next >= search.entries.size()) return Fail(ERROR_NO_MORE_FILES, FALSE);
  if (data == nullptr) return Fail(ERROR_INVALID_PARAMETER, FALSE);
  *data = search.entries[search.next++];
  return TRUE;
}

BOOL FileSystem::FindClose(HANDLE find) {
  if (state_->searches.erase(reinterpret_cast<std::uintptr_t>(find)) == 0)
    return Fail(ERROR_INVALID_HANDLE, FALSE);
  return TRUE;
}

DWORD FileSystem::GetShortPathNameA(const char* longPath, char* shortPath, DWORD size) {
  State& s = *state_;
  if (longPath == nullptr) return Fail(ERROR_INVALID_PARAMETER, DWORD{0});
  if (!s.LocateExisting(longPath)) return 0;
  std::string text = s.config.shortNames ? s.ShortForm(longPath) : std::string(longPath);
  if (shortPath == nullptr || size <= text.size()) return static_cast<DWORD>(text.size() + 1);
  std::memcpy(shortPath, text.c_str(), text.size() + 1);
  return static_cast<DWORD>(text.size());
}

// Replaces each name that is not valid 8.3 with its alias; everything else of the text,
// separators and "." or ".." included, stays as given.
std::string FileSystem::State::ShortForm(std::string_view text) {
  std::size_t start = 0;
  WinPath folder = cwd;
  if (text.size() >= 2 && text[1] == ':') {
    folder = ParseWinPath(text.substr(0, 2), cwd).path;
    start = 2;
  }
  if (start < text.size() && IsSeparator(text[start])) folder.names.clear();
  std::string out(text.substr(0, start));
  while (start < text.size()) {
    std::size_t end = start;
    while (end < text.size() && !IsSeparator(text[end])) ++end;
    std::string part(text.substr(start, end - start));
    ParsedPath step = ParseWinPath(part.empty() ? "." : part, folder);
    if (!part.empty() && part != "." && part != ".." && !IsValid83(part)) {
      std::optional<Located> at = Locate(step.path.Text().c_str(), false, true);
      std::string alias = at && at->Exists() ? AliasOf(*at) : "";
      if (!alias.empty()) part = alias;
    }
    folder = step.path;
    out += part;
    for (; end < text.size() && IsSeparator(text[end]); ++end) out += text[end];
    start = end;
  }
  return out;
}

}  // namespace hosted
