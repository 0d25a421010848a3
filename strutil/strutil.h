// The launcher's small string module: a locale-aware case-insensitive find and the n-th
// word of a command line.
#pragma once

#include <string>

namespace strutil {

// The 1-based position of needle in text, both lowered by the platform's ANSI lower-casing;
// 0 when needle does not occur or either text is empty.
int FindTextNoCase(const std::string& needle, const std::string& text);

// Word n (from 1) of a command line; empty when n < 1 or the text has fewer words.
// Words are separated by blanks, CR and LF only; a word that begins with a double quote
// runs to the next double quote (or the end), without the quotes.
std::string NthWord(const std::string& text, int n);

}  // namespace strutil
