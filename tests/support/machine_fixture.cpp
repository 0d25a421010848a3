#include "tests/support/machine_fixture.h"

#include <chrono>
#include <fstream>
#include <random>
#include <stdexcept>

namespace testing_support {

namespace fs = std::filesystem;

std::vector<std::string> FindNames(platform::Platform& os, const char* pattern) {
  std::vector<std::string> names;
  platform::WIN32_FIND_DATAA data;
  platform::HANDLE search = os.FindFirstFileA(pattern, &data);
  if (search == platform::INVALID_HANDLE_VALUE) return names;
  do names.push_back(data.cFileName);
  while (os.FindNextFileA(search, &data));
  os.FindClose(search);
  return names;
}

std::string ReadOnMachine(platform::Platform& os, const std::string& path) {
  std::string bytes;
  platform::HANDLE file =
      os.CreateFileA(path.c_str(), platform::GENERIC_READ, platform::FILE_SHARE_READ, nullptr,
                     platform::OPEN_EXISTING, 0, nullptr);
  if (file == platform::INVALID_HANDLE_VALUE) return bytes;
  char block[4096];
  platform::DWORD read = 0;
  while (os.ReadFile(file, block, sizeof(block), &read, nullptr) && read != 0)
    bytes.append(block, read);
  os.CloseHandle(file);
  return bytes;
}

std::string Slurp(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TempMachine::TempMachine()
    : dir(fs::temp_directory_path() / ("orvtest-" + std::to_string(std::random_device()()))) {
  config.dir = dir;
  config.drives = {{'C', hosted::DriveKind::Fixed, MakeDir("c"), false},
                   {'D', hosted::DriveKind::CdRom, MakeDir("cd"), true}};
}

TempMachine::~TempMachine() {
  installed_.reset();
  platform_.reset();
  // Read-only host files do not stop root, but make the folder writable for everyone else.
  std::error_code ignored;
  for (fs::recursive_directory_iterator it(dir, ignored), end; it != end; it.increment(ignored))
    fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
  fs::remove_all(dir, ignored);
}

fs::path TempMachine::Write(const std::string& relative, std::string_view content) {
  fs::path path = dir / relative;
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out.write(content.data(), static_cast<std::streamsize>(content.size())))
    throw std::runtime_error("cannot write " + path.string());
  return path;
}

fs::path TempMachine::MakeDir(const std::string& relative) {
  fs::create_directories(dir / relative);
  return dir / relative;
}

std::string TempMachine::Read(const std::string& relative) const { return Slurp(dir / relative); }

void TempMachine::SetMtime(const std::string& relative, long long unixSeconds) {
  auto system = std::chrono::system_clock::time_point(std::chrono::seconds(unixSeconds));
  fs::last_write_time(dir / relative, fs::file_time_type::clock::from_sys(system));
}

hosted::HostedPlatform& TempMachine::Start() {
  installed_.reset();
  platform_ = std::make_unique<hosted::HostedPlatform>(config, transcript);
  installed_ = std::make_unique<platform::ScopedPlatform>(*platform_);
  return *platform_;
}

std::vector<hosted::Event> TempMachine::Events(const std::string& kind) const {
  std::vector<hosted::Event> events;
  for (const auto& event : transcript.Events())
    if (event.kind == kind) events.push_back(event);
  return events;
}

std::vector<std::string> TempMachine::Texts(const std::string& kind,
                                            const std::string& field) const {
  std::vector<std::string> texts;
  for (const auto& event : Events(kind)) texts.push_back(event.Find(field)->text);
  return texts;
}

}  // namespace testing_support
