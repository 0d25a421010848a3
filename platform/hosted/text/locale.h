// The locale's text services of the simulated machine, over code page 1252.
#pragma once

#include "platform/platform.h"

namespace hosted {

using namespace platform;

class Locale {
 public:
  // The calls below behave as the Platform members of the same names.
  DWORD CharLowerBuffA(char* text, DWORD length);
  int CompareStringA(LCID locale, DWORD flags, const char* a, int aLength, const char* b,
                     int bLength);
};

}  // namespace hosted
