// Every call of the seam failed the natural way (a bad handle, a missing key or file, a
// too-small buffer), and its result and last error read as the call table states them: the
// decorators and the launcher rely on the table, so it must be the calls' own convention.
#include <functional>
#include <string>
#include <vector>

#include "platform/call_table.h"
#include "tests/platform/conformance.h"

namespace conformance {
namespace {

using namespace platform;
using Result = std::int64_t;

constexpr DWORD ERROR_INVALID_FLAGS = 1004;
constexpr DWORD ERROR_INVALID_SID = 1337;
constexpr DWORD kNoMessage = 0x7FFF;  // no system message has this number

// Where a row fails its call: what the row must undo afterwards is left for after the last
// error has been read.
struct Scene {
  Platform& p;
  std::string dir;  // an empty scratch folder, ending in "\"
  std::vector<std::function<void()>> undo;
  void Later(std::function<void()> step) { undo.push_back(std::move(step)); }
  void Poison() const { p.SetLastError(kPoison); }
  std::string Path(const char* name) const { return dir + name; }
  HANDLE ClosedFile() const {
    HANDLE h = p.CreateFileA(Path("closed.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             0, nullptr);
    p.CloseHandle(h);
    return h;
  }
  HKEY ClosedKey() const {
    HKEY key = nullptr;
    p.RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &key);
    p.RegCloseKey(key);
    return key;
  }
  PSID Admins() const {
    PSID sid = nullptr;
    p.AllocateAndInitializeSid(&SECURITY_NT_AUTHORITY, 2, SECURITY_BUILTIN_DOMAIN_RID,
                               DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0, &sid);
    return sid;
  }
};

// What a row states beyond the table.
enum Note : unsigned {
  kNone = 0,
  kSucceeds = 1,    // the call has no natural failure: a success must not read as one
  kWineResult = 2,  // known Wine differences (docs/known-differences.md): the result,
  kWineError = 4,   // the last error
};

struct FailureCase {
  CallId call;
  std::function<Result(Scene&)> fail;  // makes the call fail; answers its result
  DWORD error;  // the error of that failure: the result or the last error, as the call gives it
  unsigned notes = kNone;
};

Result Lowered(Platform& p) {
  char text[] = "ABC";
  p.CharLowerBuffA(text, 3);
  return 0;
}

const FailureCase kCases[] = {
    {CallId::GetLastError, [](Scene& s) { return Bits(s.p.GetLastError()); }, 0},
    {CallId::SetLastError, [](const Scene&) { return Result{0}; }, 0},
    {CallId::FormatMessageA,
     [](Scene& s) {
       char text[64];
       return Bits(s.p.FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                      nullptr, kNoMessage, 0, text, sizeof text, nullptr));
     },
     ERROR_MR_MID_NOT_FOUND},
    {CallId::RegOpenKeyExA,
     [](Scene& s) {
       HKEY key = nullptr;
       return Bits(
           s.p.RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\OrvNoSuchKey", 0, KEY_READ, &key));
     },
     ERROR_FILE_NOT_FOUND},
    {CallId::RegQueryValueExA,
     [](Scene& s) {
       DWORD size = 0;
       return Bits(s.p.RegQueryValueExA(HKEY_CURRENT_USER, "OrvNoSuchValue", nullptr, nullptr,
                                        nullptr, &size));
     },
     ERROR_FILE_NOT_FOUND},
    {CallId::RegQueryInfoKeyA,
     [](Scene& s) {
       DWORD n = 0;
       return Bits(s.p.RegQueryInfoKeyA(s.ClosedKey(), nullptr, nullptr, nullptr, &n, nullptr,
                                        nullptr, nullptr, nullptr, nullptr, nullptr, nullptr));
     },
     ERROR_INVALID_HANDLE},
    {CallId::RegEnumKeyExA,
     [](Scene& s) {
       char name[64];
       DWORD size = sizeof name;
       return Bits(s.p.RegEnumKeyExA(HKEY_CURRENT_USER, 100000, name, &size, nullptr, nullptr,
                                     nullptr, nullptr));
     },
     ERROR_NO_MORE_ITEMS},
    {CallId::RegDeleteKeyA,
     [](Scene& s) { return Bits(s.p.RegDeleteKeyA(HKEY_CURRENT_USER, "OrvNoSuchKey")); },
     ERROR_FILE_NOT_FOUND},
    {CallId::RegCloseKey, [](Scene& s) { return Bits(s.p.RegCloseKey(s.ClosedKey())); },
     ERROR_INVALID_HANDLE},
    {CallId::CreateFileA,
     [](Scene& s) {
       return Bits(s.p.CreateFileA(s.Path("missing.txt").c_str(), GENERIC_READ, 0, nullptr,
                                   OPEN_EXISTING, 0, nullptr));
     },
     ERROR_FILE_NOT_FOUND},
    {CallId::ReadFile,
     [](Scene& s) {
       char buffer[4];
       DWORD n = kPoison;
       Result r = Bits(s.p.ReadFile(s.ClosedFile(), buffer, sizeof buffer, &n, nullptr));
       EXPECT_EQ(n, 0u) << "the count is zeroed before any work";
       return r;
     },
     ERROR_INVALID_HANDLE},
    {CallId::WriteFile,
     [](Scene& s) {
       DWORD n = kPoison;
       Result r = Bits(s.p.WriteFile(s.ClosedFile(), "x", 1, &n, nullptr));
       EXPECT_EQ(n, 0u) << "the count is zeroed before any work";
       return r;
     },
     ERROR_INVALID_HANDLE},
    {CallId::SetFilePointer,
     [](Scene& s) {
       HANDLE h = s.p.CreateFileA(s.Path("f.txt").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                  CREATE_ALWAYS, 0, nullptr);
       s.Later([&s, h] { s.p.CloseHandle(h); });
       s.Poison();
       return Bits(s.p.SetFilePointer(h, -1, nullptr, FILE_BEGIN));
     },
     ERROR_NEGATIVE_SEEK},
    {CallId::GetFileSize, [](Scene& s) { return Bits(s.p.GetFileSize(s.ClosedFile(), nullptr)); },
     ERROR_INVALID_HANDLE},
    {CallId::GetFileTime,
     [](Scene& s) {
       FILETIME t;
       return Bits(s.p.GetFileTime(s.ClosedFile(), nullptr, nullptr, &t));
     },
     ERROR_INVALID_HANDLE},
    {CallId::SetFileTime,
     [](Scene& s) {
       FILETIME t{1, 1};
       return Bits(s.p.SetFileTime(s.ClosedFile(), nullptr, nullptr, &t));
     },
     ERROR_INVALID_HANDLE},
    {CallId::CloseHandle, [](Scene& s) { return Bits(s.p.CloseHandle(s.ClosedFile())); },
     ERROR_INVALID_HANDLE},
    {CallId::SetFileAttributesA,
     [](Scene& s) {
       return Bits(s.p.SetFileAttributesA(s.Path("missing.txt").c_str(), FILE_ATTRIBUTE_NORMAL));
     },
     ERROR_FILE_NOT_FOUND},
    {CallId::DeleteFileA,
     [](Scene& s) { return Bits(s.p.DeleteFileA(s.Path("missing.txt").c_str())); },
     ERROR_FILE_NOT_FOUND},
    {CallId::MoveFileA,
     [](Scene& s) {
       return Bits(s.p.MoveFileA(s.Path("missing.txt").c_str(), s.Path("to.txt").c_str()));
     },
     ERROR_FILE_NOT_FOUND},
    {CallId::FindFirstFileA,
     [](Scene& s) {
       WIN32_FIND_DATAA data;
       return Bits(s.p.FindFirstFileA(s.Path("*.none").c_str(), &data));
     },
     ERROR_FILE_NOT_FOUND},
    {CallId::FindNextFileA,
     [](Scene& s) {
       WIN32_FIND_DATAA data;
       HANDLE find = s.p.FindFirstFileA(s.Path("*").c_str(), &data);
       s.Later([&s, find] { s.p.FindClose(find); });
       while (s.p.FindNextFileA(find, &data)) s.Poison();
       return Bits(FALSE);
     },
     ERROR_NO_MORE_FILES},
    {CallId::FindClose,
     [](Scene& s) {
       WIN32_FIND_DATAA data;
       HANDLE find = s.p.FindFirstFileA(s.Path("*").c_str(), &data);
       s.p.FindClose(find);
       s.Poison();
       return Bits(s.p.FindClose(find));
     },
     ERROR_INVALID_HANDLE, kWineResult | kWineError},
    {CallId::FileTimeToLocalFileTime,
     [](Scene& s) {
       FILETIME utc{0xFFFFFFFF, 0xFFFFFFFF}, local;
       return Bits(s.p.FileTimeToLocalFileTime(&utc, &local));
     },
     0, kSucceeds},  // a time near the end wraps around
    {CallId::LocalFileTimeToFileTime,
     [](Scene& s) {
       FILETIME local{0xFFFFFFFF, 0xFFFFFFFF}, utc;
       return Bits(s.p.LocalFileTimeToFileTime(&local, &utc));
     },
     0, kSucceeds},
    {CallId::FileTimeToDosDateTime,
     [](Scene& s) {
       FILETIME t{0, 0x01A8E79F};  // 1979
       WORD date, time;
       return Bits(s.p.FileTimeToDosDateTime(&t, &date, &time));
     },
     ERROR_INVALID_PARAMETER},
    {CallId::DosDateTimeToFileTime,
     [](Scene& s) {
       FILETIME t;
       return Bits(s.p.DosDateTimeToFileTime(0, 0, &t));
     },
     ERROR_INVALID_PARAMETER, kWineError},
    {CallId::SetCurrentDirectoryA,
     [](Scene& s) { return Bits(s.p.SetCurrentDirectoryA(s.Path("missing").c_str())); },
     ERROR_FILE_NOT_FOUND},
    {CallId::GetTempPathA,
     [](Scene& s) {
       char path[MAX_PATH];
       return Bits(s.p.GetTempPathA(sizeof path, path));
     },
     0, kSucceeds},
    {CallId::GetShortPathNameA,
     [](Scene& s) {
       char path[MAX_PATH];
       return Bits(s.p.GetShortPathNameA(s.Path("missing.txt").c_str(), path, sizeof path));
     },
     ERROR_FILE_NOT_FOUND},
    {CallId::GetDriveTypeA, [](Scene& s) { return Bits(s.p.GetDriveTypeA("Q:\\")); }, 0},
    {CallId::SetErrorMode,
     [](Scene& s) {
       UINT old = s.p.SetErrorMode(SEM_FAILCRITICALERRORS);
       s.p.SetErrorMode(old);
       return Result{0};
     },
     0},
    {CallId::GetModuleFileNameA,
     [](Scene& s) {
       char path[MAX_PATH];
       return Bits(
           s.p.GetModuleFileNameA(reinterpret_cast<HMODULE>(std::intptr_t{16}), path, sizeof path));
     },
     ERROR_MOD_NOT_FOUND},
    {CallId::GetCommandLineA, [](Scene& s) { return Bits(s.p.GetCommandLineA() == nullptr); }, 0},
    {CallId::GetEnvironmentVariableA,
     [](Scene& s) {
       char value[16];
       return Bits(s.p.GetEnvironmentVariableA("ORV_NO_SUCH_VARIABLE", value, sizeof value));
     },
     ERROR_ENVVAR_NOT_FOUND},
    {CallId::CharLowerBuffA, [](Scene& s) { return Lowered(s.p); }, 0},
    {CallId::CompareStringA,
     [](Scene& s) {
       return Bits(s.p.CompareStringA(LOCALE_USER_DEFAULT, 0x80000000, "a", 1, "a", 1));
     },
     ERROR_INVALID_FLAGS},
    {CallId::WinExec,
     [](Scene& s) { return Bits(s.p.WinExec(s.Path("missing.exe").c_str(), SW_SHOWNORMAL)); },
     ERROR_FILE_NOT_FOUND},
    {CallId::MessageBoxA,
     [](Scene& s) {
       return Bits(s.p.MessageBoxA(reinterpret_cast<HWND>(std::intptr_t{0x1234}), "text", "caption",
                                   MB_OK));
     },
     ERROR_INVALID_WINDOW_HANDLE, kWineResult},
    {CallId::OutputDebugStringA,
     [](Scene& s) {
       s.p.OutputDebugStringA("conformance");
       return Result{0};
     },
     0},
    {CallId::LZOpenFileA,
     [](Scene& s) {
       OFSTRUCT info;
       return Bits(s.p.LZOpenFileA(s.Path("missing.txt").c_str(), &info, OF_READ));
     },
     0},
    {CallId::LZCopy,
     [](Scene& s) {  // into a file opened for reading only
       OFSTRUCT info;
       for (const char* name : {"from.txt", "to.txt"}) {
         HANDLE h = s.p.CreateFileA(s.Path(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    0, nullptr);
         DWORD n = 0;
         s.p.WriteFile(h, "abc", 3, &n, nullptr);
         s.p.CloseHandle(h);
       }
       INT from = s.p.LZOpenFileA(s.Path("from.txt").c_str(), &info, OF_READ);
       INT to = s.p.LZOpenFileA(s.Path("to.txt").c_str(), &info, OF_READ);
       s.Later([&s, from, to] {
         s.p.LZClose(to);
         s.p.LZClose(from);
       });
       s.Poison();
       return s.p.LZCopy(from, to);
     },
     0},
    {CallId::LZClose,
     [](Scene& s) {
       s.p.LZClose(-1);
       return Result{0};
     },
     0},
    {CallId::GetVersionExA,
     [](Scene& s) {
       OSVERSIONINFOA info{};
       info.dwOSVersionInfoSize = 0;
       return Bits(s.p.GetVersionExA(&info));
     },
     ERROR_INSUFFICIENT_BUFFER},
    {CallId::GetCurrentThread, [](Scene& s) { return Bits(s.p.GetCurrentThread()); }, 0},
    {CallId::GetCurrentProcess, [](Scene& s) { return Bits(s.p.GetCurrentProcess()); }, 0},
    {CallId::OpenThreadToken,
     [](Scene& s) {
       HANDLE token = nullptr;
       return Bits(s.p.OpenThreadToken(s.p.GetCurrentThread(), TOKEN_QUERY, TRUE, &token));
     },
     ERROR_NO_TOKEN},
    {CallId::OpenProcessToken,
     [](Scene& s) {
       HANDLE token = nullptr;
       return Bits(s.p.OpenProcessToken(s.ClosedFile(), TOKEN_QUERY, &token));
     },
     ERROR_INVALID_HANDLE},
    {CallId::GetTokenInformation,
     [](Scene& s) {
       HANDLE token = nullptr;
       s.p.OpenProcessToken(s.p.GetCurrentProcess(), TOKEN_QUERY, &token);
       s.Later([&s, token] { s.p.CloseHandle(token); });
       DWORD needed = 0;
       s.Poison();
       Result r = Bits(s.p.GetTokenInformation(token, TokenGroups, nullptr, 0, &needed));
       EXPECT_GT(needed, 0u) << "the size needed";
       return r;
     },
     ERROR_INSUFFICIENT_BUFFER},
    {CallId::AllocateAndInitializeSid,
     [](Scene& s) {
       PSID sid = nullptr;
       return Bits(
           s.p.AllocateAndInitializeSid(&SECURITY_NT_AUTHORITY, 9, 0, 0, 0, 0, 0, 0, 0, 0, &sid));
     },
     ERROR_INVALID_SID},
    {CallId::EqualSid,
     [](Scene& s) {
       PSID a = s.Admins();
       PSID b = nullptr;
       s.p.AllocateAndInitializeSid(&SECURITY_NT_AUTHORITY, 1, 18, 0, 0, 0, 0, 0, 0, 0, &b);
       s.Later([&s, a, b] {
         s.p.FreeSid(a);
         s.p.FreeSid(b);
       });
       s.Poison();
       return Bits(s.p.EqualSid(a, b));
     },
     ERROR_SUCCESS},
    {CallId::FreeSid,
     [](Scene& s) {
       PSID sid = s.Admins();
       s.Poison();
       return Bits(s.p.FreeSid(sid));
     },
     0},
};

class ConformanceFailures : public Test, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(ConformanceFailures, AsTheCallTableStates) {
  const FailureCase& c = GetParam();
  const CallInfo& info = Info(c.call);
  Scene scene{P(), Path(""), {}};
  Poison();
  Result result = c.fail(scene);
  DWORD error = P().GetLastError();
  for (const auto& step : scene.undo) step();
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
  if (info.setsLastError) {
    TODO_WINE_EQ_IF(c.notes & kWineError, c.error, error);
  } else {
    EXPECT_EQ(error, kPoison) << "the table says the call keeps the last error";
  }
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
