#include "platform/hosted/machine/transcript.h"

#include <nlohmann/json.hpp>
#include <ostream>

#include "platform/hosted/text/codepage.h"

namespace hosted {

namespace {

using Type = Event::Field::Type;

Event::Field Text(std::string name, std::string text) {
  return {std::move(name), Type::Text, std::move(text), 0, {}};
}

Event::Field Number(std::string name, long long number) {
  return {std::move(name), Type::Number, {}, number, {}};
}

Event::Field Bool(std::string name, bool value) {
  return {std::move(name), Type::Bool, {}, value, {}};
}

Event::Field List(std::string name, std::vector<std::string> items) {
  return {std::move(name), Type::List, {}, 0, std::move(items)};
}

Event::Field Null(std::string name) { return {std::move(name), Type::Null, {}, 0, {}}; }

// Control characters are shown escaped so that a transcript line stays one line.
std::string Visible(const std::string& ansi) {
  std::string out;
  for (char c : AnsiToUtf8(ansi)) {
    if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (static_cast<unsigned char>(c) < 0x20) {
      static const char* hex = "0123456789abcdef";
      out += "\\x";
      out += hex[(c >> 4) & 0xF];
      out += hex[c & 0xF];
    } else {
      out += c;
    }
  }
  return out;
}

// A call event as one line: name(args) = result, then the error and the fault.
void WriteCall(const Event& event, std::ostream& out) {
  out << event.Find("call")->text << '(';
  const auto& args = event.Find("args")->list;
  for (std::size_t i = 0; i < args.size(); ++i) out << (i ? ", " : "") << Visible(args[i]);
  out << ')';
  const Event::Field* result = event.Find("result");
  if (result->type == Type::Number) out << " = " << result->number;
  if (result->type == Type::Text) out << " = " << Visible(result->text);
  const Event::Field* name = event.Find("result_name");
  if (name) out << ' ' << name->text;
  long long error = event.Find("error")->number;
  const Event::Field* errorName = event.Find("error_name");
  if (errorName) out << "  " << errorName->text << " (" << error << ')';
  if (error != 0 && !errorName) out << "  error " << error;
  if (event.Find("fault")->number) out << "  [fault]";
}

// What the run came to, in one word. The set-up program is always handed its source
// folder, the installed program nothing, so a started command line with an argument is the
// set-up. A failed start is followed by the launcher's box about it.
std::string Outcome(const std::vector<Event>& events, int code) {
  if (code != 0) return "error";
  const Event* started = nullptr;
  bool box = false;
  for (const Event& event : events) {
    if (event.kind == "box") box = true;
    if (event.kind == "exec" && event.Find("result")->number > 31) started = &event;
  }
  if (started) {
    // The program is the quoted text at the start, else the text up to the first blank.
    const std::string& line = started->Find("cmdline")->text;
    std::size_t end = line.starts_with('"') ? line.find('"', 1) : line.find(' ');
    end = end == std::string::npos ? line.size() : end + 1;
    return line.find_first_not_of(' ', end) != std::string::npos ? "setup" : "program";
  }
  return box ? "message" : "nothing";
}

}  // namespace

const Event::Field* Event::Find(const std::string& name) const {
  for (const auto& field : fields)
    if (field.name == name) return &field;
  return nullptr;
}

void Transcript::Box(const std::string& caption, const std::string& text, unsigned style) {
  events_.push_back(
      {"box", {Text("caption", caption), Text("text", text), Number("style", style)}});
}

void Transcript::Exec(const std::string& cmdline, unsigned show, const std::string& cwd,
                      unsigned result) {
  events_.push_back({"exec",
                     {Text("cmdline", cmdline), Number("show", show), Text("cwd", cwd),
                      Number("result", result)}});
}

void Transcript::CriticalError(const std::string& drive, const std::string& text) {
  events_.push_back({"critical-error", {Text("drive", drive), Text("text", text)}});
}

void Transcript::Log(const std::string& line) { events_.push_back({"log", {Text("line", line)}}); }

std::size_t Transcript::BeginCall() {
  events_.push_back({"call", {}});
  return events_.size() - 1;
}

void Transcript::EndCall(std::size_t place, trace::CallRecord record) {
  Event& event = events_[place];
  event.fields.push_back(Text("call", record.call));
  event.fields.push_back(List("args", std::move(record.args)));
  if (record.numericResult) {
    event.fields.push_back(Number("result", record.number));
    // A result that is a named code or a handle also shows its name.
    if (!record.text.empty()) event.fields.push_back(Text("result_name", record.text));
  } else {
    event.fields.push_back(record.text.empty() ? Null("result") : Text("result", record.text));
  }
  event.fields.push_back(Number("error", record.error));
  std::string_view errorName = platform::ErrorName(record.error);
  if (record.error != 0 && !errorName.empty())
    event.fields.push_back(Text("error_name", std::string(errorName)));
  event.fields.push_back(Bool("fault", record.fault));
}

void Transcript::Debug(const std::string& text) {
  events_.push_back({"debug", {Text("text", text)}});
}

void Transcript::File(const std::string& path, const std::string& change) {
  events_.push_back({"file", {Text("path", path), Text("change", change)}});
}

void Transcript::Key(const std::string& key, const std::string& change) {
  events_.push_back({"key", {Text("key", key), Text("change", change)}});
}

void Transcript::Exit(int code) {
  std::string outcome = Outcome(events_, code);
  events_.push_back({"exit", {Number("code", code), Text("outcome", outcome)}});
}

void Transcript::WriteJsonLines(std::ostream& out) const {
  for (const Event& event : events_) {
    nlohmann::ordered_json line;
    line["event"] = event.kind;
    for (const auto& field : event.fields) {
      switch (field.type) {
        case Type::Number:
          line[field.name] = field.number;
          break;
        case Type::Bool:
          line[field.name] = field.number != 0;
          break;
        case Type::List: {
          auto& items = line[field.name] = nlohmann::ordered_json::array();
          for (const auto& item : field.list) items.push_back(AnsiToUtf8(item));
          break;
        }
        case Type::Null:
          line[field.name] = nullptr;
          break;
        case Type::Text:
          line[field.name] = AnsiToUtf8(field.text);
      }
    }
    out << line.dump() << '\n';
  }
}

void Transcript::WriteReadable(std::ostream& out) const {
  for (const Event& event : events_) {
    std::string kind = event.kind;
    kind.resize(15, ' ');
    out << kind;
    if (event.kind == "box") {
      out << '[' << Visible(event.Find("caption")->text) << "] "
          << Visible(event.Find("text")->text) << "  (style " << event.Find("style")->number << ")";
    } else if (event.kind == "exec") {
      out << Visible(event.Find("cmdline")->text) << "  (in " << Visible(event.Find("cwd")->text)
          << ", show " << event.Find("show")->number << ") -> " << event.Find("result")->number;
    } else if (event.kind == "critical-error") {
      out << event.Find("drive")->text << ' ' << Visible(event.Find("text")->text);
    } else if (event.kind == "log") {
      out << Visible(event.Find("line")->text);
    } else if (event.kind == "file") {
      out << event.Find("change")->text << ' ' << Visible(event.Find("path")->text);
    } else if (event.kind == "call") {
      WriteCall(event, out);
    } else if (event.kind == "debug") {
      out << Visible(event.Find("text")->text);
    } else if (event.kind == "key") {
      out << event.Find("change")->text << ' ' << Visible(event.Find("key")->text);
    } else {
      out << event.Find("code")->number << "  (" << event.Find("outcome")->text << ')';
    }
    out << '\n';
  }
}

}  // namespace hosted
