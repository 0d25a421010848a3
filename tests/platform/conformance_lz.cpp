// The LZ expansion calls' contract, opened with the styles the launcher's expanding copy
// passes: the same file runs against the simulated machine and against LZ32.
#include <string>

#include "tests/platform/conformance.h"
#include "tests/platform/szdd_stream.h"

namespace {

using namespace platform;
using conformance::kPoison;

constexpr WORD kSourceStyle = OF_READ | OF_SHARE_DENY_WRITE;
constexpr WORD kTargetStyle = OF_CREATE | OF_SHARE_EXCLUSIVE | OF_WRITE;
const std::string kContent("MZ set-up program, set-up program, set-up program\r\n\0\xFF", 53);
// The repeats as matches into the ring, whose filling starts 16 bytes before its end.
constexpr unsigned kRepeated = 4096 - 16 + 3;  // "set-up program, " at offset 3
const std::string kCompressed = testing_support::SzddStream(kContent.size())
                                    .Literal(kContent.substr(0, 19))
                                    .Match(kRepeated, 16)
                                    .Match(kRepeated, 14)
                                    .Literal(kContent.substr(49))
                                    .bytes;

class ConformanceLz : public conformance::Test {
 protected:
  // The launcher's expanding copy from stored into out.bin; the copy's answer, the last
  // error poisoned before it.
  LONG Copy(const std::string& stored, DWORD* error = nullptr) {
    MakeFile("in.bi_", stored);
    OFSTRUCT info{};
    INT from = P().LZOpenFileA(Path("in.bi_").c_str(), &info, kSourceStyle);
    INT to = P().LZOpenFileA(Path("out.bin").c_str(), &info, kTargetStyle);
    EXPECT_GE(from, 0);
    EXPECT_GE(to, 0);
    Poison();
    LONG copied = P().LZCopy(from, to);
    if (error) *error = P().GetLastError();
    P().LZClose(to);
    P().LZClose(from);
    return copied;
  }

  std::string Read(const std::string& name) {
    HANDLE h = P().CreateFileA(Path(name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(h, INVALID_HANDLE_VALUE) << name;
    std::string data(4096, '\0');
    DWORD n = 0;
    EXPECT_TRUE(P().ReadFile(h, data.data(), static_cast<DWORD>(data.size()), &n, nullptr));
    P().CloseHandle(h);
    return data.substr(0, n);
  }
};

TEST_F(ConformanceLz, PlainAndCompressedFilesCopyAsTheirContent) {
  for (const std::string& stored : {kContent, kCompressed}) {
    SCOPED_TRACE(stored.size());
    MakeFile("out.bin", std::string(200, 'x'));  // longer: the copy must truncate it
    DWORD error = 0;
    EXPECT_EQ(Copy(stored, &error), LONG(kContent.size()));
    EXPECT_EQ(error, kPoison) << "a copy that succeeds leaves the last error";
    EXPECT_EQ(Read("out.bin"), kContent);
  }
}

TEST_F(ConformanceLz, ATruncatedCompressedFileFailsTheCopy) {
  TODO_WINE_EQ(LONG(LZERROR_READ), Copy(kCompressed.substr(0, kCompressed.size() - 6)));
}

TEST_F(ConformanceLz, OpeningAMissingFileFails) {
  for (WORD style : {kSourceStyle, WORD(OF_READ)}) {
    OFSTRUCT info{};
    Poison();
    EXPECT_EQ(P().LZOpenFileA(Path("none.bin").c_str(), &info, style), LZERROR_BADINHANDLE);
    EXPECT_EQ(P().GetLastError(), ERROR_FILE_NOT_FOUND) << "left as the file open set it";
    EXPECT_EQ(info.nErrCode, ERROR_FILE_NOT_FOUND);
  }
  OFSTRUCT info{};
  Poison();
  EXPECT_EQ(P().LZOpenFileA(Path("none\\out.bin").c_str(), &info, kTargetStyle),
            LZERROR_BADINHANDLE);
  EXPECT_EQ(P().GetLastError(), ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(info.nErrCode, ERROR_PATH_NOT_FOUND);
}

// An open of a name that is absent looks for the name with its last character replaced
// by '_', where set-up media keep compressed files.
TEST_F(ConformanceLz, AnAbsentNameOpensItsCompressedName) {
  MakeFile("prog.ex_", kCompressed);
  OFSTRUCT info{};
  INT from = P().LZOpenFileA(Path("prog.exe").c_str(), &info, kSourceStyle);
  ASSERT_GE(from, 0);
  EXPECT_EQ(info.nErrCode, 0);
  INT to = P().LZOpenFileA(Path("out.bin").c_str(), &info, kTargetStyle);
  EXPECT_EQ(P().LZCopy(from, to), LONG(kContent.size()));
  P().LZClose(to);
  P().LZClose(from);
  EXPECT_EQ(Read("out.bin"), kContent);
}

// The styles share as their flags say: the source denies writers, the target everyone.
TEST_F(ConformanceLz, OpenStylesShareAsTheirFlagsSay) {
  MakeFile("in.bin", kContent);
  auto opens = [this](const char* name, DWORD access) {
    HANDLE h = P().CreateFileA(Path(name).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               nullptr, OPEN_EXISTING, 0, nullptr);
    return h != INVALID_HANDLE_VALUE && P().CloseHandle(h);
  };
  OFSTRUCT info{};
  INT from = P().LZOpenFileA(Path("in.bin").c_str(), &info, kSourceStyle);
  INT to = P().LZOpenFileA(Path("out.bin").c_str(), &info, kTargetStyle);
  ASSERT_GE(from, 0);
  ASSERT_GE(to, 0);
  EXPECT_TRUE(opens("in.bin", GENERIC_READ));
  EXPECT_FALSE(opens("in.bin", GENERIC_WRITE));
  EXPECT_FALSE(opens("out.bin", GENERIC_READ));
  Poison();
  P().LZClose(to);
  P().LZClose(from);
  EXPECT_EQ(P().GetLastError(), kPoison);
  EXPECT_TRUE(opens("in.bin", GENERIC_WRITE)) << "closing gives the files free";
  EXPECT_TRUE(opens("out.bin", GENERIC_READ));
  EXPECT_EQ(Read("out.bin"), "") << "OF_CREATE makes the file empty";
}

}  // namespace
