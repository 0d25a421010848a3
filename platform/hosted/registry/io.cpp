#include "platform/hosted/registry/io.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "platform/hosted/registry/registry.h"

namespace hosted::reg {

namespace {

[[noreturn]] void Throw(const std::filesystem::path& file, const std::string& what, int error) {
  throw std::runtime_error(file.string() + ": " + what + ": " + std::strerror(error));
}

// 0, or the error that stopped the write.
int WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return n < 0 ? errno : EIO;
    bytes.remove_prefix(std::size_t(n));
  }
  return 0;
}

}  // namespace

FileBytes::FileBytes(const std::filesystem::path& file) {
  int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  struct stat status {};
  int error = fd < 0 || ::fstat(fd, &status) != 0 ? errno : 0;
  if (error == 0 && S_ISDIR(status.st_mode)) error = EISDIR;
  if (error == 0 && S_ISREG(status.st_mode) && status.st_size > 0) {
    void* p =
        ::mmap(nullptr, std::size_t(status.st_size), PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
    if (p != MAP_FAILED) {
      mapped_ = p;
      view_ = std::string_view(static_cast<const char*>(p), std::size_t(status.st_size));
    }
  }
  // Anything not mapped (an empty file, a pipe) is read instead.
  for (char buffer[65536]; error == 0 && !mapped_;) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) error = errno;
    if (n <= 0) break;
    read_.append(buffer, std::size_t(n));
  }
  if (fd >= 0) ::close(fd);
  if (error != 0) throw RegFileError(file.string() + ": cannot be read: " + std::strerror(error));
  if (!mapped_) view_ = read_;
}

FileBytes::~FileBytes() {
  if (mapped_) ::munmap(mapped_, view_.size());
}

void ReplaceFile(const std::filesystem::path& file, std::string_view bytes) {
  std::filesystem::path temp = file;
  temp += ".new-" + std::to_string(::getpid());
  int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) Throw(file, "cannot create " + temp.filename().string(), errno);
  int error = WriteAll(fd, bytes);
  if (error == 0 && ::fsync(fd) != 0) error = errno;
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error == 0 && ::rename(temp.c_str(), file.c_str()) != 0) error = errno;
  if (error != 0) {
    ::unlink(temp.c_str());
    Throw(file, "cannot be written", error);
  }
  // The rename itself reaches the disk with the directory.
  int dir = ::open(file.parent_path().empty() ? "." : file.parent_path().c_str(), O_RDONLY);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
}

}  // namespace hosted::reg
