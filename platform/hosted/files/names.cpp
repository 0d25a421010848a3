#include "platform/hosted/files/names.h"

#include <algorithm>
#include <map>
#include <set>

#include "platform/hosted/text/codepage.h"

namespace hosted {

namespace {

bool FatChar(char c) {
  if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) return true;
  return std::string_view("!#$%&'()-@^_`{}~").find(c) != std::string_view::npos;
}

// Upper case, blanks and dots left out, characters FAT refuses as "_".
std::string AliasChars(std::string_view part, std::size_t limit) {
  std::string out;
  for (char c : part) {
    if (out.size() == limit) break;
    if (c == ' ' || c == '.') continue;
    out += FatChar(c) ? UpperAnsi(c) : '_';
  }
  return out;
}

// The lowest "~N" alias not taken. Names whose bases share the prefix left beside a
// wider number compete for the same aliases, so the counter belongs to that prefix.
std::string NextAlias(const std::string& base, const std::string& ext, std::set<std::string>& taken,
                      std::map<std::string, unsigned>& next) {
  unsigned limit = 10;
  for (std::size_t width = 1; width <= 7; ++width, limit *= 10) {
    std::string prefix = base.substr(0, 7 - width);
    unsigned& n = next[prefix + "~" + std::to_string(width) + ext];
    if (n == 0) n = limit / 10;
    while (n < limit) {
      std::string alias = prefix + "~" + std::to_string(n++) + ext;
      if (taken.insert(alias).second) return alias;
    }
  }
  return "";
}

}  // namespace

// The conversion a directory search applies to its pattern before the file system matches.
Pattern::Pattern(std::string_view pattern) {
  if (pattern == "*.*") {
    steps_.push_back({Token::Star});
    return;
  }
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    char next = i + 1 < pattern.size() ? pattern[i + 1] : '\0';
    char c = pattern[i];
    if (c == '*') {
      steps_.push_back({next == '.' ? Token::DosStar : Token::Star});
    } else if (c == '?') {
      steps_.push_back({Token::DosQm});
    } else if (c == '.' && (next == '*' || next == '?' || next == '\0')) {
      steps_.push_back({Token::DosDot});
    } else {
      steps_.push_back({Token::Literal, LowerAnsi(c)});
    }
  }
}

// Adds the states reachable without consuming a character; atDot: the next character
// is a dot, atEnd: the name is used up.
void Pattern::Close(std::vector<bool>& states, bool atDot, bool atEnd) const {
  for (std::size_t i = 0; i < steps_.size(); ++i) {
    if (!states[i]) continue;
    Token t = steps_[i].token;
    bool skip = t == Token::Star || t == Token::DosStar ||
                (t == Token::DosQm && (atDot || atEnd)) || (t == Token::DosDot && atEnd);
    if (skip) states[i + 1] = true;
  }
}

bool Pattern::Matches(std::string_view name) const {
  const std::vector<Step>& steps = steps_;
  std::size_t lastDot = name.rfind('.');
  std::vector<bool> states(steps.size() + 1, false), next(steps.size() + 1, false);
  states[0] = true;
  for (std::size_t j = 0; j < name.size(); ++j) {
    char c = name[j];
    Close(states, c == '.', false);
    next.assign(states.size(), false);
    for (std::size_t i = 0; i < steps.size(); ++i) {
      if (!states[i]) continue;
      const Step& s = steps[i];
      switch (s.token) {
        case Token::Literal:
          if (LowerAnsi(c) == s.literal) next[i + 1] = true;
          break;
        case Token::Star:
          next[i] = true;
          break;
        case Token::DosStar:
          if (j != lastDot) next[i] = true;
          break;
        case Token::DosQm:
          if (c != '.') next[i + 1] = true;
          break;
        case Token::DosDot:
          if (c == '.') next[i + 1] = true;
          break;
      }
    }
    states.swap(next);
  }
  Close(states, false, true);
  return states.back();
}

bool IsValid83(std::string_view name) {
  if (name == "." || name == "..") return true;
  std::size_t dot = name.find('.');
  std::string_view base = name.substr(0, dot);
  std::string_view ext = dot == std::string_view::npos ? "" : name.substr(dot + 1);
  if (base.empty() || base.size() > 8 || ext.size() > 3) return false;
  if (dot != std::string_view::npos && ext.empty()) return false;
  for (char c : base)
    if (!FatChar(c)) return false;
  for (char c : ext)
    if (!FatChar(c)) return false;
  return true;
}

std::vector<std::string> MakeAliases(const std::vector<std::string>& names) {
  std::set<std::string> taken;
  for (const std::string& name : names)
    if (IsValid83(name)) taken.insert(UpperAnsi(name));
  std::map<std::string, unsigned> nextNumber;
  std::vector<std::string> aliases;
  aliases.reserve(names.size());
  for (const std::string& name : names) {
    if (IsValid83(name)) {
      aliases.emplace_back();
      continue;
    }
    std::string_view body = name;
    while (!body.empty() && body.front() == '.') body.remove_prefix(1);
    std::size_t dot = body.rfind('.');
    std::string base = AliasChars(body.substr(0, dot), 6);
    std::string ext = dot == std::string_view::npos ? "" : AliasChars(body.substr(dot + 1), 3);
    if (!ext.empty()) ext = "." + ext;
    aliases.push_back(NextAlias(base, ext, taken, nextNumber));
  }
  return aliases;
}

}  // namespace hosted
