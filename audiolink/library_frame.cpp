// The library's entry point. Binding the audio library at attach time and the
// exports that forward to it are added here as they are built.
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
