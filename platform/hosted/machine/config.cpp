#include "platform/hosted/machine/config.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <nlohmann/json.hpp>

#include "platform/faults/faults.h"
#include "platform/hosted/machine/nearest.h"
#include "platform/hosted/text/codepage.h"

namespace hosted {

namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;

// Walks machine.json, naming the file and the field in every complaint, and what to do.
class Reader {
 public:
  explicit Reader(fs::path file) : file_(std::move(file)) {}

  [[noreturn]] void Fail(const std::string& field, const std::string& what) const {
    throw ConfigError(file_.string() + ": field '" + field + "': " + what);
  }

  void Fields(const Json& object, const std::string& field,
              const std::map<std::string, std::function<void(const Json&, const std::string&)>>&
                  handlers) const {
    if (!object.is_object()) Fail(field, "must be an object");
    for (auto& [name, value] : object.items()) {
      std::string path = field.empty() ? name : field + "." + name;
      auto handler = handlers.find(name);
      if (handler == handlers.end()) {
        std::vector<std::string_view> known;
        for (const auto& [known_name, ignored] : handlers) known.push_back(known_name);
        Fail(path, "unknown field" + SuggestName(name, known));
      }
      handler->second(value, path);
    }
  }

  bool Bool(const Json& value, const std::string& field) const {
    if (!value.is_boolean()) Fail(field, "must be true or false");
    return value.get<bool>();
  }

  DWORD Number(const Json& value, const std::string& field) const {
    if (!value.is_number_unsigned() || value.get<std::uint64_t>() > 0xFFFFFFFFu)
      Fail(field, "must be a whole number from 0 to 4294967295");
    return static_cast<DWORD>(value.get<std::uint64_t>());
  }

  std::string Text(const Json& value, const std::string& field) const {
    if (!value.is_string()) Fail(field, "must be a string");
    return value.get<std::string>();
  }

  // A Windows-side text: converted to the ANSI code page.
  std::string Ansi(const Json& value, const std::string& field) const {
    return AnsiOf(Text(value, field), field);
  }

  std::string AnsiOf(const std::string& utf8, const std::string& field) const {
    auto ansi = Utf8ToAnsi(utf8);
    if (!ansi) Fail(field, "has characters that code page 1252 cannot hold; use only those it has");
    return *ansi;
  }

  char Letter(const std::string& name, const std::string& field) const {
    if (name.size() != 1 || !std::isalpha(static_cast<unsigned char>(name[0])) ||
        static_cast<unsigned char>(name[0]) > 0x7F)
      Fail(field, "'" + name + "' is not a drive letter; use one letter from A to Z");
    return static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
  }

  fs::path ExistingPath(const fs::path& dir, const Json& value, const std::string& field,
                        bool folder) const {
    fs::path path = dir / Text(value, field);
    std::error_code error;
    auto status = fs::status(path, error);
    if (error || !fs::exists(status))
      Fail(field, "'" + path.string() + "' does not exist; create it, or correct the path " +
                      "(relative to the machine folder)");
    if (folder != fs::is_directory(status))
      Fail(field, "'" + path.string() +
                      (folder ? "' is not a folder; name a folder" : "' is a folder; name a file"));
    return fs::absolute(path).lexically_normal();
  }

 private:
  fs::path file_;
};

constexpr std::string_view kKindNames[] = {"fixed", "cdrom", "removable", "remote", "ramdisk"};
constexpr DriveKind kKinds[] = {DriveKind::Fixed, DriveKind::CdRom, DriveKind::Removable,
                                DriveKind::Remote, DriveKind::RamDisk};

DriveKind ParseKind(const Reader& reader, const std::string& type, const std::string& field) {
  for (std::size_t i = 0; i < std::size(kKindNames); ++i)
    if (type == kKindNames[i]) return kKinds[i];
  reader.Fail(field, "'" + type + "' is not a drive type" + SuggestName(type, kKindNames));
}

void ParseDrives(const Reader& reader, const Json& value, const std::string& field,
                 MachineConfig& config) {
  if (!value.is_object()) reader.Fail(field, "must be an object");
  config.drives.clear();
  for (auto& [name, entry] : value.items()) {
    std::string path = field + "." + name;
    DriveConfig drive;
    drive.letter = reader.Letter(name, path);
    bool typed = false;
    reader.Fields(entry, path,
                  {{"type",
                    [&](const Json& v, const std::string& f) {
                      drive.kind = ParseKind(reader, reader.Text(v, f), f);
                      typed = true;
                    }},
                   {"path",
                    [&](const Json& v, const std::string& f) {
                      if (!v.is_null()) drive.folder = reader.ExistingPath(config.dir, v, f, true);
                    }},
                   {"readonly", [&](const Json& v, const std::string& f) {
                      drive.readOnly = reader.Bool(v, f);
                    }}});
    if (!typed)
      reader.Fail(path + ".type",
                  "is missing; give one of fixed, cdrom, removable, remote, ramdisk");
    if (!entry.contains("path"))
      reader.Fail(path + ".path",
                  "is missing; give a folder, or null for a drive without a medium");
    if (drive.kind == DriveKind::CdRom) drive.readOnly = true;
    if (config.Drive(drive.letter))
      reader.Fail(path, "names drive " + std::string(1, drive.letter) + ": a second time");
    config.drives.push_back(drive);
  }
  std::sort(config.drives.begin(), config.drives.end(),
            [](const DriveConfig& a, const DriveConfig& b) { return a.letter < b.letter; });
}

DWORD ParseAttributes(const Reader& reader, const std::string& letters, const std::string& field) {
  DWORD attributes = 0;
  for (char c : letters) {
    switch (std::toupper(static_cast<unsigned char>(c))) {
      case 'R':
        attributes |= FILE_ATTRIBUTE_READONLY;
        break;
      case 'H':
        attributes |= FILE_ATTRIBUTE_HIDDEN;
        break;
      case 'S':
        attributes |= FILE_ATTRIBUTE_SYSTEM;
        break;
      case 'A':
        attributes |= FILE_ATTRIBUTE_ARCHIVE;
        break;
      default:
        reader.Fail(field, "'" + letters + "' may hold only the attribute letters R, H, S and A");
    }
  }
  return attributes;
}

// "YYYY-MM-DD HH:MM:SS", read as UTC.
long long ParseTime(const Reader& reader, const std::string& text, const std::string& field) {
  int y, mo, d, h, mi, se;
  char tail;
  if (std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%c", &y, &mo, &d, &h, &mi, &se, &tail) !=
          6 ||
      mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 || se > 59)
    reader.Fail(field, "'" + text + "' is not a time of the form YYYY-MM-DD HH:MM:SS");
  // Days from the civil date (proleptic Gregorian), so no time zone is involved.
  int yy = y - (mo <= 2);
  int era = (yy >= 0 ? yy : yy - 399) / 400;
  int yoe = yy - era * 400;
  int doy = (153 * (mo + (mo > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  long long days = era * 146097LL + yoe * 365 + yoe / 4 - yoe / 100 + doy - 719468;
  return days * 86400 + h * 3600 + mi * 60 + se;
}

void ParseFaults(const Reader& reader, const Json& value, const std::string& field,
                 MachineConfig& config) {
  if (!value.is_array()) reader.Fail(field, "must be an array");
  for (std::size_t i = 0; i < value.size(); ++i) {
    std::string path = field + "[" + std::to_string(i) + "]";
    FaultConfig fault;
    reader.Fields(
        value[i], path,
        {{"call", [&](const Json& v, const std::string& f) { fault.call = reader.Text(v, f); }},
         {"nth", [&](const Json& v, const std::string& f) { fault.nth = reader.Number(v, f); }},
         {"error",
          [&](const Json& v, const std::string& f) { fault.error = reader.Number(v, f); }}});
    if (fault.call.empty()) reader.Fail(path + ".call", "is missing; name the call to fail");
    auto faultable = faults::FaultableCalls();
    if (std::find(faultable.begin(), faultable.end(), fault.call) == faultable.end())
      reader.Fail(path + ".call", "'" + fault.call + "' is not a call that can be made to fail" +
                                      SuggestName(fault.call, faultable));
    config.faults.push_back(fault);
  }
}

void ParseTop(const Reader& r, const Json& root, MachineConfig& c) {
  using F = const std::string&;
  using J = const Json&;
  r.Fields(root, "",
           {{"os",
             [&](J v, F f) {
               r.Fields(v, f,
                        {{"major", [&](J x, F g) { c.osMajor = r.Number(x, g); }},
                         {"minor", [&](J x, F g) { c.osMinor = r.Number(x, g); }},
                         {"build", [&](J x, F g) { c.osBuild = r.Number(x, g); }},
                         {"platform", [&](J x, F g) { c.osPlatform = r.Number(x, g); }},
                         {"bits", [&](J x, F g) {
                            DWORD bits = r.Number(x, g);
                            if (bits != 32 && bits != 64) r.Fail(g, "must be 32 or 64");
                            c.windows64 = bits == 64;
                          }}});
             }},
            {"user",
             [&](J v, F f) {
               r.Fields(
                   v, f,
                   {{"admin", [&](J x, F g) { c.userAdmin = r.Bool(x, g); }},
                    {"impersonating", [&](J x, F g) { c.userImpersonating = r.Bool(x, g); }},
                    {"admin_deny_only", [&](J x, F g) { c.userAdminDenyOnly = r.Bool(x, g); }}});
             }},
            {"drives", [&](J v, F f) { ParseDrives(r, v, f, c); }},
            {"temp", [&](J v, F f) { c.temp = r.Ansi(v, f); }},
            {"current_dir", [&](J v, F f) { c.currentDir = r.Ansi(v, f); }},
            {"short_names", [&](J v, F f) { c.shortNames = r.Bool(v, f); }},
            {"timezone", [&](J v, F f) { c.timezone = r.Text(v, f); }},
            {"registry",
             [&](J v, F f) {
               if (!v.is_null()) c.registry = r.ExistingPath(c.dir, v, f, false);
             }},
            {"protected",
             [&](J v, F f) {
               if (!v.is_array()) r.Fail(f, "must be an array");
               for (std::size_t i = 0; i < v.size(); ++i)
                 c.protectedDirs.push_back(r.Ansi(v[i], f + "[" + std::to_string(i) + "]"));
             }},
            {"free_bytes",
             [&](J v, F f) {
               if (!v.is_object()) r.Fail(f, "must be an object");
               for (auto& [name, bytes] : v.items()) {
                 if (!bytes.is_number_unsigned()) r.Fail(f + "." + name, "must be a whole number");
                 c.freeBytes[r.Letter(name, f + "." + name)] = bytes.get<std::uint64_t>();
               }
             }},
            {"log_dir", [&](J v, F f) { c.logDir = r.Ansi(v, f); }},
            {"exec",
             [&](J v, F f) {
               r.Fields(v, f, {{"result", [&](J x, F g) {
                                  if (!x.is_null()) c.execResult = r.Number(x, g);
                                }}});
             }},
            {"faults", [&](J v, F f) { ParseFaults(r, v, f, c); }},
            {"run",
             [&](J v, F f) {
               r.Fields(v, f,
                        {{"self", [&](J x, F g) { c.self = r.Ansi(x, g); }},
                         {"args", [&](J x, F g) {
                            if (!x.is_array()) r.Fail(g, "must be an array");
                            for (std::size_t i = 0; i < x.size(); ++i)
                              c.args.push_back(r.Ansi(x[i], g + "[" + std::to_string(i) + "]"));
                          }}});
             }},
            {"attributes",
             [&](J v, F f) {
               if (!v.is_object()) r.Fail(f, "must be an object");
               for (auto& [name, letters] : v.items()) {
                 c.attributes[r.AnsiOf(name, f + "." + name)] =
                     ParseAttributes(r, r.Text(letters, f + "." + name), f + "." + name);
               }
             }},
            {"times", [&](J v, F f) {
               if (!v.is_object()) r.Fail(f, "must be an object");
               for (auto& [name, time] : v.items()) {
                 std::string field = f + "." + name;
                 if (name.size() < 4 || name[1] != ':' || name[2] != '\\')
                   r.Fail(field, "must be a file path like D:\\NAME");
                 r.Letter(name.substr(0, 1), field);
                 c.times[r.AnsiOf(name, field)] = ParseTime(r, r.Text(time, field), field);
               }
             }}});
}

// Where a parse error lies, as LINE:COLUMN counted from 1.
std::string Place(const std::string& text, std::size_t byte) {
  byte = std::min(byte, text.size());
  std::size_t line = 1 + std::count(text.begin(), text.begin() + byte, '\n');
  std::size_t start = text.rfind('\n', byte == 0 ? 0 : byte - 1);
  std::size_t column = start == std::string::npos || byte == 0 ? byte : byte - start - 1;
  return std::to_string(line) + ":" + std::to_string(column == 0 ? 1 : column);
}

Json ParseJson(const fs::path& file, const std::string& text) {
  try {
    return Json::parse(text);
  } catch (const Json::parse_error& error) {
    // The library's detail follows its last " - " ("unexpected '}'; expected ...").
    std::string what = error.what();
    std::size_t dash = what.rfind(" - ");
    std::string detail = dash == std::string::npos ? "" : ": " + what.substr(dash + 3);
    throw ConfigError(file.string() + ":" + Place(text, error.byte) + ": not valid JSON" + detail +
                      "; correct it there");
  } catch (const Json::exception&) {  // a number beyond a double's range
    throw ConfigError(file.string() + ": holds a number too large to read; write a smaller one");
  }
}

}  // namespace

void ApplyFileTimes(const MachineConfig& config, const std::map<char, fs::path>& roots) {
  Reader reader(config.dir / "machine.json");
  for (const auto& [path, seconds] : config.times) {
    std::string field = "times." + AnsiToUtf8(path);
    auto root = roots.find(static_cast<char>(std::toupper(static_cast<unsigned char>(path[0]))));
    if (root == roots.end())
      reader.Fail(field, "is on no drive with a medium; name a file on one, or remove the entry");
    std::string relative = AnsiToUtf8(path.substr(3));
    std::replace(relative.begin(), relative.end(), '\\', '/');
    std::error_code error;
    auto system = std::chrono::system_clock::time_point(std::chrono::seconds(seconds));
    fs::last_write_time(root->second / relative, fs::file_time_type::clock::from_sys(system),
                        error);
    if (error)
      reader.Fail(field, "names no file of the machine (" + error.message() +
                             "); name a file that exists, or remove the entry");
  }
}

MachineConfig LoadMachineConfig(const fs::path& dir) {
  fs::path file = dir / "machine.json";
  std::ifstream in(file, std::ios::binary);
  if (!in)
    throw ConfigError(file.string() + ": cannot be read (" + std::strerror(errno) +
                      "); --machine names a folder that holds machine.json");
  std::string text(std::istreambuf_iterator<char>(in), {});
  Json root = ParseJson(file, text);
  MachineConfig config;
  config.dir = fs::absolute(dir).lexically_normal();
  Reader reader(file);
  if (!root.contains("drives")) {
    config.drives = {{'C', DriveKind::Fixed,
                      reader.ExistingPath(config.dir, Json("c"), "drives (default C: c)", true),
                      false}};
  }
  ParseTop(reader, root, config);
  for (auto& [letter, bytes] : config.freeBytes)
    if (!config.Drive(letter))
      reader.Fail("free_bytes." + std::string(1, letter),
                  "names a drive the machine does not have; add it under 'drives' or remove the "
                  "entry");
  if (config.windows64 &&
      (config.osPlatform != 2 || config.osMajor < 5 || (config.osMajor == 5 && config.osMinor < 1)))
    reader.Fail("os.bits",
                "64-bit Windows is of the NT family (platform 2), version 5.1 or "
                "later; change os or leave bits out");
  return config;
}

}  // namespace hosted
