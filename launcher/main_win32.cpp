// OrvLaunch.exe: a GUI-subsystem program without a window that runs the launcher on the real
// Windows platform and ends with the launcher's exit code.
#include <cstdlib>
#include <exception>

#include "launcher/launcher.h"
#include "platform/platform.h"
#include "platform/win32/win32_platform.h"

// After the project's headers: <windows.h> defines macros named like platform.h's constants.
#include <windows.h>

// The program's terminate handler. The launcher catches every error itself, so reaching it is
// a fault: abort. Defined under the name of the C++ library's default handler, it takes that
// handler's place in the link, and with it the name demangler the default one needs.
void __gnu_cxx::__verbose_terminate_handler() { std::abort(); }

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  platform::win32::Win32Platform windows;
  platform::Install(&windows);
  return launcher::RunLauncher();
}
