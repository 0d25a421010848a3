// Compression into the SZDD format that the Windows LZ library (LZ32) expands.
//
// A file is a 14-byte header (the magic "SZDD" 88 F0 27 33, the mode 'A', the character of
// the name that the compressed name replaces by '_', the expanded length as 32-bit
// little-endian) and an LZSS stream over a 4096-byte ring: groups of a control byte (bit set:
// a literal byte; bit clear: a two-byte match of 3 to 18 bytes at a ring position), the
// first output byte at ring position 4080.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace medium {

// The SZDD file of data. Matches reach only bytes of data itself (never the ring's initial
// blanks) and at most 4079 bytes back, as mscompress's files do, so that every expander of
// those expands these. Throws MediumError for data of 4 GiB or more, whose length the header
// cannot hold.
std::vector<std::uint8_t> CompressSzdd(std::span<const std::uint8_t> data, char replacedChar);

}  // namespace medium
