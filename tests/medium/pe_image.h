// A small 32-bit Windows program image for the tests: the headers and one section holding a
// resource tree with a version resource, when one is given.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace testing_support {

struct PeImage {
  std::optional<std::array<std::uint16_t, 4>> version;

  std::string Bytes() const {
    constexpr std::uint32_t kPe = 0x40, kSection = 0x200, kRva = 0x1000, kVersionAt = 0x58;
    std::string image(kSection + 0x200, '\0');
    auto u16 = [&](std::size_t at, std::uint32_t v) {
      image[at] = v & 0xFF, image[at + 1] = v >> 8 & 0xFF;
    };
    auto u32 = [&](std::size_t at, std::uint32_t v) { u16(at, v & 0xFFFF), u16(at + 2, v >> 16); };
    image.replace(0, 2, "MZ");
    u32(0x3C, kPe);
    u32(kPe, 0x00004550);
    u16(kPe + 4, 0x14C);
    u16(kPe + 6, 1);
    u16(kPe + 20, 224);  // the optional header's size
    std::size_t optional = kPe + 24, directories = optional + 96;
    u16(optional, 0x10B);
    u32(directories - 4, 16);
    u32(directories + 16, kRva);
    u32(directories + 20, 0x200);
    std::size_t section = optional + 224;
    image.replace(section, 5, ".rsrc");
    u32(section + 8, 0x200), u32(section + 12, kRva), u32(section + 16, 0x200),
        u32(section + 20, kSection);
    if (version) {
      // Type 16 (RT_VERSION) -> name 1 -> language 0x409 -> data entry -> VS_VERSIONINFO.
      u16(kSection + 14, 1), u32(kSection + 16, 16), u32(kSection + 20, 0x80000018);
      u16(kSection + 0x18 + 14, 1), u32(kSection + 0x28, 1), u32(kSection + 0x2C, 0x80000030);
      u16(kSection + 0x30 + 14, 1), u32(kSection + 0x40, 0x409), u32(kSection + 0x44, 0x48);
      u32(kSection + 0x48, kRva + kVersionAt), u32(kSection + 0x4C, 92);
      std::size_t info = kSection + kVersionAt;
      u16(info, 92), u16(info + 2, 52);
      for (std::size_t i = 0; i < 15; ++i) u16(info + 6 + 2 * i, "VS_VERSION_INFO"[i]);
      u32(info + 40, 0xFEEF04BD);
      u32(info + 48, std::uint32_t{(*version)[0]} << 16 | (*version)[1]);
      u32(info + 52, std::uint32_t{(*version)[2]} << 16 | (*version)[3]);
    }
    return image;
  }
};

}  // namespace testing_support
