// The command-line splitting the launcher's run-time applies to its own command line.
#pragma once

#include <string>
#include <vector>

namespace launcher {

// Arguments are separated by runs of characters at or below the blank; a double quote opens
// a stretch that runs to the next double quote, blanks included, and the quotes are dropped;
// an empty pair of quotes at the start of an argument is skipped. Argument 0 is the program.
std::vector<std::string> SplitCommandLine(const std::string& line);
// The first argument after the program name, empty when there is none.
std::string FirstArgument(const std::string& line);

}  // namespace launcher
