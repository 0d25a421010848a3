// Hand-made SZDD streams for the expander's tests: items are added one by one, the control
// bytes filled LSB first.
#pragma once

#include <cstdint>
#include <string>

namespace testing_support {

struct SzddStream {
  explicit SzddStream(std::size_t length) {
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back(char(length >> shift));
  }
  SzddStream& Literal(const std::string& data) {
    for (char c : data) Item(1).push_back(c);
    return *this;
  }
  // A match of 3 to 18 bytes from a position in the 4096-byte ring.
  SzddStream& Match(unsigned position, unsigned length) {
    Item(0).push_back(char(position & 0xFF));
    bytes.push_back(char((position >> 4 & 0xF0) | (length - 3)));
    return *this;
  }
  std::string& Item(int literal) {
    if (items % 8 == 0) control = bytes.size(), bytes.push_back(0);
    bytes[control] = char(bytes[control] | literal << items++ % 8);
    return bytes;
  }

  std::string bytes{"SZDD\x88\xF0'3A\0", 10};  // the magic, the mode, no replaced character
  std::size_t control = 0, items = 0;
};

}  // namespace testing_support
