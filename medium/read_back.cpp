#include "medium/read_back.h"

#include <fstream>
#include <iterator>
#include <sstream>

#include "medium/error.h"
#include "medium/install_set.h"
#include "medium/names.h"
#include "medium/pe_file.h"

namespace medium {

namespace {

namespace fs = std::filesystem;

std::vector<Entry> Entries(const fs::path& dir) {
  std::vector<Entry> entries;
  std::error_code error;
  for (fs::directory_iterator it(dir, error), end; !error && it != end; it.increment(error))
    entries.push_back({it->path().filename().string(), it->is_directory()});
  return entries;
}

std::string Slurp(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string Trim(const std::string& text) {
  std::size_t begin = text.find_first_not_of(" \t\r");
  if (begin == std::string::npos) return "";
  return text.substr(begin, text.find_last_not_of(" \t\r") - begin + 1);
}

// The values of the [autorun] section, by lower-cased key.
std::vector<std::pair<std::string, std::string>> AutorunValues(const std::string& text) {
  std::vector<std::pair<std::string, std::string>> values;
  std::istringstream lines(text);
  bool inSection = false;
  for (std::string line; std::getline(lines, line);) {
    line = Trim(line.substr(0, line.find(';')));
    if (!line.empty() && line.front() == '[') {
      inSection = SameNameNoCase(line, "[autorun]");
    } else if (std::size_t equals = line.find('='); inSection && equals != std::string::npos) {
      std::string key = Trim(line.substr(0, equals));
      for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      values.emplace_back(key, Trim(line.substr(equals + 1)));
    }
  }
  return values;
}

// Whether an open= command starts SETUP.EXE at the root with the first argument "autorun".
bool StartsLauncherWithAutorun(const std::string& command) {
  std::istringstream words(command);
  std::string program, argument;
  words >> program >> argument;
  if (program.size() > 1 && program.front() == '"' && program.back() == '"')
    program = program.substr(1, program.size() - 2);
  if (program.rfind(".\\", 0) == 0 || program.rfind("\\", 0) == 0)
    program = program.substr(program.find('\\') + 1);
  return SameNameNoCase(program, "SETUP.EXE") && SameNameNoCase(argument, "autorun");
}

void InspectLauncher(const fs::path& file, Inspection& result) {
  std::string bytes = Slurp(file);
  try {
    ProgramFacts facts =
        ReadProgramFacts({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()});
    std::string version = facts.version ? "version " + VersionText(*facts.version) : "no version";
    result.lines.push_back("launcher     " + file.filename().string() + ": " + version + ", " +
                           facts.processor + (facts.signature ? ", signed" : ", not signed"));
    if (!facts.version) result.problems.push_back("the launcher has no version resource");
  } catch (const MediumError& error) {
    throw MediumError(file.string() + ": " + error.what());
  }
}

void InspectAutorun(const fs::path& dir, const std::vector<Entry>& root, Inspection& result) {
  const Entry* autorun = FindNoCase(root, "autorun.inf");
  if (!autorun || autorun->folder) {
    result.lines.push_back("autorun.inf  none");
    result.problems.push_back("no autorun.inf: the medium does not start the launcher by itself");
    return;
  }
  std::string open, shown;
  for (const auto& [key, value] : AutorunValues(Slurp(dir / autorun->name))) {
    if (key == "open") open = value;
    if (key == "open" || key == "icon" || key == "label")
      shown += (shown.empty() ? "" : "; ") + key + "=" + value;
  }
  result.lines.push_back("autorun.inf  " + (shown.empty() ? "no [autorun] values" : shown));
  if (!StartsLauncherWithAutorun(open))
    result.problems.push_back(
        "autorun.inf's open= does not start SETUP.EXE with the argument autorun");
}

// The folder the launcher takes the set-up files from, as it decides it.
void InspectInstallSet(const fs::path& dir, const std::vector<Entry>& root, Inspection& result) {
  std::string where = "at the root";
  std::vector<Entry> entries = root;
  const Entry* orv = FindNoCase(root, "orv");
  if (orv && orv->folder) {
    std::vector<Entry> orvEntries = Entries(dir / orv->name);
    const Entry* win32 = FindNoCase(orvEntries, "win32");
    if (win32 && win32->folder) {
      std::vector<Entry> sub = Entries(dir / orv->name / win32->name);
      const Entry* compressed = FindNoCase(sub, "orv.ex_");
      if (compressed && !compressed->folder) entries = sub, where = "in orv\\win32";
    }
  }
  std::vector<std::string> missing = MissingFromInstallSet(entries);
  if (missing.empty()) {
    const Entry* program = FindNoCase(entries, "Orv.Exe");
    result.lines.push_back("install set  complete " + where + ", set-up program " +
                           (program && !program->folder ? "ready to run" : "compressed"));
    return;
  }
  std::string names;
  for (const auto& name : missing) names += (names.empty() ? "" : ", ") + name;
  result.lines.push_back("install set  incomplete " + where + ": " + names +
                         " missing (a medium of modules only starts no set-up)");
}

}  // namespace

Inspection InspectMedium(const fs::path& dir) {
  if (!fs::is_directory(dir)) throw MediumError(dir.string() + ": is not a folder");
  std::vector<Entry> root = Entries(dir);
  const Entry* launcher = FindNoCase(root, "SETUP.EXE");
  if (!launcher || launcher->folder)
    throw MediumError(dir.string() + ": has no SETUP.EXE at its root");
  Inspection result;
  InspectLauncher(dir / launcher->name, result);
  InspectAutorun(dir, root, result);
  InspectInstallSet(dir, root, result);
  return result;
}

}  // namespace medium
