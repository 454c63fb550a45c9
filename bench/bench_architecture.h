// The architecture a benchmark was built for: every heading names it, so
// that figures of the two builds are never mistaken for one another.
#pragma once

constexpr const char *BenchArchitecture = sizeof(void *) == 8 ? "win64" : "win32";
