// The hosted LZ library through the simulated machine's file calls: opens with the flags
// the launcher passes, expansion of SZDD files, plain copies and the LZERROR_* answers.
#include "platform/hosted/lz.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/faults/faults.h"
#include "tests/support/machine_fixture.h"

namespace {

using namespace platform;

constexpr WORD kSourceStyle = OF_READ | OF_SHARE_DENY_WRITE;
constexpr WORD kTargetStyle = OF_CREATE | OF_SHARE_EXCLUSIVE | OF_WRITE;
const std::string kContent = "MZ set-up program, set-up program, set-up program";

class HostedLz : public testing::Test {
 protected:
  HostedLz() { machine.MakeDir("c/TEMP"); }
  INT Open(const char* name, WORD style) { return lz().LZOpenFileA(name, &info, style); }
  // Starts the machine at first use, after the test has set its configuration.
  Platform& Files() {
    if (!files) files = &machine.Start();
    return *files;
  }
  hosted::LzLibrary& lz() {
    if (!library) library = std::make_unique<hosted::LzLibrary>(Files());
    return *library;
  }
  // Expands D:\SETUP.EX_ into C:\TEMP\SETUP.EXE as the launcher does.
  LONG ExpandSetup() {
    INT source = Open("D:\\SETUP.EX_", kSourceStyle);
    INT target = Open("C:\\TEMP\\SETUP.EXE", kTargetStyle);
    LONG result = lz().LZCopy(source, target);
    lz().LZClose(target);
    lz().LZClose(source);
    return result;
  }

  testing_support::TempMachine machine;
  Platform* files = nullptr;
  std::unique_ptr<hosted::LzLibrary> library;
  OFSTRUCT info{};
};

// An SZDD file of literals only, claiming the given expanded length.
std::string Stream(std::uint32_t length, const std::string& literals) {
  std::string bytes = {'S', 'Z', 'D', 'D', '\x88', '\xF0', '\x27', '\x33', 'A', '\0'};
  for (int shift = 0; shift < 32; shift += 8) bytes.push_back(char(length >> shift));
  for (std::size_t i = 0; i < literals.size(); i += 8) {
    bytes.push_back(char(0xFF));
    bytes += literals.substr(i, 8);
  }
  return bytes;
}

TEST_F(HostedLz, ExpandsACompressedSourceAndCopiesAPlainOne) {
  const std::pair<std::string, std::string> cases[] = {
      {Stream(std::uint32_t(kContent.size()), kContent), kContent},
      {kContent, kContent},
      {"", ""},
      {"SZDD\x88\xF0\x27", "SZDD\x88\xF0\x27"}};
  for (const auto& [stored, expanded] : cases) {
    machine.Write("cd/SETUP.EX_", stored);
    machine.Write("c/TEMP/SETUP.EXE", std::string(500, 'x'));  // longer: must be truncated
    EXPECT_EQ(ExpandSetup(), LONG(expanded.size()));
    EXPECT_EQ(machine.Read("c/TEMP/SETUP.EXE"), expanded);
  }
}

TEST_F(HostedLz, FillsTheOpenRecord) {
  machine.Write("cd/SETUP.EX_", kContent);
  EXPECT_GT(Open("D:\\SETUP.EX_", kSourceStyle), 0);
  EXPECT_EQ(info.cBytes, sizeof(OFSTRUCT));
  EXPECT_EQ(info.nErrCode, 0);
  EXPECT_STREQ(info.szPathName, "D:\\SETUP.EX_");
  EXPECT_EQ(Open("D:\\MISSING.EXE", kSourceStyle), LZERROR_BADINHANDLE);
  EXPECT_EQ(info.nErrCode, ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(Open("C:\\NO\\SETUP.EXE", kTargetStyle), LZERROR_BADINHANDLE);
  EXPECT_EQ(info.nErrCode, ERROR_PATH_NOT_FOUND);
}

TEST_F(HostedLz, AnAbsentNameFallsBackToItsCompressedName) {
  machine.Write("cd/SETUP.EX_", Stream(std::uint32_t(kContent.size()), kContent));
  INT source = Open("D:\\SETUP.EXE", kSourceStyle);
  EXPECT_STREQ(info.szPathName, "D:\\SETUP.EX_");
  INT target = Open("C:\\TEMP\\SETUP.EXE", kTargetStyle);
  EXPECT_EQ(lz().LZCopy(source, target), LONG(kContent.size()));
}

TEST_F(HostedLz, AnUnknownModeIsTheHandleValue) {
  std::string stored = Stream(3, "abc");
  stored[8] = 'B';
  machine.Write("cd/SETUP.EX_", stored);
  EXPECT_EQ(Open("D:\\SETUP.EX_", kSourceStyle), LZERROR_UNKNOWNALG);
}

TEST_F(HostedLz, ADamagedSourceIsAReadError) {
  machine.Write("cd/SETUP.EX_", Stream(1000, kContent));
  EXPECT_EQ(ExpandSetup(), LZERROR_READ);
}

TEST_F(HostedLz, AShortWriteIsAWriteError) {
  machine.config.freeBytes['C'] = 10;
  machine.Write("cd/SETUP.EX_", Stream(std::uint32_t(kContent.size()), kContent));
  EXPECT_EQ(ExpandSetup(), LZERROR_WRITE);
}

TEST_F(HostedLz, AFailedReadIsAReadError) {
  machine.Write("cd/SETUP.EX_", kContent);
  faults::FaultPlatform failing(Files(), {{"ReadFile", 2, ERROR_NOT_READY}});
  hosted::LzLibrary faulty(failing);
  INT source = faulty.LZOpenFileA("D:\\SETUP.EX_", &info, kSourceStyle);
  INT target = faulty.LZOpenFileA("C:\\TEMP\\SETUP.EXE", &info, kTargetStyle);
  EXPECT_EQ(faulty.LZCopy(source, target), LZERROR_READ);
}

TEST_F(HostedLz, HandlesAreTheLibrarysOwn) {
  machine.Write("cd/SETUP.EX_", kContent);
  INT source = Open("D:\\SETUP.EX_", kSourceStyle);
  INT target = Open("C:\\TEMP\\SETUP.EXE", kTargetStyle);
  EXPECT_EQ(lz().LZCopy(source + target, target), LZERROR_BADINHANDLE);
  EXPECT_EQ(lz().LZCopy(source, source + target), LZERROR_BADOUTHANDLE);
  lz().LZClose(target);
  EXPECT_EQ(lz().LZCopy(source, target), LZERROR_BADOUTHANDLE);
}

TEST_F(HostedLz, OpensShareAsTheirFlagsSay) {
  machine.Write("cd/SETUP.EX_", kContent);
  machine.Write("c/TEMP/A", "a");
  auto opens = [&](const char* name, DWORD access) {
    HANDLE file = Files().CreateFileA(name, access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
    return file != INVALID_HANDLE_VALUE && Files().CloseHandle(file);
  };
  INT target = Open("C:\\TEMP\\A", kTargetStyle);
  EXPECT_FALSE(opens("C:\\TEMP\\A", GENERIC_READ));
  lz().LZClose(target);
  EXPECT_TRUE(opens("C:\\TEMP\\A", GENERIC_READ));
  INT source = Open("C:\\TEMP\\A", kSourceStyle);
  EXPECT_TRUE(opens("C:\\TEMP\\A", GENERIC_READ));
  EXPECT_FALSE(opens("C:\\TEMP\\A", GENERIC_WRITE));
  lz().LZClose(source);
}

}  // namespace
