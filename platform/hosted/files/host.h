// The host side of the simulated drives: what a host folder shows to Windows.
//
// Only regular files and folders whose names Windows can represent are visible; a
// symlink is followed only when its target stays inside the drive's folder.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace hosted {

struct HostInfo {
  bool dir = false;
  std::uint64_t size = 0;
  std::int64_t mtimeNs = 0;  // since 1970
  std::int64_t atimeNs = 0;
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
};

struct HostEntry {
  std::string hostName;  // UTF-8, as on the host
  std::string name;      // the ANSI name Windows sees
  HostInfo info;
};

// The ANSI form of a host name, nullopt when Windows cannot represent it.
std::optional<std::string> WindowsName(const std::string& hostName);

// What path is, seen from the drive whose canonical folder is root; nullopt when it is
// absent or invisible.
std::optional<HostInfo> StatInside(const std::filesystem::path& path, const std::string& root);

// The visible entries of a folder in the order NTFS lists them (by upper-cased name).
// One stat per entry.
std::vector<HostEntry> ListFolder(const std::filesystem::path& dir, const std::string& root);

// The entry of dir whose name equals name without regard to case; the exact host name
// is tried first.
std::optional<HostEntry> FindEntry(const std::filesystem::path& dir, const std::string& name,
                                   const std::string& root);

}  // namespace hosted

namespace hosted {

// The 8.3 aliases of a folder listing ("" for a name that is its own short name).
std::vector<std::string> AliasesOf(const std::vector<HostEntry>& entries);

// The entry of dir whose 8.3 alias equals name without regard to case.
std::optional<HostEntry> FindByAlias(const std::filesystem::path& dir, const std::string& name,
                                     const std::string& root);

}  // namespace hosted
