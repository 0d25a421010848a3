// The .reg file writer: the flavour and encoding the tree was read in, as regedit exports.
#pragma once

#include <string>

#include "platform/hosted/registry/tree.h"

namespace hosted::reg {

// Every key and value, so that reading the result gives the same registry. Throws
// std::runtime_error for a name that the file's code page cannot hold.
std::string WriteRegFile(const Tree& tree);

}  // namespace hosted::reg
