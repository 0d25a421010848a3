// The token and SID calls' contract as the administrator check uses them. The user's groups
// differ between machines, so only what holds for any user is checked.
#include <string>
#include <utility>
#include <vector>

#include "tests/platform/conformance.h"

namespace {

using namespace platform;
using conformance::kPoison;
using conformance::kPoisonByte;

constexpr SID_IDENTIFIER_AUTHORITY kWorldAuthority = {{0, 0, 0, 0, 0, 1}};

std::string Bytes(PSID sid) {
  const auto* bytes = static_cast<const char*>(sid);
  return std::string(bytes, 8 + 4 * static_cast<std::size_t>(static_cast<BYTE>(bytes[1])));
}

class ConformanceSecurity : public conformance::Test {
 protected:
  void TearDown() override {
    for (PSID sid : sids_) P().FreeSid(sid);
    if (token_) P().CloseHandle(token_);
    conformance::Test::TearDown();
  }

  // A SID of count sub-authorities (all of subs when count is 0) that the test frees.
  PSID Sid(const SID_IDENTIFIER_AUTHORITY& authority, std::vector<DWORD> subs, BYTE count = 0) {
    if (count == 0) count = static_cast<BYTE>(subs.size());
    subs.resize(8, 0);
    PSID sid = nullptr;
    EXPECT_TRUE(P().AllocateAndInitializeSid(&authority, count, subs[0], subs[1], subs[2], subs[3],
                                             subs[4], subs[5], subs[6], subs[7], &sid));
    sids_.push_back(sid);
    return sid;
  }

  // The token's groups read as the administrator check reads them: size first.
  std::vector<BYTE> Groups() {
    DWORD needed = kPoison;
    Poison();
    EXPECT_FALSE(P().GetTokenInformation(token_, TokenGroups, nullptr, 0, &needed));
    EXPECT_EQ(P().GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_GT(needed, sizeof(TOKEN_GROUPS));
    std::vector<BYTE> buffer(needed + 16, BYTE(kPoisonByte));
    DWORD second = kPoison;
    EXPECT_TRUE(P().GetTokenInformation(token_, TokenGroups, buffer.data(), needed, &second));
    EXPECT_EQ(second, needed);
    EXPECT_EQ(buffer[needed], BYTE(kPoisonByte)) << "nothing written past the size";
    buffer.resize(needed);
    return buffer;
  }

  std::vector<PSID> sids_;
  HANDLE token_ = nullptr;
};

// The groups are sized, then read, as the administrator check reads them. It looks for a
// group equal to S-1-5-32-544: EqualSid must agree with the bytes for every group of the real
// token.
TEST_F(ConformanceSecurity, TokenGroupsAreSizedThenReadConsistently) {
  PSID admins = Sid(SECURITY_NT_AUTHORITY, {SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS});
  ASSERT_TRUE(P().OpenProcessToken(P().GetCurrentProcess(), TOKEN_QUERY, &token_));
  std::vector<BYTE> buffer = Groups();
  const auto* list = reinterpret_cast<const TOKEN_GROUPS*>(buffer.data());
  ASSERT_GT(list->GroupCount, 0u);
  const BYTE* end = buffer.data() + buffer.size();
  const BYTE* sids = reinterpret_cast<const BYTE*>(list->Groups + list->GroupCount);
  for (DWORD i = 0; i < list->GroupCount; ++i) {
    PSID group = list->Groups[i].Sid;
    const auto* sid = static_cast<const BYTE*>(group);
    ASSERT_TRUE(sid >= sids && sid + 8 <= end) << "the SIDs follow the array, in the buffer";
    EXPECT_EQ(sid[0], 1) << "revision";
    EXPECT_LE(sid + 8 + 4 * sid[1], end);
    Poison();
    bool equal = P().EqualSid(group, admins);
    EXPECT_EQ(P().GetLastError(), ERROR_SUCCESS);
    EXPECT_EQ(equal, Bytes(group) == Bytes(admins)) << i;
  }
}

// The administrator check's SID: a sub-authority beyond the count is left out.
TEST_F(ConformanceSecurity, SidsAreLaidOutAsWindowsDoes) {
  EXPECT_EQ(Bytes(Sid(SECURITY_NT_AUTHORITY, {32, 544, 7}, 2)),
            std::string("\1\2\0\0\0\0\0\5\x20\0\0\0\x20\2\0\0", 16));
}

TEST_F(ConformanceSecurity, EqualSidComparesEveryByteAndClearsTheLastError) {
  PSID admins = Sid(SECURITY_NT_AUTHORITY, {32, 544});
  const std::pair<PSID, BOOL> cases[] = {
      {Sid(SECURITY_NT_AUTHORITY, {32, 544}), TRUE},
      {Sid(SECURITY_NT_AUTHORITY, {32, 545}), FALSE},
      {Sid(SECURITY_NT_AUTHORITY, {32}), FALSE},
      {Sid(SECURITY_NT_AUTHORITY, {32, 544, 0}), FALSE},
      {Sid(kWorldAuthority, {32, 544}), FALSE},
  };
  for (const auto& [other, equal] : cases) {
    Poison();
    EXPECT_EQ(P().EqualSid(admins, other), equal) << Bytes(other).size();
    EXPECT_EQ(P().GetLastError(), ERROR_SUCCESS);
  }
}

}  // namespace
