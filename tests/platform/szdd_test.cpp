// The SZDD expander against the format's reference tools: files compressed by mscompress
// must expand byte for byte to the original and to libmspack's output; damaged files must
// fail without writing anything that is not a prefix of the original.
#include "platform/hosted/lz/szdd.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <random>
#include <string>

#include "tests/platform/szdd_stream.h"
#include "tests/support/machine_fixture.h"

extern "C" {
#include <mspack.h>
}

namespace {

using hosted::szdd::Kind;
using hosted::szdd::Status;
constexpr std::size_t kBlock = hosted::szdd::kBlockSize;

std::string MsCompress(const std::string& data) {
  testing_support::TempMachine scratch;
  std::string command = "mscompress '" + scratch.Write("f", data).string() + "'";
  EXPECT_EQ(std::system(command.c_str()), 0);
  return scratch.Read("f_");
}

std::optional<std::string> Mspack(const std::string& compressed) {
  testing_support::TempMachine scratch;
  msszdd_decompressor* decompressor = mspack_create_szdd_decompressor(nullptr);
  int error = decompressor->decompress(decompressor, scratch.Write("in", compressed).c_str(),
                                       (scratch.dir / "out").c_str());
  mspack_destroy_szdd_decompressor(decompressor);
  if (error != MSPACK_ERR_OK) return std::nullopt;
  return scratch.Read("out");
}

struct Expanded {
  Status status;
  std::string out;
  std::vector<std::size_t> writes;
};

// Feeds the input in reads of at most chunk bytes; the write numbered failingWrite fails.
Expanded Expand(const std::string& in, std::size_t chunk = kBlock, std::size_t failingWrite = 0) {
  Expanded result{};
  std::size_t at = 0;
  auto read = [&](std::uint8_t* buffer, std::size_t size) -> std::ptrdiff_t {
    std::size_t n = std::min({size, chunk, in.size() - at});
    std::copy_n(in.data() + at, n, buffer);
    at += n;
    return std::ptrdiff_t(n);
  };
  auto write = [&](const std::uint8_t* data, std::size_t size) {
    result.writes.push_back(size);
    if (result.writes.size() == failingWrite) return false;
    result.out.append(reinterpret_cast<const char*>(data), size);
    return true;
  };
  hosted::szdd::Result r = hosted::szdd::Expand(read, write);
  result.status = r.status;
  EXPECT_EQ(r.written, result.out.size());
  return result;
}

using Stream = testing_support::SzddStream;

std::string Random(std::size_t size, unsigned seed = 1) {
  std::mt19937 random(seed);
  std::string data(size, '\0');
  for (char& c : data) c = char(random());
  return data;
}

std::string Text(std::size_t size) {
  static const char* const kWords[] = {"the ", "set-up ", "program ", "reads ", "a\r\n", "medium "};
  std::mt19937 random(2);
  std::string data;
  while (data.size() < size) data += kWords[random() % 6];
  return data.substr(0, size);
}

std::string Periodic(std::size_t size, std::size_t period) {
  std::string unit = Random(period, 3), data;
  while (data.size() < size) data += unit;
  return data.substr(0, size);
}

struct Case {
  const char* name;
  std::string data;
};

class MsCompressed : public testing::TestWithParam<Case> {};

TEST_P(MsCompressed, ExpandsToTheOriginalAndToLibmspacksOutput) {
  std::string compressed = MsCompress(GetParam().data);
  Expanded expanded = Expand(compressed);
  EXPECT_EQ(expanded.status, Status::kOk);
  EXPECT_TRUE(expanded.out == GetParam().data);
  EXPECT_TRUE(Mspack(compressed) == expanded.out);
}

// mscompress 0.4 mis-encodes files shorter than 16 bytes; those are hand-made below.
INSTANTIATE_TEST_SUITE_P(Inputs, MsCompressed,
                         testing::Values(Case{"sixteen_bytes", Random(16)},
                                         Case{"text", Text(300000)},
                                         Case{"incompressible", Random(1 << 18)},
                                         Case{"block_and_one", Text(kBlock + 1)},
                                         Case{"zero_run", std::string(300000, '\0')},
                                         Case{"period_4095", Periodic(100000, 4095)}),
                         [](const testing::TestParamInfo<Case>& info) { return info.param.name; });

struct Crafted {
  const char* name;
  std::string compressed;
  Status status;
  std::string expected;  // what is written; damaged: what the output is a prefix of
  bool asLibmspack = true;
};

class HandMade : public testing::TestWithParam<Crafted> {};

TEST_P(HandMade, ExpandsAsLibmspackDoes) {
  const Crafted& c = GetParam();
  Expanded expanded = Expand(c.compressed);
  EXPECT_EQ(expanded.status, c.status);
  if (c.status == Status::kOk) {
    EXPECT_EQ(expanded.out, c.expected);
  } else {
    EXPECT_TRUE(c.expected.starts_with(expanded.out)) << expanded.out;
  }
  if (c.asLibmspack) {
    EXPECT_EQ(Mspack(c.compressed), c.expected);
  }
}

const std::string kWindow = Random(4096, 4);

INSTANTIATE_TEST_SUITE_P(
    Streams, HandMade,
    testing::Values(
        Crafted{"empty", Stream(0).bytes, Status::kOk, ""},
        Crafted{"one_byte", Stream(1).Literal("x").bytes, Status::kOk, "x"},
        Crafted{"fifteen_bytes", Stream(15).Literal(Random(15)).bytes, Status::kOk, Random(15)},
        // A match at the current ring position reaches back exactly 4096 bytes.
        Crafted{"distance_4096",
                Stream(4096 + 36).Literal(kWindow).Match(4080, 18).Match(2, 18).bytes, Status::kOk,
                kWindow + kWindow.substr(0, 36)},
        Crafted{"initial_window_is_blank", Stream(21).Match(0, 18).Match(4080, 3).bytes,
                Status::kOk, std::string(21, ' ')},
        Crafted{"overlap_distance_1", Stream(19).Literal("a").Match(4080, 18).bytes, Status::kOk,
                std::string(19, 'a')},
        Crafted{"overlap_distance_7", Stream(25).Literal("abcdefg").Match(4080, 18).bytes,
                Status::kOk, "abcdefgabcdefgabcdefgabcd"},
        // Unlike libmspack, which decodes to the end of the stream, nothing after the
        // header's length is written.
        Crafted{"stops_at_the_length", Stream(5).Literal("abcdefgh").bytes, Status::kOk, "abcde",
                false},
        Crafted{"length_beyond_the_stream", Stream(0xFFFFFFFF).Literal("abc").bytes,
                Status::kDamaged, "abc", false},
        Crafted{"match_past_the_length", Stream(4).Literal("ab").Match(4080, 3).bytes,
                Status::kDamaged, "ab", false},
        Crafted{"unknown_mode", Stream(3, 'B').Literal("abc").bytes, Status::kUnknownMode, "",
                false}),
    [](const testing::TestParamInfo<Crafted>& info) { return info.param.name; });

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
