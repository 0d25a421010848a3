#include "platform/hosted/machine/warnings.h"

#include <cctype>

#include "platform/hosted/text/codepage.h"

namespace hosted {

namespace {

class Warnings {
 public:
  explicit Warnings(const MachineConfig& config)
      : config_(config), file_((config.dir / "machine.json").string()) {}

  // A path that begins with a drive letter the machine lacks; false for one.
  bool Drive(const std::string& field, const std::string& path) {
    if (path.size() < 2 || path[1] != ':' || !std::isalpha(static_cast<unsigned char>(path[0])))
      return true;
    char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(path[0])));
    if (config_.Drive(letter)) return true;
    Add(field, "'" + AnsiToUtf8(path) + "' is on drive " + letter +
                   ":, which the machine does not have (its drives: " + Letters() + "); add " +
                   letter + " under 'drives' or change the path");
    return false;
  }

  void Missing(const std::string& field, const std::string& path) {
    Add(field, "'" + AnsiToUtf8(path) +
                   "' names no file or folder of the machine; correct the path or remove the "
                   "entry");
  }

  std::vector<std::string> Take() { return std::move(texts_); }

 private:
  void Add(const std::string& field, const std::string& what) {
    texts_.push_back(file_ + ": field '" + field + "': " + what);
  }

  std::string Letters() const {
    std::string letters;
    for (const auto& drive : config_.drives) {
      if (!letters.empty()) letters += ", ";
      letters += drive.letter;
    }
    return letters;
  }

  const MachineConfig& config_;
  std::string file_;
  std::vector<std::string> texts_;
};

}  // namespace

std::vector<std::string> DescriptionWarnings(const MachineConfig& config, const FileSystem& files,
                                             const std::string& selfField) {
  Warnings warnings(config);
  warnings.Drive(selfField, config.self);
  warnings.Drive("temp", config.temp);
  warnings.Drive("current_dir", config.currentDir);
  warnings.Drive("log_dir", config.logDir);
  for (std::size_t i = 0; i < config.protectedDirs.size(); ++i)
    warnings.Drive("protected[" + std::to_string(i) + "]", config.protectedDirs[i]);
  for (const auto& [path, attributes] : config.attributes) {
    std::string field = "attributes." + AnsiToUtf8(path);
    if (warnings.Drive(field, path) && !files.Exists(path)) warnings.Missing(field, path);
  }
  return warnings.Take();
}

}  // namespace hosted
