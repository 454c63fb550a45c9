// The DPI the host's windows are drawn at, and what follows from it: their
// sizes and their fonts. The host is per-monitor DPI aware (its manifest
// says so), so the system stretches none of its windows.
#include "host_app.h"

#include <vector>

namespace host {

namespace {

// The entry points of per-monitor DPI (Windows 10 version 1607 and later),
// looked up in user32 where they exist: the host also runs on systems
// without them, where every window has the system's DPI.
using GetDpiForWindowFunction = UINT(WINAPI *)(HWND);
using AdjustWindowRectExForDpiFunction = BOOL(WINAPI *)(RECT *, DWORD, BOOL, DWORD, UINT);

template <typename Function>
Function FromUser32(const char *name)
{
    HMODULE user32 = GetModuleHandleA("user32.dll");
    return user32 ? reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(user32, name)))
                  : nullptr;
}

UINT SystemDpi()
{
    HDC screen = GetDC(nullptr);
    int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen)
        ReleaseDC(nullptr, screen);
    return dpi > 0 ? UINT(dpi) : kBaseDpi;
}

// A stock font's description; a plain default where the system has none.
LOGFONTA StockFont(int which)
{
    LOGFONTA description{};
    GetObjectA(GetStockObject(which), sizeof description, &description);
    return description;
}

// Whether a static's or a button's text shows whole, measured in its font as
// it draws it: a static wraps at word breaks, a button keeps to one line,
// inside its frame (a push button) or beside its box (a check box).
bool TextFits(HWND control, bool isStatic, UINT dpi)
{
    wchar_t text[1024] = {};
    int length = GetWindowTextW(control, text, 1024);
    if (length <= 0)
        return true;
    RECT client{};
    GetClientRect(control, &client);
    RECT needed = client;
    if (!isStatic) {
        LONG kind = GetWindowLongA(control, GWL_STYLE) & BS_TYPEMASK;
        bool push = kind == BS_PUSHBUTTON || kind == BS_DEFPUSHBUTTON;
        // A push button's edges take 3 pixels a side at 96 DPI; a check
        // box's box 13, and the gap after it about 6.
        needed.right -= Scaled(push ? 6 : 13 + 6, dpi);
    }
    int room = needed.right;
    HDC dc = GetDC(control);
    if (!dc)
        return true;
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
    HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
    DrawTextW(dc, text, length, &needed, DT_CALCRECT | (isStatic ? DT_WORDBREAK | DT_EXPANDTABS : DT_SINGLELINE));
    if (old)
        SelectObject(dc, old);
    ReleaseDC(control, dc);
    return needed.right <= room && needed.bottom <= client.bottom;
}

} // namespace

UINT WindowDpi(HWND window)
{
    static const auto getDpiForWindow = FromUser32<GetDpiForWindowFunction>("GetDpiForWindow");
    UINT dpi = getDpiForWindow && window ? getDpiForWindow(window) : 0;
    return dpi ? dpi : SystemDpi();
}

int Scaled(int pixels, UINT dpi)
{
    return MulDiv(pixels, int(dpi), int(kBaseDpi));
}

RECT Scaled(const RECT &rect, UINT dpi)
{
    // Edges, not sizes: neighbours that touch at 96 DPI touch at every DPI.
    return RECT{Scaled(rect.left, dpi), Scaled(rect.top, dpi), Scaled(rect.right, dpi), Scaled(rect.bottom, dpi)};
}

SIZE FrameSize(int width, int height, DWORD style, DWORD exStyle, UINT dpi)
{
    static const auto adjustForDpi = FromUser32<AdjustWindowRectExForDpiFunction>("AdjustWindowRectExForDpi");
    RECT area{0, 0, Scaled(width, dpi), Scaled(height, dpi)};
    // Without per-monitor DPI the frame is the system's, whatever the window.
    if (!adjustForDpi || !adjustForDpi(&area, style, FALSE, exStyle, dpi))
        AdjustWindowRectEx(&area, style, FALSE, exStyle);
    return SIZE{area.right - area.left, area.bottom - area.top};
}

void MoveToSuggested(HWND window, const RECT &suggested)
{
    SetWindowPos(window, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

OwnedFont CreateTextFont(UINT dpi)
{
    // 8 points, the default GUI font's size: 11 pixels at 96 DPI.
    LOGFONTA description = StockFont(DEFAULT_GUI_FONT);
    description.lfHeight = -MulDiv(8, int(dpi), 72);
    description.lfWidth = 0;
    return OwnedFont(CreateFontIndirectA(&description));
}

OwnedFont CreateTreeFont(UINT dpi)
{
    // The stock font the control draws in by default is made for 96 DPI,
    // and the system never scales it.
    LOGFONTA description = StockFont(ANSI_VAR_FONT);
    description.lfHeight = Scaled(int(description.lfHeight), dpi);
    description.lfWidth = Scaled(int(description.lfWidth), dpi);
    return OwnedFont(CreateFontIndirectA(&description));
}

std::vector<std::string> TextsCutOff(HWND window)
{
    std::vector<std::string> cutOff;
    UINT dpi = WindowDpi(window);
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char className[32] = {};
        GetClassNameA(child, className, sizeof className);
        LONG kind = GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK;
        bool isText = kind == SS_LEFT || kind == SS_CENTER || kind == SS_RIGHT;
        bool isStatic = lstrcmpiA(className, "Static") == 0 && isText;
        bool isButton = lstrcmpiA(className, "Button") == 0;
        if ((isStatic || isButton) && !TextFits(child, isStatic, dpi)) {
            char text[1024] = {};
            GetWindowTextA(child, text, sizeof text);
            cutOff.push_back("control " + std::to_string(GetDlgCtrlID(child)) + " (\"" + text + "\")");
        }
    }
    return cutOff;
}

} // namespace host
