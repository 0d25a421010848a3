// Windows path texts against the simulated file system. The input is lines, each a call
// (its first byte) and a path (the rest), run on a fresh small machine. Whatever the
// paths, nothing beside the machine folder may change: not the sentinel file, not the
// folder a symlink on drive C: points to, not the symlinks themselves.
#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <string_view>

#include "fuzz/support/scratch.h"
#include "platform/hosted/machine/hosted.h"

namespace {

namespace fs = std::filesystem;
using namespace platform;
using hosted::HostedPlatform;

void Check(bool condition) {
  if (!condition) std::abort();
}

const fs::path& Root() { return fuzzing::ScratchDir(); }

void WriteFile(const fs::path& path, std::string_view content) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << content;
}

// Drive C: holds a folder, a long name, a symlink to a folder inside and two that
// point outside the machine folder: to a folder and to the sentinel file.
void MakeMachine() {
  fs::path machine = Root() / "machine";
  fs::remove_all(machine);
  WriteFile(machine / "c" / "DIR" / "A.TXT", "a");
  WriteFile(machine / "c" / "Long File Name.text", "long");
  WriteFile(machine / "cd" / "SETUP.EXE", "MZ");
  fs::create_directory_symlink("DIR", machine / "c" / "inside");
  fs::create_directory_symlink("../../outside", machine / "c" / "out");
  fs::create_symlink("../../sentinel.txt", machine / "c" / "outfile");
}

struct Outside {
  std::string sentinel, secret;
  fs::file_time_type sentinelTime, secretTime;
  std::set<std::string> rootNames, outsideNames;
  bool operator==(const Outside&) const = default;
};

std::set<std::string> Names(const fs::path& dir) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) names.insert(entry.path().filename());
  return names;
}

std::string Content(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

Outside Observe() {
  fs::path sentinel = Root() / "sentinel.txt", secret = Root() / "outside" / "secret.txt";
  return {Content(sentinel),           Content(secret), fs::last_write_time(sentinel),
          fs::last_write_time(secret), Names(Root()),   Names(Root() / "outside")};
}

const Outside& Before() {
  static const Outside before = [] {
    WriteFile(Root() / "sentinel.txt", "sentinel");
    WriteFile(Root() / "outside" / "secret.txt", "secret");
    MakeMachine();
    return Observe();
  }();
  return before;
}

hosted::MachineConfig Config() {
  hosted::MachineConfig config;
  config.dir = Root() / "machine";
  config.drives = {{'C', hosted::DriveKind::Fixed, config.dir / "c", false},
                   {'D', hosted::DriveKind::CdRom, config.dir / "cd", true}};
  return config;
}

void Open(HostedPlatform& machine, const char* path, unsigned selector) {
  constexpr std::array<DWORD, 5> kDispositions = {CREATE_NEW, CREATE_ALWAYS, OPEN_EXISTING,
                                                  OPEN_ALWAYS, TRUNCATE_EXISTING};
  DWORD disposition = kDispositions[selector % kDispositions.size()];
  HANDLE file = machine.CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, disposition,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD done = 0;
  char byte = 0;
  machine.ReadFile(file, &byte, 1, &done, nullptr);
  machine.WriteFile(file, "x", 1, &done, nullptr);
  machine.CloseHandle(file);
}

void Find(HostedPlatform& machine, const char* pattern) {
  WIN32_FIND_DATAA data;
  HANDLE find = machine.FindFirstFileA(pattern, &data);
  if (find == INVALID_HANDLE_VALUE) return;
  while (machine.FindNextFileA(find, &data)) {
  }
  machine.FindClose(find);
}

void ShortPath(HostedPlatform& machine, const char* path) {
  std::array<char, MAX_PATH> buffer{};
  DWORD needed = machine.GetShortPathNameA(path, nullptr, 0);
  DWORD written = machine.GetShortPathNameA(path, buffer.data(), buffer.size());
  Check(written < buffer.size() || written == needed);
}

void Call(HostedPlatform& machine, unsigned selector, const std::string& path) {
  switch (selector % 5) {
    case 0:
      return Open(machine, path.c_str(), selector / 5);
    case 1:
      return Find(machine, path.c_str());
    case 2:
      return ShortPath(machine, path.c_str());
    case 3:
      machine.SetCurrentDirectoryA(path.c_str());
      return;
    default:
      machine.DeleteFileA(path.c_str());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Outside& before = Before();
  MakeMachine();
  {
    hosted::Transcript transcript;
    hosted::HostedPlatform machine(Config(), transcript);
    std::string_view input(reinterpret_cast<const char*>(data), size);
    while (!input.empty()) {
      std::string_view line = input.substr(0, input.find('\n'));
      input.remove_prefix(std::min(input.size(), line.size() + 1));
      if (!line.empty())
        Call(machine, static_cast<unsigned char>(line[0]), std::string(line.substr(1)));
    }
  }
  Check(Observe() == before);
  fs::path c = Root() / "machine" / "c";
  Check(fs::read_symlink(c / "out") == "../../outside" &&
        fs::read_symlink(c / "outfile") == "../../sentinel.txt");
  return 0;
}
