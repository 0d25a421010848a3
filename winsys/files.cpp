#include "winsys/files.h"

#include <cstring>
#include <limits>

#include "winsys/errors.h"
#include "winsys/paths.h"
#include "winsys/winsys.h"

namespace winsys {

using namespace platform;

namespace {

DWORD AccessOf(std::uint8_t mode) {
  switch (mode & 0x3) {
    case 0:
      return GENERIC_READ;
    case 1:
      return GENERIC_WRITE;
    default:
      return GENERIC_READ | GENERIC_WRITE;
  }
}

DWORD SharingOf(std::uint8_t mode) {
  switch (mode >> 4) {
    case 2:
      return FILE_SHARE_READ;
    case 3:
      return FILE_SHARE_WRITE;
    case 4:
      return FILE_SHARE_READ | FILE_SHARE_WRITE;
    default:
      return 0;
  }
}

constexpr DWORD kBlockSize = 65536;
// The run-time's code for a write that fell short.
constexpr int kDiskFullCode = 101;

// The last copy status, kept for diagnosis only. A read that fails during the copy counts as a
// failure of the source.
enum CopyStatus { kCopyDone = 0, kSourceFailed = 1, kTargetFailed = 2, kWriteShort = 3 };

FileStamp PackStamp(const FILETIME& utc) {
  Platform& os = Current();
  FILETIME local{};
  WORD date = 0;
  WORD time = 0;
  if (!os.FileTimeToLocalFileTime(&utc, &local)) return -1;
  if (!os.FileTimeToDosDateTime(&local, &date, &time)) return -1;
  return static_cast<FileStamp>((static_cast<std::uint32_t>(date) << 16) | time);
}

// Reads both files block by block; a failed read is a mismatch.
bool ContentsMatch(HANDLE a, HANDLE b) {
  std::vector<char> blockA(kBlockSize);
  std::vector<char> blockB(kBlockSize);
  for (;;) {
    int countA = FileRead(a, blockA.data(), kBlockSize);
    if (countA < 0) return false;
    if (countA == 0) return true;
    int countB = FileRead(b, blockB.data(), kBlockSize);
    if (countB != countA) return false;
    if (std::memcmp(blockA.data(), blockB.data(), static_cast<std::size_t>(countA)) != 0) {
      return false;
    }
  }
}

// Copies block by block. A failed read, or a write that falls short, answers false.
bool CopyBlocks(HANDLE source, HANDLE target) {
  std::vector<char> block(kBlockSize);
  for (;;) {
    int count = FileRead(source, block.data(), kBlockSize);
    if (count < 0) {
      Winsys().lastCopyStatus = kSourceFailed;
      return false;
    }
    if (count == 0) return true;
    if (FileWrite(target, block.data(), static_cast<DWORD>(count)) != count) {
      Winsys().lastCopyStatus = kWriteShort;
      return false;
    }
  }
}

bool WriteLines(HANDLE file, const std::vector<std::string>& lines) {
  for (const std::string& line : lines) {
    std::string record = line + "\r\n";
    if (FileWrite(file, record.data(), static_cast<DWORD>(record.size())) !=
        static_cast<int>(record.size())) {
      return false;
    }
  }
  return true;
}

}  // namespace

HANDLE FileOpen(const std::string& path, std::uint8_t mode) {
  return Current().CreateFileA(path.c_str(), AccessOf(mode), SharingOf(mode), nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

HANDLE FileCreate(const std::string& path) {
  return Current().CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                               CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

int FileRead(HANDLE file, void* buffer, DWORD count) {
  DWORD read = 0;
  if (!Current().ReadFile(file, buffer, count, &read, nullptr)) return -1;
  return static_cast<int>(read);
}

int FileWrite(HANDLE file, const void* buffer, DWORD count) {
  DWORD written = 0;
  if (!Current().WriteFile(file, buffer, count, &written, nullptr)) return -1;
  return static_cast<int>(written);
}

bool FileSeekEnd(HANDLE file) {
  return Current().SetFilePointer(file, 0, nullptr, FILE_END) != INVALID_SET_FILE_POINTER;
}

void FileClose(HANDLE file) { Current().CloseHandle(file); }

bool FileExistsNonEmpty(const std::string& path) { return !path.empty() && PathStamp(path) != -1; }

FileStamp PathStamp(const std::string& path) {
  Platform& os = Current();
  WIN32_FIND_DATAA entry{};
  HANDLE find = os.FindFirstFileA(path.c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) return -1;
  os.FindClose(find);
  if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return -1;
  return PackStamp(entry.ftLastWriteTime);
}

std::int32_t GetFileSizeOrMinus1(const std::string& path) {
  if (!FileExistsNonEmpty(path)) return -1;
  HANDLE file = FileOpen(path, kModeReadShareRead);
  if (file == INVALID_HANDLE_VALUE) return -1;
  Platform& os = Current();
  DWORD high = 0;
  DWORD low = os.GetFileSize(file, &high);
  bool closed = os.CloseHandle(file) != FALSE;
  // Sizes of 2 GiB and more have no signed 32-bit form and count as no size. That bound
  // also takes in the failed query, whose answer is INVALID_FILE_SIZE.
  if (!closed || high != 0 || low > std::numeric_limits<std::int32_t>::max()) return -1;
  return static_cast<std::int32_t>(low);
}

bool FilesMatch(const std::string& a, const std::string& b, bool byStamp) {
  std::int32_t size = GetFileSizeOrMinus1(a);
  if (size == -1 || size != GetFileSizeOrMinus1(b)) return false;
  if (byStamp) return PathStamp(a) == PathStamp(b);
  HANDLE fileA = FileOpen(a, kModeReadShareRead);
  if (fileA == INVALID_HANDLE_VALUE) return false;
  HANDLE fileB = FileOpen(b, kModeReadShareRead);
  if (fileB == INVALID_HANDLE_VALUE) {
    FileClose(fileA);
    return false;
  }
  bool match = ContentsMatch(fileA, fileB);
  FileClose(fileA);
  FileClose(fileB);
  return match;
}

// The source is opened before the target is touched, so a source that is missing or
// unreadable leaves the target as it was. A target that fails part-way, or stays empty because
// it does not open for writing, is removed: left behind, a comparison by stamp would take it
// for current.
bool CopyFileKeepDate(const std::string& source, const std::string& target) {
  if (FilesMatch(source, target, true)) return true;
  State& state = Winsys();
  state.lastCopyStatus = kCopyDone;
  HANDLE from =
      FileExistsNonEmpty(source) ? FileOpen(source, kModeReadShareRead) : INVALID_HANDLE_VALUE;
  if (from == INVALID_HANDLE_VALUE) {
    state.lastCopyStatus = kSourceFailed;
    return false;
  }
  if (!DeleteFileForced(target)) {
    FileClose(from);
    return false;
  }
  EnsureFileExists(target);
  HANDLE to = FileOpen(target, kModeWriteExclusive);
  if (to == INVALID_HANDLE_VALUE) {
    FileClose(from);
    state.lastCopyStatus = kTargetFailed;
    if (FilesMatch(source, target, true)) return true;
    // The empty file made above is newer than the source and would pass for current.
    DeleteFileForced(target);
    return false;
  }
  bool copied = CopyBlocks(from, to);
  FileClose(from);
  FileClose(to);
  if (!copied) {
    DeleteFileForced(target);
    return false;
  }
  // The console device has no time to set.
  if (target != "con") SetFileStamp(target, GetFileStamp(source));
  return true;
}

// A file that exists is renamed onto its own name, which leaves it as it is.
void EnsureFileExists(const std::string& path) {
  if (FileExistsNonEmpty(path)) {
    Current().MoveFileA(path.c_str(), path.c_str());
    return;
  }
  HANDLE file = FileCreate(path);
  if (file != INVALID_HANDLE_VALUE) FileClose(file);
}

bool DeleteFileForced(const std::string& path) {
  Platform& os = Current();
  os.SetFileAttributesA(path.c_str(), 0);
  if (!FileExistsNonEmpty(path)) return true;
  return os.DeleteFileA(path.c_str()) != FALSE;
}

FileStamp GetFileStamp(const std::string& path) {
  HANDLE file = FileOpen(path, kModeReadShareAll);
  if (file == INVALID_HANDLE_VALUE) return 0;
  FILETIME written{};
  FileStamp stamp =
      Current().GetFileTime(file, nullptr, nullptr, &written) ? PackStamp(written) : -1;
  FileClose(file);
  return stamp;
}

void SetFileStamp(const std::string& path, FileStamp stamp) {
  HANDLE file = FileOpen(path, kModeReadWriteShareAll);
  if (file == INVALID_HANDLE_VALUE) return;
  Platform& os = Current();
  auto packed = static_cast<std::uint32_t>(stamp);
  FILETIME local{};
  FILETIME utc{};
  if (os.DosDateTimeToFileTime(static_cast<WORD>(packed >> 16), static_cast<WORD>(packed),
                               &local) &&
      os.LocalFileTimeToFileTime(&local, &utc)) {
    os.SetFileTime(file, nullptr, nullptr, &utc);
  }
  FileClose(file);
}

// A list that cannot be written whole is removed, so that no reader takes part of it for all.
void SaveListToFile(const std::vector<std::string>& lines, const std::string& fileName) {
  std::string name = SanitizeFileName(fileName);
  bool existed = FileExistsNonEmpty(name);
  EnsureFileExists(name);
  HANDLE file = FileCreate(name);
  if (file == INVALID_HANDLE_VALUE) {
    DWORD code = Current().GetLastError();
    // The empty file made just now would pass for a list naming no module.
    if (!existed) DeleteFileForced(name);
    throw EInOutError(static_cast<int>(code != 0 ? code : ERROR_ACCESS_DENIED));
  }
  bool written = WriteLines(file, lines);
  FileClose(file);
  if (!written) {
    DeleteFileForced(name);
    throw EInOutError(kDiskFullCode);
  }
}

}  // namespace winsys
