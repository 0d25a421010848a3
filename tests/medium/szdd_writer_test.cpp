// The compressor against two expanders (the simulator's and libmspack's) and against
// mscompress's files of the same data: same header, no larger. Every match is checked to stay
// within what mscompress's files use.
#include "medium/szdd_writer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "platform/hosted/lz/szdd.h"

extern "C" {
#include <mspack.h>
}

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

class Scratch {
 public:
  Scratch() : dir_(fs::temp_directory_path() / ("szdd-" + std::to_string(std::random_device()()))) {
    fs::create_directories(dir_);
  }
  ~Scratch() { fs::remove_all(dir_); }
  fs::path Write(const std::string& name, const Bytes& bytes) const {
    std::ofstream(dir_ / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return dir_ / name;
  }
  Bytes Read(const std::string& name) const {
    std::ifstream in(dir_ / name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
  }
  const fs::path& Dir() const { return dir_; }

 private:
  fs::path dir_;
};

Bytes Random(std::size_t size, unsigned alphabet, unsigned seed) {
  std::mt19937 random(seed);
  Bytes bytes(size);
  for (auto& b : bytes) b = static_cast<std::uint8_t>(random() % alphabet);
  return bytes;
}

Bytes Text(std::size_t size) {
  const std::vector<std::string> words = {"the ",  "launcher ", "starts ", "set-up ",   "program ",
                                          "from ", "medium ",   "module ", "files\r\n", "Orvanel "};
  std::mt19937 random(7);
  Bytes text;
  while (text.size() < size) {
    const auto& word = words[random() % words.size()];
    text.insert(text.end(), word.begin(), word.end());
  }
  text.resize(size);
  return text;
}

// A block repeated after a gap: at distances just inside and just outside a match's reach.
Bytes RepeatAfter(std::size_t gap) {
  Bytes block = Random(64, 256, 3), gapBytes = Random(gap, 256, 4), data = block;
  data.insert(data.end(), gapBytes.begin(), gapBytes.end());
  data.insert(data.end(), block.begin(), block.end());
  return data;
}

Bytes ThisProgram() {
  std::ifstream in("/proc/self/exe", std::ios::binary);
  Bytes bytes{std::istreambuf_iterator<char>(in), {}};
  bytes.resize(std::min<std::size_t>(bytes.size(), 64 * 1024));
  return bytes;
}

struct Corpus {
  const char* name;
  Bytes data;
};

std::vector<Corpus> Corpora() {
  return {{"empty", {}},
          {"one byte", {'M'}},
          {"blanks, as the ring starts", Bytes(300, ' ')},
          {"text", Text(30000)},
          {"random", Random(20000, 256, 1)},
          {"repeat at 4079", RepeatAfter(4079 - 64)},
          {"repeat at 4080", RepeatAfter(4080 - 64)},
          {"this program", ThisProgram()}};
}

Bytes ExpandHosted(const Bytes& file, hosted::szdd::Status& status) {
  Bytes out;
  std::size_t at = 0;
  auto result = hosted::szdd::Expand(
      [&](std::uint8_t* buffer, std::size_t size) -> std::ptrdiff_t {
        std::size_t n = std::min(size, file.size() - at);
        std::copy_n(file.begin() + std::ptrdiff_t(at), n, buffer);
        at += n;
        return std::ptrdiff_t(n);
      },
      [&](const std::uint8_t* data, std::size_t size) {
        out.insert(out.end(), data, data + size);
        return true;
      });
  status = result.status;
  return out;
}

Bytes ExpandMspack(const Scratch& scratch, const Bytes& file) {
  msszdd_decompressor* decompressor = mspack_create_szdd_decompressor(nullptr);
  int error = decompressor->decompress(decompressor, scratch.Write("in", file).c_str(),
                                       (scratch.Dir() / "out").c_str());
  mspack_destroy_szdd_decompressor(decompressor);
  EXPECT_EQ(error, MSPACK_ERR_OK);
  return scratch.Read("out");
}

Bytes Shell(const Scratch& scratch, const std::string& command, const std::string& result) {
  EXPECT_EQ(std::system(("cd '" + scratch.Dir().string() + "' && " + command).c_str()), 0)
      << command;
  return scratch.Read(result);
}

// Walks the stream: every match must copy from bytes already produced (not the ring's initial
// blanks) and from at most 4079 bytes back.
void CheckMatchesStayInReach(const Bytes& file) {
  std::size_t produced = 0, at = 14;
  while (at < file.size()) {
    unsigned control = file[at++];
    for (unsigned bit = 0; bit < 8 && at < file.size(); ++bit) {
      if (control & 1u << bit) {
        ++at, ++produced;
        continue;
      }
      ASSERT_LT(at + 1, file.size());
      std::size_t ring = file[at] | (file[at + 1] & 0xF0u) << 4;
      std::size_t length = (file[at + 1] & 0x0Fu) + 3, here = (0xFF0 + produced) % 4096;
      std::size_t distance = (here - ring + 4096) % 4096;
      ASSERT_TRUE(distance >= 1 && distance <= 4079 && distance <= produced)
          << "match at output " << produced << " from " << distance << " back";
      at += 2, produced += length;
    }
  }
}

// mscompress leaves the replaced character 0; its file of a one-byte input expands to a zero
// byte, so the expansions are checked against the data.
TEST(CompressSzdd, EveryExpanderGivesTheDataBackAndMscompressIsNoSmaller) {
  Scratch scratch;
  for (const auto& corpus : Corpora()) {
    SCOPED_TRACE(corpus.name);
    Bytes file = medium::CompressSzdd(corpus.data, 'e');
    CheckMatchesStayInReach(file);
    hosted::szdd::Status status;
    EXPECT_EQ(ExpandHosted(file, status), corpus.data);
    EXPECT_EQ(status, hosted::szdd::Status::kOk);
    EXPECT_EQ(ExpandMspack(scratch, file), corpus.data);
    scratch.Write("ORV.EXE", corpus.data);
    Bytes theirs = Shell(scratch, "rm -f ORV.EXE_ && mscompress ORV.EXE", "ORV.EXE_");
    ASSERT_GE(theirs.size(), 14u);
    theirs[9] = 'e';
    EXPECT_TRUE(std::equal(theirs.begin(), theirs.begin() + 14, file.begin()));
    EXPECT_LE(file.size(), theirs.size());
  }
}

}  // namespace
