// The system's English message texts for the error codes the launcher can meet.
#pragma once

#include "platform/platform.h"

namespace hosted {

// The text as the system's message table holds it (one sentence, no line end), or null.
const char* SystemMessageText(platform::DWORD code);

}  // namespace hosted
