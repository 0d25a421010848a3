#include "medium/layout.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <random>

#include "medium/error.h"
#include "medium/install_set.h"
#include "medium/names.h"
#include "medium/pe_file.h"
#include "medium/szdd_writer.h"

namespace medium {

namespace {

namespace fs = std::filesystem;

constexpr const char* kLauncherName = "SETUP.EXE";
constexpr const char* kAutorunName = "autorun.inf";
constexpr const char* kIconName = "Orvanel.ico";
constexpr const char* kSubdir = "orv/win32/";
// A CD's volume label holds 32 characters.
constexpr std::size_t kMaxLabel = 32;
// The SZDD magic (53 5A 44 44 88 F0 27 33) and the mode 'A'.
constexpr std::string_view kSzddStart = "SZDD\210\360'3A";

std::vector<std::uint8_t> ReadBytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in.is_open()) throw MediumError(file.string() + ": cannot be opened");
  std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
  if (in.bad()) throw MediumError(file.string() + ": cannot be read");
  return bytes;
}

bool StartsWith(const std::vector<std::uint8_t>& bytes, std::string_view prefix) {
  return bytes.size() >= prefix.size() &&
         std::equal(prefix.begin(), prefix.end(), bytes.begin(),
                    [](char a, std::uint8_t b) { return static_cast<std::uint8_t>(a) == b; });
}

// A file or folder of the install set, by its path below the set's folder ("a/b").
struct SourceEntry {
  fs::path source;
  std::string relative;
  bool folder = false;
};

// The entries of one folder, by name; names checked, names equal but for case refused.
std::vector<fs::directory_entry> CheckedFolder(const fs::path& dir) {
  std::vector<fs::directory_entry> entries{fs::directory_iterator(dir), {}};
  std::sort(entries.begin(), entries.end(),
            [](const auto& a, const auto& b) { return a.path().filename() < b.path().filename(); });
  for (std::size_t i = 0; i < entries.size(); ++i) {
    std::string name = entries[i].path().filename().string();
    if (auto problem = NameProblem(name))
      throw MediumError(entries[i].path().string() + ": " + *problem);
    for (std::size_t j = 0; j < i; ++j)
      if (SameNameNoCase(name, entries[j].path().filename().string()))
        throw MediumError(entries[i].path().string() + ": differs from " +
                          entries[j].path().filename().string() +
                          " only in letter case, which Windows does not tell apart");
  }
  return entries;
}

// Every entry below dir, each folder before what it holds.
void ListTree(const fs::path& dir, const std::string& prefix, std::vector<SourceEntry>& out) {
  for (const auto& entry : CheckedFolder(dir)) {
    std::string relative = prefix + entry.path().filename().string();
    if (entry.is_directory()) {
      if (entry.is_symlink()) throw MediumError(entry.path().string() + ": is a link to a folder");
      out.push_back({entry.path(), relative, true});
      ListTree(entry.path(), relative + "/", out);
    } else if (entry.is_regular_file()) {
      out.push_back({entry.path(), relative, false});
    } else {
      throw MediumError(entry.path().string() + ": is neither a file nor a folder");
    }
  }
}

void CheckLabel(const std::string& label) {
  if (label.empty() || label.size() > kMaxLabel)
    throw MediumError("--label: must hold 1 to 32 characters");
  for (char c : label)
    if (c < 0x20 || c > 0x7E || c == ';' || c == '"')
      throw MediumError("--label: letters, digits, blanks and punctuation only, without ; and \"");
  if (label.front() == ' ' || label.back() == ' ')
    throw MediumError("--label: must not begin or end with a blank");
}

// One thing to write on the medium, at its path below the medium's root ("a/b").
struct Planned {
  std::string relative;
  bool folder = false;
  fs::path source;                  // copied when bytes is empty and this is a file
  std::vector<std::uint8_t> bytes;  // written when not empty
  fs::file_time_type time{};
  std::string note;
};

std::string WindowsPath(std::string relative) {
  std::replace(relative.begin(), relative.end(), '/', '\\');
  return relative;
}

class Layout {
 public:
  explicit Layout(const LayoutOptions& options) : options_(options) {}

  std::vector<Planned> Plan();

 private:
  void PlanLauncher();
  void CheckInstallSet(const std::vector<SourceEntry>& tree);
  void PlanFiles(const std::vector<SourceEntry>& tree);

  const LayoutOptions& options_;
  std::vector<Planned> plan_;
  std::string label_;
  fs::file_time_type launcherTime_{};
};

std::vector<Planned> Layout::Plan() {
  PlanLauncher();
  if (!fs::is_directory(options_.files))
    throw MediumError("--files " + options_.files.string() + ": is not a folder");
  std::vector<SourceEntry> tree;
  ListTree(options_.files, "", tree);
  CheckInstallSet(tree);
  plan_.push_back({kAutorunName, false, {}, {}, launcherTime_, "open=SETUP.EXE autorun"});
  std::string autorun = AutorunText(label_);
  plan_.back().bytes.assign(autorun.begin(), autorun.end());
  plan_.push_back({kIconName, false, {}, ReadBytes(options_.icon), launcherTime_, "the icon"});
  PlanFiles(tree);
  return std::move(plan_);
}

void Layout::PlanLauncher() {
  std::vector<std::uint8_t> bytes = ReadBytes(options_.launcher);
  ProgramFacts facts;
  try {
    facts = ReadProgramFacts(bytes);
  } catch (const MediumError& error) {
    throw MediumError("--launcher " + options_.launcher.string() + ": " + error.what());
  }
  if (!facts.version)
    throw MediumError("--launcher " + options_.launcher.string() + ": has no version resource");
  label_ = options_.label.value_or("Orvanel " + VersionText(*facts.version));
  CheckLabel(label_);
  launcherTime_ = fs::last_write_time(options_.launcher);
  std::string note = "the launcher " + VersionText(*facts.version) + ", " + facts.processor +
                     (facts.signature ? ", signed" : ", not signed");
  plan_.push_back({kLauncherName, false, {}, std::move(bytes), launcherTime_, note});
}

void Layout::CheckInstallSet(const std::vector<SourceEntry>& tree) {
  std::vector<Entry> top;
  for (const auto& entry : tree)
    if (entry.relative.find('/') == std::string::npos)
      top.push_back({entry.relative, entry.folder});
  std::string files = options_.files.string();
  std::vector<std::string> missing = MissingFromInstallSet(top);
  const Entry* program = FindNoCase(top, "Orv.Exe");
  const Entry* compressed = FindNoCase(top, "Orv.Ex_");
  if (options_.compress && compressed)
    throw MediumError("--compress: " + files + " holds " + compressed->name +
                      " already; --compress makes it from Orv.Exe");
  if (!missing.empty()) {
    std::string names;
    for (const auto& name : missing) names += (names.empty() ? "" : ", ") + name;
    throw MediumError("the install set in " + files + " is incomplete: " + names +
                      " missing; nothing was written");
  }
  if (program && !StartsWith(ReadBytes(options_.files / program->name), "MZ"))
    throw MediumError(files + "/" + program->name + ": is not a Windows program (no MZ header)");
  if (compressed && !StartsWith(ReadBytes(options_.files / compressed->name), kSzddStart))
    throw MediumError(files + "/" + compressed->name + ": is not an SZDD compressed file");
  if (options_.subdir && !options_.compress && !compressed)
    throw MediumError(
        "--subdir: the launcher looks in orv\\win32 only when Orv.Ex_ lies there; add --compress "
        "or give Orv.Ex_");
  if (!options_.subdir)
    for (const char* own : {kLauncherName, kAutorunName, kIconName})
      if (const Entry* clash = FindNoCase(top, own))
        throw MediumError(files + "/" + clash->name + ": the medium's root has a " + own +
                          " of its own");
}

void Layout::PlanFiles(const std::vector<SourceEntry>& tree) {
  std::string prefix = options_.subdir ? kSubdir : "";
  if (options_.subdir) {
    plan_.push_back({"orv", true, {}, {}, launcherTime_, ""});
    plan_.push_back({"orv/win32", true, {}, {}, launcherTime_, ""});
  }
  for (const auto& entry : tree) {
    Planned planned{prefix + entry.relative, entry.folder, entry.source, {}, {}, ""};
    // Orv.Ex_ keeps Orv.Exe's time: the launcher's automatic start compares it with the
    // installed program's.
    if (!entry.folder) planned.time = fs::last_write_time(entry.source);
    if (options_.compress && SameNameNoCase(entry.relative, "Orv.Exe")) {
      std::vector<std::uint8_t> program = ReadBytes(entry.source);
      // The compressed name ends in '_' in place of the character the header keeps.
      planned.relative.back() = '_';
      planned.bytes = CompressSzdd(program, entry.relative.back());
      planned.note =
          entry.relative + " compressed from " + std::to_string(program.size()) + " bytes";
    }
    plan_.push_back(std::move(planned));
  }
}

void WriteBytes(const fs::path& file, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) throw MediumError(file.string() + ": cannot be written");
}

std::string Report(const fs::path& file, const Planned& planned) {
  std::string line = WindowsPath(planned.relative);
  if (planned.folder) return line + "\\";
  line += "  " + std::to_string(fs::file_size(file)) + " bytes";
  if (!planned.note.empty()) line += "  (" + planned.note + ")";
  return line;
}

std::vector<std::string> Write(const std::vector<Planned>& plan, const fs::path& dir) {
  std::vector<std::string> report;
  for (const auto& planned : plan) {
    fs::path target = dir / planned.relative;
    if (planned.folder) {
      fs::create_directory(target);
    } else {
      if (planned.bytes.empty() && !planned.source.empty())
        fs::copy_file(planned.source, target);
      else
        WriteBytes(target, planned.bytes);
      fs::last_write_time(target, planned.time);
    }
    report.push_back(Report(target, planned));
  }
  return report;
}

// The absolute path of a folder, without a trailing separator.
fs::path FolderPath(const fs::path& path) {
  fs::path absolute = fs::absolute(path).lexically_normal();
  return absolute.has_filename() ? absolute : absolute.parent_path();
}

void CheckOut(const fs::path& out, const fs::path& files) {
  if (fs::exists(out) && !(fs::is_directory(out) && fs::is_empty(out)))
    throw MediumError("--out " + out.string() + ": exists and is not an empty folder");
  fs::path parent = out.parent_path();
  if (!fs::is_directory(parent))
    throw MediumError("--out " + out.string() + ": no such folder " + parent.string());
  fs::path inside = fs::weakly_canonical(out), set = fs::canonical(files);
  auto [setEnd, _] = std::mismatch(set.begin(), set.end(), inside.begin(), inside.end());
  if (setEnd == set.end())
    throw MediumError("--out " + out.string() + ": lies inside --files " + files.string());
}

}  // namespace

std::string AutorunText(const std::string& label) {
  return std::string("[autorun]\r\nopen=") + kLauncherName + " autorun\r\nicon=" + kIconName +
         "\r\nlabel=" + label + "\r\n";
}

std::vector<std::string> LayOutMedium(const LayoutOptions& options) {
  std::vector<Planned> plan = Layout(options).Plan();
  fs::path out = FolderPath(options.out);
  CheckOut(out, options.files);
  fs::path partial = out.parent_path() / ("." + out.filename().string() + ".partial-" +
                                          std::to_string(std::random_device()()));
  try {
    fs::create_directory(partial);
    std::vector<std::string> report = Write(plan, partial);
    if (fs::exists(out)) fs::remove(out);
    fs::rename(partial, out);
    return report;
  } catch (const std::exception& error) {
    std::error_code ignored;
    fs::remove_all(partial, ignored);
    throw MediumError(std::string("writing the medium failed, nothing was kept: ") + error.what());
  }
}

}  // namespace medium
