// The launcher's main module.
#pragma once

#include <string>

namespace launcher {

// The program's entry: start-up, the launch sequence unless silent, shutdown. Returns the
// exit code: 0 at every normal end, 1 after an escaped error.
int RunLauncher();

void LaunchSequence(const std::string& selfPath, const std::string& firstArg);
bool InstallSetPresent(const std::string& sourceDir);
bool AutorunIsCurrent(const std::string& candidatePath, const std::string& firstArg);
bool CheckInstalledVersion(const std::string& sourceDir);
bool ExpandCopy(const std::string& source, const std::string& target);
// An OK-only box without owner or icon.
void ShowMessage(const std::string& text, const std::string& caption);
// The text with the reinstall advice appended, caption "Check Startup".
void ShowFatal(const std::string& text);

}  // namespace launcher
