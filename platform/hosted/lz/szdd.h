// Streaming expander for the SZDD compressed format, the one the Windows LZ library reads.
//
// A file is a 14-byte header (the magic "SZDD" 88 F0 27 33, the compression mode 'A', the
// missing last character of the name, the expanded length as 32-bit little-endian) and an
// LZSS stream over a 4096-byte window. The expander works on fixed 64 KiB blocks through
// the caller's callbacks and never holds a whole file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

namespace hosted::szdd {

constexpr std::size_t kHeaderSize = 14;
constexpr std::size_t kBlockSize = 64 * 1024;

// What the first bytes of a file say about it.
enum class Kind {
  kPlain,        // not SZDD: fewer than 8 bytes, or another magic
  kSzdd,         // the magic and mode 'A' (or a header cut short after the magic)
  kUnknownMode,  // the magic with a mode other than 'A'
};
Kind Classify(std::span<const std::uint8_t> head);

enum class Status {
  kOk,
  kUnknownMode,  // the header names a mode other than 'A'
  kDamaged,      // no SZDD header, or the stream ends before the header's length
  kReadFailed,   // the read callback failed
  kWriteFailed,  // the write callback failed
};

struct Result {
  Status status;
  std::uint64_t written;  // bytes handed to the write callback
};

// Fills up to size bytes; returns the count (0 at the end of the input), negative on failure.
using ReadBlock = std::function<std::ptrdiff_t(std::uint8_t* buffer, std::size_t size)>;
// Takes all of data or fails (a short write is a failure).
using WriteBlock = std::function<bool(const std::uint8_t* data, std::size_t size)>;

// Expands a whole SZDD file, header included. Writes exactly the header's length on
// success and never more than it; data after that length is not looked at.
Result Expand(const ReadBlock& read, const WriteBlock& write);

}  // namespace hosted::szdd
