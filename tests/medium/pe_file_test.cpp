// Damaged program images, made here, are refused with the reason. Reading the version from
// whole programs, 32-bit and 64-bit, is shown on the built launchers by the release checks.
#include "medium/pe_file.h"

#include <gtest/gtest.h>

#include "medium/error.h"
#include "tests/medium/pe_image.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(ProgramFacts, DamagedImagesAreRefusedWithTheReason) {
  auto made = testing_support::PeImage{std::array<std::uint16_t, 4>{1, 0, 0, 0}}.Bytes();
  Bytes image(made.begin(), made.end());
  auto with = [&](std::size_t at, std::uint8_t value) {
    auto changed = image;
    changed[at] = value;
    return changed;
  };
  constexpr std::size_t kVersionEnd = 0x258 + 56;  // the fixed version's last field ends here
  const struct {
    Bytes bytes;
    const char* reason;
  } cases[] = {
      {Bytes(image.begin(), image.begin() + 63), "no MZ header"},
      {with(0x40, 'X'), "no PE header"},
      {with(0x3F, 0x7F), "ends inside"},  // e_lfanew far past the end
      {Bytes(image.begin(), image.begin() + kVersionEnd - 1), "ends inside"},
      {with(0x58, 0x0C), "optional header"},         // neither PE32 nor PE32+
      {with(0x200 + 0x4B, 0x7F), "outside"},         // version data RVA past the section
      {with(0x200 + 0x16, 0x7F), "outside itself"},  // subdirectory past the tree
      {with(0x200 + 0x4C, 8), "too short"},          // the version data's size
      {with(0x258 + 6, 'X'), "VS_VERSION_INFO"},
      {with(0x258 + 40, 0), "fixed file information"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.reason);
    try {
      medium::ReadProgramFacts(c.bytes);
      ADD_FAILURE() << "accepted";
    } catch (const medium::MediumError& error) {
      EXPECT_NE(std::string(error.what()).find(c.reason), std::string::npos) << error.what();
    }
  }
}

}  // namespace
