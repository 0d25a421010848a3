#include "platform/hosted/process/security.h"

#include <cstring>

#include "platform/hosted/last_error.h"

namespace hosted {

namespace {

HANDLE const kCurrentProcess = reinterpret_cast<HANDLE>(~std::uintptr_t{0});
HANDLE const kCurrentThread = reinterpret_cast<HANDLE>(~std::uintptr_t{1});

// A SID as Windows lays it out: revision, count, six authority bytes, sub-authorities.
std::vector<BYTE> MakeSid(const BYTE (&authority)[6], std::initializer_list<DWORD> subs) {
  std::vector<BYTE> sid(8 + 4 * subs.size());
  sid[0] = 1;
  sid[1] = static_cast<BYTE>(subs.size());
  std::memcpy(&sid[2], authority, 6);
  std::size_t at = 8;
  for (DWORD sub : subs) {
    std::memcpy(&sid[at], &sub, 4);
    at += 4;
  }
  return sid;
}

std::size_t SidSize(PSID sid) { return 8 + 4 * static_cast<const BYTE*>(sid)[1]; }

struct Group {
  std::vector<BYTE> sid;
  DWORD attributes;
};

std::vector<Group> TokenGroupsOf(const ProcessConfig& config) {
  constexpr DWORD kOn = SE_GROUP_MANDATORY | SE_GROUP_ENABLED_BY_DEFAULT | SE_GROUP_ENABLED;
  const BYTE world[6] = {0, 0, 0, 0, 0, 1};
  const BYTE nt[6] = {0, 0, 0, 0, 0, 5};
  std::vector<Group> groups = {{MakeSid(world, {0}), kOn}};
  if (config.userAdmin) {
    groups.push_back({MakeSid(nt, {SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS}),
                      config.userAdminDenyOnly ? SE_GROUP_USE_FOR_DENY_ONLY : kOn});
  }
  groups.push_back({MakeSid(nt, {SECURITY_BUILTIN_DOMAIN_RID, 545}), kOn});
  groups.push_back({MakeSid(nt, {11}), kOn});
  return groups;
}

}  // namespace

Security::~Security() {
  for (void* sid : sids_) delete[] static_cast<BYTE*>(sid);
}

HANDLE Security::NewToken(DWORD access) {
  HANDLE handle = reinterpret_cast<HANDLE>(nextToken_);
  nextToken_ += 4;
  tokens_[handle] = access;
  return handle;
}

HANDLE Security::GetCurrentThread() { return kCurrentThread; }

HANDLE Security::GetCurrentProcess() { return kCurrentProcess; }

BOOL Security::OpenThreadToken(HANDLE thread, DWORD access, BOOL, HANDLE* token) {
  if (thread != kCurrentThread || !token) return Fail(ERROR_INVALID_HANDLE, FALSE);
  if (!config_.userImpersonating) return Fail(ERROR_NO_TOKEN, FALSE);
  *token = NewToken(access);
  return TRUE;
}

BOOL Security::OpenProcessToken(HANDLE process, DWORD access, HANDLE* token) {
  if (process != kCurrentProcess || !token) return Fail(ERROR_INVALID_HANDLE, FALSE);
  *token = NewToken(access);
  return TRUE;
}

BOOL Security::GetTokenInformation(HANDLE token, int infoClass, void* info, DWORD size,
                                   DWORD* needed) {
  auto found = tokens_.find(token);
  if (found == tokens_.end()) return Fail(ERROR_INVALID_HANDLE, FALSE);
  if (!(found->second & TOKEN_QUERY)) return Fail(ERROR_ACCESS_DENIED, FALSE);
  if (infoClass != TokenGroups || !needed) return Fail(ERROR_INVALID_PARAMETER, FALSE);
  auto groups = TokenGroupsOf(config_);
  // The group array, then the SIDs it points at, in one buffer as Windows returns them.
  std::size_t header = offsetof(TOKEN_GROUPS, Groups) + groups.size() * sizeof(SID_AND_ATTRIBUTES);
  std::size_t total = header;
  for (const auto& group : groups) total += group.sid.size();
  *needed = static_cast<DWORD>(total);
  if (size < total || !info) return Fail(ERROR_INSUFFICIENT_BUFFER, FALSE);
  auto* bytes = static_cast<BYTE*>(info);
  auto* list = static_cast<TOKEN_GROUPS*>(info);
  list->GroupCount = static_cast<DWORD>(groups.size());
  std::size_t at = header;
  for (std::size_t i = 0; i < groups.size(); ++i) {
    std::memcpy(bytes + at, groups[i].sid.data(), groups[i].sid.size());
    list->Groups[i].Sid = bytes + at;
    list->Groups[i].Attributes = groups[i].attributes;
    at += groups[i].sid.size();
  }
  return TRUE;
}

BOOL Security::CloseToken(HANDLE token) {
  if (tokens_.erase(token) == 0) return Fail(ERROR_INVALID_HANDLE, FALSE);
  return TRUE;
}

BOOL Security::AllocateAndInitializeSid(const SID_IDENTIFIER_AUTHORITY* authority, BYTE count,
                                        DWORD sub0, DWORD sub1, DWORD sub2, DWORD sub3, DWORD sub4,
                                        DWORD sub5, DWORD sub6, DWORD sub7, PSID* sid) {
  if (!authority || !sid || count == 0) return Fail(ERROR_INVALID_PARAMETER, FALSE);
  if (count > 8) return Fail(ERROR_INVALID_SID, FALSE);
  const DWORD subs[8] = {sub0, sub1, sub2, sub3, sub4, sub5, sub6, sub7};
  auto* bytes = new BYTE[8 + 4 * count];
  bytes[0] = 1;
  bytes[1] = count;
  std::memcpy(bytes + 2, authority->Value, 6);
  std::memcpy(bytes + 8, subs, 4u * count);
  sids_.insert(bytes);
  *sid = bytes;
  return TRUE;
}

BOOL Security::EqualSid(PSID a, PSID b) {
  if (!a || !b) return Fail(ERROR_INVALID_PARAMETER, FALSE);
  ThreadLastError() = ERROR_SUCCESS;
  return SidSize(a) == SidSize(b) && std::memcmp(a, b, SidSize(a)) == 0;
}

PSID Security::FreeSid(PSID sid) {
  if (sids_.erase(sid)) delete[] static_cast<BYTE*>(sid);
  return nullptr;
}

}  // namespace hosted
