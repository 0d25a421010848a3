// box_watcher RUNFILE (the current directory, then the command line): runs the command under
// Wine in a job that the programs it starts join, until the job is empty. Every message box is
// recorded once (records.h) and answered with OK; the launcher's exit code is recorded last.
#include <cstdio>
#include <fstream>
#include <set>
#include <string>

#include "tests/wine/records.h"

namespace {

// The MB_ button type whose buttons the box shows; -1 for a set that no type gives.
int Buttons(HWND box) {
  unsigned shown = 0;
  for (int id = IDOK; id <= IDNO; ++id) {
    HWND control = ::GetDlgItem(box, id);
    if (control != nullptr && ::IsWindowVisible(control)) shown |= 1u << id;
  }
  // The buttons of the types MB_OK (0) to MB_RETRYCANCEL (5), bit n standing for the button of
  // identifier n (IDOK 1, IDCANCEL 2, IDABORT 3, IDRETRY 4, IDIGNORE 5, IDYES 6, IDNO 7).
  static constexpr unsigned kTypes[] = {0x02, 0x06, 0x38, 0xC4, 0xC0, 0x14};
  for (int type = MB_OK; type <= MB_RETRYCANCEL; ++type)
    if (kTypes[type] == shown) return type;
  return -1;
}

// A box shows an icon through a visible static control of the icon kind that holds one.
bool HasIcon(HWND box) {
  for (HWND child = nullptr; (child = ::FindWindowExA(box, child, "Static", nullptr));)
    if ((::GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON && ::IsWindowVisible(child) &&
        ::SendMessageA(child, STM_GETICON, 0, 0) != 0)
      return true;
  return false;
}

// The message box's static text control has the identifier 0xFFFF.
std::string BoxRecord(HWND box) {
  char caption[4096] = "", text[4096] = "";
  ::GetWindowTextA(box, caption, sizeof caption);
  ::GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
  return "{\"event\":\"box\",\"caption\":" + records::Quoted(caption) +
         ",\"text\":" + records::Quoted(text) + ",\"buttons\":" + std::to_string(Buttons(box)) +
         ",\"icon\":" + (HasIcon(box) ? "true" : "false") + "}";
}

// Message boxes are top-level dialogs, visible only once their controls are filled in.
void AnswerBoxes(std::set<HWND>& seen) {
  for (HWND box = nullptr; (box = ::FindWindowExA(nullptr, box, "#32770", nullptr));) {
    if (!::IsWindowVisible(box) || !seen.insert(box).second) continue;
    records::Append(BoxRecord(box));
    ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  }
}

// Started suspended, so that it is in the job before it can start anything itself.
bool StartInJob(HANDLE job, const std::string& cwd, std::string cmdline,
                PROCESS_INFORMATION& process) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  if (!::CreateProcessA(nullptr, cmdline.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                        cwd.c_str(), &startup, &process))
    return false;
  if (!::AssignProcessToJobObject(job, process.hProcess)) {
    ::TerminateProcess(process.hProcess, 1);
    return false;
  }
  ::ResumeThread(process.hThread);
  return true;
}

int Fail(const char* what) {
  std::fprintf(stderr, "box_watcher: %s (error %lu)\n", what, ::GetLastError());
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::ifstream run(argc == 2 ? argv[1] : "", std::ios::binary);
  std::string cwd, cmdline;
  if (!std::getline(run, cwd) || !std::getline(run, cmdline))
    return Fail("usage: box_watcher RUNFILE");
  HANDLE job = ::CreateJobObjectA(nullptr, nullptr);
  PROCESS_INFORMATION process{};
  if (job == nullptr || !StartInJob(job, cwd, cmdline, process)) return Fail("cannot start");
  std::set<HWND> seen;
  JOBOBJECT_BASIC_ACCOUNTING_INFORMATION info{};
  while (::QueryInformationJobObject(job, JobObjectBasicAccountingInformation, &info, sizeof info,
                                     nullptr) &&
         info.ActiveProcesses > 0) {
    AnswerBoxes(seen);
    ::Sleep(5);
  }
  DWORD code = 0;
  ::GetExitCodeProcess(process.hProcess, &code);
  records::Append("{\"event\":\"exit\",\"code\":" + std::to_string(code) + "}");
  return 0;
}
