// Every call of the seam failed the natural way (a bad handle, a missing key or file, a
// too-small buffer), and its result and last error read as the call table states them: the
// decorators and the launcher rely on the table, so it must be the calls' own convention.
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "platform/call_table.h"
#include "tests/platform/conformance.h"

namespace conformance {
namespace {

using namespace platform;
using Result = std::int64_t;

constexpr DWORD kNoMessage = 0x7FFF;  // no system message has this number

class ConformanceFailures;

// What a row states beyond the table.
enum Note : unsigned {
  kNone = 0,
  kSucceeds = 1,     // the call has no natural failure: a success must not read as one
  kWineResult = 2,   // known Wine differences (docs/known-differences.md): the result,
  kWineError = 4,    // the last error
  kZeroesCount = 8,  // the count n is zeroed before any work
  kSizes = 16,       // the count n is the size needed
};

struct FailureCase {
  CallId call;
  std::function<Result(ConformanceFailures&)> fail;  // makes the call fail; answers its result
  DWORD error;  // the error of that failure: the result or the last error, as the call gives it
  unsigned notes = kNone;
};

// Where the rows fail their calls: their buffers, and what each undoes once the last error is read.
class ConformanceFailures : public Test, public ::testing::WithParamInterface<FailureCase> {
 public:
  std::vector<std::function<void()>> undo;
  char text[MAX_PATH];
  DWORD n = kPoison;
  FILETIME t{1, 1}, out;
  OSVERSIONINFOA version;
  WORD date, time;
  WIN32_FIND_DATAA data;
  OFSTRUCT info;
  HKEY key = nullptr;
  HANDLE token = nullptr;
  PSID sid = nullptr, admins = nullptr;

  void Later(std::function<void()> step) { undo.push_back(std::move(step)); }
  // The value, with the last error poisoned once it is made.
  template <typename T>
  T Poisoned(T value) {
    Poison();
    return value;
  }
  std::string Missing() const { return Path("missing.txt"); }
  HANDLE ClosedFile() {
    HANDLE h = P().CreateFileA(Path("closed.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               0, nullptr);
    P().CloseHandle(h);
    return h;
  }
  HANDLE OpenFile() {
    HANDLE h = P().CreateFileA(Path("f.txt").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                               CREATE_ALWAYS, 0, nullptr);
    Later([this, h] { P().CloseHandle(h); });
    return h;
  }
  HANDLE ProcessToken() {
    P().OpenProcessToken(P().GetCurrentProcess(), TOKEN_QUERY, &token);
    Later([this] { P().CloseHandle(token); });
    return token;
  }
  HANDLE ClosedSearch() {
    HANDLE find = P().FindFirstFileA(Path("*").c_str(), &data);
    P().FindClose(find);
    return find;
  }
  HKEY ClosedKey() {
    P().RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &key);
    P().RegCloseKey(key);
    return key;
  }
  PSID Admins() {
    P().AllocateAndInitializeSid(&SECURITY_NT_AUTHORITY, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                 DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0, &admins);
    return admins;
  }
};

// A row: the call, its error, the notes, and an expression of the test s that fails the call.
#define ROW(call, error, notes, ...)                                                       \
  FailureCase {                                                                            \
    CallId::call, []([[maybe_unused]] auto& s) { return Bits(__VA_ARGS__); }, error, notes \
  }
// A row whose failure is the call itself, given these arguments.
#define CALL(call, error, ...) ROW(call, error, kNone, s.P().call(__VA_ARGS__))

Result Exhausted(ConformanceFailures& s) {
  HANDLE find = s.P().FindFirstFileA(s.Path("*").c_str(), &s.data);
  s.Later([&s, find] { s.P().FindClose(find); });
  while (s.P().FindNextFileA(find, &s.data)) s.Poison();
  return Bits(FALSE);
}

// Into a file opened for reading only.
Result CopiedIntoAReadOnlyFile(ConformanceFailures& s) {
  s.MakeFile("from.txt", "abc");
  s.MakeFile("to.txt", "abc");
  INT from = s.P().LZOpenFileA(s.Path("from.txt").c_str(), &s.info, OF_READ);
  INT to = s.P().LZOpenFileA(s.Path("to.txt").c_str(), &s.info, OF_READ);
  s.Later([&s, from, to] {
    s.P().LZClose(to);
    s.P().LZClose(from);
  });
  s.Poison();
  return s.P().LZCopy(from, to);
}

Result ComparedToAdmins(ConformanceFailures& s) {
  s.Admins();
  s.P().AllocateAndInitializeSid(&SECURITY_NT_AUTHORITY, 1, 18, 0, 0, 0, 0, 0, 0, 0, &s.sid);
  s.Later([&s] {
    s.P().FreeSid(s.admins);
    s.P().FreeSid(s.sid);
  });
  s.Poison();
  return Bits(s.P().EqualSid(s.admins, s.sid));
}

const auto kBox = reinterpret_cast<HWND>(std::intptr_t{0x1234});
const auto kNoModule = reinterpret_cast<HMODULE>(std::intptr_t{16});
constexpr DWORD kFromSystem = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;

const FailureCase kCases[] = {
    CALL(GetLastError, 0),
    ROW(SetLastError, 0, kNone, 0),
    CALL(FormatMessageA, ERROR_MR_MID_NOT_FOUND, kFromSystem, nullptr, kNoMessage, 0, s.text, 64,
         nullptr),
    CALL(RegOpenKeyExA, ERROR_FILE_NOT_FOUND, HKEY_CURRENT_USER, "Software\\OrvNoSuchKey", 0,
         KEY_READ, &s.key),
    CALL(RegQueryValueExA, ERROR_FILE_NOT_FOUND, HKEY_CURRENT_USER, "OrvNoSuchValue", nullptr,
         nullptr, nullptr, &(s.n = 0)),
    CALL(RegQueryInfoKeyA, ERROR_INVALID_HANDLE, s.ClosedKey(), nullptr, nullptr, nullptr,
         &(s.n = 0), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr),
    CALL(RegEnumKeyExA, ERROR_NO_MORE_ITEMS, HKEY_CURRENT_USER, 100000, s.text, &(s.n = 64),
         nullptr, nullptr, nullptr, nullptr),
    CALL(RegDeleteKeyA, ERROR_FILE_NOT_FOUND, HKEY_CURRENT_USER, "OrvNoSuchKey"),
    CALL(RegCloseKey, ERROR_INVALID_HANDLE, s.ClosedKey()),
    CALL(CreateFileA, ERROR_FILE_NOT_FOUND, s.Missing().c_str(), GENERIC_READ, 0, nullptr,
         OPEN_EXISTING, 0, nullptr),
    ROW(ReadFile, ERROR_INVALID_HANDLE, kZeroesCount,
        s.P().ReadFile(s.ClosedFile(), s.text, 4, &s.n, nullptr)),
    ROW(WriteFile, ERROR_INVALID_HANDLE, kZeroesCount,
        s.P().WriteFile(s.ClosedFile(), "x", 1, &s.n, nullptr)),
    CALL(SetFilePointer, ERROR_NEGATIVE_SEEK, s.Poisoned(s.OpenFile()), -1, nullptr, FILE_BEGIN),
    CALL(GetFileSize, ERROR_INVALID_HANDLE, s.ClosedFile(), nullptr),
    CALL(GetFileTime, ERROR_INVALID_HANDLE, s.ClosedFile(), nullptr, nullptr, &s.t),
    CALL(SetFileTime, ERROR_INVALID_HANDLE, s.ClosedFile(), nullptr, nullptr, &s.t),
    CALL(CloseHandle, ERROR_INVALID_HANDLE, s.ClosedFile()),
    CALL(SetFileAttributesA, ERROR_FILE_NOT_FOUND, s.Missing().c_str(), FILE_ATTRIBUTE_NORMAL),
    CALL(DeleteFileA, ERROR_FILE_NOT_FOUND, s.Missing().c_str()),
    CALL(MoveFileA, ERROR_FILE_NOT_FOUND, s.Missing().c_str(), s.Path("to.txt").c_str()),
    CALL(FindFirstFileA, ERROR_FILE_NOT_FOUND, s.Path("*.none").c_str(), &s.data),
    ROW(FindNextFileA, ERROR_NO_MORE_FILES, kNone, Exhausted(s)),
    ROW(FindClose, ERROR_INVALID_HANDLE, kWineResult | kWineError,
        s.P().FindClose(s.Poisoned(s.ClosedSearch()))),
    // A time near the end wraps around.
    ROW(FileTimeToLocalFileTime, 0, kSucceeds,
        s.P().FileTimeToLocalFileTime(&(s.t = {~0u, ~0u}), &s.out)),
    ROW(LocalFileTimeToFileTime, 0, kSucceeds,
        s.P().LocalFileTimeToFileTime(&(s.t = {~0u, ~0u}), &s.out)),
    CALL(FileTimeToDosDateTime, ERROR_INVALID_PARAMETER, &(s.t = {0, 0x01A8E79F}),  // 1979
         &s.date, &s.time),
    ROW(DosDateTimeToFileTime, ERROR_INVALID_PARAMETER, kWineError,
        s.P().DosDateTimeToFileTime(0, 0, &s.t)),
    CALL(SetCurrentDirectoryA, ERROR_FILE_NOT_FOUND, s.Path("missing").c_str()),
    ROW(GetTempPathA, 0, kSucceeds, s.P().GetTempPathA(MAX_PATH, s.text)),
    CALL(GetShortPathNameA, ERROR_FILE_NOT_FOUND, s.Missing().c_str(), s.text, MAX_PATH),
    CALL(GetDriveTypeA, 0, "Q:\\"),
    CALL(SetErrorMode, 0, s.P().SetErrorMode(SEM_FAILCRITICALERRORS)),
    CALL(GetModuleFileNameA, ERROR_MOD_NOT_FOUND, kNoModule, s.text, MAX_PATH),
    ROW(GetCommandLineA, 0, kNone, s.P().GetCommandLineA() == nullptr),
    CALL(GetEnvironmentVariableA, ERROR_ENVVAR_NOT_FOUND, "ORV_NO_SUCH_VARIABLE", s.text, 16),
    CALL(CharLowerBuffA, 0, std::strcpy(s.text, "ABC"), 3),
    CALL(CompareStringA, ERROR_INVALID_FLAGS, LOCALE_USER_DEFAULT, 0x80000000, "a", 1, "a", 1),
    CALL(WinExec, ERROR_FILE_NOT_FOUND, s.Path("missing.exe").c_str(), SW_SHOWNORMAL),
    ROW(MessageBoxA, ERROR_INVALID_WINDOW_HANDLE, kWineResult,
        s.P().MessageBoxA(kBox, "text", "caption", MB_OK)),
    ROW(OutputDebugStringA, 0, kNone, (s.P().OutputDebugStringA("conformance"), 0)),
    CALL(LZOpenFileA, 0, s.Missing().c_str(), &s.info, OF_READ),
    ROW(LZCopy, 0, kNone, CopiedIntoAReadOnlyFile(s)),
    ROW(LZClose, 0, kNone, (s.P().LZClose(-1), 0)),
    CALL(GetVersionExA, ERROR_INSUFFICIENT_BUFFER, &(s.version = {})),
    CALL(GetCurrentThread, 0),
    CALL(GetCurrentProcess, 0),
    CALL(OpenThreadToken, ERROR_NO_TOKEN, s.P().GetCurrentThread(), TOKEN_QUERY, TRUE, &s.token),
    CALL(OpenProcessToken, ERROR_INVALID_HANDLE, s.ClosedFile(), TOKEN_QUERY, &s.token),
    ROW(GetTokenInformation, ERROR_INSUFFICIENT_BUFFER, kSizes,
        s.P().GetTokenInformation(s.Poisoned(s.ProcessToken()), TokenGroups, nullptr, 0,
                                  &(s.n = 0))),
    CALL(AllocateAndInitializeSid, ERROR_INVALID_SID, &SECURITY_NT_AUTHORITY, 9, 0, 0, 0, 0, 0, 0,
         0, 0, &s.sid),
    ROW(EqualSid, ERROR_SUCCESS, kNone, ComparedToAdmins(s)),
    CALL(FreeSid, 0, s.Poisoned(s.Admins())),
};

#undef CALL
#undef ROW

TEST_P(ConformanceFailures, AsTheCallTableStates) {
  const FailureCase& c = GetParam();
  const CallInfo& info = Info(c.call);
  Poison();
  Result result = c.fail(*this);
  DWORD error = P().GetLastError();
  for (const auto& step : undo) step();
  EXPECT_TRUE(!(c.notes & kZeroesCount) || n == 0) << "the count is zeroed before any work";
  EXPECT_TRUE(!(c.notes & kSizes) || n > 0) << "the count is the size needed";
  if (!info.CanFail()) {
    EXPECT_EQ(error, kPoison) << "a call that never fails keeps the last error";
    return;
  }
  if (c.notes & kSucceeds) {
    EXPECT_FALSE(info.Failed(result)) << "a success read as a failure";
    return;
  }
  TODO_WINE_IF(c.notes & kWineResult, info.Failed(result));
  if (info.failure.kind == Failure::Kind::Equal) {
    TODO_WINE_EQ_IF(c.notes & kWineResult, info.failure.value, result);
  } else if (info.failure.kind != Failure::Kind::Below) {
    EXPECT_EQ(result, Result{c.error}) << "the result is the error";
  }
  // The failure's error, or the poison where the table says the call keeps the last error.
  TODO_WINE_EQ_IF(c.notes & kWineError, info.setsLastError ? c.error : kPoison, error);
}

INSTANTIATE_TEST_SUITE_P(All, ConformanceFailures, ::testing::ValuesIn(kCases),
                         [](const auto& row) { return std::string(Info(row.param.call).name); });

TEST(ConformanceFailureTable, HasARowForEveryCall) {
  std::vector<bool> seen(Calls().size());
  for (const FailureCase& c : kCases) seen[static_cast<std::size_t>(c.call)] = true;
  for (std::size_t i = 0; i < seen.size(); ++i) EXPECT_TRUE(seen[i]) << Calls()[i].name;
}

}  // namespace
}  // namespace conformance
