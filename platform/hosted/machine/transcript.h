// What the launcher did on the simulated machine, in the order it happened.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "platform/hosted/events.h"

namespace hosted {

// One transcript event. `kind` is the event name; `fields` holds its fields in order,
// each a name and either a text or a number (texts are ANSI, written out as UTF-8).
struct Event {
  struct Field {
    std::string name;
    std::string text;
    long long number = 0;
    bool isNumber = false;
  };
  std::string kind;
  std::vector<Field> fields;

  const Field* Find(const std::string& name) const;
};

class Transcript : public Events {
 public:
  void Box(const std::string& caption, const std::string& text, unsigned style) override;
  void Exec(const std::string& cmdline, unsigned show, const std::string& cwd,
            unsigned result) override;
  void CriticalError(const std::string& drive, const std::string& text) override;
  void Log(const std::string& line);
  void File(const std::string& path, const std::string& change);
  void Key(const std::string& key, const std::string& change);
  // Ends the transcript with the launcher's exit code and the run's outcome, read from the
  // events so far.
  void Exit(int code);

  const std::vector<Event>& Events() const { return events_; }

  // One JSON object a line.
  void WriteJsonLines(std::ostream& out) const;
  // The readable form printed by orvlaunch.
  void WriteReadable(std::ostream& out) const;

 private:
  std::vector<Event> events_;
};

}  // namespace hosted
