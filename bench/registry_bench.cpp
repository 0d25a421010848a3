// Loading a large .reg file, and writing one.
#include <cstdio>
#include <fstream>
#include <stdexcept>

#include "bench/bench_machine.h"
#include "bench/commands.h"
#include "platform/hosted/registry/registry.h"

namespace bench {

namespace {

constexpr unsigned kValuesPerKey = 100;

// Value number i of a key: a string, a number or binary data in turn.
std::string ValueLine(unsigned key, unsigned i) {
  char line[128];
  switch (i % 3) {
    case 0:
      std::snprintf(line, sizeof line, "\"Text%03u\"=\"C:\\\\Program Files\\\\Item %u of %u\"\r\n",
                    i, i, key);
      break;
    case 1:
      std::snprintf(line, sizeof line, "\"Count%03u\"=dword:%08x\r\n", i, key * kValuesPerKey + i);
      break;
    default:
      std::snprintf(line, sizeof line, "\"Data%03u\"=hex:%02x,%02x,%02x,%02x,00,ff,10,20\r\n", i,
                    i & 0xff, key & 0xff, (key >> 8) & 0xff, (key >> 16) & 0xff);
  }
  return line;
}

std::string KeyText(unsigned key, unsigned values) {
  char header[96];
  std::snprintf(header, sizeof header, "\r\n[HKEY_LOCAL_MACHINE\\Software\\Bench\\Key%07u]\r\n",
                key);
  std::string text = header;
  for (unsigned i = 0; i < values; ++i) text += ValueLine(key, i);
  return text;
}

// ASCII text as UTF-16LE bytes.
std::string Wide(const std::string& text) {
  std::string wide;
  wide.reserve(text.size() * 2);
  for (char c : text) {
    wide += c;
    wide += '\0';
  }
  return wide;
}

}  // namespace

void LoadRegistry(const Arguments& args) {
  RequireArguments(args, 1, "load-registry FILE");
  hosted::Registry registry(true);
  auto start = std::chrono::steady_clock::now();
  registry.Load(args[0]);
  ReportSecondsSince(start);
}

void MakeRegistry(const Arguments& args) {
  RequireArguments(args, 3, "make-registry FILE VALUES FLAVOUR");
  unsigned values = static_cast<unsigned>(std::stoul(args[1]));
  bool wide = args[2] == "5";
  std::ofstream out(args[0], std::ios::binary | std::ios::trunc);
  out << (wide ? "\xff\xfe" + Wide("Windows Registry Editor Version 5.00\r\n") : "REGEDIT4\r\n");
  for (unsigned key = 0; key * kValuesPerKey < values; ++key) {
    std::string text = KeyText(key, std::min(kValuesPerKey, values - key * kValuesPerKey));
    out << (wide ? Wide(text) : text);
  }
  if (!out.flush()) throw std::runtime_error("cannot write " + args[0]);
  std::printf("%u\n", values);
}

}  // namespace bench
