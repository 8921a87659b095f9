#pragma once
// A law that does not hold ends the run with the law's name; libFuzzer keeps the input.
#include <cstdio>
#include <cstdlib>

inline void Law(bool holds, const char* law) {
    if (holds) return;
    std::fprintf(stderr, "law broken: %s\n", law);
    std::abort();
}
