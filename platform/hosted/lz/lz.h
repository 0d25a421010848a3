// The LZ expansion library of the simulated machine: LZOpenFileA, LZCopy and LZClose over
// the SZDD compressed format, copying every other file unchanged.
#pragma once

#include <map>
#include <memory>

#include "platform/platform.h"

namespace hosted {

using namespace platform;

class LzLibrary {
 public:
  // files: the platform whose file calls the library uses, as LZ32 uses kernel32.
  explicit LzLibrary(Platform& files);
  ~LzLibrary();
  LzLibrary(const LzLibrary&) = delete;
  LzLibrary& operator=(const LzLibrary&) = delete;

  INT LZOpenFileA(const char* name, OFSTRUCT* info, WORD style);
  LONG LZCopy(INT source, INT target);
  void LZClose(INT file);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace hosted
