// What the launcher did on the simulated machine, in the order it happened.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "platform/hosted/events.h"
#include "platform/trace/trace.h"

namespace hosted {

// One transcript event. `kind` is the event name; `fields` holds its fields in order,
// each a name and a value (texts are ANSI, written out as UTF-8).
struct Event {
  struct Field {
    enum class Type { Text, Number, Bool, List, Null };
    std::string name;
    Type type = Type::Text;
    std::string text;
    long long number = 0;  // a number; a Bool as 0 or 1
    std::vector<std::string> list;
  };
  std::string kind;
  std::vector<Field> fields;

  const Field* Find(const std::string& name) const;
};

class Transcript : public Events, public trace::Sink {
 public:
  void Box(const std::string& caption, const std::string& text, unsigned style) override;
  void Exec(const std::string& cmdline, unsigned show, const std::string& cwd,
            unsigned result) override;
  void CriticalError(const std::string& drive, const std::string& text) override;
  void Log(const std::string& line);
  std::size_t BeginCall() override;
  void EndCall(std::size_t place, trace::CallRecord record) override;
  void Debug(const std::string& text) override;
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
