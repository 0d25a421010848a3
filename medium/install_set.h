// The install set as the launcher looks for it in the folder of the set-up files: the set-up
// program ("Orv.Exe" ready to run or "Orv.Ex_" compressed), "Install.Msg", "Common.801", at
// least one entry whose name begins with "Lang", and "Orv.JCF"; names in any letter case.
#pragma once

#include <span>
#include <string>
#include <vector>

namespace medium {

struct Entry {
  std::string name;
  bool folder = false;
};

// What the entries lack to be a complete install set, in the launcher's order of tests ("Orv.Exe"
// standing for the set-up program in either form, "Lang*" for the language data); empty when
// the set is complete. Only the "Lang" data may be a folder.
std::vector<std::string> MissingFromInstallSet(std::span<const Entry> entries);

// The entry of that name in any letter case, or null.
const Entry* FindNoCase(std::span<const Entry> entries, const std::string& name);

}  // namespace medium
