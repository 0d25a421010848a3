// Runs one command line under Wine and answers the message boxes shown meanwhile.
//
//   box_watcher RUNFILE      (RUNFILE: the current directory, then the command line)
//
// The program is started in a job of its own, so that the programs it starts belong to the
// job too; the watcher ends when no process of the job is left. Every message box (a
// visible top-level window of the dialog class) is recorded once, with its caption, its
// text, its buttons and whether it shows an icon, and answered with OK. The launcher's exit
// code is recorded last. Records go to the file named by ORV_WINE_RECORDS (records.h).
#include <cstdio>
#include <cstring>
#include <fstream>
#include <set>
#include <string>

#include "tests/wine/records.h"

namespace {

std::string Text(HWND window) {
  char text[4096] = "";
  ::GetWindowTextA(window, text, sizeof text);
  return text;
}

std::string ClassOf(HWND window) {
  char name[64] = "";
  ::GetClassNameA(window, name, sizeof name);
  return name;
}

bool Shown(HWND box, int id) {
  HWND control = ::GetDlgItem(box, id);
  return control != nullptr && ::IsWindowVisible(control);
}

// The MB_ button type whose buttons the box shows; -1 for a set that no type gives.
int Buttons(HWND box) {
  static constexpr struct {
    int type;
    int ids[3];
  } kTypes[] = {{MB_OK, {IDOK}},
                {MB_OKCANCEL, {IDOK, IDCANCEL}},
                {MB_ABORTRETRYIGNORE, {IDABORT, IDRETRY, IDIGNORE}},
                {MB_YESNOCANCEL, {IDYES, IDNO, IDCANCEL}},
                {MB_YESNO, {IDYES, IDNO}},
                {MB_RETRYCANCEL, {IDRETRY, IDCANCEL}}};
  for (const auto& type : kTypes) {
    bool match = true;
    for (int id = IDOK; id <= IDNO; ++id) {
      bool wanted = false;
      for (int own : type.ids) wanted = wanted || own == id;
      match = match && wanted == Shown(box, id);
    }
    if (match) return type.type;
  }
  return -1;
}

// A box shows an icon through a visible static control of the icon kind that holds one.
BOOL CALLBACK FindIcon(HWND child, LPARAM found) {
  LONG style = ::GetWindowLongA(child, GWL_STYLE);
  if (ClassOf(child) == "Static" && (style & SS_TYPEMASK) == SS_ICON && ::IsWindowVisible(child) &&
      ::SendMessageA(child, STM_GETICON, 0, 0) != 0)
    *reinterpret_cast<bool*>(found) = true;
  return TRUE;
}

bool HasIcon(HWND box) {
  bool found = false;
  ::EnumChildWindows(box, FindIcon, reinterpret_cast<LPARAM>(&found));
  return found;
}

// The message box's static text control has the identifier 0xFFFF.
std::string BoxRecord(HWND box) {
  char text[4096] = "";
  ::GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
  return "{\"event\":\"box\",\"caption\":" + records::Quoted(Text(box)) +
         ",\"text\":" + records::Quoted(text) + ",\"buttons\":" + std::to_string(Buttons(box)) +
         ",\"icon\":" + (HasIcon(box) ? "true" : "false") + "}";
}

// A dialog becomes visible only after its initialisation has filled in its controls.
BOOL CALLBACK AnswerBox(HWND window, LPARAM seen) {
  auto& boxes = *reinterpret_cast<std::set<HWND>*>(seen);
  if (ClassOf(window) != "#32770" || !::IsWindowVisible(window) || !boxes.insert(window).second)
    return TRUE;
  records::Append(BoxRecord(window));
  ::PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  return TRUE;
}

DWORD ActiveProcesses(HANDLE job) {
  JOBOBJECT_BASIC_ACCOUNTING_INFORMATION info{};
  if (!::QueryInformationJobObject(job, JobObjectBasicAccountingInformation, &info, sizeof info,
                                   nullptr))
    return 0;
  return info.ActiveProcesses;
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
  if (argc != 2) return Fail("usage: box_watcher RUNFILE");
  std::ifstream run(argv[1], std::ios::binary);
  std::string cwd, cmdline;
  if (!std::getline(run, cwd) || !std::getline(run, cmdline)) return Fail("cannot read RUNFILE");
  HANDLE job = ::CreateJobObjectA(nullptr, nullptr);
  PROCESS_INFORMATION process{};
  if (job == nullptr || !StartInJob(job, cwd, cmdline, process)) return Fail("cannot start");
  std::set<HWND> seen;
  while (ActiveProcesses(job) > 0) {
    ::EnumWindows(AnswerBox, reinterpret_cast<LPARAM>(&seen));
    ::Sleep(5);
  }
  DWORD code = 0;
  ::GetExitCodeProcess(process.hProcess, &code);
  records::Append("{\"event\":\"exit\",\"code\":" + std::to_string(code) + "}");
  return 0;
}
