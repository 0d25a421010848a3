#include "launcher/command_line.h"

namespace launcher {

std::string ProgramPath(const std::string& path) {
  if (path.find(' ') == std::string::npos) return path;
  return "\"" + path + "\"";
}

}  // namespace launcher
