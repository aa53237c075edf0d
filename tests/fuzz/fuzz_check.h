// A property a fuzz target checks: when it fails, the input is reported as a crash.
#pragma once

#include <cstdio>
#include <cstdlib>

#define PINDLE_FUZZ_CHECK(condition, what) \
  if (!(condition)) std::fprintf(stderr, "%s:%d: %s\n", __FILE__, __LINE__, what), std::abort()
