#include "platform/hosted/lz/lz.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "platform/hosted/lz/szdd.h"

namespace hosted {

namespace {

constexpr WORD kAccessMask = 0x0003;
constexpr WORD kShareMask = 0x0070;

// Compatibility mode (no sharing flag) shares like deny none, as on the NT family; the
// field's values above deny none are no sharing mode.
bool ShareFor(WORD style, DWORD& share) {
  switch (style & kShareMask) {
    case 0:
    case OF_SHARE_DENY_NONE:
      share = FILE_SHARE_READ | FILE_SHARE_WRITE;
      return true;
    case OF_SHARE_EXCLUSIVE:
      share = 0;
      return true;
    case OF_SHARE_DENY_WRITE:
      share = FILE_SHARE_READ;
      return true;
    case OF_SHARE_DENY_READ:
      share = FILE_SHARE_WRITE;
      return true;
    default:
      return false;
  }
}

DWORD AccessFor(WORD style) {
  switch (style & kAccessMask) {
    case OF_READ:
      return GENERIC_READ;
    case OF_WRITE:
      return GENERIC_WRITE;
    default:
      return GENERIC_READ | GENERIC_WRITE;
  }
}

// The library looks for a compressed header only on an open for reading with nothing
// but sharing flags; any other open gives a handle to the file as it is.
bool ExpandsOnRead(WORD style) { return (style & ~kShareMask) == OF_READ; }

// Set-up media store a compressed file under its name with the last character replaced
// by '_' ("SETUP.EX_" for "SETUP.EXE"); an open of an absent name tries that one too.
std::string CompressedName(const std::string& name) {
  std::string mangled(name);
  if (!mangled.empty()) mangled.back() = '_';
  return mangled;
}

void Record(OFSTRUCT& info, const std::string& name, DWORD error) {
  info = OFSTRUCT{};
  info.cBytes = sizeof(OFSTRUCT);
  info.nErrCode = static_cast<WORD>(error);
  std::size_t size = std::min(name.size(), std::size_t{OFS_MAXPATHNAME - 1});
  std::memcpy(info.szPathName, name.data(), size);
}

LONG ToLzResult(const szdd::Result& result) {
  switch (result.status) {
    case szdd::Status::kOk:
      return static_cast<LONG>(result.written);
    case szdd::Status::kUnknownMode:
      return LZERROR_UNKNOWNALG;
    case szdd::Status::kDamaged:
    case szdd::Status::kReadFailed:
      return LZERROR_READ;
    case szdd::Status::kWriteFailed:
      return LZERROR_WRITE;
  }
  return LZERROR_READ;
}

}  // namespace

struct LzLibrary::State {
  struct Entry {
    HANDLE file;
    std::optional<szdd::Kind> kind;  // known once an open for reading has looked
  };

  explicit State(Platform& platform) : files(platform) {}

  HANDLE Open(const std::string& name, WORD style) {
    DWORD share = 0;
    if (!ShareFor(style, share)) {
      files.SetLastError(ERROR_INVALID_PARAMETER);
      return INVALID_HANDLE_VALUE;
    }
    DWORD disposition = (style & OF_CREATE) ? CREATE_ALWAYS : OPEN_EXISTING;
    return files.CreateFileA(name.c_str(), AccessFor(style), share, nullptr, disposition,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
  }

  // A create never falls back: it would make a file under the other name.
  HANDLE OpenOrCompressed(std::string& name, WORD style) {
    HANDLE file = Open(name, style);
    if (file != INVALID_HANDLE_VALUE || (style & OF_CREATE) || name.empty()) return file;
    std::string compressed = CompressedName(name);
    if (compressed == name) return file;
    file = Open(compressed, style);
    if (file != INVALID_HANDLE_VALUE) name = compressed;
    return file;
  }

  // Reads the first bytes and puts the file pointer back to the start, where both the
  // expander and the plain copy begin.
  bool Peek(HANDLE file, szdd::Kind& kind) {
    std::uint8_t head[szdd::kHeaderSize];
    DWORD got = 0;
    if (!files.ReadFile(file, head, sizeof(head), &got, nullptr)) return false;
    kind = szdd::Classify({head, got});
    return files.SetFilePointer(file, 0, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER;
  }

  INT Add(HANDLE file, std::optional<szdd::Kind> kind) {
    INT handle = 1;
    while (open.count(handle)) ++handle;
    open.emplace(handle, Entry{file, kind});
    return handle;
  }

  szdd::ReadBlock Reader(HANDLE file) {
    return [this, file](std::uint8_t* buffer, std::size_t size) -> std::ptrdiff_t {
      DWORD got = 0;
      if (!files.ReadFile(file, buffer, static_cast<DWORD>(size), &got, nullptr)) return -1;
      return got;
    };
  }

  szdd::WriteBlock Writer(HANDLE file) {
    return [this, file](const std::uint8_t* data, std::size_t size) {
      DWORD written = 0;
      return files.WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr) &&
             written == size;
    };
  }

  LONG CopyPlain(HANDLE source, HANDLE target) {
    szdd::ReadBlock read = Reader(source);
    szdd::WriteBlock write = Writer(target);
    std::vector<std::uint8_t> block(szdd::kBlockSize);
    LONG total = 0;
    for (;;) {
      std::ptrdiff_t got = read(block.data(), block.size());
      if (got < 0) return LZERROR_READ;
      if (got == 0) return total;
      if (!write(block.data(), static_cast<std::size_t>(got))) return LZERROR_WRITE;
      total += static_cast<LONG>(got);
    }
  }

  Platform& files;
  std::map<INT, Entry> open;
};

LzLibrary::LzLibrary(Platform& files) : state_(std::make_unique<State>(files)) {}

LzLibrary::~LzLibrary() = default;

INT LzLibrary::LZOpenFileA(const char* name, OFSTRUCT* info, WORD style) {
  OFSTRUCT scratch;
  OFSTRUCT& record = info ? *info : scratch;
  std::string opened(name ? name : "");
  HANDLE file = state_->OpenOrCompressed(opened, style);
  if (file == INVALID_HANDLE_VALUE) {
    Record(record, opened, state_->files.GetLastError());
    return LZERROR_BADINHANDLE;
  }
  Record(record, opened, ERROR_SUCCESS);
  if (!ExpandsOnRead(style)) return state_->Add(file, std::nullopt);
  szdd::Kind kind = szdd::Kind::kPlain;
  if (!state_->Peek(file, kind)) {
    record.nErrCode = static_cast<WORD>(state_->files.GetLastError());
    state_->files.CloseHandle(file);
    return LZERROR_BADINHANDLE;
  }
  if (kind == szdd::Kind::kUnknownMode) {
    state_->files.CloseHandle(file);
    return LZERROR_UNKNOWNALG;
  }
  return state_->Add(file, kind);
}

LONG LzLibrary::LZCopy(INT source, INT target) {
  auto from = state_->open.find(source);
  if (from == state_->open.end()) return LZERROR_BADINHANDLE;
  auto to = state_->open.find(target);
  if (to == state_->open.end() || to->second.kind == szdd::Kind::kSzdd) return LZERROR_BADOUTHANDLE;
  HANDLE in = from->second.file;
  HANDLE out = to->second.file;
  // A source opened otherwise than for reading alone is expanded all the same when it is
  // compressed: the copy looks at the header itself.
  szdd::Kind kind = from->second.kind.value_or(szdd::Kind::kPlain);
  if (!from->second.kind && !state_->Peek(in, kind)) return LZERROR_READ;
  if (kind != szdd::Kind::kSzdd) return state_->CopyPlain(in, out);
  return ToLzResult(szdd::Expand(state_->Reader(in), state_->Writer(out)));
}

void LzLibrary::LZClose(INT file) {
  auto entry = state_->open.find(file);
  if (entry == state_->open.end()) return;
  state_->files.CloseHandle(entry->second.file);
  state_->open.erase(entry);
}

}  // namespace hosted
