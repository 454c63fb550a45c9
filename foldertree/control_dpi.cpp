// The control at the DPI of its window. A host that declares itself DPI
// aware gets no stretching from the system, so the control sizes what it
// draws for its window's DPI: its default font (the stock font's face at
// that DPI), and with it the tree's rows, its drag image and the selected
// label's place, and the auto-scroll zone of a drag. At 96 DPI every size
// is the one it always was and the font is the stock font itself. A font
// the host gives the tree is kept as it is.
#include "folder_tree.h"

#include <new>
#include <vector>

namespace foldertree {

namespace {

constexpr UINT kBaseDpi = 96;
// The DPI the tree is laid out for, and whether the host chose its font;
// both are the tree's own, removed with its record.
constexpr char kDpiProperty[] = "#BffTVDPI";
constexpr char kHostFontProperty[] = "#BffTVHostFont";

// Windows 10 (1607) functions, looked up at run time: the modules run on
// Windows XP, whose user32 has neither.
using DpiForWindowFunction = UINT(WINAPI *)(HWND);
using MetricForDpiFunction = int(WINAPI *)(int, UINT);

struct LaterFunctions {
    DpiForWindowFunction GetDpiForWindow;
    MetricForDpiFunction GetSystemMetricsForDpi;
};

const LaterFunctions &Later()
{
    static const LaterFunctions functions = [] {
        LaterFunctions found{};
        if (HMODULE user = GetModuleHandleA("user32.dll")) {
            found.GetDpiForWindow = reinterpret_cast<DpiForWindowFunction>(
                reinterpret_cast<void *>(GetProcAddress(user, "GetDpiForWindow")));
            found.GetSystemMetricsForDpi = reinterpret_cast<MetricForDpiFunction>(
                reinterpret_cast<void *>(GetProcAddress(user, "GetSystemMetricsForDpi")));
        }
        return found;
    }();
    return functions;
}

// The stock font, fetched once; the fonts made from it for other DPIs, one
// per DPI met, shared by every control at that DPI and kept until the
// module is freed (ReleaseModuleObjects). Like all of the module's state,
// used on the thread that owns the controls' windows only.
HFONT GuiFont = nullptr;
struct ScaledFont {
    UINT dpi;
    HFONT font;
};
std::vector<ScaledFont> ScaledFonts;

HFONT StockFont()
{
    if (!GuiFont)
        GuiFont = static_cast<HFONT>(GetStockObject(ANSI_VAR_FONT));
    return GuiFont;
}

// The DPI of the screen for the calling thread.
UINT SystemDpi()
{
    // The screen's answer is the thread's: 96 in a thread that is not DPI
    // aware, whatever the screen.
    HDC screen = GetDC(nullptr);
    int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen)
        ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : kBaseDpi;
}

} // namespace

UINT WindowDpi(HWND window)
{
    if (DpiForWindowFunction dpiForWindow = Later().GetDpiForWindow)
        if (UINT dpi = dpiForWindow(window))
            return dpi;
    return SystemDpi();
}

UINT ControlDpi(HWND tree)
{
    auto kept = reinterpret_cast<UINT_PTR>(GetPropA(tree, kDpiProperty));
    return kept ? static_cast<UINT>(kept) : WindowDpi(GetParent(tree));
}

int MetricForDpi(int index, UINT dpi)
{
    // GetSystemMetrics answers for the system's DPI (the thread's); a window
    // of a per-monitor aware host may be at another.
    UINT system = SystemDpi();
    if (dpi == system)
        return GetSystemMetrics(index);
    if (MetricForDpiFunction metricForDpi = Later().GetSystemMetricsForDpi)
        return metricForDpi(index, dpi);
    return MulDiv(GetSystemMetrics(index), static_cast<int>(dpi), static_cast<int>(system));
}

HFONT DefaultFontForDpi(UINT dpi)
{
    HFONT stock = StockFont();
    if (dpi == kBaseDpi || dpi == 0)
        return stock;
    for (const ScaledFont &scaled : ScaledFonts)
        if (scaled.dpi == dpi)
            return scaled.font;
    // The stock font's size is in pixels for 96 DPI at any DPI: the system
    // does not scale it.
    LOGFONTA face{};
    if (!stock || GetObjectA(stock, sizeof face, &face) != sizeof face)
        return stock;
    face.lfHeight = MulDiv(face.lfHeight, static_cast<int>(dpi), kBaseDpi);
    face.lfWidth = MulDiv(face.lfWidth, static_cast<int>(dpi), kBaseDpi);
    HFONT font = CreateFontIndirectA(&face);
    if (!font)
        return stock;
    try {
        ScaledFonts.push_back(ScaledFont{dpi, font});
    } catch (const std::bad_alloc &) {
        DeleteObject(font);
        return stock;
    }
    return font;
}

void FreeScaledFonts()
{
    for (const ScaledFont &scaled : ScaledFonts)
        DeleteObject(scaled.font);
    ScaledFonts.clear();
}

void SetTreeDpi(HWND tree, UINT dpi)
{
    SetPropA(tree, kDpiProperty, reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(dpi)));
}

void NoteHostFont(HWND tree)
{
    SetPropA(tree, kHostFontProperty, reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(1)));
}

void FollowWindowDpi(HWND tree, BffTreeData *data)
{
    UINT dpi = WindowDpi(GetParent(tree));
    SetTreeDpi(tree, dpi);
    // Straight to the tree's own procedure: a WM_SETFONT that passes the
    // subclass is the host's. The tree sizes its rows for the new font.
    if (!GetPropA(tree, kHostFontProperty))
        CallWindowProcA(data->OldTreeProc, tree, WM_SETFONT, reinterpret_cast<WPARAM>(DefaultFontForDpi(dpi)), FALSE);
    InvalidateRect(tree, nullptr, FALSE);
}

void ForgetTreeDpi(HWND tree)
{
    RemovePropA(tree, kDpiProperty);
    RemovePropA(tree, kHostFontProperty);
}

} // namespace foldertree
