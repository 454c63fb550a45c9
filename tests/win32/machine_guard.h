// What a case needs of the machine it runs on. Cases that change more of the
// machine than a temporary folder (the machine's registry, the default
// printer, the recycle bin) run under Wine in the test run's own prefix and
// trash; on Windows they would change the user's machine, so there they are
// skipped, saying why. Cases that compare the colours read back from a
// window need a screen that gives them back as painted; the Wine runs make
// their own display, on Windows the user's desktop may not.
#pragma once
#include <windows.h>

#include <string>

namespace machineguard {

inline bool UnderWine()
{
    return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

// Why colours read back from the screen would not be the ones painted, or
// "" when they are: a desktop of fewer than 24 bits (a remote session at
// 16 bits, say) rounds them, a locked desktop gives no pixels at all, and
// without composition a covered window gives another's. Under Wine the test
// run makes its own display, which keeps them.
inline std::string WhyTheScreenChangesColours()
{
    if (UnderWine())
        return "";
    HDC screen = GetDC(nullptr);
    int bits = screen ? GetDeviceCaps(screen, BITSPIXEL) * GetDeviceCaps(screen, PLANES) : 0;
    if (screen)
        ReleaseDC(nullptr, screen);
    if (bits < 24)
        return "the desktop shows " + std::to_string(bits) + " bits per pixel, and these colours need 24 or more";
    HDESK input = OpenInputDesktop(0, FALSE, DESKTOP_READOBJECTS);
    if (!input)
        return "the desktop is locked or not shown, so windows give back no pixels";
    CloseDesktop(input);
    // Without desktop composition (Windows 7's basic and classic themes, some
    // virtual machines) a window gives back what the screen shows where it
    // lies, covered or not, instead of its own pixels.
    typedef HRESULT(WINAPI * CompositionQuery)(BOOL *);
    if (HMODULE dwm = LoadLibraryA("dwmapi.dll")) {
        auto query = reinterpret_cast<CompositionQuery>(
            reinterpret_cast<void *>(GetProcAddress(dwm, "DwmIsCompositionEnabled")));
        BOOL composed = TRUE;
        bool off = query && SUCCEEDED(query(&composed)) && !composed;
        FreeLibrary(dwm);
        if (off)
            return "desktop composition is off, so windows give back the screen's pixels, covered or not";
    }
    return "";
}

} // namespace machineguard

// Skips the rest of the case on Windows (a gtest program); `what` says what it would change.
#define SKIP_ON_WINDOWS_BECAUSE_IT_WOULD(what)                                                              \
    do {                                                                                                   \
        if (!machineguard::UnderWine())                                                                    \
            GTEST_SKIP() << "on Windows this case would " what "; it runs under the Wine test runs only"; \
    } while (0)

// Skips the rest of the case on Windows when the desktop would not give back
// the colours painted; the case compares pixels.
#define SKIP_ON_WINDOWS_UNLESS_THE_SCREEN_KEEPS_COLOURS()                                       \
    do {                                                                                       \
        std::string why_ = machineguard::WhyTheScreenChangesColours();                         \
        if (!why_.empty())                                                                     \
            GTEST_SKIP() << "this case compares the colours of painted pixels, but " << why_; \
    } while (0)
