#include "platform/hosted/machine/nearest.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace hosted {

namespace {

char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

// Edits between a and b: changes, additions, omissions and swaps of neighbours.
std::size_t Distance(std::string_view a, std::string_view b) {
  std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
  for (std::size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
  for (std::size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    for (std::size_t j = 1; j <= b.size(); ++j) {
      std::size_t change = Lower(a[i - 1]) == Lower(b[j - 1]) ? 0 : 1;
      d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + change});
      if (i > 1 && j > 1 && Lower(a[i - 1]) == Lower(b[j - 2]) &&
          Lower(a[i - 2]) == Lower(b[j - 1]))
        d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
    }
  }
  return d[a.size()][b.size()];
}

}  // namespace

std::optional<std::string> NearestName(std::string_view name,
                                       std::span<const std::string_view> known) {
  std::size_t limit = std::max<std::size_t>(1, name.size() / 3), best = limit + 1;
  std::optional<std::string> nearest;
  for (std::string_view candidate : known) {
    std::size_t distance = Distance(name, candidate);
    if (distance < best) {
      best = distance;
      nearest = std::string(candidate);
    }
  }
  return nearest;
}

std::string SuggestName(std::string_view name, std::span<const std::string_view> known) {
  if (auto nearest = NearestName(name, known)) return "; did you mean '" + *nearest + "'?";
  std::string list;
  for (std::string_view candidate : known)
    list += (list.empty() ? "" : ", ") + std::string(candidate);
  return "; it must be one of: " + list;
}

}  // namespace hosted
