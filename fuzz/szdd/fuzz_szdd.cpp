// The SZDD expander on arbitrary bytes. Checks, beyond memory safety:
// - never more output than the header's length, and all of it when the answer is kOk;
// - the output does not depend on how the input is split into reads;
// - what a kOk answer gives equals a plain byte-at-a-time decoding of the format;
// - a stream cut short of what a kOk decoding needed is damaged, never a shorter success.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "platform/hosted/lz/szdd.h"

namespace {

using hosted::szdd::Status;
using Bytes = std::vector<std::uint8_t>;

struct Outcome {
  Status status;
  Bytes output;
  std::size_t consumed;  // input bytes the expander asked for and got
};

void Check(bool condition) {
  if (!condition) std::abort();
}

// chunk: the most one read hands over, to vary the expander's refills.
Outcome Run(std::span<const std::uint8_t> input, std::size_t chunk) {
  Outcome outcome{Status::kOk, {}, 0};
  auto read = [&](std::uint8_t* buffer, std::size_t size) -> std::ptrdiff_t {
    std::size_t count = std::min({size, chunk, input.size() - outcome.consumed});
    std::copy_n(input.begin() + static_cast<std::ptrdiff_t>(outcome.consumed), count, buffer);
    outcome.consumed += count;
    return static_cast<std::ptrdiff_t>(count);
  };
  auto write = [&](const std::uint8_t* data, std::size_t size) {
    outcome.output.insert(outcome.output.end(), data, data + size);
    return true;
  };
  auto result = hosted::szdd::Expand(read, write);
  Check(result.written == outcome.output.size());
  outcome.status = result.status;
  return outcome;
}

std::uint32_t HeaderLength(std::span<const std::uint8_t> input) {
  return std::uint32_t{input[10]} | std::uint32_t{input[11]} << 8 | std::uint32_t{input[12]} << 16 |
         std::uint32_t{input[13]} << 24;
}

// The format decoded one item at a time: a ring of 4096 blanks written from 4096 - 16,
// control bits from the lowest, a set bit a literal, a clear one a 12-bit ring position
// and a 4-bit length less three. Nullopt when the input ends before length bytes; else the
// output and the count of input bytes read.
std::optional<std::pair<Bytes, std::size_t>> Reference(std::span<const std::uint8_t> input,
                                                       std::uint32_t length) {
  std::vector<std::uint8_t> ring(4096, ' ');
  std::size_t at = 4096 - 16, in = hosted::szdd::kHeaderSize;
  Bytes out;
  auto put = [&](std::uint8_t byte) {
    out.push_back(byte);
    ring[at++ & 4095] = byte;
  };
  while (out.size() < length) {
    if (in >= input.size()) return std::nullopt;
    unsigned control = input[in++];
    for (unsigned bit = 0; bit < 8 && out.size() < length; ++bit) {
      if (control & (1u << bit)) {
        if (in >= input.size()) return std::nullopt;
        put(input[in++]);
        continue;
      }
      if (in + 2 > input.size()) return std::nullopt;
      std::size_t from = input[in] | (std::size_t{input[in + 1]} & 0xF0) << 4;
      std::size_t count = (input[in + 1] & 0x0F) + 3u;
      in += 2;
      for (std::size_t i = 0; i < count && out.size() < length; ++i) put(ring[from++ & 4095]);
    }
  }
  return std::pair{out, in};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::span<const std::uint8_t> input(data, size);
  Outcome whole = Run(input, hosted::szdd::kBlockSize);
  Outcome split = Run(input, 1 + size % 97);
  Check(whole.status == split.status && whole.output == split.output);
  if (size >= hosted::szdd::kHeaderSize) Check(whole.output.size() <= HeaderLength(input));
  if (whole.status != Status::kOk) return 0;

  std::uint32_t length = HeaderLength(input);
  Check(whole.output.size() == length);
  auto reference = Reference(input, length);
  Check(reference && reference->first == whole.output);

  // The last byte the reference read belongs to an item that gave output (a control byte
  // is read only when output is still due), so without it the stream lacks that item.
  std::size_t needed = reference->second;
  if (needed > hosted::szdd::kHeaderSize)
    Check(Run(input.first(needed - 1), hosted::szdd::kBlockSize).status == Status::kDamaged);
  return 0;
}
