// Operating-system version and Administrators membership.
#pragma once

#include "platform/platform.h"

namespace winsys {

// Sets the version values; true on the NT family.
bool ProbeOsVersion();
// GetVersionExA on the zeroed record, reporting a failure; returns the platform's result.
platform::BOOL QueryOsVersion(platform::OSVERSIONINFOA& record);
// True when the current token holds the Administrators group; raises SystemError.
bool IsAdministrator();

}  // namespace winsys
