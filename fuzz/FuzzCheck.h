// The fuzzers' own checks: a broken promise ends the run like a sanitizer
// report, so that libFuzzer keeps the input that broke it.
#pragma once

#include <cstdlib>

inline void FuzzCheck(bool bHolds)
{
    if (!bHolds)
        std::abort();
}
