// The reporting conventions and the byte rules of the startup log.
#include <gtest/gtest.h>

#include "tests/support/machine_fixture.h"
#include "winsys/log.h"
#include "winsys/winsys.h"

namespace {

using testing_support::TempMachine;

// The module started on a machine, as the entry starts it, and shut down at the end.
class WinsysTest : public ::testing::Test {
 protected:
  void Start(std::vector<faults::Rule> rules = {}) {
    machine.Start();
    failing = std::make_unique<faults::FaultPlatform>(machine.Platform(), std::move(rules));
    installed = std::make_unique<platform::ScopedPlatform>(*failing);
    winsys::WinsysStartup(shutdown);
  }
  void TearDown() override {
    for (auto step : shutdown) step();
  }
  std::vector<hosted::Event> Boxes() const { return machine.Events("box"); }

  TempMachine machine;
  std::unique_ptr<faults::FaultPlatform> failing;
  std::unique_ptr<platform::ScopedPlatform> installed;
  std::vector<winsys::ShutdownStep> shutdown;
};

TEST_F(WinsysTest, NoReportForLastErrorZero) {
  Start();
  platform::Current().SetLastError(0);
  winsys::ReportLastError("WinExec");
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(WinsysTest, AReportShowsAndLogsTheSystemText) {
  machine.config.logDir = "C:\\";
  Start();
  platform::Current().SetLastError(2);
  winsys::ReportLastError("GetTempPath");
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].Find("caption")->text, "Windows Error: GetTempPath");
  EXPECT_EQ(Boxes()[0].Find("text")->text, "The system cannot find the file specified. ");
  EXPECT_EQ(Boxes()[0].Find("style")->number, 0);
  EXPECT_EQ(*winsys::Winsys().logList,
            std::vector<std::string>{
                "Windows Error (GetTempPath) The system cannot find the file specified. "});
}

TEST_F(WinsysTest, ACodeWithoutTextIsNotReported) {
  Start();
  platform::Current().SetLastError(0xDEAD);
  winsys::ReportLastError("WinExec");
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(WinsysTest, AFailingBoxIsReportedExactlyOnce) {
  Start({{"MessageBoxA", 1, platform::ERROR_INVALID_WINDOW_HANDLE}});
  EXPECT_EQ(winsys::SafeMessageBox(nullptr, "text", "Setup Error", 0), 0);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].Find("caption")->text, "Windows Error: MessageBox");
}

TEST_F(WinsysTest, BoxesThatAllFailNeverLoop) {
  Start({{"MessageBoxA", 0, platform::ERROR_INVALID_WINDOW_HANDLE}});
  EXPECT_EQ(winsys::SafeMessageBox(nullptr, "text", "Setup Error", 0), 0);
  EXPECT_TRUE(Boxes().empty());
}

struct StartCase {
  unsigned result;
  bool reported;
};

class RunProgramTest : public WinsysTest, public ::testing::WithParamInterface<StartCase> {};

TEST_P(RunProgramTest, ReportsFailureCodesOnly) {
  machine.config.execResult = GetParam().result;
  Start();
  EXPECT_EQ(winsys::RunProgram("C:\\X.EXE", 1), GetParam().result);
  EXPECT_EQ(Boxes().size(), GetParam().reported ? 1u : 0u);
  if (GetParam().reported) {
    EXPECT_EQ(Boxes()[0].Find("caption")->text, "Windows Error: WinExec");
  }
}

INSTANTIATE_TEST_SUITE_P(Codes, RunProgramTest,
                         ::testing::Values(StartCase{2, true}, StartCase{31, true},
                                           StartCase{32, false}, StartCase{33, false}));

struct RecordCase {
  std::size_t length;
  std::string tail;   // the last bytes written
  std::size_t bytes;  // how many bytes the record adds
};

class LogRecordTest : public WinsysTest, public ::testing::WithParamInterface<RecordCase> {};

TEST_P(LogRecordTest, CutsTheRecordAt255Bytes) {
  machine.Write("c/Logs/Startup.Log", "old\r\n");
  machine.config.logDir = "C:\\Logs\\";
  Start();
  winsys::LogLine(std::string(GetParam().length, 'x'));
  std::string file = machine.Read("c/Logs/Startup.Log");
  ASSERT_EQ(file.size(), 5 + GetParam().bytes);
  EXPECT_EQ(file.substr(file.size() - GetParam().tail.size()), GetParam().tail);
}

INSTANTIATE_TEST_SUITE_P(Lengths, LogRecordTest,
                         ::testing::Values(RecordCase{0, "old\r\n\r\n", 2},
                                           RecordCase{253, "x\r\n", 255},
                                           RecordCase{254, "xx\r", 255},
                                           RecordCase{300, "xxx", 255}));

TEST_F(WinsysTest, TheLogDirectoryIsAPlainPrefix) {
  machine.Write("c/LogsStartup.Log", "");
  machine.config.logDir = "C:\\Logs";
  Start();
  winsys::LogLine("line");
  EXPECT_EQ(machine.Read("c/LogsStartup.Log"), "line\r\n");
}

TEST_F(WinsysTest, AMissingLogFileIsNeverCreated) {
  machine.config.logDir = "C:\\Logs\\";
  machine.MakeDir("c/Logs");
  Start();
  winsys::LogLine("line");
  EXPECT_EQ(*winsys::Winsys().logList, std::vector<std::string>{"line"});
  EXPECT_TRUE(machine.Platform().Files().Changes().empty());
}

TEST_F(WinsysTest, WithoutALogDirectoryTheLogIsInert) {
  machine.Write("c/Startup.Log", "");
  Start();
  winsys::LogLine("line");
  EXPECT_TRUE(winsys::Winsys().logList->empty());
  EXPECT_EQ(machine.Read("c/Startup.Log"), "");
}

}  // namespace
