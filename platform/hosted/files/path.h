// Windows path texts of the simulated machine: parsing against the current directory,
// the names Windows allows, and the reserved device names.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace hosted {

using namespace platform;

// A full Windows path: a drive letter and the names below its root.
struct WinPath {
  char drive = 'C';                // upper case
  std::vector<std::string> names;  // as given, trailing dots and blanks dropped
  std::string Text() const;        // "C:\" for a root, else "C:\A\B"
};

struct ParsedPath {
  WinPath path;
  DWORD error = ERROR_SUCCESS;
  bool trailingSeparator = false;  // the text ended in "\" or "/"
};

// Makes text a full path against cwd (drive-relative forms against cwd on its own drive,
// else the drive's root). wildcards: the last name may hold "*" and "?", kept unstripped.
// Errors: ERROR_PATH_NOT_FOUND (empty), ERROR_BAD_NETPATH (UNC), ERROR_INVALID_NAME.
ParsedPath ParseWinPath(std::string_view text, const WinPath& cwd, bool wildcards = false);

bool IsSeparator(char c);
bool HasWildcards(std::string_view name);
// CON, NUL, PRN, AUX, COM1-9, LPT1-9, with or without an extension.
bool IsDeviceName(std::string_view name);
// A host-side name Windows can show: no forbidden character, not ending in dot or blank.
bool IsRepresentableName(std::string_view ansiName);

}  // namespace hosted
