// Starting programs and showing message boxes, written against Platform only: the same file
// runs against the simulated machine and against the real Windows calls.
#include <cstdint>
#include <string>
#include <vector>

#include "tests/platform/conformance.h"

namespace {

using namespace platform;
using conformance::kPoison;

// WinExec's answer for a program that started: any value above 31.
constexpr UINT kStarted = 32;

struct ExecCase {
  const char* name;
  std::vector<const char*> programs;  // files that are programs
  std::vector<const char*> others;    // files that are not
  const char* line;                   // "@" stands for the scratch folder
  UINT result;                        // kStarted: any success
  DWORD error;                        // the last error after a failure
};

class ConformanceProcess : public conformance::Test {};

class ConformanceProcessExec : public ConformanceProcess,
                               public ::testing::WithParamInterface<ExecCase> {};

TEST_P(ConformanceProcessExec, FindsTheProgramAsCreateProcessDoes) {
  const ExecCase& c = GetParam();
  MakeDir("my app");
  for (const char* name : c.programs) ASSERT_TRUE(H().CopyProgramA(Path(name).c_str())) << name;
  for (const char* name : c.others) MakeFile(name, "not a program");
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
  // Wine answers a missing folder as a missing file.
  const bool marked = c.result == ERROR_PATH_NOT_FOUND;
  TODO_WINE_EQ_IF(marked, c.result, result);
  TODO_WINE_EQ_IF(marked, c.error, error);
}

constexpr const char* kInApp = "my app\\x.exe";
INSTANTIATE_TEST_SUITE_P(
    All, ConformanceProcessExec,
    ::testing::Values(
        ExecCase{"Quoted", {kInApp}, {"my.exe"}, "\"@my app\\x.exe\" /a b", kStarted, 0},
        ExecCase{"QuotedMissingDoesNotTryTheBlank",
                 {"my.exe"},
                 {},
                 "\"@my app\\x.exe\"",
                 ERROR_FILE_NOT_FOUND,
                 ERROR_FILE_NOT_FOUND},
        ExecCase{
            "UnquotedTakesTheDecoyAtTheBlank", {"my.exe"}, {kInApp}, "@my app\\x.exe", kStarted, 0},
        ExecCase{"UnquotedStopsAtADecoyThatIsNoProgram",
                 {kInApp},
                 {"my.exe"},
                 "@my app\\x.exe",
                 ERROR_BAD_FORMAT,
                 ERROR_BAD_EXE_FORMAT},
        ExecCase{"UnquotedWithoutDecoyTakesTheWholePath",
                 {kInApp},
                 {},
                 "@my app\\x.exe /q",
                 kStarted,
                 0},
        ExecCase{"ExeIsAppended", {"x.exe"}, {}, "@x /q", kStarted, 0},
        ExecCase{"ExeIsNotAppendedToAnExtension",
                 {"x.txt.exe"},
                 {},
                 "@x.txt",
                 ERROR_FILE_NOT_FOUND,
                 ERROR_FILE_NOT_FOUND},
        ExecCase{"RelativeToTheCurrentDirectory", {"rel.exe"}, {}, "rel.exe", kStarted, 0},
        ExecCase{"MissingFile", {}, {}, "@none.exe", ERROR_FILE_NOT_FOUND, ERROR_FILE_NOT_FOUND},
        ExecCase{
            "MissingFolder", {}, {}, "@none\\x.exe", ERROR_PATH_NOT_FOUND, ERROR_PATH_NOT_FOUND},
        ExecCase{
            "NoProgram", {}, {"text.exe"}, "@text.exe", ERROR_BAD_FORMAT, ERROR_BAD_EXE_FORMAT}),
    [](const auto& info) { return std::string(info.param.name); });

class ConformanceProcessBox : public ConformanceProcess,
                              public ::testing::WithParamInterface<UINT> {};

// The fixture answers every box with its OK button, as a user would.
TEST_P(ConformanceProcessBox, AnswersWithTheButtonPressed) {
  Poison();
  EXPECT_EQ(P().MessageBoxA(nullptr, "Conformance text", "Conformance", GetParam()), IDOK);
}

// The styles of the launcher's boxes.
INSTANTIATE_TEST_SUITE_P(All, ConformanceProcessBox,
                         ::testing::Values(MB_OK, MB_OK | MB_ICONERROR | MB_TASKMODAL));

TEST_F(ConformanceProcess, BoxRefusesAnInvalidOwner) {
  Poison();
  HWND owner = reinterpret_cast<HWND>(std::uintptr_t{0xBAD0BAD0});
  int result = P().MessageBoxA(owner, "text", "caption", MB_OK);
  EXPECT_EQ(P().GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
  TODO_WINE_EQ(0, result);
}

}  // namespace
