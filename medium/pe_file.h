// What the medium tools need to know of a Windows program: its processor, the version in its
// version resource and whether it carries an Authenticode signature. Read from the file's
// bytes with every offset checked, so that a damaged or hostile file gets an answer naming
// what is wrong and nothing is read outside it.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace medium {

struct ProgramFacts {
  std::string processor;  // "x86", "x64", or the COFF machine number in hexadecimal
  // The fixed file version of the version resource (major, minor, patch, build).
  std::optional<std::array<std::uint16_t, 4>> version;
  bool signature = false;  // the certificate table is present
};

// Throws MediumError when the bytes are not a Windows program or its headers or version
// resource point outside the file.
ProgramFacts ReadProgramFacts(std::span<const std::uint8_t> image);

// "X.Y.Z" of the version (the build number is left out when it is 0, as the build writes it).
std::string VersionText(const std::array<std::uint16_t, 4>& version);

}  // namespace medium
