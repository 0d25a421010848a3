// The SZDD format's reference tools for the expander's and the compressor's tests: files made
// by mscompress, expansions by libmspack, and test data.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <random>
#include <string>

extern "C" {
#include <mspack.h>
}

#include "tests/support/host_files.h"

namespace testing_support::szdd {

namespace fs = std::filesystem;

// A folder of its own for one tool run, removed afterwards.
struct Scratch {
  Scratch() { fs::create_directories(dir); }
  ~Scratch() { fs::remove_all(dir); }
  fs::path Write(const std::string& name, const std::string& data) const {
    return Spill(dir / name, data);
  }
  std::string Read(const std::string& name) const { return Slurp(dir / name); }
  fs::path dir = ScratchPath("szdd");
};

inline std::string MsCompress(const std::string& data) {
  Scratch scratch;
  std::string command = "mscompress '" + scratch.Write("ORV.EXE", data).string() + "'";
  return std::system(command.c_str()) == 0 ? scratch.Read("ORV.EXE_") : "<mscompress failed>";
}

inline std::optional<std::string> Mspack(const std::string& compressed) {
  Scratch scratch;
  msszdd_decompressor* decompressor = mspack_create_szdd_decompressor(nullptr);
  int error = decompressor->decompress(decompressor, scratch.Write("in", compressed).c_str(),
                                       (scratch.dir / "out").c_str());
  mspack_destroy_szdd_decompressor(decompressor);
  return error == MSPACK_ERR_OK ? std::optional(scratch.Read("out")) : std::nullopt;
}

inline std::string Random(std::size_t size, unsigned seed = 1) {
  std::mt19937 random(seed);
  std::string data(size, '\0');
  for (char& c : data) c = char(random());
  return data;
}

inline std::string Text(std::size_t size) {
  static const char* const kWords[] = {"the ", "set-up ", "program ", "reads ", "a\r\n", "medium "};
  std::mt19937 random(2);
  std::string data;
  while (data.size() < size) data += kWords[random() % 6];
  return data.substr(0, size);
}

}  // namespace testing_support::szdd
