// Hand-made SZDD streams for the expander's tests: items are added one by one, the control
// bytes filled LSB first.
#pragma once

#include <cstdint>
#include <string>

namespace testing_support {

class SzddStream {
 public:
  explicit SzddStream(std::size_t length)
      : bytes{'S', 'Z', 'D', 'D', '\x88', '\xF0', '\x27', '\x33', 'A', '\0'} {
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back(char(length >> shift));
  }
  SzddStream& Literal(const std::string& data) {
    for (char c : data) Item(true).push_back(c);
    return *this;
  }
  // A match of 3 to 18 bytes from a position in the 4096-byte ring.
  SzddStream& Match(unsigned position, unsigned length) {
    Item(false).push_back(char(position & 0xFF));
    bytes.push_back(char((position >> 4 & 0xF0) | (length - 3)));
    return *this;
  }
  std::string bytes;

 private:
  std::string& Item(bool literal) {
    if (used_ == 8) control_ = bytes.size(), bytes.push_back(0), used_ = 0;
    if (literal) bytes[control_] = char(bytes[control_] | 1 << used_);
    ++used_;
    return bytes;
  }
  std::size_t control_ = 0;
  int used_ = 8;
};

}  // namespace testing_support
