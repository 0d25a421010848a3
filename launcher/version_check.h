// The installed-version number and the module-file rules of the auto-install.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace launcher {

// The number made of the display name's digits, padded with "00" to at least seven
// digits; nothing when the digits do not fit a signed 32-bit number.
std::optional<std::int32_t> InstalledVersionNumber(const std::string& displayName);
// True inside the band of versions too old to take modules (7000001 to 8999999).
bool TooOldForModules(std::optional<std::int32_t> number);
// True when a directory entry of the medium is a module file.
bool IsModuleFile(const std::string& name);

}  // namespace launcher
