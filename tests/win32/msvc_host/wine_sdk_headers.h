/*
 * Forced in before everything else: the one thing the platform headers of
 * this test machine (Wine's) need to build under clang-cl. In C++, clang-cl
 * knows some interlocked functions as built-ins that Wine's winnt.h defines
 * as inline functions of those very names (the 64-bit ones at 32 bits, the
 * 128-bit one at 64 bits); the inline ones get names of their own here. The SDK's own headers need none
 * of this, and the public headers of the package are not touched.
 */
#if defined(__cplusplus) && defined(_M_IX86)
#define _InterlockedAnd64 WineInterlockedAnd64
#define _InterlockedCompareExchangePointer WineInterlockedCompareExchangePointer
#define _InterlockedDecrement64 WineInterlockedDecrement64
#define _InterlockedExchangeAdd64 WineInterlockedExchangeAdd64
#define _InterlockedExchangePointer WineInterlockedExchangePointer
#define _InterlockedIncrement64 WineInterlockedIncrement64
#define _InterlockedOr64 WineInterlockedOr64
#define _InterlockedXor64 WineInterlockedXor64
#endif
#if defined(__cplusplus) && defined(_M_X64)
#define _InterlockedCompareExchange128 WineInterlockedCompareExchange128
#endif
