#include "winsys/paths.h"

#include "platform/platform.h"
#include "strutil/translate.h"
#include "winsys/files.h"
#include "winsys/log.h"
#include "winsys/winsys.h"

namespace winsys {

using namespace platform;

namespace {

constexpr std::size_t kNameLimit = 255;
// Buffer for a platform path, terminating NUL included.
constexpr DWORD kPathBuffer = 255;
constexpr const char* kScratchName = "$$$.$$$";
constexpr DWORD kScratchLength = 7;

// The count of characters up to and including the last ":" or "\", 0 without either.
std::size_t SplitPoint(const std::string& path) {
  std::size_t divider = path.find_last_of(":\\");
  return divider == std::string::npos ? 0 : divider + 1;
}

// The text of a platform answer that fills a buffer: empty when the call failed (0) or the
// text did not fit (the length asked for, which leaves the buffer unwritten).
std::string BufferText(const char* buffer, DWORD length) {
  if (length >= kPathBuffer) return {};
  return std::string(buffer, length);
}

// Sets result once the scratch file holds its seven bytes; a leftover one goes first.
void ProbeScratchFile(const std::string& scratch, bool& result) {
  DeleteFileForced(scratch);
  HANDLE file = FileCreate(scratch);
  if (file == INVALID_HANDLE_VALUE) return;
  if (FileWrite(file, kScratchName, kScratchLength) == static_cast<int>(kScratchLength)) {
    result = true;
  }
  FileClose(file);
  DeleteFileForced(scratch);
}

}  // namespace

std::string PathPart(const std::string& path) { return path.substr(0, SplitPoint(path)); }

std::string NamePart(const std::string& path) { return path.substr(SplitPoint(path), kNameLimit); }

std::string AddBackslash(const std::string& path) {
  if (path.empty() || path.back() == '\\') return path;
  return path + '\\';
}

std::string ShortPath(const std::string& path) {
  ClearLastError();
  char buffer[kPathBuffer] = {};
  std::string shortForm =
      BufferText(buffer, Current().GetShortPathNameA(path.c_str(), buffer, kPathBuffer));
  return shortForm.empty() ? path : shortForm;
}

// A temporary path too long for the buffer counts as none: with the last error at 0 the
// report shows nothing, and the caller puts its default in place.
std::string GetTempDir() {
  ClearLastError();
  char buffer[kPathBuffer] = {};
  std::string temp = BufferText(buffer, Current().GetTempPathA(kPathBuffer, buffer));
  if (temp.empty()) ReportLastError("GetTempPath");
  return AddBackslash(temp);
}

std::int32_t CompareNoCase(const std::string& a, const std::string& b) {
  return Current().CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(),
                                  static_cast<int>(a.size()), b.data(),
                                  static_cast<int>(b.size())) -
         CSTR_EQUAL;
}

std::string SanitizeFileName(const std::string& path) {
  return PathPart(path) + strutil::TranslateChars(NamePart(path), "[]______", "<>:\"/\\|%");
}

bool DriveExists(char letter) {
  UINT type = Current().GetDriveTypeA((std::string(1, letter) + ":\\").c_str());
  return type >= DRIVE_REMOVABLE && type <= DRIVE_RAMDISK;
}

void SetCriticalErrorBoxes(bool suppress) {
  ClearLastError();
  State& state = Winsys();
  if (suppress) {
    state.savedErrorMode = Current().SetErrorMode(SEM_FAILCRITICALERRORS);
  } else {
    Current().SetErrorMode(state.savedErrorMode);
  }
  ReportLastError("SetErrorMode");
}

// The drive test takes the first character as a drive letter, so an empty or network path
// fails it without any probe.
bool IsWritableDir(const std::string& dir) {
  std::string scratch = AddBackslash(dir) + kScratchName;
  if (!DriveExists(scratch[0])) return false;
  bool result = false;
  SetCriticalErrorBoxes(true);
  try {
    ProbeScratchFile(scratch, result);
  } catch (...) {
    // The probe ends; result keeps what it had, and the error mode is restored below.
  }
  SetCriticalErrorBoxes(false);
  return result;
}

}  // namespace winsys
