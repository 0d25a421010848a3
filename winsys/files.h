// File access by open mode, and the file operations built on it.
#pragma once

#include <cstdint>
#include <string>

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

}  // namespace winsys
