// The command-line splitter on arbitrary text. From the splitting rules:
// - every double quote opens or closes a stretch and is dropped, so no argument holds one;
// - the arguments put together are the line without its quotes and without the characters
//   at or below the blank that stand outside a stretch;
// - arguments written back each in quotes, blank-separated, split into the same arguments,
//   but for empty ones: an empty pair of quotes that opens an argument is skipped.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "launcher/arguments.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

std::string KeptCharacters(const std::string& line) {
  std::string kept;
  bool quoted = false;
  for (char c : line) {
    if (c == '"') {
      quoted = !quoted;
    } else if (quoted || static_cast<unsigned char>(c) > ' ') {
      kept += c;
    }
  }
  return kept;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string line(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> arguments = launcher::SplitCommandLine(line);

  std::string joined, requoted;
  std::vector<std::string> nonEmpty;
  for (const std::string& argument : arguments) {
    Check(argument.find('"') == std::string::npos);
    joined += argument;
    requoted += "\"" + argument + "\" ";
    if (!argument.empty()) nonEmpty.push_back(argument);
  }
  Check(joined == KeptCharacters(line));
  Check(launcher::SplitCommandLine(requoted) == nonEmpty);
  Check(launcher::FirstArgument(line) == (arguments.size() > 1 ? arguments[1] : ""));
  return 0;
}
