#include "platform/hosted/reg_tree.h"

#include <algorithm>
#include <iterator>

namespace hosted::reg {

namespace {

// Pairs in which the upper-case letter has the even code and the lower-case the odd one.
bool InEvenPairs(char16_t c) {
  return (c >= 0x100 && c <= 0x12F) || (c >= 0x132 && c <= 0x137) || (c >= 0x14A && c <= 0x177) ||
         (c >= 0x460 && c <= 0x481) || (c >= 0x48A && c <= 0x4BF);
}

bool InOddPairs(char16_t c) { return (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E); }

constexpr std::size_t kIndexThreshold = 8;  // below it a linear scan is faster than hashing

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

std::size_t Key::ValueHash::operator()(std::uint32_t index) const {
  return (*this)((*values)[index].name);
}
std::size_t Key::ValueHash::operator()(std::u16string_view name) const {
  std::size_t h = 1469598103934665603ull;
  for (char16_t c : name) h = (h ^ Upcase(c)) * 1099511628211ull;
  return h;
}
bool Key::ValueEqual::operator()(std::uint32_t a, std::uint32_t b) const {
  return CompareNoCase(Name(a), Name(b)) == 0;
}
bool Key::ValueEqual::operator()(std::uint32_t a, std::u16string_view b) const {
  return CompareNoCase(Name(a), b) == 0;
}
bool Key::ValueEqual::operator()(std::u16string_view a, std::uint32_t b) const {
  return CompareNoCase(a, Name(b)) == 0;
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

std::size_t Key::FindValueIndex(std::u16string_view name) const {
  if (valueIndex_) {
    auto it = valueIndex_->find(name);
    return it == valueIndex_->end() ? values_.size() : *it;
  }
  for (std::size_t i = 0; i < values_.size(); ++i)
    if (CompareNoCase(values_[i].name, name) == 0) return i;
  return values_.size();
}

const Value* Key::FindValue(std::u16string_view name) const {
  std::size_t i = FindValueIndex(name);
  return i == values_.size() ? nullptr : &values_[i];
}

void Key::SetValue(std::u16string_view name, DWORD type, std::string data) {
  std::size_t i = FindValueIndex(name);
  if (i < values_.size()) {
    values_[i].type = type;
    values_[i].data = std::move(data);
    return;
  }
  values_.push_back(Value{std::u16string(name), type, std::move(data)});
  if (valueIndex_) {
    valueIndex_->insert(std::uint32_t(i));
  } else if (values_.size() > kIndexThreshold) {
    RebuildValueIndex();
  }
}

void Key::DeleteValue(std::u16string_view name) {
  std::size_t i = FindValueIndex(name);
  if (i == values_.size()) return;
  values_.erase(values_.begin() + std::ptrdiff_t(i));
  if (valueIndex_) RebuildValueIndex();
}

void Key::ClearValues() {
  valueIndex_.reset();
  std::vector<Value>().swap(values_);
}

void Key::RebuildValueIndex() {
  valueIndex_ =
      std::make_unique<ValueIndex>(values_.size() * 2, ValueHash{&values_}, ValueEqual{&values_});
  for (std::size_t i = 0; i < values_.size(); ++i) valueIndex_->insert(std::uint32_t(i));
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
