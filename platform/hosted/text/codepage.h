// Code page 1252, the simulated machine's ANSI code page.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace hosted {

char LowerAnsi(char c);  // CharLowerBuffA's mapping of one character
char UpperAnsi(char c);
std::string LowerAnsi(std::string_view text);
std::string UpperAnsi(std::string_view text);
// Equal without regard to letter case (code page 1252 folding).
bool EqualNoCase(std::string_view a, std::string_view b);

// UTF-8 (host names, JSON) to code page 1252; nullopt when a character has no ANSI form
// or the text is not valid UTF-8.
std::optional<std::string> Utf8ToAnsi(std::string_view utf8);
std::string AnsiToUtf8(std::string_view ansi);
// UTF-16LE code units to and from code page 1252 (the registry keeps text as UTF-16).
std::u16string AnsiToUtf16(std::string_view ansi);
std::optional<std::string> Utf16ToAnsi(std::u16string_view text);
std::optional<std::u16string> Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view text);
// The same two conversions appending to out; false (out as it was) for invalid UTF-8.
void AppendAnsiToUtf16(std::string_view ansi, std::u16string& out);
bool AppendUtf8ToUtf16(std::string_view utf8, std::u16string& out);

}  // namespace hosted
