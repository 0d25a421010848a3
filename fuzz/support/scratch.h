// A folder of the host's temporary directory that lives as long as the fuzzing process.
#pragma once

#include <filesystem>

namespace fuzzing {

// The process's own empty folder, made on first use and removed when the process ends.
const std::filesystem::path& ScratchDir();

}  // namespace fuzzing
