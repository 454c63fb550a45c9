// The fuzz targets' check: a property that does not hold stops the run
// there, so the fuzzer keeps the input that broke it.
#pragma once

#include <cstdlib>

inline void Require(bool condition)
{
    if (!condition)
        std::abort();
}
