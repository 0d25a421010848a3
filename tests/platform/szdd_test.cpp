// The SZDD expander against the format's reference tools: files compressed by mscompress
// must expand byte for byte to the original and to libmspack's output, and so must streams
// made by hand for what mscompress never writes.
#include <gtest/gtest.h>

#include "tests/platform/szdd_stream.h"
#include "tests/support/szdd_reference.h"

namespace {

using hosted::szdd::Kind;
using hosted::szdd::Status;
using namespace testing_support::szdd;
using Stream = testing_support::SzddStream;
constexpr std::size_t kBlock = hosted::szdd::kBlockSize;

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

// mscompress 0.4 mis-encodes files shorter than 16 bytes and reaches back at most 4079 bytes.
TEST(SzddExpand, HandMadeStreamsExpandAsLibmspackDoes) {
  const std::string window = Random(4096, 4);
  const std::pair<std::string, std::string> cases[] = {
      {Stream(15).Literal(Random(15)).bytes, Random(15)},
      // A match at the current ring position reaches back exactly 4096 bytes.
      {Stream(4096 + 36).Literal(window).Match(4080, 18).Match(2, 18).bytes,
       window + window.substr(0, 36)},
      {Stream(21).Match(0, 18).Match(4080, 3).bytes, std::string(21, ' ')},  // the ring's blanks
      {Stream(25).Literal("abcdefg").Match(4080, 18).bytes, "abcdefgabcdefgabcdefgabcd"},
  };
  for (const auto& [compressed, expected] : cases) {
    Expanded expanded = Expand(compressed);
    EXPECT_EQ(expanded.status, Status::kOk) << expected.size();
    EXPECT_EQ(expanded.out, expected);
    EXPECT_EQ(Mspack(compressed), expected);
  }
  // libmspack writes the whole match; here a match past the header's length is damage.
  Expanded past = Expand(Stream(4).Literal("ab").Match(4080, 3).bytes);
  EXPECT_EQ(past.status, Status::kDamaged);
  EXPECT_TRUE(std::string("ab").starts_with(past.out)) << past.out;
}

TEST(SzddExpand, ShortReadsGiveTheSameOutputInWholeBlocksThenTheRest) {
  std::string data = Text(3 * kBlock + 5);
  std::string compressed = MsCompress(data);
  EXPECT_EQ(Expand(MsCompress("")).status, Status::kOk) << "an item after the end";
  for (std::size_t chunk : {1, 17, 4097}) {
    Expanded expanded = Expand(compressed, chunk);
    EXPECT_TRUE(expanded.out == data) << "reads of " << chunk;
    EXPECT_EQ(expanded.writes, (std::vector<std::size_t>{kBlock, kBlock, kBlock, 5}));
  }
  // A whole block's write fails; the rest's is a full disk in the launcher's scenarios.
  EXPECT_EQ(Expand(compressed, kBlock, 1).status, Status::kWriteFailed);
  auto failingRead = [](std::uint8_t*, std::size_t) -> std::ptrdiff_t { return -1; };
  auto discard = [](const std::uint8_t*, std::size_t) { return true; };
  EXPECT_EQ(hosted::szdd::Expand(failingRead, discard).status, Status::kReadFailed);
}

TEST(SzddClassify, TellsTheKindFromTheFirstBytes) {
  const std::string magic = "SZDD\x88\xF0\x27\x33";
  const std::pair<std::string, Kind> cases[] = {{magic.substr(0, 7), Kind::kPlain},
                                                {magic, Kind::kSzdd},
                                                {magic + "A", Kind::kSzdd},
                                                {magic + "B", Kind::kUnknownMode}};
  for (const auto& [head, kind] : cases) {
    auto bytes = reinterpret_cast<const std::uint8_t*>(head.data());
    EXPECT_EQ(hosted::szdd::Classify({bytes, head.size()}), kind) << head.size();
  }
}

}  // namespace
