// The registry fixtures, declared for both builds in conformance_registry.h.
#pragma once
#include "tests/platform/conformance_registry.h"
