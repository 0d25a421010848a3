// Reading a .reg file whole, and replacing one so that a failure leaves the old file intact.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace hosted::reg {

// A file's bytes, mapped rather than copied while the object lives (read, for a file that
// cannot be mapped). Throws RegFileError "FILE: cannot be read: why".
class FileBytes {
 public:
  explicit FileBytes(const std::filesystem::path& file);
  ~FileBytes();
  FileBytes(const FileBytes&) = delete;
  FileBytes& operator=(const FileBytes&) = delete;

  std::string_view View() const { return view_; }

 private:
  std::string_view view_;
  void* mapped_ = nullptr;
  std::string read_;
};

// Writes a new file beside the target, flushes it to disk, then renames it over the
// target. Throws std::runtime_error naming the file; the old file is intact then.
void ReplaceFile(const std::filesystem::path& file, std::string_view bytes);

}  // namespace hosted::reg
