#pragma once
// A property that must hold for every input: a violation stops the fuzzer
// with the input saved, like a crash.
#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(cond)                                                                                               \
    do {                                                                                                               \
        if (!(cond)) {                                                                                                 \
            fprintf(stderr, "%s:%d: property violated: %s\n", __FILE__, __LINE__, #cond);                              \
            abort();                                                                                                   \
        }                                                                                                              \
    } while (0)
