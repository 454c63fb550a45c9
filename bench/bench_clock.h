// The benchmarks' clock: the performance counter, in milliseconds.
#pragma once
#include <windows.h>

inline double BenchMilliseconds()
{
    static const LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f{};
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER count{};
    QueryPerformanceCounter(&count);
    return double(count.QuadPart) * 1000.0 / double(frequency.QuadPart);
}
