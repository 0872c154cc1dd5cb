#pragma once
// A failed oracle stops the run with a message libFuzzer shows beside the crashing input.

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition, message)                                                      \
    do {                                                                                    \
        if (!(condition)) {                                                                 \
            std::fprintf(stderr, "oracle failed at %s:%d: %s (%s)\n", __FILE__, __LINE__, \
                         message, #condition);                                              \
            std::abort();                                                                   \
        }                                                                                   \
    } while (0)
