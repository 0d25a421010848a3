#include "platform/hosted/registry/view.h"

#include <initializer_list>

namespace hosted::reg {

namespace {

constexpr std::u16string_view kNode = u"Wow6432Node";

bool Is(const std::u16string& name, std::u16string_view wanted) {
  return CompareNoCase(name, wanted) == 0;
}

// Keys below HKEY_LOCAL_MACHINE\Software that both views share, each as its names.
const std::initializer_list<std::initializer_list<std::u16string_view>> kShared = {
    {u"Clients"},
    {u"Microsoft", u"COM3"},
    {u"Microsoft", u"Cryptography", u"Calais", u"Current"},
    {u"Microsoft", u"Cryptography", u"Calais", u"Readers"},
    {u"Microsoft", u"Cryptography", u"Services"},
    {u"Microsoft", u"CTF", u"SystemShared"},
    {u"Microsoft", u"CTF", u"TIP"},
    {u"Microsoft", u"DFS"},
    {u"Microsoft", u"Driver Signing"},
    {u"Microsoft", u"EnterpriseCertificates"},
    {u"Microsoft", u"EventSystem"},
    {u"Microsoft", u"MSMQ"},
    {u"Microsoft", u"Non-Driver Signing"},
    {u"Microsoft", u"Notepad", u"DefaultFonts"},
    {u"Microsoft", u"OLE"},
    {u"Microsoft", u"RAS"},
    {u"Microsoft", u"RPC"},
    {u"Microsoft", u"SOFTWARE", u"Microsoft", u"Shared Tools", u"MSInfo"},
    {u"Microsoft", u"SystemCertificates"},
    {u"Microsoft", u"TermServLicensing"},
    {u"Microsoft", u"Transaction Server"},
    {u"Microsoft", u"Windows", u"CurrentVersion", u"App Paths"},
    {u"Microsoft", u"Windows", u"CurrentVersion", u"Control Panel", u"Cursors", u"Schemes"},
    {u"Microsoft", u"Windows", u"CurrentVersion", u"Explorer", u"AutoplayHandlers"},
    {u"Microsoft", u"Windows", u"CurrentVersion", u"Explorer", u"DriveIcons"},
    {u"Microsoft", u"Windows", u"CurrentVersion", u"Explorer", u"KindMap"},
    {u"Microsoft", u"Windows", u"CurrentVersion", u"Group Policy"},
    {u"Microsoft", u"Windows", u"CurrentVersion", u"Policies"},
    {u"Microsoft", u"Windows", u"CurrentVersion", u"PreviewHandlers"},
    {u"Microsoft", u"Windows", u"CurrentVersion", u"Setup"},
    {u"Microsoft", u"Windows", u"CurrentVersion", u"Telephony", u"Locations"},
    {u"Microsoft", u"Windows NT", u"CurrentVersion", u"Console"},
    {u"Microsoft", u"Windows NT", u"CurrentVersion", u"FontDpi"},
    {u"Microsoft", u"Windows NT", u"CurrentVersion", u"FontLink"},
    {u"Microsoft", u"Windows NT", u"CurrentVersion", u"FontMapper"},
    {u"Microsoft", u"Windows NT", u"CurrentVersion", u"Fonts"},
    {u"Microsoft", u"Windows NT", u"CurrentVersion", u"FontSubstitutes"},
    {u"Microsoft", u"Windows NT", u"CurrentVersion", u"Gre_Initialize"},
    {u"Microsoft", u"Windows NT", u"CurrentVersion", u"Image File Execution Options"},
    {u"Microsoft", u"Windows NT", u"CurrentVersion", u"LanguagePack"},
    {u"Microsoft", u"Windows NT", u"CurrentVersion", u"NetworkCards"},
    {u"Microsoft", u"Windows NT", u"CurrentVersion", u"Perflib"},
    {u"Microsoft", u"Windows NT", u"CurrentVersion", u"Ports"},
    {u"Microsoft", u"Windows NT", u"CurrentVersion", u"Print"},
    {u"Microsoft", u"Windows NT", u"CurrentVersion", u"ProfileList"},
    {u"Microsoft", u"Windows NT", u"CurrentVersion", u"Time Zones"},
    {u"Policies"},
    {u"RegisteredApplications"},
};

// The COM keys below Classes that each view has for itself.
constexpr std::u16string_view kClassesRedirected[] = {u"CLSID", u"DirectShow", u"Interface",
                                                      u"Media Type", u"MediaFoundation"};

// Whether names, from `from` on, lie at or below one of these key paths.
bool Below(const Names& names, std::size_t from, std::initializer_list<std::u16string_view> path) {
  if (names.size() - from < path.size()) return false;
  std::size_t i = from;
  for (std::u16string_view name : path)
    if (!Is(names[i++], name)) return false;
  return true;
}

bool Shared(const Names& names) {  // names[0] is Software
  for (const auto& path : kShared)
    if (Below(names, 1, path)) return true;
  return false;
}

// The names below a Classes key (at names[at]): the COM keys moved into its Wow6432Node.
Names Classes(Names names, std::size_t at) {
  if (names.size() <= at + 1 || Is(names[at + 1], kNode)) return names;
  for (std::u16string_view com : kClassesRedirected)
    if (Is(names[at + 1], com)) {
      names.insert(names.begin() + static_cast<std::ptrdiff_t>(at + 1), std::u16string(kNode));
      break;
    }
  return names;
}

bool IsSoftwareClasses(Root root, const Names& names) {
  return (root == kLocalMachine || root == kCurrentUser) && names.size() >= 2 &&
         Is(names[0], u"SOFTWARE") && Is(names[1], u"Classes");
}

}  // namespace

Names Wow64Path(Root root, Names names) {
  if (IsSoftwareClasses(root, names)) return Classes(std::move(names), 1);
  if (root != kLocalMachine || names.size() < 2 || !Is(names[0], u"SOFTWARE") ||
      Is(names[1], kNode) || Shared(names))
    return names;
  names.insert(names.begin() + 1, std::u16string(kNode));
  return names;
}

Names Wow64Names(Root root, Names physical) {
  std::size_t node = IsSoftwareClasses(root, physical) ? 2 : 1;
  bool software = root == kLocalMachine || node == 2;
  if (software && physical.size() > node && Is(physical[0], u"SOFTWARE") &&
      Is(physical[node], kNode))
    physical.erase(physical.begin() + static_cast<std::ptrdiff_t>(node));
  return physical;
}

}  // namespace hosted::reg
