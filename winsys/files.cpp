#include "winsys/files.h"

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

}  // namespace winsys
