#include "platform/hosted/machine/config.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <nlohmann/json.hpp>

#include "platform/call_table.h"
#include "platform/hosted/text/codepage.h"

namespace hosted {

namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;

// Walks machine.json, naming the file and the field in every complaint.
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
      if (handler == handlers.end()) Fail(path, "unknown field");
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
    auto ansi = Utf8ToAnsi(Text(value, field));
    if (!ansi) Fail(field, "has characters that code page 1252 cannot hold");
    return *ansi;
  }

  char Letter(const std::string& name, const std::string& field) const {
    if (name.size() != 1 || !std::isalpha(static_cast<unsigned char>(name[0])) ||
        static_cast<unsigned char>(name[0]) > 0x7F)
      Fail(field, "'" + name + "' is not a drive letter A-Z");
    return static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
  }

  fs::path ExistingPath(const fs::path& dir, const Json& value, const std::string& field,
                        bool folder) const {
    fs::path path = dir / Text(value, field);
    std::error_code error;
    auto status = fs::status(path, error);
    if (error || !fs::exists(status)) Fail(field, "'" + path.string() + "' does not exist");
    if (folder != fs::is_directory(status))
      Fail(field, "'" + path.string() + (folder ? "' is not a folder" : "' is a folder"));
    return fs::absolute(path).lexically_normal();
  }

 private:
  fs::path file_;
};

DriveKind ParseKind(const Reader& reader, const std::string& type, const std::string& field) {
  static const std::map<std::string, DriveKind> kinds = {{"fixed", DriveKind::Fixed},
                                                         {"cdrom", DriveKind::CdRom},
                                                         {"removable", DriveKind::Removable},
                                                         {"remote", DriveKind::Remote},
                                                         {"ramdisk", DriveKind::RamDisk}};
  auto kind = kinds.find(type);
  if (kind == kinds.end())
    reader.Fail(field, "'" + type + "' is not one of fixed, cdrom, removable, remote, ramdisk");
  return kind->second;
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
    if (!typed) reader.Fail(path + ".type", "is missing");
    if (!entry.contains("path")) reader.Fail(path + ".path", "is missing (null: no medium)");
    if (drive.kind == DriveKind::CdRom) drive.readOnly = true;
    if (config.Drive(drive.letter)) reader.Fail(path, "names a drive twice");
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
        reader.Fail(field, "'" + letters + "' may hold only the letters R, H, S and A");
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
    if (fault.call.empty()) reader.Fail(path + ".call", "is missing");
    const CallInfo* call = FindCall(fault.call);
    if (!call || !call->CanFail())
      reader.Fail(path + ".call", "'" + fault.call + "' is not a call of the platform");
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
                         {"platform", [&](J x, F g) { c.osPlatform = r.Number(x, g); }}});
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
                 auto path = Utf8ToAnsi(name);
                 if (!path)
                   r.Fail(f + "." + name, "has characters that code page 1252 cannot hold");
                 c.attributes[*path] =
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
                 auto path = Utf8ToAnsi(name);
                 if (!path) r.Fail(field, "has characters that code page 1252 cannot hold");
                 c.times[*path] = ParseTime(r, r.Text(time, field), field);
               }
             }}});
}

}  // namespace

void ApplyFileTimes(const MachineConfig& config, const std::map<char, fs::path>& roots) {
  for (const auto& [path, seconds] : config.times) {
    auto root = roots.find(static_cast<char>(std::toupper(static_cast<unsigned char>(path[0]))));
    if (root == roots.end()) throw ConfigError("times: " + path + " is on no drive with a medium");
    std::string relative = AnsiToUtf8(path.substr(3));
    std::replace(relative.begin(), relative.end(), '\\', '/');
    std::error_code error;
    auto system = std::chrono::system_clock::time_point(std::chrono::seconds(seconds));
    fs::last_write_time(root->second / relative, fs::file_time_type::clock::from_sys(system),
                        error);
    if (error) throw ConfigError("times: " + path + ": " + error.message());
  }
}

MachineConfig LoadMachineConfig(const fs::path& dir) {
  fs::path file = dir / "machine.json";
  std::ifstream in(file, std::ios::binary);
  if (!in) throw ConfigError(file.string() + ": cannot be read");
  Json root;
  try {
    root = Json::parse(in);
  } catch (const Json::exception& error) {  // also a number beyond double's range
    throw ConfigError(file.string() + ": " + error.what());
  }
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
      reader.Fail("free_bytes." + std::string(1, letter), "names no configured drive");
  return config;
}

}  // namespace hosted
