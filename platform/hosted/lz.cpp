// Placeholder until the LZ library lands: every call fails.
#include "platform/hosted/lz.h"

#include "platform/hosted/last_error.h"

namespace hosted {

struct LzLibrary::State {};

LzLibrary::LzLibrary(Platform&) {}
LzLibrary::~LzLibrary() = default;
INT LzLibrary::LZOpenFileA(const char* name, OFSTRUCT* info, WORD style) {
  (void)name;
  (void)info;
  (void)style;
  return Fail(120, INT(-1));
}
LONG LzLibrary::LZCopy(INT source, INT target) {
  (void)source;
  (void)target;
  return LZERROR_BADINHANDLE;
}
void LzLibrary::LZClose(INT file) { (void)file; }
}  // namespace hosted
