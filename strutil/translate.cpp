#include "strutil/translate.h"

namespace strutil {

std::string TranslateChars(const std::string& text, const std::string& replacements,
                           const std::string& searched) {
  std::string result = text;
  for (char& c : result) {
    std::size_t position = searched.find(c);
    if (position < replacements.size()) c = replacements[position];
  }
  return result;
}

}  // namespace strutil
