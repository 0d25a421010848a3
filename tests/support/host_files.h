// Host files for the tests: a file's bytes, a file written, a fresh folder's name.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <string_view>

namespace testing_support {

// A host file's bytes; empty when it cannot be read.
inline std::string Slurp(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Writes a host file, its folders made as needed.
inline std::filesystem::path Spill(const std::filesystem::path& file, std::string_view text) {
  std::filesystem::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << text;
  return file;
}

// A path in the temporary folder of this run's own: tests that run side by side do not meet.
inline std::filesystem::path ScratchPath(const std::string& stem) {
  return std::filesystem::temp_directory_path() /
         (stem + "-" + std::to_string(std::random_device()()));
}

}  // namespace testing_support
