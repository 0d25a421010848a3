// The reporting conventions and the byte rules of the startup log; the log-dir-plain-prefix,
// jaws-*, start-* and message-box-* scenarios pin where the log goes and the reports of a run.
#include <gtest/gtest.h>

#include "tests/support/started_machine.h"
#include "winsys/log.h"

namespace {

using testing_support::Lines;

class LogTest : public testing_support::StartedMachineTest {};

TEST_F(LogTest, OnlyALastErrorWithSystemTextIsReportedAndLogged) {
  machine.config.logDir = "C:\\";
  Start();
  for (platform::DWORD code : {0u, 0xDEADu, 2u}) {
    platform::Current().SetLastError(code);
    winsys::ReportLastError("GetTempPath");
  }
  EXPECT_EQ(machine.Texts("box", "caption"), Lines{"Windows Error: GetTempPath"});
  EXPECT_EQ(Log(),
            Lines{"Windows Error (GetTempPath) The system cannot find the file specified. "});
}

TEST_F(LogTest, ARecordIsCutAt255Bytes) {
  const struct {
    std::size_t length;
    std::string tail;   // the last bytes written
    std::size_t bytes;  // how many bytes the record adds
  } cases[] = {{0, "old\r\n\r\n", 2}, {253, "x\r\n", 255}, {254, "xx\r", 255}, {300, "xxx", 255}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.length);
    machine.Write("c/Logs/Startup.Log", "old\r\n");
    Start();
    winsys::LogLine(std::string(c.length, 'x'));
    std::string file = machine.Read("c/Logs/Startup.Log");
    ASSERT_EQ(file.size(), 5 + c.bytes);
    EXPECT_EQ(file.substr(file.size() - c.tail.size()), c.tail);
  }
}

}  // namespace
