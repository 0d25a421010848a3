#include "launcher/arguments.h"

namespace launcher {

namespace {

bool IsGap(char c) { return static_cast<unsigned char>(c) <= ' '; }

// Skips the gap before an argument, and any empty quote pairs that open it.
std::size_t SkipGap(const std::string& line, std::size_t at) {
  for (;;) {
    while (at < line.size() && IsGap(line[at])) ++at;
    if (at + 1 < line.size() && line[at] == '"' && line[at + 1] == '"') {
      at += 2;
    } else {
      return at;
    }
  }
}

}  // namespace

std::vector<std::string> SplitCommandLine(const std::string& line) {
  std::vector<std::string> arguments;
  std::size_t at = SkipGap(line, 0);
  while (at < line.size()) {
    std::string argument;
    while (at < line.size() && !IsGap(line[at])) {
      if (line[at] != '"') {
        argument += line[at++];
        continue;
      }
      ++at;
      while (at < line.size() && line[at] != '"') argument += line[at++];
      if (at < line.size()) ++at;
    }
    arguments.push_back(argument);
    at = SkipGap(line, at);
  }
  return arguments;
}

std::string FirstArgument(const std::string& line) {
  auto arguments = SplitCommandLine(line);
  return arguments.size() > 1 ? arguments[1] : std::string();
}

}  // namespace launcher
