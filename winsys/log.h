// The startup log, the reporting of platform errors and the start of other programs.
#pragma once

#include <functional>
#include <string>

#include "platform/platform.h"

namespace winsys {

// Appends the line to the log list and to "Startup.Log" in the log directory; inert while
// the log directory is empty.
void LogLine(const std::string& line);
// The thread's last error becomes 0.
void ClearLastError();
// Shows the system's text for a non-zero last error in a "Windows Error: " box and logs it.
void ReportLastError(const std::string& opName);
void ShowWindowsError(const std::string& opName, const std::string& text);
// MessageBoxA, reporting a box that failed to appear; returns the platform's result.
int SafeMessageBox(platform::HWND owner, const std::string& text, const std::string& caption,
                   platform::UINT style);
// A note of why the launcher decided as it did, through OutputDebugStringA: a debugger or a
// debug-output viewer shows it on the user's machine. Notes never change what happens.
void DebugNote(const std::string& text);
// Starts a program by command line; returns the platform's start result (32 and up: started).
platform::UINT RunProgram(const std::string& cmdLine, platform::UINT show);

// Called with every line appended to the log list; the simulator records them. Set by the
// program's entry, outside the module's state, so start-up leaves it in place.
std::function<void(const std::string&)>& LogListener();

}  // namespace winsys
