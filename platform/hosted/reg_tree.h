// The registry's keys and values as Windows keeps them: names and text in UTF-16, subkeys
// sorted by upper-cased name, values in the order they were set.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "platform/platform.h"

namespace hosted::reg {

using platform::DWORD;

// The registry's case rule: names are compared upper-cased, unit by unit, which is also
// the order in which Windows enumerates subkeys.
char16_t Upcase(char16_t c);
int CompareNoCase(std::u16string_view a, std::u16string_view b);

struct Value {
  std::u16string name;  // empty: the key's default value
  DWORD type = 0;
  std::string data;  // raw bytes; text types hold UTF-16LE
};

bool IsTextType(DWORD type);  // REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ

class Key {
 public:
  Key(std::u16string name, Key* parent);
  ~Key();  // iterative: a chain of any depth is freed without deep recursion
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;

  const std::u16string& Name() const { return name_; }
  Key* Parent() const { return parent_; }
  bool deleted = false;  // removed from the tree while handles may still name it

  // Subkeys.
  Key* Child(std::u16string_view name) const;
  Key& AddChild(std::u16string_view name);  // the existing one, or a new one
  std::unique_ptr<Key> Detach(Key& child);
  std::size_t ChildCount() const { return children_.size(); }
  Key* ChildAt(std::size_t index) const;  // enumeration order; amortised O(1) when stepping
  std::size_t MaxChildNameLength() const;
  template <typename F>
  void ForEachChild(F&& f) const {
    for (const auto& child : children_) f(*child);
  }

  // Values.
  const std::vector<Value>& Values() const { return values_; }
  const Value* FindValue(std::u16string_view name) const;
  void SetValue(std::u16string_view name, DWORD type, std::string data);
  void DeleteValue(std::u16string_view name);
  void ClearValues();

 private:
  struct Less {
    using is_transparent = void;
    bool operator()(const std::unique_ptr<Key>& a, const std::unique_ptr<Key>& b) const;
    bool operator()(const std::unique_ptr<Key>& a, std::u16string_view b) const;
    bool operator()(std::u16string_view a, const std::unique_ptr<Key>& b) const;
  };
  using Children = std::set<std::unique_ptr<Key>, Less>;

  // Looks values up by folded name once a key holds many; entries are indexes into values_.
  struct ValueHash {
    using is_transparent = void;
    const std::vector<Value>* values;
    std::size_t operator()(std::uint32_t index) const;
    std::size_t operator()(std::u16string_view name) const;
  };
  struct ValueEqual {
    using is_transparent = void;
    const std::vector<Value>* values;
    std::u16string_view Name(std::uint32_t index) const { return (*values)[index].name; }
    bool operator()(std::uint32_t a, std::uint32_t b) const;
    bool operator()(std::uint32_t a, std::u16string_view b) const;
    bool operator()(std::u16string_view a, std::uint32_t b) const;
  };
  using ValueIndex = std::unordered_set<std::uint32_t, ValueHash, ValueEqual>;

  std::size_t FindValueIndex(std::u16string_view name) const;  // values_.size() if absent
  void RebuildValueIndex();
  void TakeChildren(std::vector<std::unique_ptr<Key>>& into);
  void ForgetEnumeration() const { cursorValid_ = false; }

  std::u16string name_;
  Key* parent_;
  Children children_;
  std::vector<Value> values_;
  std::unique_ptr<ValueIndex> valueIndex_;
  // The last enumerated position, so that walking by index does not restart each time.
  mutable Children::const_iterator cursor_;
  mutable std::size_t cursorIndex_ = 0;
  mutable bool cursorValid_ = false;
  // The longest subkey name and how many subkeys have it; recomputed only when the last
  // of them goes, which keeps deleting many subkeys linear.
  mutable std::size_t maxChildName_ = 0;
  mutable std::size_t maxChildCount_ = 0;
  mutable bool maxChildKnown_ = true;
};

// How a .reg file was written, so that it is written back the same way.
enum class Flavour { Regedit4, Version5 };
enum class Encoding { Ansi, Utf8, Utf8Bom, Utf16 };

enum Root { kLocalMachine, kCurrentUser, kUsers, kCurrentConfig, kRootCount };

struct Tree {
  Tree();
  std::array<std::unique_ptr<Key>, kRootCount> roots;
  Flavour flavour = Flavour::Regedit4;
  Encoding encoding = Encoding::Ansi;

  Key& Root(reg::Root root) { return *roots[root]; }
  // HKEY_LOCAL_MACHINE\SOFTWARE\Classes, the keys of HKEY_CLASSES_ROOT. It always exists, as
  // on Windows: made on first use, in the letter case of a file that names it first.
  Key& Classes();
  // Called before a key leaves the tree, so that the classes key is made again if it goes.
  void Forget(const Key& removed);

 private:
  Key* classes = nullptr;
};

// The full name of a key from its root name, as Windows writes it: HKEY_CURRENT_USER\A\B.
std::u16string FullPath(const Key& key);

}  // namespace hosted::reg
