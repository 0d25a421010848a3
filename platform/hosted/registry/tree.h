// The registry's keys and values as Windows keeps them: names and text in UTF-16, subkeys
// sorted by upper-cased name, values in the order they were set.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace hosted::reg {

using platform::DWORD;

// The registry's case rule: names are compared upper-cased, unit by unit, which is also
// the order in which Windows enumerates subkeys.
char16_t Upcase(char16_t c);
int CompareNoCase(std::u16string_view a, std::u16string_view b);

// A value as its key holds it; the views stay valid until the key's values change.
struct Value {
  std::u16string_view name;  // empty: the key's default value
  DWORD type = 0;
  std::string_view data;  // raw bytes; text types hold UTF-16LE
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

  // Values, in the order they were first set.
  std::size_t ValueCount() const { return records_.size(); }
  Value ValueAt(std::size_t index) const;
  std::optional<Value> FindValue(std::u16string_view name) const;
  void SetValue(std::u16string_view name, DWORD type, std::string_view data);
  // Deletes the values of these names (those there are) in one pass over the values.
  void DeleteValues(const std::vector<std::u16string>& names);
  void ClearValues();
  // Appends a value without looking for one of the same name: only for a staging key,
  // whose values then go to their key through TakeValues, which sorts out repeated names.
  void AppendValue(std::u16string_view name, DWORD type, std::string_view data);
  // Sets from's values here in its order, as SetValue one by one would, and empties from
  // while keeping its memory for the next use. A key without values takes them in blocks
  // of their exact size, so a key filled through a reused staging key neither grows in
  // steps nor keeps the spare room of doubling.
  void TakeValues(Key& from);

 private:
  struct Less {
    using is_transparent = void;
    bool operator()(const std::unique_ptr<Key>& a, const std::unique_ptr<Key>& b) const;
    bool operator()(const std::unique_ptr<Key>& a, std::u16string_view b) const;
    bool operator()(std::u16string_view a, const std::unique_ptr<Key>& b) const;
  };
  using Children = std::set<std::unique_ptr<Key>, Less>;

  // A value: its name's units and then its data's bytes lie in storage_ from start on. A
  // value replaced or deleted leaves its units there until the storage is compacted.
  struct Record {
    std::uint32_t start, nameSize, dataSize;  // nameSize in units, dataSize in bytes
    DWORD type;
    std::uint32_t hash;  // of the upper-cased name
  };

  std::size_t FindRecord(std::u16string_view name, std::uint32_t hash) const;  // or count
  std::u16string_view NameOf(const Record& record) const;
  std::uint32_t Store(std::u16string_view name, std::string_view data);
  void RebuildIndex() const;
  void IndexRecord(std::uint32_t index) const;
  bool HasRepeatedNames() const;
  void Compact();
  void TakeChildren(std::vector<std::unique_ptr<Key>>& into);
  void ForgetEnumeration() const { cursorValid_ = false; }

  std::u16string name_;
  Key* parent_;
  Children children_;
  std::vector<Record> records_;
  // Units rather than bytes so that names can be read in place; data is read as bytes.
  std::u16string storage_;
  std::size_t unused_ = 0;  // units of storage_ that no record names
  // Once a key holds more than a few values: an open-addressing table of record index + 1
  // (0: free), a power of two in size and at most half full. A key that takes its values
  // at once (a loaded one) builds it on its first look-up, so keys never searched cost none.
  mutable std::vector<std::uint32_t> index_;
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
