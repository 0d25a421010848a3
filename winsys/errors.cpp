#include "winsys/errors.h"

#include <string_view>

namespace winsys {

namespace {

// FNV-1a over the file's base name and the line: the same place gives the same value
// in every build, which keeps the escaped-error box comparable between machines.
std::uint32_t PlaceValue(const std::source_location& where) {
  std::string_view file = where.file_name();
  auto slash = file.find_last_of("/\\");
  if (slash != std::string_view::npos) file.remove_prefix(slash + 1);
  std::uint32_t hash = 2166136261u;
  auto mix = [&hash](unsigned char byte) { hash = (hash ^ byte) * 16777619u; };
  for (char c : file) mix(static_cast<unsigned char>(c));
  for (std::uint32_t line = where.line(); line != 0; line >>= 8) mix(line & 0xFF);
  return hash;
}

std::string InOutText(int code) {
  switch (code) {
    case 2:
      return "File not found";
    case 3:
      return "Invalid filename";
    case 4:
      return "Too many open files";
    case 5:
      return "File access denied";
    case 100:
      return "Read beyond end of file";
    case 101:
      return "Disk full";
    case 106:
      return "Invalid numeric input";
    default:
      return "I/O error " + std::to_string(code);
  }
}

}  // namespace

Exception::Exception(std::string typeName, std::string message, std::source_location where)
    : typeName_(std::move(typeName)), message_(std::move(message)), address_(PlaceValue(where)) {}

EInOutError::EInOutError(int code, std::source_location where)
    : Exception("EInOutError", InOutText(code), where), code_(code) {}

}  // namespace winsys
