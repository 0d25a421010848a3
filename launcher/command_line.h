// Program paths handed to WinExec.
#pragma once

#include <string>

namespace launcher {

// The path as given, or between double quotes when it holds a blank: the platform tries an
// unquoted path at each blank, and could start C:\Program.exe for C:\Program Files\...
std::string ProgramPath(const std::string& path);

}  // namespace launcher
