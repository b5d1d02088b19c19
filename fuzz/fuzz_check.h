#pragma once

#include <cstdio>
#include <cstdlib>

// Aborts with the failed property and where it was checked; libFuzzer saves
// the input that got here.
#define SCI_FUZZ_CHECK(condition, what)                                                          \
  do {                                                                                           \
    if (!(condition)) {                                                                          \
      std::fprintf(stderr, "%s:%d: fuzz property failed: %s (%s)\n", __FILE__, __LINE__, what,   \
                   #condition);                                                                  \
      std::abort();                                                                              \
    }                                                                                            \
  } while (false)
