// The measurements of orvbench, one per command. Each takes the command's arguments and
// prints the seconds the measured step took; a failed step throws std::runtime_error.
#pragma once

#include <string>
#include <vector>

namespace bench {

using Arguments = std::vector<std::string>;

// DIR SOURCE TARGET: expands DIR/SOURCE to DIR/TARGET through the LZ library.
void Expand(const Arguments& args);
// DIR SOURCE TARGET: CopyFileKeepDate of DIR/SOURCE onto DIR/TARGET.
void Copy(const Arguments& args);
// DIR A B: FilesMatch by content of DIR/A and DIR/B.
void Match(const Arguments& args);
// FILE: loads the .reg file into a registry.
void LoadRegistry(const Arguments& args);
// FILE VALUES FLAVOUR: writes a .reg file of about VALUES values, FLAVOUR 4 (REGEDIT4) or
// 5 (Version 5.00, UTF-16LE), holding the product's uninstall entry too.
void MakeRegistry(const Arguments& args);
// DIR ENTRIES: the module scan of a medium with that many entries.
void ModuleScan(const Arguments& args);
// DIR FOLDERS: the JAWS deployment into that many settings folders.
void JawsDeployment(const Arguments& args);
// DIR KEYS: the deletion of the obsolete product key holding that many keys.
void TreeDeletion(const Arguments& args);

}  // namespace bench
