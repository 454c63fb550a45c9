// Cases that change more of the machine than a temporary folder: the
// machine's registry, the default printer, the recycle bin. Under Wine they
// run in the test run's own prefix and trash; on Windows they would change
// the user's machine, so there they are skipped, saying why.
#pragma once
#include <windows.h>

namespace machineguard {

inline bool UnderWine()
{
    return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

} // namespace machineguard

// Skips the rest of the case on Windows (a gtest program); `what` says what it would change.
#define SKIP_ON_WINDOWS_BECAUSE_IT_WOULD(what)                                                              \
    do {                                                                                                   \
        if (!machineguard::UnderWine())                                                                    \
            GTEST_SKIP() << "on Windows this case would " what "; it runs under the Wine test runs only"; \
    } while (0)
