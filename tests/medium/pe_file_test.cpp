// The program facts read from images made here: version, processor and signature, and a
// clear refusal of damaged images, each of their truncations included.
#include "medium/pe_file.h"

#include <gtest/gtest.h>

#include "medium/error.h"
#include "tests/medium/pe_image.h"

namespace {

using medium::MediumError;
using medium::ReadProgramFacts;
using testing_support::PeImage;
using Version = std::array<std::uint16_t, 4>;

TEST(ProgramFacts, ReadsVersionProcessorAndSignature) {
  const struct {
    PeImage image;
    const char* processor;
    std::optional<Version> version;
  } cases[] = {
      {{false, Version{7, 3, 1, 0}, false}, "x86", Version{7, 3, 1, 0}},
      {{true, Version{65535, 0, 12, 4}, true}, "x64", Version{65535, 0, 12, 4}},
      {{true, std::nullopt, false}, "x64", std::nullopt},
  };
  for (const auto& c : cases) {
    auto facts = ReadProgramFacts(c.image.Bytes());
    EXPECT_EQ(facts.processor, c.processor);
    EXPECT_EQ(facts.version, c.version);
    EXPECT_EQ(facts.signature, c.image.signature);
  }
  EXPECT_EQ(medium::VersionText({7, 3, 1, 0}), "7.3.1");
  EXPECT_EQ(medium::VersionText({7, 3, 1, 9}), "7.3.1.9");
}

TEST(ProgramFacts, DamagedImagesAreRefusedWithTheReason) {
  auto image = PeImage{false, Version{1, 0, 0, 0}, false}.Bytes();
  auto with = [&](std::size_t at, std::uint8_t value) {
    auto changed = image;
    changed[at] = value;
    return changed;
  };
  const struct {
    std::vector<std::uint8_t> bytes;
    const char* reason;
  } cases[] = {
      {{}, "no MZ header"},
      {with(0, 'X'), "no MZ header"},
      {with(0x40, 'X'), "no PE header"},
      {with(0x3F, 0x7F), "ends inside"},             // e_lfanew far past the end
      {with(0x58, 0x0C), "optional header"},         // neither PE32 nor PE32+
      {with(0x200 + 0x4B, 0x7F), "outside"},         // version data RVA past the section
      {with(0x200 + 0x16, 0x7F), "outside itself"},  // subdirectory past the tree
      {with(0x258 + 6, 'X'), "VS_VERSION_INFO"},
      {with(0x258 + 40, 0), "fixed file information"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.reason);
    try {
      ReadProgramFacts(c.bytes);
      ADD_FAILURE() << "accepted";
    } catch (const MediumError& error) {
      EXPECT_NE(std::string(error.what()).find(c.reason), std::string::npos) << error.what();
    }
  }
}

// Every cut of an image that loses a byte the version is read from is refused, every longer
// one read; nothing is read outside the bytes given (ASan).
TEST(ProgramFacts, EveryTruncationIsReadOrRefused) {
  auto image = PeImage{true, Version{1, 2, 3, 0}, false}.Bytes();
  constexpr std::size_t kVersionEnd = 0x258 + 56;  // the fixed version's last field
  for (std::size_t size = 0; size < image.size(); ++size) {
    std::vector<std::uint8_t> cut(image.begin(), image.begin() + static_cast<std::ptrdiff_t>(size));
    bool read = true;
    try {
      read = ReadProgramFacts(cut).version == Version{1, 2, 3, 0};
    } catch (const MediumError&) {
      read = false;
    }
    EXPECT_EQ(read, size >= kVersionEnd) << size;
  }
}

}  // namespace
