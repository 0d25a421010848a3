#include <gtest/gtest.h>

#include <optional>

#include "launcher/launcher.h"
#include "platform/faults/faults.h"
#include "tests/support/machine_fixture.h"

namespace {

using namespace platform;

// A compressed file: the header with the expanded length, then the LZSS stream.
std::string Compressed(const std::string& stream, std::uint32_t length) {
  std::string file = "SZDD\x88\xF0'3A";
  file += '\0';
  for (int shift = 0; shift < 32; shift += 8) file += static_cast<char>((length >> shift) & 0xFF);
  return file + stream;
}

// Three literals, then a match of six from where they were put (0xFF0) and a match of four
// from the window's initial blanks: 13 bytes. A header that promises more makes it damaged,
// and its last block is held back, so the target stays empty.
const std::string kStream("\007ABC\360\363\000\001", 8);

// The setup-compressed and setup-damaged scenarios pin a whole expansion and the copy
// message; these are the plain copies and the open failures.
TEST(ExpandCopy, CopiesAndReportsEachFailureOnce) {
  const std::string binary("plain\0\x01\xFF\r\n", 10);
  const struct {
    const char* name;
    std::optional<std::string> source;  // below c/, nothing: missing
    std::optional<std::string> target;  // existing target below c/
    const char* targetPath;
    std::string message;                     // empty: no box, and the copy succeeds
    std::optional<std::string> targetAfter;  // nothing: no target
  } cases[] = {
      {"uncompressed", binary, std::nullopt, "C:\\out", "", binary},
      {"empty", "", std::nullopt, "C:\\out", "", ""},
      {"longer target truncated", "short", std::string(100, 'L'), "C:\\out", "", "short"},
      {"missing source", std::nullopt, "keep", "C:\\out", "Error opening source file \"C:\\in\"",
       "keep"},
      {"target folder missing", "data", std::nullopt, "C:\\nodir\\out",
       "Error opening destination file \"C:\\nodir\\out\"", std::nullopt},
      {"target on a read-only drive", "data", std::nullopt, "D:\\out",
       "Error opening destination file \"D:\\out\"", std::nullopt},
      // A failed copy leaves the target as far as it was written: never the old content.
      {"damaged over an existing target", Compressed(kStream, 100), "old", "C:\\out",
       "Error copying file \"C:\\in\" to \"C:\\out\"", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    testing_support::TempMachine machine;
    if (c.source) machine.Write("c/in", *c.source);
    if (c.target) machine.Write("c/out", *c.target);
    machine.Start();
    EXPECT_EQ(launcher::ExpandCopy("C:\\in", c.targetPath), c.message.empty());
    using Texts = std::vector<std::string>;
    EXPECT_EQ(machine.Texts("box", "caption"), c.message.empty() ? Texts{} : Texts{"CopyFile"});
    EXPECT_EQ(machine.Texts("box", "text"), c.message.empty() ? Texts{} : Texts{c.message});
    if (c.targetAfter) {
      EXPECT_EQ(machine.Read("c/out"), *c.targetAfter);
    } else {
      EXPECT_FALSE(std::filesystem::exists(machine.dir / "c/out"));
    }
  }
}

// Notes, when a box appears, whether both files are still held by the copy.
class HandlesAtBox : public faults::FaultPlatform {
 public:
  explicit HandlesAtBox(Platform& inner) : FaultPlatform(inner, {}), inner_(inner) {}

  int MessageBoxA(HWND owner, const char* text, const char* caption, UINT style) override {
    sourceHeld = Refused("C:\\in", GENERIC_WRITE);
    targetHeld = Refused("C:\\out", GENERIC_READ);
    return FaultPlatform::MessageBoxA(owner, text, caption, style);
  }
  bool sourceHeld = false;
  bool targetHeld = false;

  // True when an open that the copy's sharing forbids is refused.
  bool Refused(const char* path, DWORD access) {
    HANDLE file = inner_.CreateFileA(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return inner_.GetLastError() == ERROR_SHARING_VIOLATION;
    inner_.CloseHandle(file);
    return false;
  }

 private:
  Platform& inner_;
};

TEST(ExpandCopy, TheCopyMessageIsShownWhileBothFilesAreOpen) {
  testing_support::TempMachine machine;
  machine.Write("c/in", Compressed(kStream, 100));
  HandlesAtBox watching(machine.Start());
  ScopedPlatform installed(watching);
  EXPECT_FALSE(launcher::ExpandCopy("C:\\in", "C:\\out"));
  EXPECT_TRUE(watching.sourceHeld);
  EXPECT_TRUE(watching.targetHeld);
  EXPECT_FALSE(watching.Refused("C:\\in", GENERIC_WRITE));
  EXPECT_FALSE(watching.Refused("C:\\out", GENERIC_READ));
}

}  // namespace
