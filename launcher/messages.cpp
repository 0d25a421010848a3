#include "launcher/launcher.h"
#include "winsys/log.h"

namespace launcher {

void ShowMessage(const std::string& text, const std::string& caption) {
  winsys::SafeMessageBox(nullptr, text, caption, platform::MB_OK);
}

void ShowFatal(const std::string& text) {
  ShowMessage(text + ". Download latest program from " ORV_DOWNLOAD_ADDRESS_1
                     "/" ORV_DOWNLOAD_ADDRESS_2 " and reinstall.",
              "Check Startup");
}

}  // namespace launcher
