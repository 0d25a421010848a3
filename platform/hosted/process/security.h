// The simulated machine's access tokens and security identifiers.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <vector>

#include "platform/hosted/process/config.h"

namespace hosted {

class Security {
 public:
  explicit Security(const ProcessConfig& config) : config_(config) {}
  ~Security();

  // The calls below behave as the Platform members of the same names.
  BOOL OpenThreadToken(HANDLE thread, DWORD access, BOOL openAsSelf, HANDLE* token);
  BOOL OpenProcessToken(HANDLE process, DWORD access, HANDLE* token);
  BOOL GetTokenInformation(HANDLE token, int infoClass, void* info, DWORD size, DWORD* needed);
  HANDLE GetCurrentThread();
  HANDLE GetCurrentProcess();
  BOOL CloseToken(HANDLE token);
  bool OwnsHandle(HANDLE handle) const { return tokens_.count(handle) != 0; }
  BOOL AllocateAndInitializeSid(const SID_IDENTIFIER_AUTHORITY* authority, BYTE count, DWORD sub0,
                                DWORD sub1, DWORD sub2, DWORD sub3, DWORD sub4, DWORD sub5,
                                DWORD sub6, DWORD sub7, PSID* sid);
  BOOL EqualSid(PSID a, PSID b);
  PSID FreeSid(PSID sid);

 private:
  HANDLE NewToken(DWORD access);

  const ProcessConfig& config_;
  std::map<HANDLE, DWORD> tokens_;  // handle -> access granted
  std::uintptr_t nextToken_ = 0x7FFF0000;
  std::set<void*> sids_;
};

}  // namespace hosted
