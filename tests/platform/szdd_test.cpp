// The SZDD expander against the format's reference tools: files compressed by mscompress
// must expand byte for byte to the original and to libmspack's output; damaged files must
// fail without writing anything that is not a prefix of the original.
#include <gtest/gtest.h>

#include "tests/platform/szdd_stream.h"
#include "tests/support/szdd_reference.h"

namespace {

using hosted::szdd::Kind;
using hosted::szdd::Status;
using namespace testing_support::szdd;
using Stream = testing_support::SzddStream;
constexpr std::size_t kBlock = hosted::szdd::kBlockSize;

std::string Periodic(std::size_t size, std::size_t period) {
  std::string unit = Random(period, 3), data;
  while (data.size() < size) data += unit;
  return data.substr(0, size);
}

// mscompress 0.4 mis-encodes files shorter than 16 bytes; those are hand-made below.
TEST(SzddExpand, MscompressFilesExpandToTheOriginalAndToLibmspacksOutput) {
  for (const std::string& data : {Random(16), Text(300000), Random(1 << 18), Text(kBlock + 1),
                                  std::string(300000, '\0'), Periodic(100000, 4095)}) {
    std::string compressed = MsCompress(data);
    Expanded expanded = Expand(compressed);
    EXPECT_EQ(expanded.status, Status::kOk) << data.size();
    EXPECT_EQ(expanded.written, expanded.out.size());
    EXPECT_TRUE(expanded.out == data) << data.size();
    EXPECT_TRUE(Mspack(compressed) == expanded.out) << data.size();
  }
}

const std::string kWindow = Random(4096, 4);

TEST(SzddExpand, HandMadeStreamsExpandAsLibmspackDoes) {
  const struct {
    const char* name;
    std::string compressed;
    Status status;
    std::string expected;  // what is written; damaged: what the output is a prefix of
    bool asLibmspack = true;
  } cases[] = {
      {"empty", Stream(0).bytes, Status::kOk, ""},
      {"one byte", Stream(1).Literal("x").bytes, Status::kOk, "x"},
      {"fifteen bytes", Stream(15).Literal(Random(15)).bytes, Status::kOk, Random(15)},
      // A match at the current ring position reaches back exactly 4096 bytes.
      {"distance 4096", Stream(4096 + 36).Literal(kWindow).Match(4080, 18).Match(2, 18).bytes,
       Status::kOk, kWindow + kWindow.substr(0, 36)},
      {"initial window is blank", Stream(21).Match(0, 18).Match(4080, 3).bytes, Status::kOk,
       std::string(21, ' ')},
      {"overlap distance 1", Stream(19).Literal("a").Match(4080, 18).bytes, Status::kOk,
       std::string(19, 'a')},
      {"overlap distance 7", Stream(25).Literal("abcdefg").Match(4080, 18).bytes, Status::kOk,
       "abcdefgabcdefgabcdefgabcd"},
      // Unlike libmspack, which decodes to the end of the stream, nothing after the header's
      // length is written.
      {"stops at the length", Stream(5).Literal("abcdefgh").bytes, Status::kOk, "abcde", false},
      {"length beyond the stream", Stream(0xFFFFFFFF).Literal("abc").bytes, Status::kDamaged, "abc",
       false},
      {"match past the length", Stream(4).Literal("ab").Match(4080, 3).bytes, Status::kDamaged,
       "ab", false},
      {"unknown mode", Stream(3, 'B').Literal("abc").bytes, Status::kUnknownMode, "", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Expanded expanded = Expand(c.compressed);
    EXPECT_EQ(expanded.status, c.status);
    EXPECT_EQ(expanded.written, expanded.out.size());
    if (c.status == Status::kOk) {
      EXPECT_EQ(expanded.out, c.expected);
    } else {
      EXPECT_TRUE(c.expected.starts_with(expanded.out)) << expanded.out;
    }
    if (c.asLibmspack) {
      EXPECT_EQ(Mspack(c.compressed), c.expected);
    }
  }
}

TEST(SzddExpand, ShortReadsGiveTheSameOutputInWholeBlocksThenTheRest) {
  std::string data = Text(3 * kBlock + 5);
  std::string compressed = MsCompress(data);
  EXPECT_EQ(Expand(MsCompress("")).status, Status::kOk) << "an item after the end";
  for (std::size_t chunk : std::vector<std::size_t>{1, 2, 16, 17, 18, 4097, kBlock}) {
    Expanded expanded = Expand(compressed, chunk);
    EXPECT_TRUE(expanded.out == data) << "reads of " << chunk;
    EXPECT_EQ(expanded.writes, (std::vector<std::size_t>{kBlock, kBlock, kBlock, 5}));
  }
}

TEST(SzddExpand, EveryTruncationFailsAndWritesOnlyAPrefix) {
  std::string data = Text(20000) + Random(3000);
  std::string compressed = MsCompress(data);
  for (std::size_t cut = 0; cut < compressed.size(); ++cut) {
    Expanded expanded = Expand(compressed.substr(0, cut));
    ASSERT_EQ(expanded.status, Status::kDamaged) << "cut at " << cut;
    ASSERT_TRUE(data.starts_with(expanded.out)) << "cut at " << cut;
  }
}

TEST(SzddExpand, CallbackFailuresAreReported) {
  auto failingRead = [](std::uint8_t*, std::size_t) -> std::ptrdiff_t { return -1; };
  auto overlongRead = [](std::uint8_t*, std::size_t size) { return std::ptrdiff_t(size + 1); };
  auto discard = [](const std::uint8_t*, std::size_t) { return true; };
  EXPECT_EQ(hosted::szdd::Expand(failingRead, discard).status, Status::kReadFailed);
  EXPECT_EQ(hosted::szdd::Expand(overlongRead, discard).status, Status::kReadFailed);
  // Three whole blocks and the rest: a failure of any of the writes, the last included.
  std::string compressed = MsCompress(Random(3 * kBlock + 5));
  for (std::size_t failing = 1; failing <= 4; ++failing) {
    Expanded expanded = Expand(compressed, kBlock, failing);
    EXPECT_EQ(expanded.status, Status::kWriteFailed) << failing;
    EXPECT_EQ(expanded.out.size(), (failing - 1) * kBlock) << failing;
    EXPECT_EQ(expanded.written, expanded.out.size()) << failing;
  }
}

TEST(SzddClassify, TellsTheKindFromTheFirstBytes) {
  const std::string magic = "SZDD\x88\xF0\x27\x33";
  const std::pair<std::string, Kind> cases[] = {{"", Kind::kPlain},
                                                {magic.substr(0, 7), Kind::kPlain},
                                                {"MZ" + magic, Kind::kPlain},
                                                {magic, Kind::kSzdd},
                                                {magic + "A", Kind::kSzdd},
                                                {Stream(9).bytes, Kind::kSzdd},
                                                {magic + "B", Kind::kUnknownMode}};
  for (const auto& [head, kind] : cases) {
    auto bytes = reinterpret_cast<const std::uint8_t*>(head.data());
    EXPECT_EQ(hosted::szdd::Classify({bytes, head.size()}), kind) << head.size();
  }
}

}  // namespace
