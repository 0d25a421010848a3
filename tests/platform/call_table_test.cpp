// The call table as data: what a call made to fail answers (the conformance tests check how
// each call tells a failure against the real calls), and how the trace names flags and codes.
#include <gtest/gtest.h>

#include "platform/call_table.h"
#include "platform/trace/describe.h"

namespace {

using namespace platform;

TEST(CallTable, EachKindOfCallTellsAndAnswersAFailureByItsConvention) {
  const struct {
    const char* call;
    std::int64_t success, failure;  // a result of each kind
    DWORD error;
    std::int64_t failedAnswer;  // what a call failed with that error answers
  } cases[] = {
      {"CreateFileA", 0x40, Bits(INVALID_HANDLE_VALUE), ERROR_ACCESS_DENIED,
       Bits(INVALID_HANDLE_VALUE)},
      {"RegOpenKeyExA", 0, ERROR_FILE_NOT_FOUND, ERROR_ACCESS_DENIED, ERROR_ACCESS_DENIED},
      {"WinExec", 33, 2, ERROR_FILE_NOT_FOUND, ERROR_FILE_NOT_FOUND},
      {"WinExec", 32, 31, ERROR_ACCESS_DENIED, ERROR_ACCESS_DENIED},
      {"WinExec", 33, 0, ERROR_DISK_FULL, 0},  // an error that is no start code
      {"LZCopy", 0, LZERROR_WRITE, ERROR_ACCESS_DENIED, LZERROR_READ},
      {"GetDriveTypeA", DRIVE_REMOVABLE, DRIVE_UNKNOWN, ERROR_NOT_READY, DRIVE_NO_ROOT_DIR},
      {"GetFileSize", 0, INVALID_FILE_SIZE, ERROR_ACCESS_DENIED, INVALID_FILE_SIZE},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.call);
    const CallInfo* call = FindCall(c.call);
    ASSERT_NE(call, nullptr);
    EXPECT_FALSE(call->Failed(c.success));
    EXPECT_TRUE(call->Failed(c.failure));
    EXPECT_EQ(call->FailureResult(c.error), c.failedAnswer);
  }
}

TEST(CallTable, ValuesAreNamedWithinTheirGroup) {
  const struct {
    Group group;
    std::int64_t value;
    const char* name;
  } cases[] = {
      {Group::RegSam, KEY_ALL_ACCESS, "KEY_ALL_ACCESS"},
      {Group::FileShare, FILE_SHARE_READ | FILE_SHARE_WRITE, "FILE_SHARE_WRITE|FILE_SHARE_READ"},
      {Group::FileAccess, GENERIC_READ | GENERIC_WRITE, "GENERIC_READ|GENERIC_WRITE"},
      {Group::FormatFlags,
       FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_MAX_WIDTH_MASK,
       "FORMAT_MESSAGE_FROM_SYSTEM|FORMAT_MESSAGE_IGNORE_INSERTS|FORMAT_MESSAGE_MAX_WIDTH_MASK"},
      {Group::DriveType, DRIVE_CDROM, "DRIVE_CDROM"},
      {Group::FileShare, 0x10, ""},  // a bit the group does not name
      {Group::Disposition, 9, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(NameInGroup(c.group, c.value), c.name) << c.value;
  EXPECT_EQ(ErrorName(ERROR_ACCESS_DENIED), "ERROR_ACCESS_DENIED");
  EXPECT_EQ(ErrorName(99999), "");
}

TEST(Trace, ShowsTextsAndBytesOnOneLineAndTimesAsUtc) {
  EXPECT_EQ(trace::Text("C:\\a \"b\"\r\n"), "\"C:\\a \\\"b\\\"\\r\\n\"");
  EXPECT_EQ(trace::Text("abc\0def", 7), "\"abc\"") << "a buffer's text ends at its NUL";
  EXPECT_EQ(trace::Bytes("\x01\xFFZ", 3), "\"\\x01\xFFZ\"");
  EXPECT_EQ(trace::Bytes(std::string(70, 'x').data(), 70), "\"" + std::string(64, 'x') + "\"...");
  // 2000-01-02 03:04:05 UTC.
  FILETIME time{0x072C4080u, 0x01BF54CEu};
  EXPECT_EQ(trace::Time(time), "2000-01-02 03:04:05");
}

}  // namespace
