// Settings of a machine description that point nowhere. The machine runs with them, but
// what they name is not there, so the launcher's boxes would mislead whoever reads them.
#pragma once

#include <string>
#include <vector>

#include "platform/hosted/files/filesystem.h"
#include "platform/hosted/machine/config.h"

namespace hosted {

// One text a warning, naming the file, the field and what to do: a path on a drive the
// machine does not have, or an `attributes` entry for a file that is not there. selfField
// names where the launcher's own path came from (run.self, or an option overriding it).
std::vector<std::string> DescriptionWarnings(const MachineConfig& config, const FileSystem& files,
                                             const std::string& selfField = "run.self");

}  // namespace hosted
