// The setup-compressed* and setup-damaged* scenarios pin the copies and their messages; this
// is when the message appears: while the copy still holds both files.
#include <gtest/gtest.h>

#include "launcher/launcher.h"
#include "platform/faults/faults.h"
#include "tests/support/machine_fixture.h"

namespace {

using namespace platform;

// The expansion fails; notes, when a box appears, whether both files are held.
class HandlesAtBox : public faults::FaultPlatform {
 public:
  explicit HandlesAtBox(Platform& inner)
      : FaultPlatform(inner, {{"LZCopy", 1, ERROR_WRITE_FAULT}}), inner_(inner) {}

  int MessageBoxA(HWND owner, const char* text, const char* caption, UINT style) override {
    sourceHeld = Refused("C:\\in", GENERIC_WRITE);
    targetHeld = Refused("C:\\out", GENERIC_READ);
    return FaultPlatform::MessageBoxA(owner, text, caption, style);
  }
  // True when an open that the copy's sharing forbids is refused.
  bool Refused(const char* path, DWORD access) {
    HANDLE file = inner_.CreateFileA(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return inner_.GetLastError() == ERROR_SHARING_VIOLATION;
    inner_.CloseHandle(file);
    return false;
  }
  bool sourceHeld = false;
  bool targetHeld = false;

 private:
  Platform& inner_;
};

TEST(ExpandCopy, TheCopyMessageIsShownWhileBothFilesAreOpen) {
  testing_support::TempMachine machine;
  machine.Write("c/in", "data");
  HandlesAtBox watching(machine.Start());
  ScopedPlatform installed(watching);
  EXPECT_FALSE(launcher::ExpandCopy("C:\\in", "C:\\out"));
  EXPECT_EQ(machine.Texts("box", "caption"), std::vector<std::string>{"CopyFile"});
  EXPECT_TRUE(watching.sourceHeld);
  EXPECT_TRUE(watching.targetHeld);
  EXPECT_FALSE(watching.Refused("C:\\in", GENERIC_WRITE));
  EXPECT_FALSE(watching.Refused("C:\\out", GENERIC_READ));
}

}  // namespace
