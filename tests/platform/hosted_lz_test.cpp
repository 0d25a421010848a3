// The hosted LZ library's answers to failures of the file calls below it and to handles
// that are not its own: what the conformance tests cannot bring about on Windows.
#include "platform/hosted/lz/lz.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/faults/faults.h"
#include "tests/platform/szdd_stream.h"
#include "tests/support/machine_fixture.h"

namespace {

using namespace platform;

TEST(HostedLz, CopiesFailWithTheirLzErrorAndBadHandlesAreRefused) {
  const std::string content = "MZ set-up program, set-up program, set-up program";
  const std::string compressed = testing_support::SzddStream(content.size()).Literal(content).bytes;
  const struct {
    const char* label;
    std::string stored;
    LONG result;
    std::optional<std::uint64_t> freeBytes;
    unsigned failingRead = 0;  // the nth ReadFile fails
  } cases[] = {
      {"magic cut short: a plain file", "SZDD\x88\xF0\x27", 7, std::nullopt},
      {"compressed, disk full", compressed, LZERROR_WRITE, 10},
      {"plain, disk full", content, LZERROR_WRITE, 10},
      {"compressed, read fails", compressed, LZERROR_READ, std::nullopt, 2},
      {"plain, read fails", content, LZERROR_READ, std::nullopt, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    testing_support::TempMachine m;
    // Its own 30 bytes given back, still too little room for the content.
    m.Write("c/TEMP/SETUP.EXE", std::string(30, 'x'));
    m.Write("cd/SETUP.EX_", c.stored);
    if (c.freeBytes) m.config.freeBytes['C'] = *c.freeBytes;
    std::vector<faults::Rule> rules;
    if (c.failingRead) rules.push_back({"ReadFile", c.failingRead, ERROR_NOT_READY});
    faults::FaultPlatform failing(m.Start(), rules);
    hosted::LzLibrary lz(failing);
    OFSTRUCT info{};
    INT from = lz.LZOpenFileA("D:\\SETUP.EX_", &info, OF_READ | OF_SHARE_DENY_WRITE);
    INT to =
        lz.LZOpenFileA("C:\\TEMP\\SETUP.EXE", &info, OF_CREATE | OF_SHARE_EXCLUSIVE | OF_WRITE);
    EXPECT_EQ(lz.LZCopy(from + to, to), LZERROR_BADINHANDLE);
    EXPECT_EQ(lz.LZCopy(from, from + to), LZERROR_BADOUTHANDLE);
    EXPECT_EQ(lz.LZCopy(from, to), c.result);
    if (c.result >= 0) {
      EXPECT_EQ(m.Read("c/TEMP/SETUP.EXE"), c.stored);
    }
    lz.LZClose(to);
    EXPECT_EQ(lz.LZCopy(from, to), LZERROR_BADOUTHANDLE) << "closed";
    lz.LZClose(from);
  }
}

}  // namespace
