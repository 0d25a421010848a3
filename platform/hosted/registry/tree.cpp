#include "platform/hosted/registry/tree.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <iterator>
#include <stdexcept>

namespace hosted::reg {

namespace {

// Pairs in which the upper-case letter has the even code and the lower-case the odd one.
bool InEvenPairs(char16_t c) {
  return (c >= 0x100 && c <= 0x12F) || (c >= 0x132 && c <= 0x137) || (c >= 0x14A && c <= 0x177) ||
         (c >= 0x460 && c <= 0x481) || (c >= 0x48A && c <= 0x4BF);
}

bool InOddPairs(char16_t c) { return (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E); }

constexpr std::size_t kIndexThreshold = 8;       // below it a linear scan is faster than hashing
constexpr std::size_t kMaxStorage = UINT32_MAX;  // records hold 32-bit positions

// Slots for an index of this many records: a power of two, at most half full.
std::size_t IndexSize(std::size_t records) {
  std::size_t size = 16;
  while (size < records * 2) size *= 2;
  return size;
}

// Rotate-and-xor over the upper-cased units, mixed once at the end so that the low bits,
// which pick the index slot, depend on every unit.
std::uint32_t NameHash(std::u16string_view name) {
  std::uint64_t h = name.size();
  for (char16_t c : name) h = std::rotl(h, 7) ^ Upcase(c);
  return std::uint32_t((h * 0x9E3779B97F4A7C15ull) >> 32);
}

}  // namespace

// The scripts that code page 1252 and the usual .reg files hold: Latin, Greek, Cyrillic.
char16_t Upcase(char16_t c) {
  if (c < 0x80) return (c >= 'a' && c <= 'z') ? char16_t(c - 0x20) : c;
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return char16_t(c - 0x20);
  if (c == 0xFF) return 0x178;
  if (InEvenPairs(c)) return char16_t(c & ~1u);
  if (InOddPairs(c)) return (c & 1u) ? c : char16_t(c - 1);
  if (c == 0x192) return 0x191;
  if (c == 0x3C2) return 0x3A3;
  if ((c >= 0x3B1 && c <= 0x3CB) || (c >= 0x430 && c <= 0x44F) || (c >= 0xFF41 && c <= 0xFF5A))
    return char16_t(c - 0x20);
  if (c >= 0x450 && c <= 0x45F) return char16_t(c - 0x50);
  if (c == 0x3AC) return 0x386;
  if (c >= 0x3AD && c <= 0x3AF) return char16_t(c - 0x25);
  if (c == 0x3CC) return 0x38C;
  if (c == 0x3CD || c == 0x3CE) return char16_t(c - 0x3F);
  return c;
}

int CompareNoCase(std::u16string_view a, std::u16string_view b) {
  std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    char16_t x = Upcase(a[i]), y = Upcase(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool IsTextType(DWORD type) {
  return type == platform::REG_SZ || type == platform::REG_EXPAND_SZ ||
         type == platform::REG_MULTI_SZ;
}

bool Key::Less::operator()(const std::unique_ptr<Key>& a, const std::unique_ptr<Key>& b) const {
  return CompareNoCase(a->name_, b->name_) < 0;
}
bool Key::Less::operator()(const std::unique_ptr<Key>& a, std::u16string_view b) const {
  return CompareNoCase(a->name_, b) < 0;
}
bool Key::Less::operator()(std::u16string_view a, const std::unique_ptr<Key>& b) const {
  return CompareNoCase(a, b->name_) < 0;
}

Key::Key(std::u16string name, Key* parent) : name_(std::move(name)), parent_(parent) {}

Key::~Key() {
  std::vector<std::unique_ptr<Key>> pending;
  TakeChildren(pending);
  while (!pending.empty()) {
    std::unique_ptr<Key> key = std::move(pending.back());
    pending.pop_back();
    key->TakeChildren(pending);
  }
}

void Key::TakeChildren(std::vector<std::unique_ptr<Key>>& into) {
  while (!children_.empty())
    into.push_back(std::move(children_.extract(children_.begin()).value()));
}

Key* Key::Child(std::u16string_view name) const {
  auto it = children_.find(name);
  return it == children_.end() ? nullptr : it->get();
}

Key& Key::AddChild(std::u16string_view name) {
  auto it = children_.lower_bound(name);
  if (it != children_.end() && CompareNoCase((*it)->name_, name) == 0) return **it;
  ForgetEnumeration();
  it = children_.insert(it, std::make_unique<Key>(std::u16string(name), this));
  if (maxChildKnown_ && name.size() >= maxChildName_) {
    maxChildCount_ = name.size() == maxChildName_ ? maxChildCount_ + 1 : 1;
    maxChildName_ = name.size();
  }
  return **it;
}

std::unique_ptr<Key> Key::Detach(Key& child) {
  ForgetEnumeration();
  if (maxChildKnown_ && child.name_.size() == maxChildName_ && --maxChildCount_ == 0)
    maxChildKnown_ = false;
  return std::move(children_.extract(children_.find(child.name_)).value());
}

Key* Key::ChildAt(std::size_t index) const {
  if (index >= children_.size()) return nullptr;
  // Start from whichever known position is nearest: the front, the back or the cursor.
  std::size_t size = children_.size();
  auto it = children_.begin();
  std::size_t from = 0, distance = index;
  if (size - index < distance) it = children_.end(), from = size, distance = size - index;
  if (cursorValid_ &&
      (index > cursorIndex_ ? index - cursorIndex_ : cursorIndex_ - index) < distance)
    it = cursor_, from = cursorIndex_;
  std::advance(it, std::ptrdiff_t(index) - std::ptrdiff_t(from));
  cursor_ = it;
  cursorIndex_ = index;
  cursorValid_ = true;
  return it->get();
}

std::size_t Key::MaxChildNameLength() const {
  if (!maxChildKnown_) {
    maxChildName_ = maxChildCount_ = 0;
    for (const auto& child : children_) {
      std::size_t n = child->name_.size();
      if (n > maxChildName_) maxChildName_ = n, maxChildCount_ = 0;
      if (n == maxChildName_) ++maxChildCount_;
    }
    maxChildKnown_ = true;
  }
  return maxChildName_;
}

Value Key::ValueAt(std::size_t index) const {
  const Record& r = records_[index];
  auto data = reinterpret_cast<const char*>(storage_.data() + r.start + r.nameSize);
  return {NameOf(r), r.type, std::string_view(data, r.dataSize)};
}

std::u16string_view Key::NameOf(const Record& record) const {
  return std::u16string_view(storage_).substr(record.start, record.nameSize);
}

std::size_t Key::FindRecord(std::u16string_view name, std::uint32_t hash) const {
  auto same = [&](const Record& r) {
    return r.hash == hash && r.nameSize == name.size() && CompareNoCase(NameOf(r), name) == 0;
  };
  if (index_.empty() && records_.size() > kIndexThreshold) RebuildIndex();
  if (index_.empty()) {
    for (std::size_t i = 0; i < records_.size(); ++i)
      if (same(records_[i])) return i;
    return records_.size();
  }
  std::size_t mask = index_.size() - 1;
  for (std::size_t slot = hash & mask; index_[slot] != 0; slot = (slot + 1) & mask)
    if (same(records_[index_[slot] - 1])) return index_[slot] - 1;
  return records_.size();
}

std::optional<Value> Key::FindValue(std::u16string_view name) const {
  std::size_t i = FindRecord(name, NameHash(name));
  if (i == records_.size()) return std::nullopt;
  return ValueAt(i);
}

// Appends a name and data to the storage; returns where they start.
std::uint32_t Key::Store(std::u16string_view name, std::string_view data) {
  std::size_t start = storage_.size(), units = name.size() + (data.size() + 1) / 2;
  if (units > kMaxStorage - start) throw std::length_error("registry key too large");
  storage_.resize(start + units);
  std::copy(name.begin(), name.end(), storage_.begin() + std::ptrdiff_t(start));
  if (!data.empty()) std::memcpy(storage_.data() + start + name.size(), data.data(), data.size());
  return std::uint32_t(start);
}

void Key::SetValue(std::u16string_view name, DWORD type, std::string_view data) {
  std::uint32_t hash = NameHash(name);
  std::size_t i = FindRecord(name, hash);
  if (i < records_.size()) {
    // The name keeps the letter case it was first set in.
    Record& r = records_[i];
    std::u16string oldName(NameOf(r));
    unused_ += r.nameSize + (r.dataSize + 1) / 2;
    r = {Store(oldName, data), r.nameSize, std::uint32_t(data.size()), type, hash};
    if (unused_ > storage_.size() / 2) Compact();
    return;
  }
  records_.push_back(
      {Store(name, data), std::uint32_t(name.size()), std::uint32_t(data.size()), type, hash});
  if (index_.empty() ? records_.size() > kIndexThreshold : records_.size() * 2 > index_.size()) {
    RebuildIndex();
  } else if (!index_.empty()) {
    IndexRecord(std::uint32_t(i));
  }
}

void Key::DeleteValues(const std::vector<std::u16string>& names) {
  std::vector<bool> gone(records_.size());
  std::size_t count = 0;
  for (const std::u16string& name : names) {
    std::size_t i = FindRecord(name, NameHash(name));
    if (i == records_.size() || gone[i]) continue;
    gone[i] = true;
    ++count;
    unused_ += records_[i].nameSize + (records_[i].dataSize + 1) / 2;
  }
  if (count == 0) return;
  std::size_t kept = 0;
  for (std::size_t i = 0; i < records_.size(); ++i)
    if (!gone[i]) records_[kept++] = records_[i];
  records_.resize(kept);
  index_.clear();  // made again on the next look-up that needs one
  if (unused_ > storage_.size() / 2) Compact();
}

void Key::ClearValues() {
  std::vector<Record>().swap(records_);
  std::u16string().swap(storage_);
  std::vector<std::uint32_t>().swap(index_);
  unused_ = 0;
}

void Key::AppendValue(std::u16string_view name, DWORD type, std::string_view data) {
  records_.push_back({Store(name, data), std::uint32_t(name.size()), std::uint32_t(data.size()),
                      type, NameHash(name)});
}

void Key::TakeValues(Key& from) {
  if (!records_.empty() || from.HasRepeatedNames()) {
    for (std::size_t i = 0; i < from.ValueCount(); ++i) {
      Value value = from.ValueAt(i);
      SetValue(value.name, value.type, value.data);
    }
  } else {
    if (from.unused_ > 0) from.Compact();
    records_.assign(from.records_.begin(), from.records_.end());
    storage_.assign(from.storage_);
    unused_ = 0;
    index_.clear();  // it may still have slots from values deleted before
  }
  from.records_.clear();
  from.storage_.clear();
  from.index_.clear();
  from.unused_ = 0;
}

// Whether two records name the same value, found with the index built on the way when the
// key has enough records for one: a repeat leaves it part-built, and the caller clears it.
bool Key::HasRepeatedNames() const {
  bool indexed = records_.size() > kIndexThreshold;
  if (indexed) index_.assign(IndexSize(records_.size()), 0);
  for (std::uint32_t i = 0; i < records_.size(); ++i) {
    // Unindexed, the scan finds the record itself unless an earlier one has its name.
    if (FindRecord(NameOf(records_[i]), records_[i].hash) < i) return true;
    if (indexed) IndexRecord(i);
  }
  return false;
}

void Key::RebuildIndex() const {
  index_.assign(IndexSize(records_.size()), 0);
  for (std::size_t i = 0; i < records_.size(); ++i) IndexRecord(std::uint32_t(i));
}

// Places a record in the first free slot from its hash on.
void Key::IndexRecord(std::uint32_t index) const {
  std::size_t mask = index_.size() - 1, slot = records_[index].hash & mask;
  while (index_[slot] != 0) slot = (slot + 1) & mask;
  index_[slot] = index + 1;
}

// Copies what the records name into fresh storage, in record order.
void Key::Compact() {
  std::u16string storage;
  for (Record& r : records_) {
    auto start = std::uint32_t(storage.size());
    storage.append(storage_, r.start, r.nameSize + (r.dataSize + 1) / 2);
    r.start = start;
  }
  storage_.swap(storage);
  unused_ = 0;
}

Tree::Tree() {
  static constexpr std::u16string_view kNames[kRootCount] = {
      u"HKEY_LOCAL_MACHINE", u"HKEY_CURRENT_USER", u"HKEY_USERS", u"HKEY_CURRENT_CONFIG"};
  for (int i = 0; i < kRootCount; ++i)
    roots[i] = std::make_unique<Key>(std::u16string(kNames[i]), nullptr);
}

Key& Tree::Classes() {
  if (!classes) classes = &Root(kLocalMachine).AddChild(u"SOFTWARE").AddChild(u"Classes");
  return *classes;
}

void Tree::Forget(const Key& removed) {
  for (const Key* k = classes; k; k = k->Parent())
    if (k == &removed) classes = nullptr;
}

std::u16string FullPath(const Key& key) {
  std::vector<const Key*> chain;
  for (const Key* k = &key; k; k = k->Parent()) chain.push_back(k);
  std::u16string path;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    if (!path.empty()) path += u'\\';
    path += (*it)->Name();
  }
  return path;
}

}  // namespace hosted::reg
