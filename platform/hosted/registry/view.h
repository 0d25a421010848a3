// The 32-bit registry view of 64-bit Windows: where a 32-bit program's keys lie.
#pragma once

#include <string>
#include <vector>

#include "platform/hosted/registry/tree.h"

namespace hosted::reg {

using Names = std::vector<std::u16string>;

// The key names, from a root, of the key a 32-bit program reaches by these names.
// HKEY_LOCAL_MACHINE\Software is redirected to Software\Wow6432Node, except for the keys
// Windows (7 and later) shares between the views, Classes among them; below Classes, and
// below HKEY_CURRENT_USER\Software\Classes, the COM keys go to Classes\Wow6432Node.
Names Wow64Path(Root root, Names names);

// The names a 32-bit program gives a key that lies at these: the inverse of Wow64Path.
Names Wow64Names(Root root, Names physical);

}  // namespace hosted::reg
