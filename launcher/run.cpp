#include <algorithm>
#include <new>
#include <vector>

#include "launcher/arguments.h"
#include "launcher/launcher.h"
#include "launcher/state.h"
#include "winsys/errors.h"
#include "winsys/log.h"
#include "winsys/winsys.h"

namespace launcher {

using namespace platform;

namespace {

constexpr std::size_t kModuleNameLimit = 63;

std::string OwnPath() {
  char buffer[MAX_PATH + 1] = {};
  DWORD length = Current().GetModuleFileNameA(nullptr, buffer, sizeof(buffer));
  return std::string(buffer, std::min<std::size_t>(length, MAX_PATH));
}

std::string Lowered(std::string text) {
  if (!text.empty()) Current().CharLowerBuffA(text.data(), static_cast<DWORD>(text.size()));
  return text;
}

std::string ModuleName(const std::string& path) {
  auto cut = path.find_last_of("\\:");
  std::string name = cut == std::string::npos ? path : path.substr(cut + 1);
  return name.substr(0, kModuleNameLimit);
}

void ShowEscapedError(const std::string& typeName, const std::string& message,
                      std::uint32_t address) {
  std::string where(8, '0');
  for (int i = 7; i >= 0; --i, address >>= 4) where[i] = "0123456789ABCDEF"[address & 0xF];
  std::string text = "Exception " + typeName + " in module " + ModuleName(OwnPath()) + " at " +
                     where + ".\n" + message;
  if (!message.empty() && message.back() != '.') text += '.';
  Current().MessageBoxA(nullptr, text.c_str(), "Application Error",
                        MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

void RunShutdown(std::vector<winsys::ShutdownStep>& steps) {
  while (!steps.empty()) {
    auto step = steps.back();
    steps.pop_back();
    step();
  }
}

void MainFlow() {
  std::string selfPath = OwnPath();
  if (Lowered(selfPath).find("\\orvdel") != std::string::npos) {
    winsys::DebugNote("silent: the launcher's path " + selfPath + " holds \\orvdel");
    return;
  }
  LaunchSequence(selfPath, FirstArgument(Current().GetCommandLineA()));
}

}  // namespace

int RunLauncher() {
  Launcher() = State{};
  std::vector<winsys::ShutdownStep> shutdown;
  try {
    winsys::WinsysStartup(shutdown);
    MainFlow();
  } catch (const winsys::Exception& error) {
    ShowEscapedError(error.TypeName(), error.Message(), error.Address());
    RunShutdown(shutdown);
    return 1;
  } catch (const std::bad_alloc&) {
    ShowEscapedError("EOutOfMemory", "Out of memory", 0);
    RunShutdown(shutdown);
    return 1;
  }
  RunShutdown(shutdown);
  return 0;
}

}  // namespace launcher
