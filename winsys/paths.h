// Path splitting and naming, short and temporary paths, and the writable-directory probe.
#pragma once

#include <cstdint>
#include <string>

namespace winsys {

// Paths divide at ":" and "\" only. PathPart keeps the divider; NamePart is what follows
// it, at most 255 characters.
std::string PathPart(const std::string& path);
std::string NamePart(const std::string& path);
// Appends "\" unless the path is empty or already ends in one.
std::string AddBackslash(const std::string& path);
// The platform's short form of the path, or the path itself when there is none that fits.
std::string ShortPath(const std::string& path);
// The temporary directory ending in "\", or empty after a "GetTempPath" report.
std::string GetTempDir();
// Negative, 0 (equal) or positive under the user's locale, ignoring case; -2 when the
// platform cannot compare.
std::int32_t CompareNoCase(const std::string& a, const std::string& b);
// The path with the characters that file names cannot hold replaced in its name part.
std::string SanitizeFileName(const std::string& path);
// True when the letter names a drive of a known type, with or without a medium.
bool DriveExists(char letter);
// Suppresses the platform's critical-error boxes (saving the mode in force), or restores
// the saved mode. Calls do not nest.
void SetCriticalErrorBoxes(bool suppress);
// True when a scratch file could be created and written in the directory.
bool IsWritableDir(const std::string& dir);

}  // namespace winsys
