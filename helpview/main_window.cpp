// The skinned main window: its class, the child area with the back, print
// and forward buttons, the status line, and the hosted browser control.
#include <windows.h>

#include <string>

#include "viewer_state.h"

namespace helpview {

namespace {

constexpr int ButtonTop = 5;
constexpr int ButtonHeight = 20;
constexpr int ArrowWidth = 39;
constexpr int ControlLeft = 5;
constexpr int ControlTop = 30;
constexpr int Margin = 5;
constexpr int StatusAreaId = 100;
constexpr DWORD FollowParentSize = JA_RESIZE_SIZE_X | JA_RESIZE_SIZE_Y; // 0x1010

int StatusHeight = 0;

// The arrow buttons draw with this font whenever they are painted, so it
// lives as long as they do.
HGDIOBJ MarlettFont = nullptr;

// Pattern brush of the skin's control background for the status line, made
// again when the skin hands out another pattern.
HBRUSH StatusBrush = nullptr;
HBITMAP StatusBrushPattern = nullptr;

void RegisterViewerClass(HINSTANCE instance)
{
    WNDCLASSEXA record{};
    record.cbSize = sizeof(record); // 48
    record.style = CS_HREDRAW | CS_VREDRAW;
    record.lpfnWndProc = MainWindowProcedure;
    record.hInstance = instance;
    record.hIconSm = LoadIconA(instance, "PROGRAM");
    THREGISTERCLASS(&record, ViewerClassName);
}

HWND AddButton(const char *text, HFONT font, int x, int width, int id, const std::string &tip)
{
    HWND button = THBUT3D(ClientHolder, text, font, x, ButtonTop, width, ButtonHeight, id, &StyleRecord);
    THBUTTONTIP(ClientHolder, button, tip.c_str());
    THTABSTOP(button);
    return button;
}

void AddButtons()
{
    MarlettFont = THMARLETT(15);
    auto marlett = static_cast<HFONT>(MarlettFont);
    int labelWidth = 0, labelHeight = 0;
    THGETTEXTEXTENT(ClientHolder, THCAPTIONFONT(), UiText(6).c_str(), &labelWidth, &labelHeight);
    labelWidth += 2 * THBUTTONMARGIN();
    // Marlett draws "3" as a left arrow and "4" as a right arrow.
    AddButton("3", marlett, 22, ArrowWidth, BackButton, UiText(3));
    AddButton(UiText(6).c_str(), THCAPTIONFONT(), 64, labelWidth, PrintButton, UiText(4));
    AddButton("4", marlett, 67 + labelWidth, ArrowWidth, ForwardButton, UiText(5));
}

void CreateStatusArea(int holderWidth, int holderHeight)
{
    int textWidth = 0, textHeight = 0;
    THGETTEXTEXTENT(ClientHolder, DefaultFont, "Ag", &textWidth, &textHeight);
    StatusHeight = (textHeight > 0 ? textHeight : 13) + 4;
    StatusWindow = CreateWindowExA(0, "STATIC", "",
                                   WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS | SS_CENTERIMAGE,
                                   0, 0, 0, 0, ClientHolder, reinterpret_cast<HMENU>(INT_PTR(StatusAreaId)),
                                   reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(ClientHolder, GWLP_HINSTANCE)),
                                   nullptr);
    SendMessageA(StatusWindow, WM_SETFONT, reinterpret_cast<WPARAM>(DefaultFont), FALSE);
    LayOutStatusArea(holderWidth, holderHeight);
}

} // namespace

void CreateMainWindow(HINSTANCE instance, int left, int top, int width, int height)
{
    RegisterViewerClass(instance);
    THWINDOWSTYLE(THWS_CAPTION | THWS_CLOSE | THWS_MINIMIZE | THWS_MAXIMIZE);
    THSETMAXSIZE(width, height, ScreenWidth, ScreenHeight);
    MainWindow = CreateWindowExA(0, ViewerClassName, CaptionBuffer, WS_POPUP | WS_SYSMENU, left, top, width, height,
                                 nullptr, nullptr, instance, nullptr);
    THSETSYSBUTTONTIP(MainWindow, UiText(7).c_str());
    ClientHolder = THHOLDER(MainWindow, HolderClassName, 0, 0, MainWindowProcedure);
    AddButtons();

    RECT client{};
    GetClientRect(ClientHolder, &client);
    THSETCTLTEXT(MainWindow, UiText(1).c_str());
    CreateStatusArea(client.right, client.bottom);

    // The control stands above the status line and keeps its distances to
    // the child area's right and bottom edges as the window is resized.
    JACreateControl(ClientHolder, ControlName, ControlLeft, ControlTop, client.right - 2 * Margin,
                    client.bottom - ControlTop - Margin - StatusHeight, JA_CREATE_PROGID "Shell.Explorer.2",
                    JA_CREATE_VISIBLE, &BrowserControl, nullptr, 0);
    if (BrowserControl) {
        JASetControlResizeStyle(BrowserControl, nullptr, FollowParentSize);
        JASubscribeEvents(BrowserControl, JAEVENTCALLBACK, 1);
    }
}

int StatusAreaHeight()
{
    return StatusHeight;
}

void LayOutStatusArea(int holderWidth, int holderHeight)
{
    if (!StatusWindow)
        return;
    int width = holderWidth - 2 * Margin;
    SetWindowPos(StatusWindow, nullptr, Margin, holderHeight - Margin - StatusHeight, width > 0 ? width : 0,
                 StatusHeight, SWP_NOZORDER | SWP_NOACTIVATE);
}

HBRUSH StatusAreaBrush(HDC dc, HWND status)
{
    HBITMAP pattern = THCTLBACK();
    if (!StatusBrush || pattern != StatusBrushPattern) {
        if (StatusBrush)
            DeleteObject(StatusBrush);
        StatusBrush = pattern ? CreatePatternBrush(pattern) : nullptr;
        StatusBrushPattern = pattern;
    }
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, THGETSYSCOLOR(THCOLOR_DIALOGTEXT));
    // The pattern continues the child area's tiling, which starts at its
    // top left corner.
    BITMAP bitmap{};
    POINT origin{0, 0};
    MapWindowPoints(status, ClientHolder, &origin, 1);
    if (pattern && GetObjectA(pattern, sizeof bitmap, &bitmap) && bitmap.bmWidth > 0 && bitmap.bmHeight > 0)
        SetBrushOrgEx(dc, (bitmap.bmWidth - origin.x % bitmap.bmWidth) % bitmap.bmWidth,
                      (bitmap.bmHeight - origin.y % bitmap.bmHeight) % bitmap.bmHeight, nullptr);
    return StatusBrush ? StatusBrush : static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
}

void DeleteWindowObjects()
{
    THDELETEOBJECT(&MarlettFont);
    if (StatusBrush)
        DeleteObject(StatusBrush);
    StatusBrush = nullptr;
    StatusBrushPattern = nullptr;
}

} // namespace helpview
