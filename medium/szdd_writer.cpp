#include "medium/szdd_writer.h"

#include <algorithm>
#include <limits>

#include "medium/error.h"

namespace medium {

namespace {

constexpr std::uint8_t kMagic[] = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33};
constexpr std::size_t kWindow = 4096;
constexpr std::size_t kFirstRingPosition = kWindow - 16;
constexpr std::size_t kMinMatch = 3;
constexpr std::size_t kMaxMatch = 18;
// The farthest back mscompress's files reach; every expander of them handles it.
constexpr std::size_t kMaxDistance = 4079;
// Candidates looked at per position: past this the gain in size is below a tenth of a
// percent on programs and text, and input with many short repeats stays fast.
constexpr std::size_t kChainLimit = 256;
constexpr std::size_t kHashBits = 15;
constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max();
// The stream is parsed into items a block at a time, each block at the least cost in bits.
constexpr std::size_t kBlock = 64 * 1024;
constexpr std::uint32_t kLiteralBits = 9;
constexpr std::uint32_t kMatchBits = 17;

struct Match {
  std::size_t length = 0;
  std::size_t from = 0;  // the position in data the match copies from
};

// Positions of data by their first three bytes, newest first, within the reach of a match.
class MatchFinder {
 public:
  explicit MatchFinder(std::span<const std::uint8_t> data)
      : data_(data), head_(std::size_t{1} << kHashBits, kNone), previous_(kWindow, kNone) {}

  // Positions are inserted in order, each before any match is looked for after it.
  void InsertUpTo(std::size_t end) {
    for (; inserted_ < end; ++inserted_) {
      if (inserted_ + kMinMatch > data_.size()) continue;
      std::size_t& head = head_[Hash(inserted_)];
      previous_[inserted_ % kWindow] = head;
      head = inserted_;
    }
  }

  // The longest match for the bytes at pos among the inserted positions; the nearest of equal
  // length. A match may run into the bytes it produces (from + length > pos).
  Match Longest(std::size_t pos) const {
    Match best;
    if (pos + kMinMatch > data_.size()) return best;
    std::size_t limit = std::min(kMaxMatch, data_.size() - pos);
    std::size_t steps = 0;
    // A chain entry older than kMaxDistance may have been overwritten: the walk stops there.
    for (std::size_t from = head_[Hash(pos)];
         from != kNone && pos - from <= kMaxDistance && steps < kChainLimit;
         from = previous_[from % kWindow], ++steps) {
      std::size_t length = 0;
      while (length < limit && data_[from + length] == data_[pos + length]) ++length;
      if (length > best.length) best = {length, from};
      if (length == limit) break;
    }
    if (best.length < kMinMatch) best.length = 0;
    return best;
  }

 private:
  std::size_t Hash(std::size_t pos) const {
    std::size_t key =
        std::size_t{data_[pos]} << 16 | std::size_t{data_[pos + 1]} << 8 | data_[pos + 2];
    return (key * 2654435761u) >> (32 - kHashBits) & ((std::size_t{1} << kHashBits) - 1);
  }

  std::span<const std::uint8_t> data_;
  std::vector<std::size_t> head_;
  std::vector<std::size_t> previous_;  // by position modulo the window
  std::size_t inserted_ = 0;
};

// Items in groups of eight behind a control byte, filled from its lowest bit.
class GroupWriter {
 public:
  explicit GroupWriter(std::vector<std::uint8_t>& out) : out_(out) {}

  void Literal(std::uint8_t byte) {
    Item(true);
    out_.push_back(byte);
  }
  void Copy(std::size_t from, std::size_t length) {
    Item(false);
    std::size_t ring = (kFirstRingPosition + from) % kWindow;
    out_.push_back(static_cast<std::uint8_t>(ring & 0xFF));
    out_.push_back(static_cast<std::uint8_t>((ring >> 4 & 0xF0) | (length - kMinMatch)));
  }

 private:
  void Item(bool literal) {
    if (used_ == 8) {
      control_ = out_.size();
      out_.push_back(0);
      used_ = 0;
    }
    if (literal) out_[control_] |= static_cast<std::uint8_t>(1u << used_);
    ++used_;
  }

  std::vector<std::uint8_t>& out_;
  std::size_t control_ = 0;
  unsigned used_ = 8;
};

void WriteHeader(std::vector<std::uint8_t>& out, std::size_t length, char replacedChar) {
  out.assign(std::begin(kMagic), std::end(kMagic));
  out.push_back('A');
  out.push_back(static_cast<std::uint8_t>(replacedChar));
  for (int shift = 0; shift < 32; shift += 8) out.push_back(std::uint8_t(length >> shift & 0xFF));
}

}  // namespace

std::vector<std::uint8_t> CompressSzdd(std::span<const std::uint8_t> data, char replacedChar) {
  if (data.size() > std::numeric_limits<std::uint32_t>::max())
    throw MediumError("a file of 4 GiB or more cannot be stored compressed");
  std::vector<std::uint8_t> out;
  WriteHeader(out, data.size(), replacedChar);
  MatchFinder finder(data);
  GroupWriter groups(out);
  std::vector<Match> longest;
  std::vector<std::uint32_t> cost;
  std::vector<std::uint8_t> step;
  for (std::size_t begin = 0; begin < data.size(); begin += kBlock) {
    std::size_t size = std::min(kBlock, data.size() - begin);
    longest.resize(size);
    for (std::size_t i = 0; i < size; ++i) {
      finder.InsertUpTo(begin + i);
      longest[i] = finder.Longest(begin + i);
      longest[i].length = std::min(longest[i].length, size - i);
    }
    // The cheapest items from each position to the block's end, from the end backwards: a
    // literal costs 9 bits, a match of any length up to the longest found 17.
    cost.assign(size + 1, 0);
    step.assign(size, 1);
    for (std::size_t i = size; i-- > 0;) {
      cost[i] = kLiteralBits + cost[i + 1];
      for (std::size_t length = kMinMatch; length <= longest[i].length; ++length) {
        if (kMatchBits + cost[i + length] < cost[i]) {
          cost[i] = kMatchBits + cost[i + length];
          step[i] = static_cast<std::uint8_t>(length);
        }
      }
    }
    for (std::size_t i = 0; i < size; i += step[i]) {
      if (step[i] == 1)
        groups.Literal(data[begin + i]);
      else
        groups.Copy(longest[i].from, step[i]);
    }
  }
  return out;
}

}  // namespace medium
