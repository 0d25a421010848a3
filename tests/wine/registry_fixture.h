// The registry conformance fixtures, declared for both builds in conformance_registry.h;
// tests/platform/conformance_win32.cpp defines them for Windows.
#pragma once

#include "tests/platform/conformance_registry.h"
