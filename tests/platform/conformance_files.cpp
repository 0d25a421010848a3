// The file calls' contract, written against Platform only: the same file runs against
// the simulated machine and against the real Windows calls.
#include <cstring>
#include <functional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "tests/platform/conformance.h"

namespace {

using namespace platform;
using conformance::kPoison;
using conformance::kPoisonByte;

constexpr DWORD R = GENERIC_READ, W = GENERIC_WRITE, SR = FILE_SHARE_READ, SW = FILE_SHARE_WRITE;

// A call that answers whether it succeeded, and the error its refusal leaves.
using Refusal = std::pair<std::function<bool()>, DWORD>;

class ConformanceFiles : public conformance::Test {
 protected:
  HANDLE Open(const std::string& name, DWORD access, DWORD share, DWORD disposition,
              DWORD attributes = 0) {
    return P().CreateFileA(Path(name).c_str(), access, share, nullptr, disposition, attributes,
                           nullptr);
  }

  // Each call, the last error poisoned before it, must fail and leave its error.
  void ExpectRefused(const std::vector<Refusal>& rows) {
    for (std::size_t i = 0; i < rows.size(); ++i) {
      SCOPED_TRACE(i);
      Poison();
      EXPECT_FALSE(rows[i].first());
      EXPECT_EQ(P().GetLastError(), rows[i].second);
    }
  }

  // The names a search gives, in order.
  std::vector<std::string> Find(const std::string& pattern) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE h = P().FindFirstFileA(Path(pattern).c_str(), &data);
    if (h == INVALID_HANDLE_VALUE) return names;
    do names.push_back(data.cFileName);
    while (P().FindNextFileA(h, &data));
    EXPECT_EQ(P().GetLastError(), ERROR_NO_MORE_FILES);
    EXPECT_TRUE(P().FindClose(h));
    return names;
  }

  DWORD FindError(const std::string& pattern) {
    WIN32_FIND_DATAA data;
    Poison();
    EXPECT_EQ(P().FindFirstFileA(pattern.c_str(), &data), INVALID_HANDLE_VALUE) << pattern;
    return P().GetLastError();
  }

  DWORD Attributes(const std::string& name) { return H().GetFileAttributesA(Path(name).c_str()); }
};

// Each disposition the launcher passes; each row starts from an empty folder, or one holding f.txt
// with three bytes.
TEST_F(ConformanceFiles, OpensFollowTheirDispositionAndSharing) {
  const struct {
    DWORD disposition;
    bool exists, opens;
    DWORD error;  // after the call; kPoison: left alone
    DWORD sizeAfter;
  } cases[] = {
      {CREATE_ALWAYS, false, true, ERROR_SUCCESS, 0},
      {CREATE_ALWAYS, true, true, ERROR_ALREADY_EXISTS, 0},
      {OPEN_EXISTING, false, false, ERROR_FILE_NOT_FOUND, 0},
      {OPEN_EXISTING, true, true, kPoison, 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "disposition " << c.disposition << ", exists " << c.exists);
    if (c.exists) MakeFile("f.txt", "abc");
    Poison();
    HANDLE h = Open("f.txt", R | W, 0, c.disposition);
    EXPECT_EQ(h != INVALID_HANDLE_VALUE, c.opens);
    if (c.error != kPoison || !c.opens) {
      EXPECT_EQ(P().GetLastError(), c.error);
    }
    if (h != INVALID_HANDLE_VALUE) {
      EXPECT_EQ(P().GetFileSize(h, nullptr), c.sizeAfter);
      EXPECT_TRUE(P().CloseHandle(h));
    }
    P().DeleteFileA(Path("f.txt").c_str());
  }
  // A second open of a file must fit both the first one's sharing and its own.
  MakeFile("s.txt", "data");
  const std::tuple<DWORD, DWORD, DWORD, DWORD, bool> shares[] = {
      {R, SR, R, SR, true},           {R, SR, W, SR | SW, false}, {R, SR | SW, W, SW, false},
      {R, SR | SW, W, SR | SW, true}, {W, 0, R, SR | SW, false},  {R, 0, 0, 0, true},
      {W, SR, R, SR | SW, true},      {W, SR, R, SR, false}};
  int row = 0;
  for (const auto& [firstAccess, firstShare, secondAccess, secondShare, allowed] : shares) {
    SCOPED_TRACE(testing::Message() << "sharing row " << row++);
    HANDLE first = Open("s.txt", firstAccess, firstShare, OPEN_EXISTING);
    ASSERT_NE(first, INVALID_HANDLE_VALUE);
    Poison();
    HANDLE second = Open("s.txt", secondAccess, secondShare, OPEN_EXISTING);
    EXPECT_EQ(second != INVALID_HANDLE_VALUE, allowed);
    if (second != INVALID_HANDLE_VALUE)
      P().CloseHandle(second);
    else
      EXPECT_EQ(P().GetLastError(), ERROR_SHARING_VIOLATION);
    P().CloseHandle(first);
  }
}

TEST_F(ConformanceFiles, ReadWriteSeekAndSize) {
  HANDLE h = Open("rw.bin", R | W, 0, CREATE_NEW);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  DWORD n = kPoison;
  EXPECT_TRUE(P().WriteFile(h, "hello world", 11, &n, nullptr));
  EXPECT_EQ(n, 11u);
  EXPECT_EQ(P().GetFileSize(h, nullptr), 11u);
  EXPECT_EQ(P().SetFilePointer(h, 6, nullptr, FILE_BEGIN), 6u);
  char buffer[16];
  std::memset(buffer, kPoisonByte, sizeof buffer);
  EXPECT_TRUE(P().ReadFile(h, buffer, sizeof buffer, &n, nullptr));
  EXPECT_EQ(std::string(buffer, n), "world");
  EXPECT_EQ(buffer[5], kPoisonByte);
  EXPECT_TRUE(P().ReadFile(h, buffer, sizeof buffer, &n, nullptr));
  EXPECT_EQ(n, 0u) << "end of file reads nothing and succeeds";
  EXPECT_EQ(P().SetFilePointer(h, 0, nullptr, FILE_END), 11u);
  EXPECT_TRUE(P().CloseHandle(h));
}

TEST_F(ConformanceFiles, AttributesOfFilesAndDirectories) {
  MakeFile("f.txt");
  MakeDir("d");
  EXPECT_EQ(Attributes("f.txt"), FILE_ATTRIBUTE_ARCHIVE);
  EXPECT_EQ(Attributes("d") & FILE_ATTRIBUTE_DIRECTORY, FILE_ATTRIBUTE_DIRECTORY);
  // A read-only file, cleared as the launcher clears one before it deletes it.
  const std::tuple<DWORD, DWORD, bool> cases[] = {
      {FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE,
       FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE, false},
      {0, FILE_ATTRIBUTE_NORMAL, true}};
  for (const auto& [set, get, wineDiffers] : cases) {
    EXPECT_TRUE(P().SetFileAttributesA(Path("f.txt").c_str(), set));
    TODO_WINE_EQ_IF(wineDiffers, get, Attributes("f.txt"));
  }
  // CREATE_ALWAYS over a hidden file must name the attribute.
  MakeFile("h.txt", "x");
  ASSERT_TRUE(P().SetFileAttributesA(Path("h.txt").c_str(), FILE_ATTRIBUTE_HIDDEN));
  Poison();
  HANDLE refused = Open("h.txt", W, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL);
  TODO_WINE_EQ(INVALID_HANDLE_VALUE, refused);
  TODO_WINE_EQ(ERROR_ACCESS_DENIED, P().GetLastError());
  if (refused != INVALID_HANDLE_VALUE) P().CloseHandle(refused);
  HANDLE h = Open("h.txt", W, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_HIDDEN);
  EXPECT_NE(h, INVALID_HANDLE_VALUE);
  P().CloseHandle(h);
}

// Spellings Windows resolves to the same file; forbidden characters and UNC paths refused.
TEST_F(ConformanceFiles, NamesResolveAsWindowsSpellsThem) {
  MakeDir("Sub");
  MakeFile("Sub\\Readme.TXT", "x");
  const char* spellings[] = {"sub\\readme.txt",   "SUB/README.TXT",     "Sub\\Readme.TXT.",
                             "Sub\\Readme.TXT  ", "Sub\\.\\Readme.TXT", "Sub\\x\\..\\Readme.TXT",
                             "Sub\\\\Readme.TXT"};
  for (const char* name : spellings) EXPECT_EQ(Attributes(name), FILE_ATTRIBUTE_ARCHIVE) << name;
  std::string deep = Path("").substr(0, 2) + "\\..\\..\\" + Path("Sub\\Readme.TXT").substr(3);
  EXPECT_EQ(H().GetFileAttributesA(deep.c_str()), FILE_ATTRIBUTE_ARCHIVE)
      << "\"..\" above the root stays at the root";
  for (const char* name : {"a<b", "a>b", "a\"b", "a|b", "a?b", "a*b", "a\x01z", "x*\\f"}) {
    Poison();
    EXPECT_EQ(Open(name, W, 0, CREATE_ALWAYS), INVALID_HANDLE_VALUE) << name;
    EXPECT_EQ(P().GetLastError(), ERROR_INVALID_NAME) << name;
  }
  Poison();
  EXPECT_EQ(H().GetFileAttributesA("\\\\nosuchserver.invalid\\share\\f.txt"),
            INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(P().GetLastError(), kPoison);
}

TEST_F(ConformanceFiles, DevicesDiscardWritesAndAreNotFound) {
  // A device name, whether Wine opens it and whether Wine finds it.
  const std::tuple<const char*, bool, bool> cases[] = {{"nul", true, true},
                                                       {"NUL.txt", true, true},
                                                       {"con", false, true},
                                                       {"sub\\aux.dat", false, false}};
  for (const auto& [device, wineOpens, wineFinds] : cases) {
    SCOPED_TRACE(device);
    std::string path = Path(device);
    WIN32_FIND_DATAA data;
    Poison();
    HANDLE find = P().FindFirstFileA(path.c_str(), &data);
    TODO_WINE_EQ_IF(wineFinds, INVALID_HANDLE_VALUE, find);
    if (find != INVALID_HANDLE_VALUE)
      P().FindClose(find);
    else
      TODO_WINE_EQ(ERROR_FILE_NOT_FOUND, P().GetLastError());  // Wine: 3, the folder is missing
    EXPECT_FALSE(P().DeleteFileA(path.c_str()));
    HANDLE h = Open(device, W, SR | SW, OPEN_EXISTING);
    TODO_WINE_IF(!wineOpens, h != INVALID_HANDLE_VALUE);
    if (h == INVALID_HANDLE_VALUE) continue;
    DWORD n = 0;
    EXPECT_TRUE(P().WriteFile(h, "abc", 3, &n, nullptr));
    EXPECT_EQ(n, 3u);
    P().CloseHandle(h);
  }
}

// Calls refused for a file's state; once the obstacle
// goes, the calls succeed, and a file moves onto itself or to a free name with its content.
TEST_F(ConformanceFiles, RefusedCallsSetTheirError) {
  MakeDir("d");
  MakeFile("a.txt", "aaa");
  MakeFile("ro.txt", "x");
  MakeFile("open.txt", "abc");
  ASSERT_TRUE(P().SetFileAttributesA(Path("ro.txt").c_str(), FILE_ATTRIBUTE_READONLY));
  HANDLE reader = Open("open.txt", R, SR | SW, OPEN_EXISTING);
  auto open = [this](const char* name, DWORD access, DWORD disposition) {
    return [=, this] { return Open(name, access, 0, disposition) != INVALID_HANDLE_VALUE; };
  };
  auto call = [this](auto f, const char* name) {
    return [=, this] { return (P().*f)(Path(name).c_str()); };
  };
  auto move = [this](const char* from, const char* to) {
    return [=, this] { return P().MoveFileA(Path(from).c_str(), Path(to).c_str()); };
  };
  ExpectRefused({
      {open("missing\\f.txt", R, OPEN_EXISTING), ERROR_PATH_NOT_FOUND},
      {open("missing\\f.txt", W, CREATE_ALWAYS), ERROR_PATH_NOT_FOUND},
      {open("d", R, OPEN_EXISTING), ERROR_ACCESS_DENIED},
      {open("ro.txt", W, OPEN_EXISTING), ERROR_ACCESS_DENIED},
      {open("ro.txt", W, CREATE_ALWAYS), ERROR_ACCESS_DENIED},
      {[this] { return P().SetFileAttributesA(Path("none\\x").c_str(), 0); }, ERROR_PATH_NOT_FOUND},
      {call(&Platform::DeleteFileA, "d"), ERROR_ACCESS_DENIED},
      {call(&Platform::DeleteFileA, "ro.txt"), ERROR_ACCESS_DENIED},
      {call(&Platform::DeleteFileA, "open.txt"), ERROR_SHARING_VIOLATION},
      {call(&Platform::DeleteFileA, "none.txt"), ERROR_FILE_NOT_FOUND},
      {call(&Platform::DeleteFileA, "none\\x.txt"), ERROR_PATH_NOT_FOUND},
      {move("a.txt", "ro.txt"), ERROR_ALREADY_EXISTS},
      {move("none", "c.txt"), ERROR_FILE_NOT_FOUND},
      {call(&Platform::SetCurrentDirectoryA, "none"), ERROR_FILE_NOT_FOUND},
      {call(&Platform::SetCurrentDirectoryA, "none\\x"), ERROR_PATH_NOT_FOUND},
      {call(&Platform::SetCurrentDirectoryA, "a.txt"), ERROR_DIRECTORY},
  });
  P().CloseHandle(reader);
  EXPECT_TRUE(P().DeleteFileA(Path("open.txt").c_str())) << "closing gives the file free";
  HANDLE h = Open("ro.txt", R, SR | SW | FILE_SHARE_DELETE, OPEN_EXISTING);
  EXPECT_NE(h, INVALID_HANDLE_VALUE) << "a read-only file opens for reading";
  EXPECT_TRUE(P().SetFileAttributesA(Path("ro.txt").c_str(), 0));
  EXPECT_TRUE(P().DeleteFileA(Path("ro.txt").c_str())) << "FILE_SHARE_DELETE lets it go";
  P().CloseHandle(h);
  EXPECT_TRUE(P().MoveFileA(Path("a.txt").c_str(), Path("a.txt").c_str()));
  EXPECT_EQ(Attributes("a.txt"), FILE_ATTRIBUTE_ARCHIVE);
  EXPECT_TRUE(P().MoveFileA(Path("a.txt").c_str(), Path("c.txt").c_str()));
  EXPECT_EQ(Attributes("a.txt"), INVALID_FILE_ATTRIBUTES);
  h = Open("c.txt", R, SR, OPEN_EXISTING);
  EXPECT_EQ(P().GetFileSize(h, nullptr), 3u);
  P().CloseHandle(h);
}

struct PatternCase {
  const char* pattern;
  std::vector<std::string> names;  // in search order, "." and ".." left out
};

class ConformanceFilePatterns : public ConformanceFiles,
                                public ::testing::WithParamInterface<PatternCase> {};

TEST_P(ConformanceFilePatterns, MatchAsDosDid) {
  for (const char* name : {"Lang", "Lang.801", "Language.txt", "b.c.txt", "readme"}) MakeFile(name);
  std::vector<std::string> files = Find(GetParam().pattern);
  std::erase_if(files, [](const std::string& name) { return name == "." || name == ".."; });
  EXPECT_EQ(files, GetParam().names);
}

// The patterns the launcher searches with, and a name searched for as it stands.
INSTANTIATE_TEST_SUITE_P(
    All, ConformanceFilePatterns,
    ::testing::Values(PatternCase{"*.*", {"b.c.txt", "Lang", "Lang.801", "Language.txt", "readme"}},
                      PatternCase{"Lang*.*", {"Lang", "Lang.801", "Language.txt"}},
                      PatternCase{"LANG.801", {"Lang.801"}}));

TEST_F(ConformanceFiles, SearchesListDotEntriesFirstAndFindDataOrSetTheirError) {
  MakeDir("d");
  MakeFile("d\\f.bin", "12345");
  ASSERT_EQ(Find("d\\*"), (std::vector<std::string>{".", "..", "f.bin"}));
  WIN32_FIND_DATAA data;
  std::memset(&data, kPoisonByte, sizeof data);
  HANDLE h = P().FindFirstFileA(Path("d\\F.BIN").c_str(), &data);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_STREQ(data.cFileName, "f.bin");
  EXPECT_EQ(data.dwFileAttributes, FILE_ATTRIBUTE_ARCHIVE);
  EXPECT_TRUE(P().FindClose(h));
  h = P().FindFirstFileA(Path("d").c_str(), &data);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY, FILE_ATTRIBUTE_DIRECTORY);
  P().FindClose(h);
  MakeFile("f.txt");
  EXPECT_EQ(FindError(Path("*.none")), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(FindError(Path("missing\\*")), ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(FindError(Path("")), ERROR_FILE_NOT_FOUND) << "a pattern ending in \\";
  TODO_WINE_EQ(ERROR_INVALID_NAME, FindError(Path("a\"b")));
}

// A valid DOS date and time converts both ways; an invalid month (as in the stamp -1, the
// launcher's "no stamp") is refused with its error.
// (A time before 1980 has no DOS form: the call-table conformance test refuses one.)
TEST_F(ConformanceFiles, FileTimesConvertAndAreSetAndRead) {
  const struct {
    WORD date, time;
    bool valid;
  } cases[] = {
      {0x0021, 0x0000, true},   // 1980-01-01 00:00:00
      {0xFF9F, 0xBF7D, true},   // 2107-12-31 23:59:58
      {0x01A0, 0x0000, false},  // 1980-13-00
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.date << " " << c.time);
    FILETIME t{kPoison, kPoison};
    Poison();
    EXPECT_EQ(P().DosDateTimeToFileTime(c.date, c.time, &t) != FALSE, c.valid);
    if (!c.valid) {
      TODO_WINE_EQ(ERROR_INVALID_PARAMETER, P().GetLastError());
      continue;
    }
    WORD date = 0, time = 0;
    EXPECT_TRUE(P().FileTimeToDosDateTime(&t, &date, &time));
    EXPECT_EQ(date, c.date);
    EXPECT_EQ(time, c.time);
  }
  FILETIME utc{0x12345678, 0x01D00000}, local{}, back{};
  EXPECT_TRUE(P().FileTimeToLocalFileTime(&utc, &local));
  EXPECT_TRUE(P().LocalFileTimeToFileTime(&local, &back));
  EXPECT_EQ(back.dwLowDateTime, utc.dwLowDateTime);
  EXPECT_EQ(back.dwHighDateTime, utc.dwHighDateTime);
  MakeFile("t.txt", "x");
  HANDLE h = Open("t.txt", R | W, 0, OPEN_EXISTING);
  FILETIME stamp{};
  ASSERT_TRUE(P().DosDateTimeToFileTime(0x3A21, 0x6000, &stamp));  // 2009-01-01 12:00
  EXPECT_TRUE(P().SetFileTime(h, nullptr, nullptr, &stamp));
  FILETIME written{kPoison, kPoison};
  EXPECT_TRUE(P().GetFileTime(h, nullptr, nullptr, &written));
  EXPECT_EQ(written.dwLowDateTime, stamp.dwLowDateTime);
  EXPECT_EQ(written.dwHighDateTime, stamp.dwHighDateTime);
  P().CloseHandle(h);
  WIN32_FIND_DATAA data;
  HANDLE find = P().FindFirstFileA(Path("t.txt").c_str(), &data);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  EXPECT_EQ(data.ftLastWriteTime.dwLowDateTime, stamp.dwLowDateTime);
  P().FindClose(find);
}

TEST_F(ConformanceFiles, CurrentDirectoryDriveTypesAndErrorMode) {
  MakeDir("cwd");
  MakeFile("cwd\\f.txt");
  ASSERT_TRUE(P().SetCurrentDirectoryA(Path("cwd").c_str()));
  char buffer[MAX_PATH];
  DWORD n = H().GetCurrentDirectoryA(sizeof buffer, buffer);
  EXPECT_EQ(std::string(buffer, n), Path("cwd"));
  EXPECT_EQ(H().GetFileAttributesA("f.txt"), FILE_ATTRIBUTE_ARCHIVE) << "relative to it";
  EXPECT_EQ(H().GetFileAttributesA("..\\cwd\\f.txt"), FILE_ATTRIBUTE_ARCHIVE);
  std::string root = Path("").substr(0, 3);
  ASSERT_TRUE(P().SetCurrentDirectoryA(root.c_str()));
  n = H().GetCurrentDirectoryA(sizeof buffer, buffer);
  EXPECT_EQ(std::string(buffer, n), root) << "a root keeps its backslash";
  std::string letter = root.substr(0, 1);
  UINT type = P().GetDriveTypeA((letter + ":\\").c_str());
  EXPECT_GE(type, DRIVE_REMOVABLE);
  std::string lower(1, static_cast<char>(letter[0] | 0x20));
  EXPECT_EQ(P().GetDriveTypeA((lower + ":\\").c_str()), type);
  for (const char* bad : {"$:\\", "\\:\\"}) EXPECT_EQ(P().GetDriveTypeA(bad), DRIVE_NO_ROOT_DIR);
  ASSERT_TRUE(P().SetCurrentDirectoryA(scratch_.dir.c_str()));
  UINT first = P().SetErrorMode(SEM_FAILCRITICALERRORS);
  EXPECT_EQ(P().SetErrorMode(first), SEM_FAILCRITICALERRORS);
}

}  // namespace
