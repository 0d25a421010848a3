// The .reg file reader: both flavours, every encoding regedit writes.
#pragma once

#include <string>
#include <string_view>

#include "platform/hosted/registry/tree.h"

namespace hosted::reg {

// Reads a whole file in one pass over its bytes. Throws RegFileError "NAME:LINE: what".
Tree ReadRegFile(std::string_view bytes, const std::string& name);

}  // namespace hosted::reg
