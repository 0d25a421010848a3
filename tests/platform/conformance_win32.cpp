// The conformance fixtures on Windows: the real calls through the Win32 platform, a scratch
// folder under the user's temporary folder, and the test keys made with the registry calls.
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/win32/win32_platform.h"
#include "tests/platform/conformance.h"
#include "tests/platform/conformance_registry.h"
#include "tests/wine/registry_fixture.h"

// After the project's headers: <windows.h> defines macros named like platform.h's constants.
#include <windows.h>

namespace conformance {
namespace {

constexpr const char* kTestKey = "Software\\OrvConformance";

platform::Platform& Windows() {
  static win32::Win32Platform windows;
  return windows;
}

// Removes a folder and everything below it, read-only files included.
void RemoveTree(const std::string& dir) {
  WIN32_FIND_DATAA found;
  HANDLE find = ::FindFirstFileA((dir + "*").c_str(), &found);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      std::string path = dir + name;
      ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTree(path + "\\");
      else
        ::DeleteFileA(path.c_str());
    } while (::FindNextFileA(find, &found));
    ::FindClose(find);
  }
  ::RemoveDirectoryA(dir.c_str());
}

// kRegistryData read line by line: [key] lines, then name=value lines with a value of the
// forms "text", dword:XXXXXXXX, hex:bytes and hex(type):bytes.
class RegFileReader {
 public:
  explicit RegFileReader(std::string_view text) : text_(text) {}

  void MakeKeys() {
    for (std::string_view line; NextLine(line);) {
      if (line.starts_with('[')) {
        OpenKey(line.substr(1, line.size() - 2));
      } else if (!line.empty() && line != "REGEDIT4") {
        SetValue(line);
      }
    }
    Close();
  }

  ~RegFileReader() { Close(); }

 private:
  bool NextLine(std::string_view& line) {
    if (text_.empty()) return false;
    size_t end = text_.find("\r\n");
    line = text_.substr(0, end);
    text_.remove_prefix(end == std::string_view::npos ? text_.size() : end + 2);
    return true;
  }

  void OpenKey(std::string_view path) {
    Close();
    constexpr std::string_view kRoot = "HKEY_CURRENT_USER\\";
    ASSERT_TRUE(path.starts_with(kRoot)) << path;
    std::string sub(path.substr(kRoot.size()));
    ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, sub.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                nullptr, &key_, nullptr),
              ERROR_SUCCESS)
        << path;
  }

  void Close() {
    if (key_ != nullptr) ::RegCloseKey(key_);
    key_ = nullptr;
  }

  // A quoted text from the start of rest, its escapes undone; rest keeps what follows.
  static std::string Unquote(std::string_view& rest) {
    std::string text;
    size_t i = 1;
    for (; i < rest.size() && rest[i] != '"'; ++i) text += rest[rest[i] == '\\' ? ++i : i];
    rest.remove_prefix(i + 1);
    return text;
  }

  static std::string HexBytes(std::string_view hex) {
    std::string bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 3)
      bytes += static_cast<char>(std::strtoul(std::string(hex.substr(i, 2)).c_str(), nullptr, 16));
    return bytes;
  }

  void SetValue(std::string_view line) {
    std::string name;
    if (line.starts_with('@'))
      line.remove_prefix(1);
    else
      name = Unquote(line);
    ASSERT_TRUE(line.starts_with('=')) << line;
    line.remove_prefix(1);
    DWORD type = REG_BINARY;
    std::string data;
    if (line.starts_with('"')) {
      type = REG_SZ;
      data = Unquote(line);
      data += '\0';
    } else if (line.starts_with("dword:")) {
      type = REG_DWORD;
      DWORD number = std::strtoul(std::string(line.substr(6)).c_str(), nullptr, 16);
      data.assign(reinterpret_cast<const char*>(&number), sizeof number);
    } else {
      if (line.starts_with("hex(")) type = std::strtoul(line.data() + 4, nullptr, 16);
      data = HexBytes(line.substr(line.find(':') + 1));
    }
    ASSERT_EQ(::RegSetValueExA(key_, name.empty() ? nullptr : name.c_str(), 0, type,
                               reinterpret_cast<const BYTE*>(data.data()),
                               static_cast<DWORD>(data.size())),
              ERROR_SUCCESS)
        << name;
  }

  std::string_view text_;
  HKEY key_ = nullptr;
};

}  // namespace

// A folder of its own per test: the process id and a count make the name.
Scratch PrepareScratch() {
  static int count = 0;
  char temp[MAX_PATH];
  DWORD length = ::GetTempPathA(sizeof temp, temp);
  EXPECT_GT(length, 0u);
  std::string dir = std::string(temp, length) + "OrvConformance-" +
                    std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(++count) + "\\";
  EXPECT_TRUE(::CreateDirectoryA(dir.c_str(), nullptr)) << dir;
  auto owner = std::shared_ptr<void>(nullptr, [dir](void*) { RemoveTree(dir); });
  return {&Windows(), dir, owner};
}

void RegistryTest::SetUp() {
  ::RegDeleteTreeA(HKEY_CURRENT_USER, kTestKey);
  RegFileReader(kRegistryData).MakeKeys();
}

void RegistryTest::TearDown() { ::RegDeleteTreeA(HKEY_CURRENT_USER, kTestKey); }

platform::Platform& RegistryTest::P() { return Windows(); }

}  // namespace conformance
