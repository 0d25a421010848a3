#include "platform/hosted/reg_io.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <stdexcept>

#include "platform/hosted/registry.h"

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

std::string ReadWholeFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::string bytes;
  if (in) {
    in.seekg(0, std::ios::end);
    bytes.resize(std::size_t(in.tellg()));
    in.seekg(0);
    in.read(bytes.data(), std::streamsize(bytes.size()));
  }
  if (!in) throw RegFileError(file.string() + ": cannot be read: " + std::strerror(errno));
  return bytes;
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
