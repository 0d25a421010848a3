// The SZDD expander against the format's reference tools: files compressed by mscompress
// must expand byte for byte to the original and to libmspack's output. The fuzz target
// checks every other stream against a plain decoding of the format.
#include <gtest/gtest.h>

#include "platform/hosted/lz/szdd.h"
#include "tests/platform/szdd_stream.h"
#include "tests/support/szdd_reference.h"

namespace {

using hosted::szdd::Kind;
using hosted::szdd::Status;
using namespace testing_support::szdd;
constexpr std::size_t kBlock = hosted::szdd::kBlockSize;

struct Expanded {
  Status status;
  std::string out;
};

// The simulator's expander; the write numbered failingWrite fails.
Expanded Expand(std::string_view in, std::size_t failingWrite = 0) {
  Expanded result{};
  std::size_t writes = 0;
  auto read = [&](std::uint8_t* buffer, std::size_t size) {
    std::size_t n = in.copy(reinterpret_cast<char*>(buffer), size);
    in.remove_prefix(n);
    return std::ptrdiff_t(n);
  };
  auto write = [&](const std::uint8_t* data, std::size_t size) {
    result.out.append(reinterpret_cast<const char*>(data), size);
    return ++writes != failingWrite;
  };
  result.status = hosted::szdd::Expand(read, write).status;
  return result;
}

// Whole blocks only (the last one written after the loop), text across blocks, long runs.
TEST(SzddExpand, MscompressFilesExpandToTheOriginalAndToLibmspacksOutput) {
  for (const std::string& data : {Random(4 * kBlock), Text(300000), std::string(300000, '\0')}) {
    std::string compressed = MsCompress(data);
    Expanded expanded = Expand(compressed);
    EXPECT_EQ(expanded.status, Status::kOk) << data.size();
    EXPECT_TRUE(expanded.out == data) << data.size();
    EXPECT_TRUE(Mspack(compressed) == expanded.out) << data.size();
  }
}

TEST(SzddExpand, StopsAtTheLengthAndReportsDamageAndAFailedWrite) {
  // libmspack decodes mscompress's item after the end of an empty file; the length ends it.
  EXPECT_EQ(Expand(MsCompress("")).status, Status::kOk);
  // libmspack writes the whole match; here a match past the header's length is damage.
  Expanded past = Expand(testing_support::SzddStream(4).Literal("ab").Match(4080, 3).bytes);
  EXPECT_EQ(past.status, Status::kDamaged);
  EXPECT_TRUE(std::string("ab").starts_with(past.out)) << past.out;
  // A whole block's write fails; the last one's is a full disk in the launcher's scenarios.
  EXPECT_EQ(Expand(MsCompress(Text(kBlock + 5)), 1).status, Status::kWriteFailed);
}

// Files of the bare magic, or less, are a damaged compressed file and a plain one.
TEST(SzddClassify, TellsTheKindFromTheFirstBytes) {
  auto magic = reinterpret_cast<const std::uint8_t*>("SZDD\x88\xF0\x27\x33");
  EXPECT_EQ(hosted::szdd::Classify({magic, 7}), Kind::kPlain);
  EXPECT_EQ(hosted::szdd::Classify({magic, 8}), Kind::kSzdd);
}

}  // namespace
