#include "platform/hosted/files/host.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <climits>
#include <cstdlib>

#include "platform/hosted/files/names.h"
#include "platform/hosted/files/path.h"
#include "platform/hosted/text/codepage.h"

namespace hosted {

namespace fs = std::filesystem;

namespace {

std::optional<HostInfo> InfoOf(const struct stat& st) {
  if (!S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode)) return std::nullopt;
  HostInfo info;
  info.dir = S_ISDIR(st.st_mode);
  info.size = info.dir ? 0 : static_cast<std::uint64_t>(st.st_size);
  info.mtimeNs = st.st_mtim.tv_sec * 1'000'000'000LL + st.st_mtim.tv_nsec;
  info.atimeNs = st.st_atim.tv_sec * 1'000'000'000LL + st.st_atim.tv_nsec;
  info.device = st.st_dev;
  info.inode = st.st_ino;
  return info;
}

bool Inside(const std::string& canonical, const std::string& root) {
  return canonical == root ||
         (canonical.size() > root.size() && canonical.compare(0, root.size(), root) == 0 &&
          canonical[root.size()] == '/');
}

std::optional<HostInfo> FollowLink(const fs::path& path, const std::string& root) {
  char resolved[PATH_MAX];
  if (realpath(path.c_str(), resolved) == nullptr || !Inside(resolved, root)) return std::nullopt;
  struct stat st;
  if (stat(resolved, &st) != 0) return std::nullopt;
  return InfoOf(st);
}

class Dir {
 public:
  explicit Dir(const fs::path& path) : dir_(opendir(path.c_str())) {}
  ~Dir() {
    if (dir_) closedir(dir_);
  }
  Dir(const Dir&) = delete;
  Dir& operator=(const Dir&) = delete;
  // The next name other than "." and "..", null at the end.
  const char* Next() {
    while (dir_ != nullptr) {
      dirent* entry = readdir(dir_);
      if (entry == nullptr) return nullptr;
      std::string_view name = entry->d_name;
      if (name != "." && name != "..") return entry->d_name;
    }
    return nullptr;
  }
  int Fd() const { return dir_ ? dirfd(dir_) : -1; }

 private:
  DIR* dir_;
};

std::optional<HostInfo> StatAt(int dirFd, const fs::path& dir, const char* name,
                               const std::string& root) {
  struct stat st;
  if (fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) return std::nullopt;
  if (S_ISLNK(st.st_mode)) return FollowLink(dir / name, root);
  return InfoOf(st);
}

bool FolderOrder(const HostEntry& a, const HostEntry& b, const std::string& keyA,
                 const std::string& keyB) {
  return keyA != keyB ? keyA < keyB : a.name < b.name;
}

}  // namespace

std::optional<std::string> WindowsName(const std::string& hostName) {
  std::optional<std::string> name = Utf8ToAnsi(hostName);
  if (!name || !IsRepresentableName(*name)) return std::nullopt;
  return name;
}

std::optional<HostInfo> StatInside(const fs::path& path, const std::string& root) {
  struct stat st;
  if (lstat(path.c_str(), &st) != 0) return std::nullopt;
  if (S_ISLNK(st.st_mode)) return FollowLink(path, root);
  return InfoOf(st);
}

std::vector<HostEntry> ListFolder(const fs::path& dir, const std::string& root) {
  std::vector<HostEntry> entries;
  Dir folder(dir);
  while (const char* hostName = folder.Next()) {
    std::optional<std::string> name = WindowsName(hostName);
    if (!name) continue;
    std::optional<HostInfo> info = StatAt(folder.Fd(), dir, hostName, root);
    if (info) entries.push_back({hostName, std::move(*name), *info});
  }
  std::vector<std::string> keys;
  keys.reserve(entries.size());
  for (const HostEntry& e : entries) keys.push_back(UpperAnsi(e.name));
  std::vector<std::size_t> order(entries.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return FolderOrder(entries[a], entries[b], keys[a], keys[b]);
  });
  std::vector<HostEntry> sorted;
  sorted.reserve(entries.size());
  for (std::size_t i : order) sorted.push_back(std::move(entries[i]));
  return sorted;
}

std::optional<HostEntry> FindEntry(const fs::path& dir, const std::string& name,
                                   const std::string& root) {
  std::string exact = AnsiToUtf8(name);
  if (std::optional<HostInfo> info = StatInside(dir / exact, root))
    return HostEntry{exact, name, *info};
  std::optional<HostEntry> best;
  Dir folder(dir);
  while (const char* hostName = folder.Next()) {
    std::optional<std::string> candidate = WindowsName(hostName);
    if (!candidate || !EqualNoCase(*candidate, name)) continue;
    if (best && best->name < *candidate) continue;
    if (std::optional<HostInfo> info = StatAt(folder.Fd(), dir, hostName, root))
      best = HostEntry{hostName, std::move(*candidate), *info};
  }
  return best;
}

}  // namespace hosted

namespace hosted {

std::vector<std::string> AliasesOf(const std::vector<HostEntry>& entries) {
  std::vector<std::string> names;
  names.reserve(entries.size());
  for (const HostEntry& e : entries) names.push_back(e.name);
  return MakeAliases(names);
}

std::optional<HostEntry> FindByAlias(const fs::path& dir, const std::string& name,
                                     const std::string& root) {
  if (name.find('~') == std::string::npos) return std::nullopt;
  std::vector<HostEntry> entries = ListFolder(dir, root);
  std::vector<std::string> aliases = AliasesOf(entries);
  for (std::size_t i = 0; i < entries.size(); ++i)
    if (EqualNoCase(aliases[i], name)) return entries[i];
  return std::nullopt;
}

}  // namespace hosted
