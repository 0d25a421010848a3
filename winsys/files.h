// File access by open mode, and the file operations built on it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace winsys {

// An open mode: access in bits 1-0 (0 read, 1 write, 2 both), sharing in bits 7-4
// (0 and 1 none, 2 others may read, 3 others may write, 4 others may do both).
constexpr std::uint8_t kModeReadShareRead = 0x20;
constexpr std::uint8_t kModeWriteExclusive = 0x11;
constexpr std::uint8_t kModeReadShareAll = 0x40;
constexpr std::uint8_t kModeReadWriteShareAll = 0x42;

// Opens an existing file; INVALID_HANDLE_VALUE on failure.
platform::HANDLE FileOpen(const std::string& path, std::uint8_t mode);
// Creates or truncates a file for reading and writing, not shared; INVALID_HANDLE_VALUE on
// failure.
platform::HANDLE FileCreate(const std::string& path);
// The byte count, -1 on failure.
int FileRead(platform::HANDLE file, void* buffer, platform::DWORD count);
int FileWrite(platform::HANDLE file, const void* buffer, platform::DWORD count);
// Moves to the end of the file; false on failure.
bool FileSeekEnd(platform::HANDLE file);
void FileClose(platform::HANDLE file);

// A file stamp: the last-write time as a packed local date (high word) and time (low word),
// compared as a signed number (greater is newer).
using FileStamp = std::int32_t;

// True for a non-empty path that names an existing file with a stamp (no directory).
bool FileExistsNonEmpty(const std::string& path);
// The stamp of the first entry the directory search finds for the path; -1 when there is
// none, it is a directory or its time has no packed form.
FileStamp PathStamp(const std::string& path);
// The size in bytes; -1 when there is no such file or it does not fit 31 bits.
std::int32_t GetFileSizeOrMinus1(const std::string& path);
// Equal sizes and, by stamp, equal stamps (no file is opened), else equal contents.
bool FilesMatch(const std::string& a, const std::string& b, bool byStamp);
// Replaces the target with a copy of the source carrying the source's stamp, unless the pair
// already matches by stamp. True when it matched or the copy ran to its end. Records the
// outcome in Winsys().lastCopyStatus.
bool CopyFileKeepDate(const std::string& source, const std::string& target);
// Creates an empty file when none exists; an existing one is left as it is.
void EnsureFileExists(const std::string& path);
// Clears the attributes and deletes; true unless an existing file failed to delete.
bool DeleteFileForced(const std::string& path);
// The stamp of the opened file: 0 when it does not open, -1 when its time is unreadable.
FileStamp GetFileStamp(const std::string& path);
// Sets the last-write time from a stamp; a failure changes nothing and is not reported.
void SetFileStamp(const std::string& path, FileStamp stamp);
// Writes the lines, each followed by CR LF, to the sanitised file name, replacing any content.
// Raises EInOutError when the file cannot be created or written.
void SaveListToFile(const std::vector<std::string>& lines, const std::string& fileName);

}  // namespace winsys
