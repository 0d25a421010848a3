// Starting programs and showing message boxes, written against Platform only: the same file
// runs against the simulated machine and against the real Windows calls.
#include <cstdint>
#include <string>

#include "tests/platform/conformance.h"

namespace {

using namespace platform;

// WinExec's answer for a program that started: any value above 31.
constexpr UINT kStarted = 32;

struct ExecCase {
  const char* name;
  const char* program;  // a file that is a program, or none
  const char* other;    // a file that is not, or none
  const char* line;     // "@" stands for the scratch folder
  UINT result;          // kStarted: any success
};

class ConformanceProcess : public conformance::Test {};

class ConformanceProcessExec : public ConformanceProcess,
                               public ::testing::WithParamInterface<ExecCase> {};

TEST_P(ConformanceProcessExec, FindsTheProgramAsCreateProcessDoes) {
  const ExecCase& c = GetParam();
  MakeDir("my app");
  ASSERT_TRUE(!c.program || H().CopyProgramA(Path(c.program).c_str())) << c.program;
  if (c.other) MakeFile(c.other, "not a program");
  std::string line = c.line;
  if (std::size_t at = line.find('@'); at != std::string::npos) line.replace(at, 1, Path(""));
  char cwd[MAX_PATH];
  ASSERT_GT(H().GetCurrentDirectoryA(sizeof cwd, cwd), 0u);
  ASSERT_TRUE(P().SetCurrentDirectoryA(Path("").c_str()));
  Poison();
  UINT result = P().WinExec(line.c_str(), SW_SHOWNORMAL);
  DWORD error = P().GetLastError();
  P().SetCurrentDirectoryA(cwd);  // a current directory cannot be removed
  if (c.result == kStarted) {
    EXPECT_GT(result, 31u) << line;
    return;
  }
  // A file that is no program answers ERROR_BAD_FORMAT with the last error
  // ERROR_BAD_EXE_FORMAT; every other failure answers its last error.
  DWORD expectedError = c.result == ERROR_BAD_FORMAT ? ERROR_BAD_EXE_FORMAT : c.result;
  // Wine answers a missing folder as a missing file.
  const bool marked = c.result == ERROR_PATH_NOT_FOUND;
  TODO_WINE_EQ_IF(marked, c.result, result);
  TODO_WINE_EQ_IF(marked, expectedError, error);
}

constexpr const char* kInApp = "my app\\x.exe";
constexpr UINT kNotFound = ERROR_FILE_NOT_FOUND;
const ExecCase kExecCases[] = {
    {"Quoted", kInApp, "my.exe", "\"@my app\\x.exe\" /a b", kStarted},
    {"QuotedMissingDoesNotTryTheBlank", "my.exe", {}, "\"@my app\\x.exe\"", kNotFound},
    {"UnquotedTakesTheDecoyAtTheBlank", "my.exe", kInApp, "@my app\\x.exe", kStarted},
    {"UnquotedStopsAtADecoyThatIsNoProgram", kInApp, "my.exe", "@my app\\x.exe", ERROR_BAD_FORMAT},
    {"UnquotedWithoutDecoyTakesTheWholePath", kInApp, {}, "@my app\\x.exe /q", kStarted},
    {"ExeIsAppended", "x.exe", {}, "@x /q", kStarted},
    {"ExeIsNotAppendedToAnExtension", "x.txt.exe", {}, "@x.txt", kNotFound},
    {"RelativeToTheCurrentDirectory", "rel.exe", {}, "rel.exe", kStarted},
    {"MissingFile", {}, {}, "@none.exe", kNotFound},
    {"MissingFolder", {}, {}, "@none\\x.exe", ERROR_PATH_NOT_FOUND},
    {"NoProgram", {}, "text.exe", "@text.exe", ERROR_BAD_FORMAT},
};
INSTANTIATE_TEST_SUITE_P(All, ConformanceProcessExec, ::testing::ValuesIn(kExecCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The fixture answers every box with its OK button, as a user would; the styles are those of
// the launcher's boxes. An owner that is no window is refused.
TEST_F(ConformanceProcess, BoxesAnswerWithTheButtonPressed) {
  for (UINT style : {MB_OK, MB_OK | MB_ICONERROR | MB_TASKMODAL}) {
    Poison();
    EXPECT_EQ(P().MessageBoxA(nullptr, "Conformance text", "Conformance", style), IDOK) << style;
  }
  Poison();
  HWND owner = reinterpret_cast<HWND>(std::uintptr_t{0xBAD0BAD0});
  int result = P().MessageBoxA(owner, "text", "caption", MB_OK);
  EXPECT_EQ(P().GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
  TODO_WINE_EQ(0, result);
}

}  // namespace
