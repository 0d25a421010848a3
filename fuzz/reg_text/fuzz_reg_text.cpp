// The .reg reader on arbitrary bytes: it loads them or throws RegFileError, and what it
// loaded, saved and loaded again saves to the same bytes.
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include "fuzz/support/scratch.h"
#include "platform/hosted/registry/registry.h"

namespace {

std::string Saved(const hosted::Registry& registry) {
  auto file = fuzzing::ScratchDir() / "saved.reg";
  registry.Save(file);
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  hosted::Registry first(true);
  try {
    first.LoadText(std::string_view(reinterpret_cast<const char*>(data), size), "fuzz.reg");
  } catch (const hosted::RegFileError&) {
    return 0;
  }
  std::string once = Saved(first);
  hosted::Registry second(true);
  second.LoadText(once, "saved.reg");
  if (Saved(second) != once) std::abort();
  return 0;
}
