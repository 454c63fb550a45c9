// The library's entry point. The TARNBFF class is registered here once the
// control's window procedure exists.
#include <windows.h>

namespace {
HINSTANCE LibraryInstance = nullptr;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        LibraryInstance = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}
