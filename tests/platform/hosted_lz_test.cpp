// The hosted LZ library through the simulated machine's file calls: opens with the flags
// the launcher passes, expansion of SZDD files, plain copies and the LZERROR_* answers.
#include "platform/hosted/lz/lz.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/faults/faults.h"
#include "tests/platform/szdd_stream.h"
#include "tests/support/machine_fixture.h"

namespace {

using namespace platform;

constexpr WORD kSourceStyle = OF_READ | OF_SHARE_DENY_WRITE;
constexpr WORD kTargetStyle = OF_CREATE | OF_SHARE_EXCLUSIVE | OF_WRITE;
const std::string kContent = "MZ set-up program, set-up program, set-up program";
const std::string kCompressed =
    testing_support::SzddStream(kContent.size()).Literal(kContent).bytes;

class HostedLz : public testing::Test {
 protected:
  // The machine with D:\SETUP.EX_ holding stored, the library over its file calls failed
  // as the rules say.
  void Start(const std::string& stored, std::vector<faults::Rule> rules = {}) {
    lz.reset();
    failing.reset();
    m.MakeDir("c/TEMP");
    m.Write("cd/SETUP.EX_", stored);
    failing = std::make_unique<faults::FaultPlatform>(m.Start(), std::move(rules));
    lz = std::make_unique<hosted::LzLibrary>(*failing);
  }
  INT Open(const char* name, WORD style) { return lz->LZOpenFileA(name, &info, style); }
  // Expands D:\SETUP.EX_ into C:\TEMP\SETUP.EXE as the launcher does.
  LONG ExpandSetup() {
    INT from = Open("D:\\SETUP.EX_", kSourceStyle);
    INT to = Open("C:\\TEMP\\SETUP.EXE", kTargetStyle);
    LONG result = lz->LZCopy(from, to);
    lz->LZClose(to);
    lz->LZClose(from);
    return result;
  }

  testing_support::TempMachine m;
  std::unique_ptr<faults::FaultPlatform> failing;
  std::unique_ptr<hosted::LzLibrary> lz;
  OFSTRUCT info{};
};

TEST_F(HostedLz, CopiesExpandOrFailWithTheirLzError) {
  const struct {
    const char* label;
    std::string stored;
    std::string written;  // what C:\TEMP\SETUP.EXE holds after a copy that succeeds
    LONG result;
    std::optional<std::uint64_t> freeBytes = std::nullopt;
    unsigned failingRead = 0;  // the nth ReadFile fails
  } cases[] = {
      {"compressed", kCompressed, kContent, LONG(kContent.size())},
      {"plain", kContent, kContent, LONG(kContent.size())},
      {"empty", "", "", 0},
      {"magic cut short", "SZDD\x88\xF0\x27", "SZDD\x88\xF0\x27", 7},
      {"damaged", testing_support::SzddStream(1000).Literal(kContent).bytes, "", LZERROR_READ},
      {"compressed, disk full", kCompressed, "", LZERROR_WRITE, 10},
      {"plain, disk full", kContent, "", LZERROR_WRITE, 10},
      {"compressed, read fails", kCompressed, "", LZERROR_READ, std::nullopt, 2},
      {"plain, read fails", kContent, "", LZERROR_READ, std::nullopt, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    // Longer than the short outputs, which must truncate it; with 10 free bytes and its own
    // 30 given back, still too little room for the content.
    m.Write("c/TEMP/SETUP.EXE", std::string(30, 'x'));
    m.config.freeBytes.erase('C');
    if (c.freeBytes) m.config.freeBytes['C'] = *c.freeBytes;
    std::vector<faults::Rule> rules;
    if (c.failingRead) rules.push_back({"ReadFile", c.failingRead, ERROR_NOT_READY});
    Start(c.stored, rules);
    EXPECT_EQ(ExpandSetup(), c.result);
    if (c.result >= 0) {
      EXPECT_EQ(m.Read("c/TEMP/SETUP.EXE"), c.written);
    }
  }
}

TEST_F(HostedLz, OpensFillTheRecordAndFallBackToTheCompressedName) {
  Start(kCompressed);
  EXPECT_GT(Open("D:\\SETUP.EX_", kSourceStyle), 0);
  EXPECT_EQ(info.cBytes, sizeof(OFSTRUCT));
  EXPECT_EQ(info.nErrCode, 0);
  EXPECT_STREQ(info.szPathName, "D:\\SETUP.EX_");
  EXPECT_EQ(Open("D:\\MISSING.EXE", kSourceStyle), LZERROR_BADINHANDLE);
  EXPECT_EQ(info.nErrCode, ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(Open("C:\\NO\\SETUP.EXE", kTargetStyle), LZERROR_BADINHANDLE);
  EXPECT_EQ(info.nErrCode, ERROR_PATH_NOT_FOUND);
  // An absent name is looked for under its compressed name, SETUP.EXE as SETUP.EX_.
  INT source = Open("D:\\SETUP.EXE", kSourceStyle);
  EXPECT_STREQ(info.szPathName, "D:\\SETUP.EX_");
  EXPECT_EQ(lz->LZCopy(source, Open("C:\\TEMP\\SETUP.EXE", kTargetStyle)), LONG(kContent.size()));
  std::string unknownMode = kCompressed;
  unknownMode[8] = 'B';
  Start(unknownMode);
  EXPECT_EQ(Open("D:\\SETUP.EX_", kSourceStyle), LZERROR_UNKNOWNALG);
}

TEST_F(HostedLz, HandlesAreTheLibrarysOwn) {
  Start(kContent);
  INT source = Open("D:\\SETUP.EX_", kSourceStyle);
  INT target = Open("C:\\TEMP\\SETUP.EXE", kTargetStyle);
  EXPECT_EQ(lz->LZCopy(source + target, target), LZERROR_BADINHANDLE);
  EXPECT_EQ(lz->LZCopy(source, source + target), LZERROR_BADOUTHANDLE);
  lz->LZClose(target);
  EXPECT_EQ(lz->LZCopy(source, target), LZERROR_BADOUTHANDLE);
}

TEST_F(HostedLz, OpensShareAsTheirFlagsSay) {
  Start(kContent);
  m.Write("c/TEMP/A", "a");
  auto opens = [&](DWORD access) {
    HANDLE file =
        m.Platform().CreateFileA("C:\\TEMP\\A", access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
    return file != INVALID_HANDLE_VALUE && m.Platform().CloseHandle(file);
  };
  INT target = Open("C:\\TEMP\\A", kTargetStyle);
  EXPECT_FALSE(opens(GENERIC_READ));
  lz->LZClose(target);
  EXPECT_TRUE(opens(GENERIC_READ));
  INT source = Open("C:\\TEMP\\A", kSourceStyle);
  EXPECT_TRUE(opens(GENERIC_READ));
  EXPECT_FALSE(opens(GENERIC_WRITE));
  lz->LZClose(source);
}

}  // namespace
