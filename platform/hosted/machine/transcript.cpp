#include "platform/hosted/machine/transcript.h"

#include <nlohmann/json.hpp>
#include <ostream>

#include "platform/hosted/text/codepage.h"

namespace hosted {

namespace {

Event::Field Text(std::string name, std::string text) {
  return {std::move(name), std::move(text), 0, false};
}

Event::Field Number(std::string name, long long number) {
  return {std::move(name), {}, number, true};
}

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
      if (field.isNumber) {
        line[field.name] = field.number;
      } else {
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
    } else if (event.kind == "key") {
      out << event.Find("change")->text << ' ' << Visible(event.Find("key")->text);
    } else {
      out << event.Find("code")->number << "  (" << event.Find("outcome")->text << ')';
    }
    out << '\n';
  }
}

}  // namespace hosted
