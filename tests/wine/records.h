// The records the Wine test programs leave for tools/wine-scenarios: one JSON object a line,
// appended to the file named by the environment variable ORV_WINE_RECORDS.
#pragma once

#include <windows.h>

#include <string>

namespace records {

inline constexpr const char* kVariable = "ORV_WINE_RECORDS";

// ANSI text (the system's code page) as UTF-8, the encoding of the hosted transcripts.
inline std::string Utf8(const std::string& ansi) {
  if (ansi.empty()) return ansi;
  int wide =
      ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
  std::wstring text(static_cast<size_t>(wide), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), text.data(), wide);
  int bytes = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), wide, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(bytes), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.data(), wide, utf8.data(), bytes, nullptr, nullptr);
  return utf8;
}

// A JSON string holding the ANSI text.
inline std::string Quoted(const std::string& ansi) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string json = "\"";
  for (char c : Utf8(ansi)) {
    auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      json += '\\';
      json += c;
    } else if (byte < 0x20) {
      json += "\\u00";
      json += kHex[byte >> 4];
      json += kHex[byte & 0xF];
    } else {
      json += c;
    }
  }
  return json + "\"";
}

// Appends one line. The file is shared: the watcher and the programs the launcher starts
// write to it while each other runs, each line in one write at the end of the file.
inline bool Append(const std::string& line) {
  char path[MAX_PATH];
  DWORD length = ::GetEnvironmentVariableA(kVariable, path, sizeof path);
  if (length == 0 || length >= sizeof path) return false;
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
