// GetTickCount64 for the toolchain's threads library, which measures the
// timeouts of its waits with it. The system has it from Windows Vista on;
// imported, it would keep a program from starting on Windows XP. This
// definition of the import's own slot answers the library's calls instead,
// so the import table never names it:
//   - where the system has the function, the system's own answers;
//   - on Windows XP, the 32-bit count widened to 64 bits, the high half
//     counting the times it went round (every 49.7 days), as long as some
//     call comes at least once every 24.8 days, which a program that waits
//     at all does.
// A program that links the library and not this file would import the
// system's function again; the floor check (tests/windows_floor) says so.
#include <windows.h>

namespace {

using TickCount64Function = ULONGLONG(WINAPI *)();

// The latest widened count any caller has seen; 0 until the first call.
volatile ULONGLONG LatestCount = 0;

ULONGLONG WINAPI WidenedTickCount()
{
    DWORD now = GetTickCount();
    ULONGLONG seen = __atomic_load_n(&LatestCount, __ATOMIC_ACQUIRE);
    for (;;) {
        ULONGLONG count;
        if (seen == 0) {
            count = now;
        } else {
            // The distance from the latest count, modulo 2^32: behind it
            // when another thread read the clock later and stored first.
            LONG step = static_cast<LONG>(now - static_cast<DWORD>(seen));
            count = seen + static_cast<ULONGLONG>(static_cast<LONGLONG>(step));
            if (step <= 0)
                return count;
        }
        if (__atomic_compare_exchange_n(&LatestCount, &seen, count, false, __ATOMIC_ACQ_REL, __ATOMIC_ACQUIRE))
            return count;
    }
}

// The system's function, or the widened count where there is none: looked
// up at the first call (threads that race there find the same answer), with
// no function-local static, whose guard would wait in the very library that
// calls here.
TickCount64Function volatile Source = nullptr;

ULONGLONG WINAPI TickCount64()
{
    TickCount64Function source = __atomic_load_n(&Source, __ATOMIC_ACQUIRE);
    if (!source) {
        source = reinterpret_cast<TickCount64Function>(reinterpret_cast<void *>(
            GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetTickCount64")));
        if (!source)
            source = WidenedTickCount;
        __atomic_store_n(&Source, source, __ATOMIC_RELEASE);
    }
    return source();
}

}  // namespace

// The import's slot, under the name the library's code calls through.
#if defined(_WIN64)
#define TICK_COUNT_64_SLOT "__imp_GetTickCount64"
#else
#define TICK_COUNT_64_SLOT "__imp__GetTickCount64@0"
#endif
extern "C" {
extern TickCount64Function const TickCount64Slot __asm__(TICK_COUNT_64_SLOT);
TickCount64Function const TickCount64Slot __asm__(TICK_COUNT_64_SLOT) = TickCount64;
}
