#include "medium/install_set.h"

#include <algorithm>

#include "medium/names.h"

namespace medium {

namespace {

bool HasFile(std::span<const Entry> entries, const std::string& name) {
  const Entry* entry = FindNoCase(entries, name);
  return entry && !entry->folder;
}

bool HasLanguageData(std::span<const Entry> entries) {
  return std::any_of(entries.begin(), entries.end(), [](const Entry& entry) {
    return entry.name.size() >= 4 && SameNameNoCase(entry.name.substr(0, 4), "Lang");
  });
}

}  // namespace

std::vector<std::string> MissingFromInstallSet(std::span<const Entry> entries) {
  std::vector<std::string> missing;
  if (!HasFile(entries, "Orv.Exe") && !HasFile(entries, "Orv.Ex_")) missing.push_back("Orv.Exe");
  for (const char* name : {"Install.Msg", "Common.801"})
    if (!HasFile(entries, name)) missing.push_back(name);
  if (!HasLanguageData(entries)) missing.push_back("Lang*");
  if (!HasFile(entries, "Orv.JCF")) missing.push_back("Orv.JCF");
  return missing;
}

const Entry* FindNoCase(std::span<const Entry> entries, const std::string& name) {
  auto found = std::find_if(entries.begin(), entries.end(),
                            [&](const Entry& entry) { return SameNameNoCase(entry.name, name); });
  return found == entries.end() ? nullptr : &*found;
}

}  // namespace medium
