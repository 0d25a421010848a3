// Name rules of the simulated file systems: DOS wildcard matching and 8.3 aliases.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace hosted {

// A directory search pattern; Matches tells whether a name matches it, ignoring case. "*" and "*.*"
// match every name; "*" before a "." stops at the name's last dot; a "." before "*", "?" or the end
// also matches the end of a name without dot; "?" matches one character but never a dot, and
// nothing at a dot or the end.
class Pattern {
 public:
  explicit Pattern(std::string_view pattern);
  bool Matches(std::string_view name) const;

 private:
  enum class Token { Literal, Star, DosStar, DosQm, DosDot };
  struct Step {
    Token token;
    char literal = 0;  // lower case
  };
  void Close(std::vector<bool>& states, bool atDot, bool atEnd) const;
  std::vector<Step> steps_;
};

// A name that is its own short name: 1-8 characters, optionally a dot and 1-3 more,
// each one FAT allows (letter case does not matter).
bool IsValid83(std::string_view name);

// The 8.3 aliases of a folder's names, given in the folder's order (upper-cased name
// order): "" for a name that is valid 8.3, else the first six usable characters, "~N"
// and up to three extension characters, N counting up past aliases and names taken.
std::vector<std::string> MakeAliases(const std::vector<std::string>& names);

}  // namespace hosted
