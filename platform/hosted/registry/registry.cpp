#include "platform/hosted/registry/registry.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <unordered_map>

#include "platform/hosted/registry/io.h"
#include "platform/hosted/registry/reader.h"
#include "platform/hosted/registry/tree.h"
#include "platform/hosted/registry/view.h"
#include "platform/hosted/registry/writer.h"
#include "platform/hosted/text/codepage.h"

namespace hosted {

namespace {

using reg::Key;

constexpr REGSAM kWriteDac = 0x00040000, kWriteOwner = 0x00080000;
// What a user outside the Administrators group may not ask for under HKEY_LOCAL_MACHINE.
constexpr REGSAM kWriteRights =
    KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_CREATE_LINK | DELETE | kWriteDac | kWriteOwner;

struct Handle {
  Key* key;
  REGSAM access;
  bool machine;  // under HKEY_LOCAL_MACHINE (HKEY_CLASSES_ROOT included)
};

// As Windows converts to the ANSI code page: a character it lacks becomes '?'.
std::string ToAnsi(std::u16string_view text) {
  if (auto ansi = Utf16ToAnsi(text)) return std::move(*ansi);
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    bool pair = text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < text.size() &&
                text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
    auto one = pair ? std::nullopt : Utf16ToAnsi(text.substr(i, 1));
    out += one ? *one : "?";
    i += pair;
  }
  return out;
}

// Stored UTF-16LE text as the ANSI bytes an A call returns.
std::string TextAsAnsi(std::string_view data) {
  std::u16string units(data.size() / 2, u'\0');
  for (std::size_t i = 0; i < units.size(); ++i)
    units[i] = char16_t(static_cast<unsigned char>(data[2 * i]) |
                        (static_cast<unsigned char>(data[2 * i + 1]) << 8));
  return ToAnsi(units);
}

// Orders full paths as the tree does: name by name, each upper-cased.
std::u16string SortKey(std::u16string_view path) {
  std::u16string key(path);
  for (char16_t& c : key) c = c == u'\\' ? u'\1' : reg::Upcase(c);
  return key;
}

}  // namespace

struct Registry::State {
  State(bool admin, bool windows64) : admin(admin), windows64(windows64) { tree.Classes(); }

  std::optional<Handle> Find(HKEY key) {
    if (key == HKEY_LOCAL_MACHINE) return Root(&tree.Root(reg::kLocalMachine), true);
    if (key == HKEY_CLASSES_ROOT) return Root(&tree.Classes(), true);
    if (key == HKEY_CURRENT_USER) return Root(&tree.Root(reg::kCurrentUser), false);
    auto it = handles.find(reinterpret_cast<std::uintptr_t>(key));
    if (it == handles.end()) return std::nullopt;
    return it->second;
  }

  Handle Root(Key* key, bool machine) const {
    return {key, machine && !admin ? KEY_READ : KEY_ALL_ACCESS, machine};
  }

  // The handle's key when the handle holds every right in need.
  LONG Use(HKEY key, REGSAM need, Handle& out) {
    auto handle = Find(key);
    if (!handle) return ERROR_INVALID_HANDLE;
    if (handle->key->deleted) return ERROR_KEY_DELETED;
    if ((handle->access & need) != need) return ERROR_ACCESS_DENIED;
    out = *handle;
    return ERROR_SUCCESS;
  }

  // The names of a path relative to a key; doubled and trailing backslashes are passed over
  // as Windows does, a leading one is refused.
  static LONG Split(const char* subKey, reg::Names& names) {
    std::string_view path = subKey ? subKey : "";
    if (path == "\\") path = {};
    if (!path.empty() && path[0] == '\\') return ERROR_BAD_PATHNAME;
    while (!path.empty()) {
      std::size_t cut = path.find('\\');
      if (cut != 0) names.push_back(AnsiToUtf16(path.substr(0, cut)));
      path = cut == path.npos ? std::string_view() : path.substr(cut + 1);
    }
    return ERROR_SUCCESS;
  }

  static LONG Walk(Key* base, const reg::Names& names, std::size_t from, Key*& out) {
    for (std::size_t i = from; i < names.size(); ++i)
      if (!(base = base->Child(names[i]))) return ERROR_FILE_NOT_FOUND;
    out = base;
    return ERROR_SUCCESS;
  }

  // The key a path names from base. On 64-bit Windows the launcher, a 32-bit program, sees
  // the 32-bit view unless the call asks for the 64-bit one; the names of the base key and
  // the path together decide where the key lies.
  LONG Resolve(Key* base, const char* subKey, REGSAM desired, Key*& out) {
    reg::Names names;
    if (LONG error = Split(subKey, names)) return error;
    if (!windows64 || (desired & KEY_WOW64_64KEY)) return Walk(base, names, 0, out);
    reg::Names path;
    for (const Key* k = base; k->Parent(); k = k->Parent()) path.insert(path.begin(), k->Name());
    Key* root = base;
    while (root->Parent()) root = root->Parent();
    reg::Root which = RootOf(*root);
    path = reg::Wow64Names(which, std::move(path));
    path.insert(path.end(), names.begin(), names.end());
    return Walk(root, reg::Wow64Path(which, std::move(path)), 0, out);
  }

  reg::Root RootOf(const Key& root) {
    for (int r = 0; r < reg::kRootCount; ++r)
      if (&tree.Root(reg::Root(r)) == &root) return reg::Root(r);
    return reg::kRootCount;
  }

  LONG Open(HKEY key, const char* subKey, REGSAM desired, Handle& out) {
    Handle base;
    if (LONG error = Use(key, 0, base)) return error;
    Key* target = nullptr;
    if (LONG error = Resolve(base.key, subKey, desired, target)) return error;
    if (base.machine && !admin && (desired & kWriteRights)) return ERROR_ACCESS_DENIED;
    out = {target, desired, base.machine};
    return ERROR_SUCCESS;
  }

  HKEY Add(const Handle& handle) {
    next += 4;
    handles.emplace(next, handle);
    return reinterpret_cast<HKEY>(next);
  }

  bool admin;
  bool windows64;
  reg::Tree tree;
  std::vector<std::unique_ptr<Key>> deleted;  // since loading; handles may still name them
  std::unordered_map<std::uintptr_t, Handle> handles;
  std::uintptr_t next = 0x100;
};

Registry::Registry(bool userIsAdmin, bool windows64)
    : state_(std::make_unique<State>(userIsAdmin, windows64)) {}
Registry::~Registry() = default;

void Registry::Load(const std::filesystem::path& file) {
  reg::FileBytes bytes(file);
  LoadText(bytes.View(), file.string());
}

void Registry::LoadText(std::string_view bytes, const std::string& name) {
  reg::Tree tree = reg::ReadRegFile(bytes, name);
  state_->handles.clear();
  state_->deleted.clear();
  state_->tree = std::move(tree);
}

void Registry::Save(const std::filesystem::path& file) const {
  std::string bytes;
  try {
    bytes = reg::WriteRegFile(state_->tree);
  } catch (const std::runtime_error& error) {
    throw std::runtime_error(file.string() + ": " + error.what());
  }
  reg::ReplaceFile(file, bytes);
}

LONG Registry::RegOpenKeyExA(HKEY key, const char* subKey, DWORD, REGSAM desired, HKEY* result) {
  if (!result) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  Handle handle;
  if (LONG error = state_->Open(key, subKey, desired, handle)) return error;
  *result = state_->Add(handle);
  return ERROR_SUCCESS;
}

LONG Registry::RegQueryValueExA(HKEY key, const char* valueName, DWORD* reserved, DWORD* type,
                                BYTE* data, DWORD* dataSize) {
  if (reserved || (data && !dataSize)) return ERROR_INVALID_PARAMETER;
  Handle handle;
  if (LONG error = state_->Use(key, KEY_QUERY_VALUE, handle)) return error;
  std::optional<reg::Value> value = handle.key->FindValue(AnsiToUtf16(valueName ? valueName : ""));
  if (!value) return ERROR_FILE_NOT_FOUND;
  if (type) *type = value->type;
  if (!dataSize) return ERROR_SUCCESS;
  std::string ansi;
  std::string_view bytes = value->data;
  if (reg::IsTextType(value->type)) bytes = ansi = TextAsAnsi(value->data);
  auto size = static_cast<DWORD>(bytes.size());
  if (data && *dataSize < size) {
    *dataSize = size;
    return ERROR_MORE_DATA;
  }
  if (data) std::memcpy(data, bytes.data(), size);
  *dataSize = size;
  return ERROR_SUCCESS;
}

LONG Registry::RegQueryInfoKeyA(HKEY key, char* className, DWORD* classSize, DWORD* reserved,
                                DWORD* subKeys, DWORD* maxSubKeyLen, DWORD* maxClassLen,
                                DWORD* values, DWORD* maxValueNameLen, DWORD* maxValueLen,
                                DWORD* securityDescriptor, FILETIME* lastWriteTime) {
  if (reserved || (className && !classSize)) return ERROR_INVALID_PARAMETER;
  Handle handle;
  if (LONG error = state_->Use(key, KEY_QUERY_VALUE, handle)) return error;
  const Key& k = *handle.key;
  // Keys carry no class names.
  if (className && *classSize > 0) className[0] = '\0';
  if (classSize) *classSize = 0;
  if (subKeys) *subKeys = static_cast<DWORD>(k.ChildCount());
  if (maxSubKeyLen) *maxSubKeyLen = static_cast<DWORD>(k.MaxChildNameLength());
  if (maxClassLen) *maxClassLen = 0;
  if (values) *values = static_cast<DWORD>(k.ValueCount());
  std::size_t longestName = 0, longestData = 0;
  for (std::size_t i = 0; i < k.ValueCount(); ++i) {
    reg::Value value = k.ValueAt(i);
    longestName = std::max(longestName, value.name.size());
    longestData = std::max(longestData, value.data.size());
  }
  if (maxValueNameLen) *maxValueNameLen = static_cast<DWORD>(longestName);
  if (maxValueLen) *maxValueLen = static_cast<DWORD>(longestData);
  if (securityDescriptor) *securityDescriptor = 0;
  if (lastWriteTime) *lastWriteTime = FILETIME{0, 0};
  return ERROR_SUCCESS;
}

LONG Registry::RegEnumKeyExA(HKEY key, DWORD index, char* name, DWORD* nameSize, DWORD* reserved,
                             char* className, DWORD* classSize, FILETIME* lastWriteTime) {
  if (reserved || !name || !nameSize) return ERROR_INVALID_PARAMETER;
  Handle handle;
  if (LONG error = state_->Use(key, KEY_ENUMERATE_SUB_KEYS, handle)) return error;
  const Key* child = handle.key->ChildAt(index);
  if (!child) return ERROR_NO_MORE_ITEMS;
  std::string text = ToAnsi(child->Name());
  if (text.size() + 1 > *nameSize) return ERROR_MORE_DATA;
  std::memcpy(name, text.c_str(), text.size() + 1);
  *nameSize = static_cast<DWORD>(text.size());
  if (className && classSize && *classSize > 0) className[0] = '\0';
  if (classSize) *classSize = 0;
  if (lastWriteTime) *lastWriteTime = FILETIME{0, 0};
  return ERROR_SUCCESS;
}

LONG Registry::RegDeleteKeyA(HKEY key, const char* subKey) {
  if (!subKey) return ERROR_INVALID_PARAMETER;
  Handle target;
  if (LONG error = state_->Open(key, subKey, DELETE, target)) return error;
  Key& k = *target.key;
  // Windows refuses a key that still has subkeys with this same error.
  if (!k.Parent() || k.ChildCount() > 0) return ERROR_ACCESS_DENIED;
  k.deleted = true;
  k.ClearValues();
  state_->deleted.push_back(k.Parent()->Detach(k));
  return ERROR_SUCCESS;
}

LONG Registry::RegCloseKey(HKEY key) {
  if (key == HKEY_LOCAL_MACHINE || key == HKEY_CLASSES_ROOT || key == HKEY_CURRENT_USER)
    return ERROR_SUCCESS;
  return state_->handles.erase(reinterpret_cast<std::uintptr_t>(key)) ? ERROR_SUCCESS
                                                                      : ERROR_INVALID_HANDLE;
}

std::vector<KeyChange> Registry::Changes() const {
  std::vector<std::pair<std::u16string, std::u16string>> paths;
  paths.reserve(state_->deleted.size());
  for (const auto& key : state_->deleted) {
    std::u16string path = reg::FullPath(*key);
    paths.emplace_back(SortKey(path), std::move(path));
  }
  std::sort(paths.begin(), paths.end());
  std::vector<KeyChange> changes;
  changes.reserve(paths.size());
  for (const auto& [order, path] : paths) changes.push_back({ToAnsi(path), "deleted"});
  return changes;
}

}  // namespace hosted
