// The reporting conventions and the byte rules of the startup log; the log-dir-plain-prefix
// and jaws-* scenarios pin where the log goes and that it is never created.
#include <gtest/gtest.h>

#include "tests/support/started_machine.h"
#include "winsys/log.h"

namespace {

using testing_support::Lines;

class LogTest : public testing_support::StartedMachineTest {
 protected:
  Lines Captions() const { return machine.Texts("box", "caption"); }
};

TEST_F(LogTest, OnlyALastErrorWithSystemTextIsReportedAndLogged) {
  machine.config.logDir = "C:\\";
  Start();
  for (platform::DWORD code : {0u, 0xDEADu, 2u}) {
    platform::Current().SetLastError(code);
    winsys::ReportLastError("GetTempPath");
  }
  ASSERT_EQ(Captions(), Lines{"Windows Error: GetTempPath"});
  EXPECT_EQ(machine.Texts("box", "text"), Lines{"The system cannot find the file specified. "});
  EXPECT_EQ(Log(),
            Lines{"Windows Error (GetTempPath) The system cannot find the file specified. "});
}

TEST_F(LogTest, AFailingBoxIsReportedOnceAndNeverLoops) {
  for (unsigned nth : {1u, 0u}) {
    SCOPED_TRACE(nth);
    machine.transcript = {};
    Start("", {{"MessageBoxA", nth, platform::ERROR_INVALID_WINDOW_HANDLE}});
    EXPECT_EQ(winsys::SafeMessageBox(nullptr, "text", "Setup Error", 0), 0);
    // Every box failing: the report's own box fails too and is not reported again.
    EXPECT_EQ(Captions(), nth == 1 ? Lines{"Windows Error: MessageBox"} : Lines{});
  }
}

// Answers with a result and an error left behind, so only the result decides the report.
class StartLeavingAnError : public faults::FaultPlatform {
 public:
  StartLeavingAnError(platform::Platform& inner, platform::UINT result)
      : FaultPlatform(inner, {}), result_(result) {}
  platform::UINT WinExec(const char*, platform::UINT) override {
    SetLastError(platform::ERROR_ACCESS_DENIED);
    return result_;
  }

 private:
  platform::UINT result_;
};

TEST_F(LogTest, OnlyStartResultsBelow32AreReported) {
  Start();
  for (platform::UINT result : {31u, 32u}) {
    StartLeavingAnError starting(machine.Platform(), result);
    platform::ScopedPlatform installed(starting);
    EXPECT_EQ(winsys::RunProgram("C:\\X.EXE", 1), result);
  }
  EXPECT_EQ(Captions(), Lines{"Windows Error: WinExec"});
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
