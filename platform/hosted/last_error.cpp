#include "platform/hosted/last_error.h"

namespace hosted {

DWORD& ThreadLastError() {
  thread_local DWORD value = 0;
  return value;
}

}  // namespace hosted
