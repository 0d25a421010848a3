// The hosted LZ library's answer to a failing read below it, which neither Windows nor a
// whole run brings about (a full disk: the *-disk-full scenarios).
#include "platform/hosted/lz/lz.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/faults/faults.h"
#include "tests/platform/szdd_stream.h"
#include "tests/support/machine_fixture.h"

namespace {

using namespace platform;

TEST(HostedLz, AFailingReadFailsTheCopy) {
  const std::string content = "MZ set-up program, set-up program, set-up program";
  for (const std::string& stored :
       {content, testing_support::SzddStream(content.size()).Literal(content).bytes}) {
    testing_support::TempMachine m;
    m.MakeDir("c/TEMP");
    m.Write("cd/SETUP.EX_", stored);
    faults::FaultPlatform failing(m.Start(), {{"ReadFile", 2, ERROR_NOT_READY}});
    hosted::LzLibrary lz(failing);
    OFSTRUCT info{};
    INT from = lz.LZOpenFileA("D:\\SETUP.EX_", &info, OF_READ | OF_SHARE_DENY_WRITE);
    INT to =
        lz.LZOpenFileA("C:\\TEMP\\SETUP.EXE", &info, OF_CREATE | OF_SHARE_EXCLUSIVE | OF_WRITE);
    EXPECT_EQ(lz.LZCopy(from, to), LZERROR_READ) << stored.size();
    lz.LZClose(to);
    lz.LZClose(from);
  }
}

}  // namespace
