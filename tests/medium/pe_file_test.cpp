// Damaged program images, made here, are refused with the reason. Reading the version from
// whole programs, 32-bit and 64-bit, is shown on the built launchers by the release checks.
#include "medium/pe_file.h"

#include <gtest/gtest.h>

#include "medium/error.h"
#include "tests/medium/pe_image.h"

namespace {

TEST(ProgramFacts, DamagedImagesAreRefusedWithTheReason) {
  auto image = testing_support::PeImage{std::array<std::uint16_t, 4>{1, 0, 0, 0}}.Bytes();
  constexpr std::size_t kVersionEnd = 0x258 + 56;  // the fixed version's last field ends here
  const struct {
    std::size_t at;  // the byte changed, to value
    char value;
    std::size_t size;  // the image cut to that
    const char* reason;
  } cases[] = {
      {0, 'M', 63, "no MZ header"},
      {0x40, 'X', image.size(), "no PE header"},
      {0, 'M', kVersionEnd - 1, "ends inside"},
      {0x58, 0x0C, image.size(), "optional header"},         // neither PE32 nor PE32+
      {0x200 + 0x4B, 0x7F, image.size(), "outside"},         // version data RVA past the section
      {0x200 + 0x16, 0x7F, image.size(), "outside itself"},  // subdirectory past the tree
      {0x200 + 0x4C, 8, image.size(), "too short"},          // the version data's size
      {0x258 + 6, 'X', image.size(), "VS_VERSION_INFO"},
      {0x258 + 40, 0, image.size(), "fixed file information"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.reason);
    std::string changed = image.substr(0, c.size);
    changed[c.at] = c.value;
    try {
      medium::ReadProgramFacts(std::vector<std::uint8_t>(changed.begin(), changed.end()));
      ADD_FAILURE() << "accepted";
    } catch (const medium::MediumError& error) {
      EXPECT_NE(std::string(error.what()).find(c.reason), std::string::npos) << error.what();
    }
  }
}

}  // namespace
