#include "fuzz/support/scratch.h"

#include <unistd.h>
#include <string>

namespace fuzzing {

namespace {

namespace fs = std::filesystem;

struct Scratch {
  Scratch() : path(fs::temp_directory_path() / ("orvfuzz-" + std::to_string(::getpid()))) {
    fs::remove_all(path);
    fs::create_directories(path);
  }
  ~Scratch() {
    std::error_code ignored;
    fs::remove_all(path, ignored);
  }
  fs::path path;
};

}  // namespace

const fs::path& ScratchDir() {
  static Scratch scratch;
  return scratch.path;
}

}  // namespace fuzzing
