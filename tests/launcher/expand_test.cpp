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
// from the window's initial blanks.
const std::string kStream = std::string(
                                "\x07"
                                "ABC") +
                            "\xF0\xF3" + std::string("\x00\x01", 2);
const std::string kExpanded = "ABCABCABC    ";
// A stream that ends before its header's length has its last block held back, so the
// truncated target stays empty.
const std::string kWrittenBeforeDamage;

std::vector<const hosted::Event*> Boxes(const hosted::Transcript& transcript) {
  std::vector<const hosted::Event*> boxes;
  for (const auto& event : transcript.Events())
    if (event.kind == "box") boxes.push_back(&event);
  return boxes;
}

struct ExpandCase {
  const char* name;
  std::optional<std::string> source;  // below c/, nothing: missing
  std::optional<std::string> target;  // existing target below c/
  const char* targetPath;
  bool result;
  std::string message;                     // empty: no box
  std::optional<std::string> targetAfter;  // nothing: no target
};

TEST(ExpandCopy, ExpandsCopiesAndReportsEachFailureOnce) {
  const std::string binary("plain\0\x01\xFF\r\n", 10);
  const ExpandCase cases[] = {
      {"uncompressed", binary, std::nullopt, "C:\\out", true, "", binary},
      {"empty", "", std::nullopt, "C:\\out", true, "", ""},
      {"compressed", Compressed(kStream, 13), std::nullopt, "C:\\out", true, "", kExpanded},
      {"longer target truncated", "short", std::string(100, 'L'), "C:\\out", true, "", "short"},
      {"missing source", std::nullopt, "keep", "C:\\out", false,
       "Error opening source file \"C:\\in\"", "keep"},
      {"target folder missing", "data", std::nullopt, "C:\\nodir\\out", false,
       "Error opening destination file \"C:\\nodir\\out\"", std::nullopt},
      {"target on a read-only drive", "data", std::nullopt, "D:\\out", false,
       "Error opening destination file \"D:\\out\"", std::nullopt},
      // A failed copy leaves the target as far as it was written: never the old content.
      {"damaged compressed source", Compressed(kStream, 100), std::nullopt, "C:\\out", false,
       "Error copying file \"C:\\in\" to \"C:\\out\"", kWrittenBeforeDamage},
      {"damaged over an existing target", Compressed(kStream, 100), "old", "C:\\out", false,
       "Error copying file \"C:\\in\" to \"C:\\out\"", kWrittenBeforeDamage},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    testing_support::TempMachine machine;
    if (c.source) machine.Write("c/in", *c.source);
    if (c.target) machine.Write("c/out", *c.target);
    machine.Start();
    EXPECT_EQ(launcher::ExpandCopy("C:\\in", c.targetPath), c.result);
    auto boxes = Boxes(machine.transcript);
    ASSERT_EQ(boxes.size(), c.message.empty() ? 0u : 1u);
    if (!boxes.empty()) {
      EXPECT_EQ(boxes[0]->Find("caption")->text, "CopyFile");
      EXPECT_EQ(boxes[0]->Find("text")->text, c.message);
      EXPECT_EQ(boxes[0]->Find("style")->number, 0);
    }
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
