// The compressor against libmspack's expander and mscompress's files of the same data (same
// header, no larger); every match stays within what mscompress's files use.
#include "medium/szdd_writer.h"

#include <gtest/gtest.h>

#include "tests/support/szdd_reference.h"

namespace {

using namespace testing_support::szdd;

// Walks the stream: every match must copy from bytes already produced (not the ring's initial
// blanks) and from at most 4079 bytes back.
void CheckMatchesStayInReach(const std::vector<std::uint8_t>& file) {
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
// byte, so the expansion is checked against the data.
TEST(CompressSzdd, LibmspackGivesTheDataBackAndMscompressIsNoSmaller) {
  // The text runs past the 64 KiB the items are chosen for at a time; the block repeats just
  // inside and just outside a match's reach.
  const std::string block = Random(64, 3);
  for (const std::string& data :
       {std::string(), std::string("M"), std::string(300, ' '), Text(100000), Random(20000),
        block + Random(4079 - 64, 4) + block, block + Random(4080 - 64, 4) + block}) {
    SCOPED_TRACE(data.size());
    auto bytes = reinterpret_cast<const std::uint8_t*>(data.data());
    auto file = medium::CompressSzdd({bytes, data.size()}, 'e');
    CheckMatchesStayInReach(file);
    std::string compressed(file.begin(), file.end());
    EXPECT_TRUE(Mspack(compressed) == data);
    std::string theirs = MsCompress(data);
    ASSERT_GE(theirs.size(), 14u);
    theirs[9] = 'e';
    EXPECT_EQ(compressed.substr(0, 14), theirs.substr(0, 14));
    EXPECT_LE(compressed.size(), theirs.size());
  }
}

}  // namespace
