// Character translation by two alphabets.
#pragma once

#include <string>

namespace strutil {

// The text with each character that occurs in searched replaced by the character at the
// position of its first occurrence there in replacements. Each position is translated once.
// A character whose position has no counterpart in replacements is left as it is.
std::string TranslateChars(const std::string& text, const std::string& replacements,
                           const std::string& searched);

}  // namespace strutil
