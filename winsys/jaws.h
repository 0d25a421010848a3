// Deployment of the product's configuration file for the JAWS screen reader.
#pragma once

#include <string>

namespace winsys {

// Copies sourceDir + "Orv.Jcf" into every subdirectory of the JAWS settings directory whose
// copy is missing or older, logging each step. Registry errors go to the caller.
void DeployJawsConfig(const std::string& sourceDir);
// True when the ".jcf" file association opens under HKEY_CLASSES_ROOT.
bool IsJawsRegistered();

}  // namespace winsys
