// Skinned windows: the skin in force, the classes registered for skinning,
// and THGETMESSAGE, which draws caption and frame inside the client area of
// a plain popup window and makes them behave like the system's own.
#include <algorithm>
#include <climits>
#include <mutex>
#include <vector>

#include <windows.h>

#include <commctrl.h>
#include <windowsx.h>

#include "byte_string.h"
#include "skin_state.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace themekit {

namespace {

struct MaxSize {
    int width = 0;
    int height = 0;
    int screenWidth = 0;
    int screenHeight = 0;
};

struct ModuleState {
    std::mutex lock;
    Skin skin;
    std::string skinFolder;
    unsigned generation = 0;
    int windowStyle = THWS_CAPTION | THWS_CLOSE;
    MaxSize maxSize;
    std::vector<ATOM> skinnedClasses;
    std::string captionTips;
    bool captionTipsEnabled = true;
};

ModuleState &Module()
{
    static ModuleState state;
    return state;
}

constexpr char SkinProp[] = "themekit.skin";
constexpr char HolderProp[] = "themekit.holder";
constexpr char HolderInsetXProp[] = "themekit.holder.dx";
constexpr char HolderInsetYProp[] = "themekit.holder.dy";
constexpr int CaptionButtonCount = 3;

// What the library keeps for one skinned window; owned by the window's
// SkinProp and freed when the window receives WM_NCDESTROY.
struct SkinWindow {
    int style = 0;
    bool active = false;
    bool tracking = false;     // a caption button holds the mouse capture
    int pressed = -1;          // that button
    bool pressedInside = true; // the mouse is still over it
    bool ownTips = false;
    std::string tips;
    HWND tooltip = nullptr;
};

struct SkinLayout {
    RECT outer{};
    RECT caption{};
    RECT body{};
    RECT buttons[CaptionButtonCount]{};
    bool hasButton[CaptionButtonCount]{};
    int titleRight = 0;
};

int StyleBitFor(int button)
{
    switch (static_cast<CaptionButton>(button)) {
    case CaptionButton::Close:
        return THWS_CLOSE;
    case CaptionButton::Maximise:
        return THWS_MAXIMIZE;
    case CaptionButton::Minimise:
        return THWS_MINIMIZE;
    }
    return 0;
}

SkinLayout LayOut(HWND window, const SkinWindow &skinWindow, const Skin &skin)
{
    SkinLayout layout;
    GetClientRect(window, &layout.outer);
    const RECT &outer = layout.outer;
    int frame = std::min({skin.frameWidth, int(outer.right - outer.left) / 2, int(outer.bottom - outer.top) / 2});
    frame = std::max(frame, 0);
    RECT inner{outer.left + frame, outer.top + frame, outer.right - frame, outer.bottom - frame};
    int captionHeight = skinWindow.style & THWS_CAPTION ? skin.captionHeight : 0;
    captionHeight = std::min<int>(captionHeight, inner.bottom - inner.top);
    layout.caption = RECT{inner.left, inner.top, inner.right, inner.top + captionHeight};
    layout.body = RECT{inner.left, layout.caption.bottom, inner.right, inner.bottom};
    layout.titleRight = layout.caption.right;
    if (captionHeight <= 0)
        return layout;

    int side = std::min(CaptionButtonSide(skin), captionHeight);
    int width = side + 2;
    int top = layout.caption.top + (captionHeight - side) / 2;
    int right = layout.caption.right - 3;
    for (int button = 0; button < CaptionButtonCount; ++button) {
        if (!(skinWindow.style & StyleBitFor(button)) || right - width < layout.caption.left)
            continue;
        layout.buttons[button] = RECT{right - width, top, right, top + side};
        layout.hasButton[button] = true;
        layout.titleRight = right - width;
        right -= width + 2;
    }
    return layout;
}

int CaptionButtonAt(const SkinLayout &layout, POINT point)
{
    for (int button = 0; button < CaptionButtonCount; ++button) {
        if (layout.hasButton[button] && PtInRect(&layout.buttons[button], point))
            return button;
    }
    return -1;
}

SkinWindow *FindSkin(HWND window)
{
    return window ? static_cast<SkinWindow *>(GetPropA(window, SkinProp)) : nullptr;
}

bool IsSkinnedClass(HWND window)
{
    auto atom = static_cast<ATOM>(GetClassWord(window, GCW_ATOM));
    if (!atom)
        return false;
    ModuleState &module = Module();
    std::lock_guard<std::mutex> lock(module.lock);
    return std::find(module.skinnedClasses.begin(), module.skinnedClasses.end(), atom) !=
           module.skinnedClasses.end();
}

// Windows of a skinned class get their record when they are created; one that
// THGETMESSAGE meets only later gets it then.
SkinWindow *AttachSkin(HWND window)
{
    if (SkinWindow *existing = FindSkin(window))
        return existing;
    if (!IsSkinnedClass(window))
        return nullptr;
    auto skinWindow = new SkinWindow;
    {
        ModuleState &module = Module();
        std::lock_guard<std::mutex> lock(module.lock);
        skinWindow->style = module.windowStyle;
    }
    skinWindow->active = GetActiveWindow() == window;
    if (!SetPropA(window, SkinProp, skinWindow)) {
        delete skinWindow;
        return nullptr;
    }
    return skinWindow;
}

MaxSize CurrentMaxSize()
{
    ModuleState &module = Module();
    std::lock_guard<std::mutex> lock(module.lock);
    return module.maxSize;
}

// One tool per caption button (its id is the button's number plus one),
// rebuilt whenever the buttons move or the texts change.
void UpdateCaptionTips(HWND window, SkinWindow &skinWindow, const SkinLayout &layout)
{
    std::string tips;
    bool enabled;
    {
        ModuleState &module = Module();
        std::lock_guard<std::mutex> lock(module.lock);
        tips = skinWindow.ownTips ? skinWindow.tips : module.captionTips;
        enabled = module.captionTipsEnabled;
    }
    // "|" rather than a comma: a tip is a sentence and may hold commas.
    std::vector<std::string> parts = SplitList(tips, '|');
    bool wanted = false;
    for (int button = 0; button < CaptionButtonCount; ++button)
        wanted |= enabled && layout.hasButton[button] && size_t(button) < parts.size() && !parts[button].empty();
    if (!wanted) {
        if (skinWindow.tooltip && IsWindow(skinWindow.tooltip))
            DestroyWindow(skinWindow.tooltip);
        skinWindow.tooltip = nullptr;
        return;
    }
    if (!skinWindow.tooltip || !IsWindow(skinWindow.tooltip)) {
        EnsureCommonControls();
        // Owned by the skinned window, so it goes when the window goes.
        skinWindow.tooltip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                                             WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window, nullptr,
                                             LibraryInstance(), nullptr);
        if (!skinWindow.tooltip)
            return;
    }
    for (int button = 0; button < CaptionButtonCount; ++button) {
        TOOLINFOA tool{};
        tool.cbSize = TTTOOLINFOA_V2_SIZE;
        tool.hwnd = window;
        tool.uId = UINT_PTR(button + 1);
        SendMessageA(skinWindow.tooltip, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
        if (!layout.hasButton[button] || size_t(button) >= parts.size() || parts[button].empty())
            continue;
        tool.uFlags = TTF_SUBCLASS;
        tool.rect = layout.buttons[button];
        tool.lpszText = &parts[button][0];
        SendMessageA(skinWindow.tooltip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

BOOL CALLBACK RefreshCaptionTips(HWND window, LPARAM)
{
    NoThrow(0, [window] {
        if (SkinWindow *skinWindow = FindSkin(window))
            UpdateCaptionTips(window, *skinWindow, LayOut(window, *skinWindow, CurrentSkin()));
        return 0;
    });
    return TRUE;
}

RECT HolderArea(HWND parent)
{
    RECT area{};
    SkinWindow *skinWindow = FindSkin(parent);
    if (skinWindow)
        area = LayOut(parent, *skinWindow, CurrentSkin()).body;
    else
        GetClientRect(parent, &area);
    auto dx = int(reinterpret_cast<INT_PTR>(GetPropA(parent, HolderInsetXProp)));
    auto dy = int(reinterpret_cast<INT_PTR>(GetPropA(parent, HolderInsetYProp)));
    area.left += dx;
    area.right -= dx;
    area.top += dy;
    area.bottom -= dy;
    area.right = std::max(area.right, area.left);
    area.bottom = std::max(area.bottom, area.top);
    return area;
}

void FollowSize(HWND parent)
{
    auto holder = static_cast<HWND>(GetPropA(parent, HolderProp));
    if (!holder || !IsWindow(holder) || GetParent(holder) != parent)
        return;
    RECT area = HolderArea(parent);
    SetWindowPos(holder, nullptr, area.left, area.top, area.right - area.left, area.bottom - area.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

HICON SmallIcon(HWND window)
{
    auto icon = reinterpret_cast<HICON>(SendMessageA(window, WM_GETICON, ICON_SMALL, 0));
    if (!icon)
        icon = reinterpret_cast<HICON>(GetClassLongPtrA(window, GCLP_HICONSM));
    return icon;
}

void DrawSkin(HDC dc, HWND window, const SkinWindow &skinWindow, const Skin &skin, const SkinLayout &layout)
{
    DrawSkinFrame(dc, layout.outer, skin, skin.frameWidth);
    TileBitmap(dc, layout.body, LibraryControlBack());
    if (layout.caption.bottom <= layout.caption.top)
        return;
    DrawCaptionBand(dc, layout.caption, layout.titleRight, skin, skinWindow.active, SmallIcon(window),
                    WindowText(window));
    bool maximised = IsZoomed(window) != 0;
    for (int button = 0; button < CaptionButtonCount; ++button) {
        if (!layout.hasButton[button])
            continue;
        bool pushed = skinWindow.tracking && skinWindow.pressed == button && skinWindow.pressedInside;
        DrawCaptionButton(dc, layout.buttons[button], skin, static_cast<CaptionButton>(button), pushed, maximised);
    }
}

// Drawn off screen first: the caption's text and buttons would flicker over
// its colour otherwise.
void PaintSkin(HWND window, const SkinWindow &skinWindow, HDC target)
{
    Skin skin = CurrentSkin();
    SkinLayout layout = LayOut(window, skinWindow, skin);
    int width = layout.outer.right - layout.outer.left;
    int height = layout.outer.bottom - layout.outer.top;
    if (!target || width <= 0 || height <= 0)
        return;
    MemoryDc memory(target);
    GdiObject<HBITMAP> canvas(CreateCompatibleBitmap(target, width, height));
    if (!memory.get() || !canvas.get()) {
        DrawSkin(target, window, skinWindow, skin, layout);
        return;
    }
    Selection selectCanvas(memory.get(), canvas.get());
    DrawSkin(memory.get(), window, skinWindow, skin, layout);
    BitBlt(target, 0, 0, width, height, memory.get(), 0, 0, SRCCOPY);
}

void InvalidateButton(HWND window, const SkinWindow &skinWindow, int button)
{
    SkinLayout layout = LayOut(window, skinWindow, CurrentSkin());
    if (button >= 0 && button < CaptionButtonCount && layout.hasButton[button])
        InvalidateRect(window, &layout.buttons[button], FALSE);
}

void ToggleMaximised(HWND window)
{
    ShowWindow(window, IsZoomed(window) ? SW_RESTORE : SW_MAXIMIZE);
}

void PressCaptionButton(HWND window, int button)
{
    switch (static_cast<CaptionButton>(button)) {
    case CaptionButton::Close:
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(THCMD_CLOSE, 0), 0);
        break;
    case CaptionButton::Maximise:
        ToggleMaximised(window);
        break;
    case CaptionButton::Minimise:
        ShowWindow(window, SW_MINIMIZE);
        break;
    }
}

// A window created maximised returns to the size given to THSETMAXSIZE: the
// system takes the window's rectangle at the end of WM_CREATE as the one to
// restore to.
void SetRestoreSize(HWND window)
{
    MaxSize size = CurrentMaxSize();
    if (size.width <= 0 || size.height <= 0)
        return;
    int screenWidth = size.screenWidth > 0 ? size.screenWidth : GetSystemMetrics(SM_CXSCREEN);
    int screenHeight = size.screenHeight > 0 ? size.screenHeight : GetSystemMetrics(SM_CYSCREEN);
    int width = std::min(size.width, screenWidth);
    int height = std::min(size.height, screenHeight);
    SetWindowPos(window, nullptr, (screenWidth - width) / 2, (screenHeight - height) / 2, width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
}

// ---- Message handlers ---------------------------------------------------

LRESULT OnCreate(HWND window, SkinWindow &skinWindow, const CREATESTRUCTA *create)
{
    // The caption is painted over the whole client area; the holder and the
    // controls must not be painted over.
    SetWindowLongPtrA(window, GWL_STYLE, GetWindowLongPtrA(window, GWL_STYLE) | WS_CLIPCHILDREN);
    if (create && (create->style & WS_MAXIMIZE))
        SetRestoreSize(window);
    UpdateCaptionTips(window, skinWindow, LayOut(window, skinWindow, CurrentSkin()));
    return 0;
}

LRESULT OnNcDestroy(HWND window, SkinWindow *skinWindow)
{
    RemovePropA(window, SkinProp);
    RemovePropA(window, HolderProp);
    RemovePropA(window, HolderInsetXProp);
    RemovePropA(window, HolderInsetYProp);
    delete skinWindow;
    return 0;
}

LRESULT OnPaint(HWND window, const SkinWindow &skinWindow)
{
    PaintGuard paint(window);
    PaintSkin(window, skinWindow, paint.get());
    return 1;
}

LRESULT OnPrintClient(HWND window, const SkinWindow &skinWindow, HDC dc)
{
    PaintSkin(window, skinWindow, dc);
    return 1;
}

LRESULT OnHitTest(HWND window, const SkinWindow &skinWindow, POINT point)
{
    ScreenToClient(window, &point);
    SkinLayout layout = LayOut(window, skinWindow, CurrentSkin());
    const RECT &outer = layout.outer;
    if (!PtInRect(&outer, point))
        return 0;
    if (CaptionButtonAt(layout, point) >= 0)
        return HTCLIENT;
    if ((skinWindow.style & THWS_MAXIMIZE) && !IsZoomed(window)) {
        // A thin frame is still easy to grab; corners reach a little along
        // the edges.
        int grip = std::max<int>(layout.body.left - outer.left, 4);
        int corner = std::max(grip, 12);
        bool left = point.x < outer.left + grip, right = point.x >= outer.right - grip;
        bool top = point.y < outer.top + grip, bottom = point.y >= outer.bottom - grip;
        bool nearLeft = point.x < outer.left + corner, nearRight = point.x >= outer.right - corner;
        bool nearTop = point.y < outer.top + corner, nearBottom = point.y >= outer.bottom - corner;
        if (top)
            return nearLeft ? HTTOPLEFT : nearRight ? HTTOPRIGHT : HTTOP;
        if (bottom)
            return nearLeft ? HTBOTTOMLEFT : nearRight ? HTBOTTOMRIGHT : HTBOTTOM;
        if (left)
            return nearTop ? HTTOPLEFT : nearBottom ? HTBOTTOMLEFT : HTLEFT;
        if (right)
            return nearTop ? HTTOPRIGHT : nearBottom ? HTBOTTOMRIGHT : HTRIGHT;
    }
    if (PtInRect(&layout.caption, point))
        return HTCAPTION;
    RECT inner{layout.body.left, layout.caption.top, layout.body.right, layout.body.bottom};
    if (!PtInRect(&inner, point))
        return HTBORDER;
    return HTCLIENT;
}

// Adjusts the system's proposal and lets the procedure go on (0).
LRESULT OnGetMinMaxInfo(MINMAXINFO *info)
{
    if (!info)
        return 0;
    Skin skin = CurrentSkin();
    MaxSize size = CurrentMaxSize();
    RECT work{};
    if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0) || work.right <= work.left)
        work = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    // Without a system frame the platform would maximise over the task bar.
    int maxWidth = work.right - work.left;
    int maxHeight = work.bottom - work.top;
    if (size.screenWidth > 0)
        maxWidth = std::min(maxWidth, size.screenWidth);
    if (size.screenHeight > 0)
        maxHeight = std::min(maxHeight, size.screenHeight);
    info->ptMaxSize = POINT{maxWidth, maxHeight};
    info->ptMaxPosition = POINT{work.left, work.top};
    info->ptMinTrackSize = POINT{skin.minimumWidth, skin.minimumHeight};
    if (size.screenWidth > 0)
        info->ptMaxTrackSize.x = std::max(size.screenWidth, skin.minimumWidth);
    if (size.screenHeight > 0)
        info->ptMaxTrackSize.y = std::max(size.screenHeight, skin.minimumHeight);
    return 0;
}

LRESULT OnSize(HWND window, SkinWindow &skinWindow)
{
    UpdateCaptionTips(window, skinWindow, LayOut(window, skinWindow, CurrentSkin()));
    InvalidateRect(window, nullptr, FALSE);
    return 0;
}

LRESULT OnNcActivate(HWND window, SkinWindow &skinWindow, bool active)
{
    skinWindow.active = active;
    InvalidateCaption(window);
    return 0;
}

LRESULT OnSetText(HWND window, LPARAM text)
{
    LRESULT result = DefWindowProcA(window, WM_SETTEXT, 0, text);
    InvalidateCaption(window);
    return result;
}

LRESULT OnButtonDown(HWND window, SkinWindow &skinWindow, POINT point)
{
    int button = CaptionButtonAt(LayOut(window, skinWindow, CurrentSkin()), point);
    if (button < 0)
        return 0;
    skinWindow.tracking = true;
    skinWindow.pressed = button;
    skinWindow.pressedInside = true;
    SetCapture(window);
    InvalidateButton(window, skinWindow, button);
    return 1;
}

LRESULT OnMouseMove(HWND window, SkinWindow &skinWindow, POINT point)
{
    if (!skinWindow.tracking)
        return 0;
    bool inside = CaptionButtonAt(LayOut(window, skinWindow, CurrentSkin()), point) == skinWindow.pressed;
    if (inside != skinWindow.pressedInside) {
        skinWindow.pressedInside = inside;
        InvalidateButton(window, skinWindow, skinWindow.pressed);
    }
    return 1;
}

LRESULT OnButtonUp(HWND window, SkinWindow &skinWindow, POINT point)
{
    if (!skinWindow.tracking)
        return 0;
    int button = skinWindow.pressed;
    bool inside = CaptionButtonAt(LayOut(window, skinWindow, CurrentSkin()), point) == button;
    skinWindow.tracking = false;
    skinWindow.pressed = -1;
    // Sends WM_CAPTURECHANGED, which finds tracking already over.
    ReleaseCapture();
    InvalidateButton(window, skinWindow, button);
    if (inside)
        PressCaptionButton(window, button);
    return 1;
}

LRESULT OnCaptureChanged(HWND window, SkinWindow &skinWindow, HWND newCapture)
{
    if (skinWindow.tracking && newCapture != window) {
        int button = skinWindow.pressed;
        skinWindow.tracking = false;
        skinWindow.pressed = -1;
        InvalidateButton(window, skinWindow, button);
    }
    return 0;
}

// No WS_MAXIMIZEBOX, so the platform would not maximise on a double click.
LRESULT OnCaptionDoubleClick(HWND window, const SkinWindow &skinWindow, WPARAM hitTest)
{
    if (hitTest != HTCAPTION || !(skinWindow.style & THWS_MAXIMIZE))
        return 0;
    ToggleMaximised(window);
    return 1;
}

POINT PointOf(LPARAM lParam)
{
    return POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
}

LRESULT SkinMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    // Holders follow the size of any window whose procedure calls us.
    if (message == WM_SIZE)
        FollowSize(window);
    SkinWindow *skinWindow = message == WM_NCCREATE ? AttachSkin(window) : FindSkin(window);
    if (!skinWindow) {
        // Sent before WM_NCCREATE, when the record does not exist yet.
        if (message == WM_GETMINMAXINFO && IsSkinnedClass(window))
            return OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO *>(lParam));
        if (message == WM_NCCREATE || message == WM_NCDESTROY || !IsSkinnedClass(window))
            return 0;
        skinWindow = AttachSkin(window);
        if (!skinWindow)
            return 0;
    }
    switch (message) {
    case WM_CREATE:
        return OnCreate(window, *skinWindow, reinterpret_cast<const CREATESTRUCTA *>(lParam));
    case WM_NCDESTROY:
        return OnNcDestroy(window, skinWindow);
    case WM_ERASEBKGND:
        return 1; // WM_PAINT covers every pixel
    case WM_PAINT:
        return OnPaint(window, *skinWindow);
    case WM_PRINTCLIENT:
        return OnPrintClient(window, *skinWindow, reinterpret_cast<HDC>(wParam));
    case WM_NCHITTEST:
        return OnHitTest(window, *skinWindow, PointOf(lParam));
    case WM_GETMINMAXINFO:
        return OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO *>(lParam));
    case WM_SIZE:
        return OnSize(window, *skinWindow);
    case WM_NCACTIVATE:
        return OnNcActivate(window, *skinWindow, wParam != 0);
    case WM_SETTEXT:
        return OnSetText(window, lParam);
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        return OnButtonDown(window, *skinWindow, PointOf(lParam));
    case WM_MOUSEMOVE:
        return OnMouseMove(window, *skinWindow, PointOf(lParam));
    case WM_LBUTTONUP:
        return OnButtonUp(window, *skinWindow, PointOf(lParam));
    case WM_CAPTURECHANGED:
        return OnCaptureChanged(window, *skinWindow, reinterpret_cast<HWND>(lParam));
    case WM_NCLBUTTONDBLCLK:
        return OnCaptionDoubleClick(window, *skinWindow, wParam);
    }
    return 0;
}

// ---- Dialog keys ------------------------------------------------------------

void CollectTabStops(HWND parent, std::vector<HWND> &stops, int depth)
{
    if (depth > 32)
        return;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        LONG style = GetWindowLongA(child, GWL_STYLE);
        if (!(style & WS_VISIBLE) || (style & WS_DISABLED))
            continue;
        if (style & WS_TABSTOP)
            stops.push_back(child);
        else
            CollectTabStops(child, stops, depth + 1);
    }
}

bool MoveFocus(HWND root, bool backwards)
{
    std::vector<HWND> stops;
    CollectTabStops(root, stops, 0);
    if (stops.empty())
        return false;
    HWND focus = GetFocus();
    auto current = std::find_if(stops.begin(), stops.end(),
                                [focus](HWND stop) { return focus && (stop == focus || IsChild(stop, focus)); });
    size_t next;
    if (current == stops.end())
        next = backwards ? stops.size() - 1 : 0;
    else if (backwards)
        next = (size_t(current - stops.begin()) + stops.size() - 1) % stops.size();
    else
        next = (size_t(current - stops.begin()) + 1) % stops.size();
    SetFocus(stops[next]);
    return true;
}

bool IsPushButton(HWND window)
{
    char className[16] = {};
    if (!GetClassNameA(window, className, sizeof className) || lstrcmpiA(className, "Button") != 0)
        return false;
    LONG type = GetWindowLongA(window, GWL_STYLE) & BS_TYPEMASK;
    return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON || type == BS_OWNERDRAW;
}

} // namespace

std::vector<std::string> SplitList(std::string_view text, char separator)
{
    std::vector<std::string> items;
    while (true) {
        size_t end = text.find(separator);
        std::string_view item = text.substr(0, end);
        while (!item.empty() && item.front() == ' ')
            item.remove_prefix(1);
        while (!item.empty() && item.back() == ' ')
            item.remove_suffix(1);
        items.emplace_back(item);
        if (end == std::string_view::npos)
            return items;
        text.remove_prefix(end + 1);
    }
}

HINSTANCE LibraryInstance()
{
    return reinterpret_cast<HINSTANCE>(&__ImageBase);
}

// Freed by the host (not at process exit): the library's fonts and patterns
// go with it, and so does its own window class, which the system would keep
// with a procedure that points nowhere.
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    if (reason == DLL_PROCESS_DETACH && !reserved) {
        UnregisterClassA(THMSGBOX_CLASS, instance);
        ReleaseLibraryResources();
    }
    return TRUE;
}

Skin CurrentSkin()
{
    ModuleState &module = Module();
    std::lock_guard<std::mutex> lock(module.lock);
    return module.skin;
}

std::string CurrentSkinFolder()
{
    ModuleState &module = Module();
    std::lock_guard<std::mutex> lock(module.lock);
    return module.skinFolder;
}

unsigned SkinGeneration()
{
    ModuleState &module = Module();
    std::lock_guard<std::mutex> lock(module.lock);
    return module.generation;
}

bool LoadSkin(const char *file)
{
    Skin skin;
    std::string folder;
    bool read = false;
    HANDLE handle = file && *file ? CreateFileA(file, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)
                                  : INVALID_HANDLE_VALUE;
    if (handle != INVALID_HANDLE_VALUE) {
        // One byte more than a skin file may hold, so an oversized file is
        // seen as such.
        std::string text(MaxSkinFileSize + 1, '\0');
        DWORD got = 0;
        if (ReadFile(handle, &text[0], DWORD(text.size()), &got, nullptr)) {
            text.resize(got);
            read = ReadSkinText(text, skin);
        }
        CloseHandle(handle);
        std::string name(file);
        size_t separator = name.find_last_of("\\/");
        if (separator != std::string::npos)
            folder = name.substr(0, separator + 1);
    }
    if (!read)
        skin = Skin{};
    ModuleState &module = Module();
    std::lock_guard<std::mutex> lock(module.lock);
    module.skin = std::move(skin);
    module.skinFolder = read ? folder : std::string();
    ++module.generation;
    return read;
}

bool IsSkinnedWindow(HWND window)
{
    return FindSkin(window) != nullptr;
}

void InvalidateCaption(HWND window)
{
    SkinWindow *skinWindow = FindSkin(window);
    if (!skinWindow)
        return;
    SkinLayout layout = LayOut(window, *skinWindow, CurrentSkin());
    InvalidateRect(window, &layout.caption, FALSE);
}

void SetCaptionTips(std::string_view tips, bool enable)
{
    {
        ModuleState &module = Module();
        std::lock_guard<std::mutex> lock(module.lock);
        module.captionTips = std::string(tips);
        module.captionTipsEnabled = enable;
    }
    // The windows of this thread take the new tips at once.
    EnumThreadWindows(GetCurrentThreadId(), RefreshCaptionTips, 0);
}

bool SetWindowCaptionTips(HWND window, std::string_view tips)
{
    SkinWindow *skinWindow = window && IsWindow(window) ? FindSkin(window) : nullptr;
    if (!skinWindow)
        return false;
    skinWindow->ownTips = true;
    skinWindow->tips = std::string(tips);
    UpdateCaptionTips(window, *skinWindow, LayOut(window, *skinWindow, CurrentSkin()));
    return true;
}

bool HandleDialogKey(HWND root, const MSG &message)
{
    if (message.message != WM_KEYDOWN || !root || !IsWindow(root) || !message.hwnd ||
        (message.hwnd != root && !IsChild(root, message.hwnd)))
        return false;
    switch (message.wParam) {
    case VK_TAB:
        if (GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0)
            return false;
        return MoveFocus(root, GetKeyState(VK_SHIFT) < 0);
    case VK_RETURN: {
        HWND focus = GetFocus();
        if (!focus || !IsChild(root, focus) || !IsPushButton(focus))
            return false;
        SendMessageA(focus, BM_CLICK, 0, 0);
        return true;
    }
    }
    return false;
}

} // namespace themekit

using namespace themekit;

extern "C" {

int __stdcall THINITENGINE(const char *skinFile)
{
    return NoThrow(0, [&] { return LoadSkin(skinFile) ? 1 : 0; });
}

int __stdcall THWINDOWSTYLE(int style)
{
    return NoThrow(0, [style] {
        ModuleState &module = Module();
        std::lock_guard<std::mutex> lock(module.lock);
        int old = module.windowStyle;
        module.windowStyle = style;
        return old;
    });
}

ATOM __stdcall THREGISTERCLASS(WNDCLASSEXA *classRecord, const char *className)
{
    if (!classRecord)
        return 0;
    return NoThrow<ATOM>(0, [&]() -> ATOM {
        WNDCLASSEXA record = *classRecord;
        record.cbSize = sizeof(record);
        if (className && *className)
            record.lpszClassName = className;
        if (!record.lpszClassName || !record.lpfnWndProc)
            return 0;
        if (!record.hInstance)
            record.hInstance = GetModuleHandleA(nullptr);
        // The skin answers WM_NCHITTEST with HTCLIENT over the whole inside;
        // without a class cursor the pointer would keep whatever it showed.
        if (!record.hCursor)
            record.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
        ATOM atom = RegisterClassExA(&record);
        if (atom) {
            ModuleState &module = Module();
            std::lock_guard<std::mutex> lock(module.lock);
            module.skinnedClasses.push_back(atom);
        }
        return atom;
    });
}

int __stdcall THSETMAXSIZE(int width, int height, int screenWidth, int screenHeight)
{
    return NoThrow(0, [&] {
        ModuleState &module = Module();
        std::lock_guard<std::mutex> lock(module.lock);
        module.maxSize = MaxSize{std::max(width, 0), std::max(height, 0), std::max(screenWidth, 0),
                                 std::max(screenHeight, 0)};
        return 1;
    });
}

HWND __stdcall THHOLDER(HWND window, const char *className, int dx, int dy, WNDPROC proc)
{
    if (!window || !IsWindow(window) || !className || !*className)
        return nullptr;
    return NoThrow<HWND>(nullptr, [&]() -> HWND {
        auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE));
        WNDCLASSEXA existing{};
        existing.cbSize = sizeof(existing);
        if (!GetClassInfoExA(instance, className, &existing)) {
            if (!proc)
                return nullptr;
            WNDCLASSEXA record{};
            record.cbSize = sizeof(record);
            record.lpfnWndProc = proc;
            record.hInstance = instance;
            record.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
            record.lpszClassName = className;
            if (!RegisterClassExA(&record))
                return nullptr;
        }
        dx = std::clamp(dx, -10000, 10000);
        dy = std::clamp(dy, -10000, 10000);
        SetPropA(window, HolderInsetXProp, reinterpret_cast<HANDLE>(INT_PTR(dx)));
        SetPropA(window, HolderInsetYProp, reinterpret_cast<HANDLE>(INT_PTR(dy)));
        SetWindowLongPtrA(window, GWL_STYLE, GetWindowLongPtrA(window, GWL_STYLE) | WS_CLIPCHILDREN);
        RECT area = HolderArea(window);
        // WS_EX_CONTROLPARENT: dialog navigation reaches the controls inside.
        HWND holder = CreateWindowExA(WS_EX_CONTROLPARENT, className, "",
                                      WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, area.left,
                                      area.top, area.right - area.left, area.bottom - area.top, window, nullptr,
                                      instance, nullptr);
        if (holder)
            SetPropA(window, HolderProp, holder);
        return holder;
    });
}

int __stdcall THXMINI(void)
{
    return NoThrow(0, [] { return CurrentSkin().minimumWidth; });
}

int __stdcall THYMINI(void)
{
    return NoThrow(0, [] { return CurrentSkin().minimumHeight; });
}

LRESULT __stdcall THGETMESSAGE(HWND *window, UINT *message, WPARAM *wParam, LPARAM *lParam)
{
    if (!window || !message || !wParam || !lParam || !*window)
        return 0;
    return NoThrow<LRESULT>(0, [&] { return SkinMessage(*window, *message, *wParam, *lParam); });
}

int __stdcall THDIALOGMESSAGE(HWND window, MSG *message)
{
    if (!window || !message)
        return 0;
    return NoThrow(0, [&] { return HandleDialogKey(window, *message) ? 1 : 0; });
}

void __stdcall THEVENT(void)
{
    NoThrow(0, [] {
        MSG message{};
        // Bounded: a handler that keeps posting would hold the caller here.
        for (int count = 0; count < 10000 && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE); ++count) {
            if (message.message == WM_QUIT) {
                PostQuitMessage(int(message.wParam));
                break;
            }
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        return 0;
    });
}

BSTR __stdcall THMACTE(int commandId, int *work)
{
    return MakeByteString(commandId == THCMD_CLOSE ? "END" : "");
}

} // extern "C"
