// A property a fuzz target checks: when it does not hold, the input is reported as a crash.
#pragma once

#include <cstdio>
#include <cstdlib>

#define PINDLE_FUZZ_CHECK(condition, what)                                            \
  do {                                                                                \
    if (!(condition)) {                                                               \
      std::fprintf(stderr, "%s:%d: %s (%s)\n", __FILE__, __LINE__, what, #condition); \
      std::abort();                                                                   \
    }                                                                                 \
  } while (false)
