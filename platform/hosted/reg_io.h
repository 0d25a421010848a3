// Reading a .reg file whole, and replacing one so that a failure leaves the old file intact.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace hosted::reg {

// Throws RegFileError "FILE: why" when the file cannot be read.
std::string ReadWholeFile(const std::filesystem::path& file);

// Writes a new file beside the target, flushes it to disk, then renames it over the
// target. Throws std::runtime_error naming the file; the old file is intact then.
void ReplaceFile(const std::filesystem::path& file, std::string_view bytes);

}  // namespace hosted::reg
