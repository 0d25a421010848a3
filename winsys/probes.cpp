#include "winsys/probes.h"

#include <cstring>
#include <memory>
#include <vector>

#include "winsys/errors.h"
#include "winsys/log.h"
#include "winsys/winsys.h"

namespace winsys {

using namespace platform;

BOOL QueryOsVersion(OSVERSIONINFOA& record) {
  std::memset(&record, 0, sizeof(record));
  record.dwOSVersionInfoSize = sizeof(record);
  ClearLastError();
  BOOL result = Current().GetVersionExA(&record);
  if (result == FALSE) ReportLastError("GetVersionEx");
  return result;
}

bool ProbeOsVersion() {
  State& state = Winsys();
  state.OsIsVersion50 = false;
  state.OsIsVersion51Up = false;
  OSVERSIONINFOA record;
  QueryOsVersion(record);
  state.OsMajorVersion = static_cast<int>(record.dwMajorVersion);
  state.OsMinorVersion = static_cast<int>(record.dwMinorVersion);
  state.OsIsVersion50 = state.OsMajorVersion == 5 && state.OsMinorVersion == 0;
  state.OsIsVersion51Up = state.OsMajorVersion == 5 && state.OsMinorVersion >= 1;
  return record.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

namespace {

// Holds what the probe acquires and releases it on every way out, raises included.
struct TokenProbe {
  Platform& os = Current();
  HANDLE token = nullptr;
  PSID admins = nullptr;
  std::vector<BYTE> groups;

  ~TokenProbe() {
    if (token) os.CloseHandle(token);
    if (admins) os.FreeSid(admins);
  }

  bool OpenToken() {
    if (os.OpenThreadToken(os.GetCurrentThread(), TOKEN_QUERY, TRUE, &token)) return true;
    token = nullptr;
    if (os.GetLastError() != ERROR_NO_TOKEN) return false;
    if (os.OpenProcessToken(os.GetCurrentProcess(), TOKEN_QUERY, &token)) return true;
    token = nullptr;
    return false;
  }
};

}  // namespace

bool IsAdministrator() {
  TokenProbe probe;
  Platform& os = probe.os;
  if (!probe.OpenToken()) return false;
  if (!os.AllocateAndInitializeSid(&SECURITY_NT_AUTHORITY, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                   DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0, &probe.admins)) {
    probe.admins = nullptr;
    throw SystemError("Winsys: Administrator-1");
  }
  DWORD size = 0;
  if (os.GetTokenInformation(probe.token, TokenGroups, nullptr, 0, &size) ||
      os.GetLastError() != ERROR_INSUFFICIENT_BUFFER)
    throw SystemError("Winsys: Administrator-2");
  // A DWORD-aligned zeroed buffer: the record holds pointers and counts.
  probe.groups.assign(size + alignof(TOKEN_GROUPS), 0);
  void* raw = probe.groups.data();
  std::size_t space = probe.groups.size();
  auto* list = static_cast<TOKEN_GROUPS*>(std::align(alignof(TOKEN_GROUPS), size, raw, space));
  if (!os.GetTokenInformation(probe.token, TokenGroups, list, size, &size))
    throw SystemError("Winsys: Administrator-3");
  const SID_AND_ATTRIBUTES* group = list->Groups;
  for (DWORD i = 0; i < list->GroupCount; ++i)
    if (os.EqualSid(group[i].Sid, probe.admins)) return true;
  return false;
}

}  // namespace winsys
