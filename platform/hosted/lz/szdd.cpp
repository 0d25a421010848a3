#include "platform/hosted/lz/szdd.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

namespace hosted::szdd {

namespace {

constexpr std::uint8_t kMagic[] = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33};
constexpr std::size_t kMagicSize = sizeof(kMagic);
constexpr std::uint8_t kModeA = 'A';
constexpr std::size_t kModeOffset = 8;
constexpr std::size_t kLengthOffset = 10;

constexpr std::size_t kWindow = 4096;
// The ring position of the first output byte is kWindow - 16; a flat offset maps to the
// ring position (offset - 16) mod kWindow because output starts at flat offset kWindow.
constexpr std::size_t kRingLag = 16;
constexpr std::size_t kMaxMatch = 18;
// A control byte and eight two-byte matches: the most input one group can take.
constexpr std::size_t kGroupInput = 1 + 8 * 2;
// Eight longest matches: the most output one group can give.
constexpr std::size_t kGroupOutput = 8 * kMaxMatch;
// Matches at distances of 8 or more are copied as three 8-byte moves, whatever their length.
constexpr std::size_t kWideCopy = 24;
constexpr std::size_t kOutputSlack = kGroupOutput + kWideCopy;

std::uint32_t LittleEndian32(const std::uint8_t* bytes) {
  return std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8 | std::uint32_t{bytes[2]} << 16 |
         std::uint32_t{bytes[3]} << 24;
}

// Copies a match forward, so that a distance shorter than the length repeats the pattern.
// May write up to kWideCopy bytes from dst; the buffer's slack holds the excess, which
// later output overwrites before anything reads it.
inline void CopyMatch(std::uint8_t* dst, std::size_t distance, std::size_t length) {
  const std::uint8_t* src = dst - distance;
  if (distance >= 8) {
    // Each 8-byte move reads only bytes already final: distance >= 8 keeps them apart.
    std::memcpy(dst, src, 8);
    std::memcpy(dst + 8, src + 8, 8);
    std::memcpy(dst + 16, src + 16, 8);
  } else {
    for (std::size_t i = 0; i < length; ++i) dst[i] = src[i];
  }
}

class Expander {
 public:
  Expander(const ReadBlock& read, const WriteBlock& write)
      : read_(read),
        write_(write),
        in_(kGroupInput + kBlockSize),
        out_(kWindow + kBlockSize + kOutputSlack, ' ') {}

  Result Run();

 private:
  Status ReadHeader();
  bool Refill();
  bool FlushFullBlock();
  bool FlushRest();
  bool FastGroups();
  Status CheckedGroup();
  std::uint64_t Produced() const { return flushed_ + Offset(op_) - kWindow; }
  std::size_t Offset(const std::uint8_t* p) const {
    return static_cast<std::size_t>(p - out_.data());
  }
  std::size_t Distance(std::uint8_t b0, std::uint8_t b1, const std::uint8_t* at) const {
    std::size_t position = b0 | (std::size_t{b1} & 0xF0) << 4;
    // 1..4096: a match at the current ring position reaches back a whole window.
    return ((Offset(at) - kRingLag - position - 1) & (kWindow - 1)) + 1;
  }
  Result Done(Status status) const { return {status, flushed_}; }

  const ReadBlock& read_;
  const WriteBlock& write_;
  std::vector<std::uint8_t> in_;
  const std::uint8_t* ip_ = nullptr;
  const std::uint8_t* iend_ = nullptr;
  bool inputEnded_ = false;
  // The window's 4096 bytes, then the output block, then slack for a group's overrun.
  std::vector<std::uint8_t> out_;
  std::uint8_t* op_ = nullptr;
  std::uint64_t flushed_ = 0;
  std::uint32_t length_ = 0;
};

Result Expander::Run() {
  ip_ = iend_ = in_.data();
  op_ = out_.data() + kWindow;
  if (!Refill()) return Done(Status::kReadFailed);
  if (Status header = ReadHeader(); header != Status::kOk) return Done(header);
  while (Produced() < length_) {
    if (!Refill()) return Done(Status::kReadFailed);
    if (!FlushFullBlock()) return Done(Status::kWriteFailed);
    if (FastGroups()) continue;
    if (Status status = CheckedGroup(); status != Status::kOk) return Done(status);
  }
  if (!FlushFullBlock() || !FlushRest()) return Done(Status::kWriteFailed);
  return Done(Status::kOk);
}

Status Expander::ReadHeader() {
  std::span<const std::uint8_t> head(ip_, static_cast<std::size_t>(iend_ - ip_));
  switch (Classify(head)) {
    case Kind::kPlain:
      return Status::kDamaged;
    case Kind::kUnknownMode:
      return Status::kUnknownMode;
    case Kind::kSzdd:
      break;
  }
  if (head.size() < kHeaderSize) return Status::kDamaged;
  length_ = LittleEndian32(ip_ + kLengthOffset);
  ip_ += kHeaderSize;
  return Status::kOk;
}

// Makes at least a whole group's input available, unless the input ends first.
bool Expander::Refill() {
  std::size_t carry = static_cast<std::size_t>(iend_ - ip_);
  if (carry >= kGroupInput || inputEnded_) return true;
  std::memmove(in_.data(), ip_, carry);
  ip_ = in_.data();
  iend_ = ip_ + carry;
  while (static_cast<std::size_t>(iend_ - ip_) < kGroupInput && !inputEnded_) {
    std::size_t room = std::min(kBlockSize, in_.size() - static_cast<std::size_t>(iend_ - ip_));
    std::ptrdiff_t got = read_(in_.data() + (iend_ - ip_), room);
    if (got < 0 || static_cast<std::size_t>(got) > room) return false;
    inputEnded_ = got == 0;
    iend_ += got;
  }
  return true;
}

// Writes the output block once it is full and moves its last window in front of the next.
// Sliding by the block size, a multiple of the window, keeps every ring position in place.
bool Expander::FlushFullBlock() {
  if (Offset(op_) < kWindow + kBlockSize) return true;
  if (!write_(out_.data() + kWindow, kBlockSize)) return false;
  std::memmove(out_.data(), out_.data() + kBlockSize, Offset(op_) - kBlockSize);
  op_ -= kBlockSize;
  flushed_ += kBlockSize;
  return true;
}

bool Expander::FlushRest() {
  std::size_t size = Offset(op_) - kWindow;
  if (size == 0) return true;
  if (!write_(out_.data() + kWindow, size)) return false;
  flushed_ += size;
  return true;
}

// Decodes whole groups without bounds checks while the input holds a whole group, the
// block has not filled and the header's length is at least a whole group's output away.
// Answers whether it decoded anything.
bool Expander::FastGroups() {
  std::uint64_t left = length_ - Produced();
  if (left < kGroupOutput || static_cast<std::size_t>(iend_ - ip_) < kGroupInput) return false;
  std::size_t untilBlockEnd = kWindow + kBlockSize - Offset(op_);
  const std::uint8_t* outLimit =
      op_ + std::min<std::uint64_t>(left - kGroupOutput + 1, untilBlockEnd);
  const std::uint8_t* inLimit = iend_ - kGroupInput;
  const std::uint8_t* ip = ip_;
  std::uint8_t* op = op_;
  while (ip <= inLimit && op < outLimit) {
    unsigned control = *ip++;
    auto item = [&](unsigned bit) {
      if (control & (1u << bit)) {
        *op++ = *ip++;
      } else {
        std::size_t length = (ip[1] & 0x0F) + 3u;
        CopyMatch(op, Distance(ip[0], ip[1], op), length);
        ip += 2;
        op += length;
      }
    };
    [&]<unsigned... Bit>(std::integer_sequence<unsigned, Bit...>) { (item(Bit), ...); }
    (std::make_integer_sequence<unsigned, 8>());
  }
  bool progressed = op != op_;
  ip_ = ip;
  op_ = op;
  return progressed;
}

// Decodes one group with every item checked against the input left and the header's
// length. Runs where the fast loop cannot: near the end of the input or of the length.
Status Expander::CheckedGroup() {
  if (ip_ == iend_) return Status::kDamaged;
  unsigned control = *ip_++;
  for (unsigned bit = 0; bit < 8 && Produced() < length_; ++bit) {
    if (control & (1u << bit)) {
      if (ip_ == iend_) return Status::kDamaged;
      *op_++ = *ip_++;
      continue;
    }
    if (iend_ - ip_ < 2) return Status::kDamaged;
    std::size_t length = (ip_[1] & 0x0F) + 3u;
    if (length > length_ - Produced()) return Status::kDamaged;
    CopyMatch(op_, Distance(ip_[0], ip_[1], op_), length);
    ip_ += 2;
    op_ += length;
  }
  return Status::kOk;
}

}  // namespace

Kind Classify(std::span<const std::uint8_t> head) {
  if (head.size() < kMagicSize || !std::equal(kMagic, kMagic + kMagicSize, head.begin())) {
    return Kind::kPlain;
  }
  if (head.size() > kModeOffset && head[kModeOffset] != kModeA) return Kind::kUnknownMode;
  return Kind::kSzdd;
}

Result Expand(const ReadBlock& read, const WriteBlock& write) {
  return Expander(read, write).Run();
}

}  // namespace hosted::szdd
