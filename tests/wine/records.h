// The records the Wine test programs leave for tools/wine-scenarios: one JSON object a line,
// appended to the file named by the environment variable ORV_WINE_RECORDS.
#pragma once

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace records {

// A JSON string of the ANSI text as UTF-8, as the hosted transcripts have it. Texts and command
// lines are far shorter than the buffers.
inline std::string Quoted(const std::string& ansi) {
  static wchar_t wide[32768];
  static char utf8[3 * 32768];
  ::MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, wide, 32768);
  ::WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8, sizeof utf8, nullptr, nullptr);
  std::string json = "\"";
  for (const char* c = utf8; *c; ++c) {
    auto byte = static_cast<unsigned char>(*c);
    const char* form = byte < 0x20 ? "\\u%04x" : byte == '"' || byte == '\\' ? "\\%c" : "%c";
    char escaped[8];
    std::snprintf(escaped, sizeof escaped, form, byte);
    json += escaped;
  }
  return json + "\"";
}

// Appends one line in one write: the watcher and the programs started write side by side.
inline bool Append(const std::string& line) {
  const char* path = std::getenv("ORV_WINE_RECORDS");
  if (path == nullptr) return false;
  HANDLE file = ::CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  std::string text = line + "\n";
  DWORD written = 0;
  BOOL done = ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  ::CloseHandle(file);
  return done && written == text.size();
}

}  // namespace records
