#include "launcher/launcher.h"
#include "platform/platform.h"

namespace launcher {

using namespace platform;

namespace {

constexpr WORD kSourceFlags = OF_READ | OF_SHARE_DENY_WRITE;
constexpr WORD kTargetFlags = OF_CREATE | OF_SHARE_EXCLUSIVE | OF_WRITE;
constexpr INT kOpenFailed = -1;
constexpr const char* kCaption = "CopyFile";

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

// Anything the expansion raises counts as a failed copy.
bool Expand(INT source, INT target) {
  try {
    return Current().LZCopy(source, target) >= 0;
  } catch (...) {
    return false;
  }
}

}  // namespace

// Only -1 counts as a failed open; another negative handle is passed on, and the copy
// decides.
bool ExpandCopy(const std::string& source, const std::string& target) {
  Platform& os = Current();
  OFSTRUCT info{};
  INT from = os.LZOpenFileA(source.c_str(), &info, kSourceFlags);
  if (from == kOpenFailed) {
    ShowMessage("Error opening source file " + Quoted(source), kCaption);
    return false;
  }
  INT to = os.LZOpenFileA(target.c_str(), &info, kTargetFlags);
  if (to == kOpenFailed) {
    ShowMessage("Error opening destination file " + Quoted(target), kCaption);
    os.LZClose(from);
    return false;
  }
  bool copied = Expand(from, to);
  if (!copied) {
    ShowMessage("Error copying file " + Quoted(source) + " to " + Quoted(target), kCaption);
  }
  os.LZClose(to);
  os.LZClose(from);
  return copied;
}

}  // namespace launcher
