// The 3D push button, tooltips, and the exports that read and set ordinary
// controls (check boxes, track bars, window texts).
#include <algorithm>
#include <climits>

#include <windows.h>

#include <commctrl.h>

#include "byte_string.h"
#include "skin_state.h"

namespace themekit {

namespace {

// A subclass is known by its procedure and id together; ours have their own
// procedures, so any id will do.
constexpr UINT_PTR ButtonSubclassId = 1;
constexpr UINT_PTR ParentSubclassId = 1;

constexpr char ToolTipProp[] = "themekit.tooltip";

LRESULT CALLBACK ButtonSubclass(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);

// comctl32 exports GetWindowSubclass by ordinal only (411), and the 64-bit
// mingw import library leaves it out: it is bound by that ordinal.
using GetWindowSubclassFunction = BOOL(WINAPI *)(HWND, SUBCLASSPROC, UINT_PTR, DWORD_PTR *);

BOOL FindSubclass(HWND window, SUBCLASSPROC procedure, UINT_PTR id, DWORD_PTR *data)
{
    static const auto find = reinterpret_cast<GetWindowSubclassFunction>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleA("comctl32.dll"), MAKEINTRESOURCEA(411))));
    return find ? find(window, procedure, id, data) : FALSE;
}

// The look of one of our buttons, or nullptr for any other window.
const ButtonLook *LookOf(HWND button)
{
    DWORD_PTR data = 0;
    if (!button || !FindSubclass(button, ButtonSubclass, ButtonSubclassId, &data))
        return nullptr;
    return reinterpret_cast<const ButtonLook *>(data);
}

LRESULT OnDrawItem(const DRAWITEMSTRUCT *item)
{
    const ButtonLook *look = item && item->CtlType == ODT_BUTTON ? LookOf(item->hwndItem) : nullptr;
    if (!look)
        return 0;
    unsigned state = 0;
    if (item->itemState & ODS_SELECTED)
        state |= ButtonPushed;
    if (item->itemState & ODS_FOCUS)
        state |= ButtonFocused;
    if (item->itemState & ODS_DISABLED)
        state |= ButtonDisabled;
    auto font = reinterpret_cast<HFONT>(SendMessageA(item->hwndItem, WM_GETFONT, 0, 0));
    DrawButtonFace(item->hDC, item->rcItem, *look, font, WindowText(item->hwndItem), state);
    return TRUE;
}

// An owner-drawn button asks its parent to draw it, on WM_PAINT and on every
// change of state. The parent is the caller's window; this subclass answers
// for our buttons and passes everything else on.
LRESULT CALLBACK ParentSubclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                DWORD_PTR)
{
    switch (message) {
    case WM_DRAWITEM:
        if (LRESULT drawn = NoThrow<LRESULT>(0, [&] {
                return OnDrawItem(reinterpret_cast<const DRAWITEMSTRUCT *>(lParam));
            }))
            return drawn;
        break;
    case WM_NCDESTROY:
        RemoveWindowSubclass(window, ParentSubclass, id);
        break;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

// The button's subclass owns its look and frees it with the button.
LRESULT CALLBACK ButtonSubclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                DWORD_PTR data)
{
    switch (message) {
    case WM_ERASEBKGND:
        return 1; // the face covers the whole button
    case WM_NCDESTROY:
        RemoveWindowSubclass(window, ButtonSubclass, id);
        delete reinterpret_cast<ButtonLook *>(data);
        break;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

bool IsTrackBar(HWND control)
{
    char className[32] = {};
    return control && IsWindow(control) && GetClassNameA(control, className, sizeof className) &&
           lstrcmpiA(className, TRACKBAR_CLASSA) == 0;
}

struct TrackRange {
    long long lowest;
    long long highest;
};

TrackRange RangeOf(HWND trackBar)
{
    long long lowest = SendMessageA(trackBar, TBM_GETRANGEMIN, 0, 0);
    long long highest = SendMessageA(trackBar, TBM_GETRANGEMAX, 0, 0);
    return TrackRange{std::min(lowest, highest), std::max(lowest, highest)};
}

// Rounded to the nearest step both ways, so a position set and read back
// through the 0..100 scale stays where it was.
long long RoundedDivide(long long numerator, long long denominator)
{
    return (numerator + denominator / 2) / denominator;
}

} // namespace

void EnsureCommonControls()
{
    static const bool ready = [] {
        INITCOMMONCONTROLSEX controls{};
        controls.dwSize = sizeof(controls);
        controls.dwICC = ICC_WIN95_CLASSES | ICC_BAR_CLASSES;
        return InitCommonControlsEx(&controls) != FALSE;
    }();
    (void)ready;
}

ButtonLook LookFromStyle(const THSTYLERECORD *style, const Skin &skin)
{
    ButtonLook look{skin.faceColour, skin.textColour, skin.bevel};
    if (!style)
        return look;
    if (style->faceColour)
        look.face = style->faceColour & 0xFFFFFF;
    if (style->textColour)
        look.text = style->textColour & 0xFFFFFF;
    if (style->bevel)
        look.bevel = std::min<int>(style->bevel, 16);
    return look;
}

HWND Create3DButton(HWND parent, const char *text, HFONT font, const RECT &rect, int id, const ButtonLook &look)
{
    if (!parent || !IsWindow(parent))
        return nullptr;
    auto owned = new ButtonLook(look);
    HWND button = CreateWindowExA(0, "BUTTON", text ? text : "", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, rect.left,
                                  rect.top, rect.right - rect.left, rect.bottom - rect.top, parent,
                                  reinterpret_cast<HMENU>(INT_PTR(id)), LibraryInstance(), nullptr);
    if (!button || !SetWindowSubclass(button, ButtonSubclass, ButtonSubclassId, reinterpret_cast<DWORD_PTR>(owned))) {
        delete owned;
        if (button)
            DestroyWindow(button);
        return nullptr;
    }
    // The look now belongs to the button's subclass.
    SetWindowSubclass(parent, ParentSubclass, ParentSubclassId, 0);
    HFONT useFont = font && GetObjectType(font) == OBJ_FONT ? font : LibraryDefaultFont();
    SendMessageA(button, WM_SETFONT, reinterpret_cast<WPARAM>(useFont), FALSE);
    return button;
}

HWND ToolTipFor(HWND parent)
{
    auto tooltip = static_cast<HWND>(GetPropA(parent, ToolTipProp));
    if (tooltip && IsWindow(tooltip))
        return tooltip;
    EnsureCommonControls();
    // Owned by the top-level window of parent, with which it is destroyed.
    tooltip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, parent, nullptr,
                              LibraryInstance(), nullptr);
    if (tooltip)
        SetPropA(parent, ToolTipProp, tooltip);
    return tooltip;
}

} // namespace themekit

using namespace themekit;

extern "C" {

HWND __stdcall THBUT3D(HWND parent, const char *text, HFONT font, int x, int y, int width, int height, int id,
                       const THSTYLERECORD *style)
{
    if (!parent || !IsWindow(parent) || width < 0 || height < 0)
        return nullptr;
    return NoThrow<HWND>(nullptr, [&] {
        // Window coordinates are 16-bit quantities in the end.
        x = std::clamp(x, -0x8000, 0x7FFF);
        y = std::clamp(y, -0x8000, 0x7FFF);
        RECT rect{x, y, x + std::min(width, 0x7FFF), y + std::min(height, 0x7FFF)};
        return Create3DButton(parent, text, font, rect, id, LookFromStyle(style, CurrentSkin()));
    });
}

int __stdcall THBUTTONTIP(HWND parent, HWND button, const char *text)
{
    if (!button || !IsWindow(button))
        return 0;
    if (!parent || !IsWindow(parent))
        parent = GetParent(button);
    if (!parent)
        return 0;
    return NoThrow(0, [&] {
        HWND tooltip = ToolTipFor(parent);
        if (!tooltip)
            return 0;
        std::string tip(TextArgument(text));
        TOOLINFOA tool{};
        tool.cbSize = TTTOOLINFOA_V2_SIZE;
        tool.hwnd = parent;
        tool.uId = reinterpret_cast<UINT_PTR>(button);
        SendMessageA(tooltip, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
        if (tip.empty())
            return 1;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.lpszText = &tip[0];
        return SendMessageA(tooltip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool)) ? 1 : 0;
    });
}

int __stdcall THTABSTOP(HWND control)
{
    if (!control || !IsWindow(control))
        return 0;
    SetWindowLongA(control, GWL_STYLE, GetWindowLongA(control, GWL_STYLE) | WS_TABSTOP);
    return 1;
}

int __stdcall THSETSYSTOOLTIP(const char *text, int enable)
{
    return NoThrow(0, [&] {
        SetCaptionTips(TextArgument(text), enable != 0);
        return 1;
    });
}

int __stdcall THSETSYSBUTTONTIP(HWND window, const char *text)
{
    return NoThrow(0, [&] { return SetWindowCaptionTips(window, TextArgument(text)) ? 1 : 0; });
}

int __stdcall THSETCTLTEXT(HWND window, const char *text)
{
    if (!window || !IsWindow(window))
        return 0;
    return NoThrow(0, [&] {
        if (!SetWindowTextA(window, text ? text : ""))
            return 0;
        // A skinned window whose procedure does not pass WM_SETTEXT through
        // THGETMESSAGE still shows the new caption.
        InvalidateCaption(window);
        return 1;
    });
}

BSTR __stdcall THGETCTLTEXT(HWND window)
{
    return NoThrow<BSTR>(nullptr, [&] { return MakeByteString(WindowText(window)); });
}

int __stdcall THGETCHECK(HWND control)
{
    if (!control || !IsWindow(control))
        return 0;
    return SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
}

int __stdcall THGETTRACKPOS(HWND control, int *position)
{
    if (!IsTrackBar(control))
        return -1;
    TrackRange range = RangeOf(control);
    long long now = SendMessageA(control, TBM_GETPOS, 0, 0);
    now = std::clamp(now, range.lowest, range.highest);
    int scaled = 0;
    if (range.highest > range.lowest)
        scaled = int(RoundedDivide((now - range.lowest) * 100, range.highest - range.lowest));
    if (position)
        *position = scaled;
    return scaled;
}

int __stdcall THSETTRACKPOS(HWND control, int position)
{
    if (!IsTrackBar(control))
        return -1;
    position = std::clamp(position, 0, 100);
    TrackRange range = RangeOf(control);
    long long target = range.lowest + RoundedDivide((range.highest - range.lowest) * position, 100);
    SendMessageA(control, TBM_SETPOS, TRUE, LPARAM(target));
    int now = -1;
    return THGETTRACKPOS(control, &now);
}

} // extern "C"
