#include "platform/hosted/text/locale.h"

#include <cstring>
#include <string_view>

#include "platform/hosted/last_error.h"
#include "platform/hosted/text/codepage.h"
#include "platform/hosted/text/collation.h"

namespace hosted {

DWORD Locale::CharLowerBuffA(char* text, DWORD length) {
  if (!text) return 0;
  for (DWORD i = 0; i < length; ++i) text[i] = LowerAnsi(text[i]);
  return length;
}

int Locale::CompareStringA(LCID, DWORD flags, const char* a, int aLength, const char* b,
                           int bLength) {
  if (!a || !b) return Fail(ERROR_INVALID_PARAMETER, 0);
  std::string_view left(a, aLength < 0 ? std::strlen(a) : static_cast<std::size_t>(aLength));
  std::string_view right(b, bLength < 0 ? std::strlen(b) : static_cast<std::size_t>(bLength));
  std::optional<int> order = CompareAnsi(left, right, flags);
  return order ? *order : Fail(ERROR_INVALID_FLAGS, 0);
}

}  // namespace hosted
