// THMSGBOX: a modal message box drawn in the skin's colours, with 3D buttons.
#include <algorithm>
#include <climits>
#include <vector>

#include <windows.h>

#include <windowsx.h>

#include "byte_string.h"
#include "skin_state.h"

namespace themekit {

namespace {

constexpr size_t MaxButtons = 16;
constexpr int ButtonGap = 8;

struct BoxLayout {
    SIZE window{};
    RECT caption{};
    RECT body{};
    RECT icon{};
    RECT text{};
    std::vector<RECT> buttons;
};

// Lives on THMSGBOX's stack; the box's window reaches it through its extra
// bytes until WM_NCDESTROY.
struct BoxState {
    Skin skin;
    HFONT font = nullptr;
    std::string title;
    std::string text;
    std::vector<std::string> labels;
    HICON icon = nullptr;
    COLORREF face = 0;
    COLORREF textColour = 0;
    int padding = 0;
    int frame = 0;
    ButtonLook buttonLook{};
    BoxLayout layout;

    HWND owner = nullptr;
    bool ownerDisabled = false; // by us, to be undone
    HWND box = nullptr;
    HWND focus = nullptr;
    int result = 0;
    bool done = false;
};

std::vector<std::string> SplitLabels(std::string_view buttons)
{
    if (buttons.empty())
        return {"OK"};
    std::vector<std::string> labels = SplitList(buttons, ',');
    if (labels.size() > MaxButtons)
        labels.resize(MaxButtons);
    return labels;
}

int TextLength(std::string_view text)
{
    return int(std::min<size_t>(text.size(), INT_MAX));
}

BoxLayout LayOutBox(const BoxState &state)
{
    BoxLayout layout;
    WindowDc screen(nullptr);
    HDC dc = screen.get();
    int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    int lineHeight = 16;
    RECT textBox{0, 0, std::clamp(screenWidth * 2 / 3, 160, 480), 0};
    SIZE labelExtent{};
    int widestLabel = 0;
    {
        Selection selectFont(dc, state.font);
        TEXTMETRICA metrics{};
        if (GetTextMetricsA(dc, &metrics))
            lineHeight = metrics.tmHeight;
        if (!state.text.empty())
            DrawTextA(dc, state.text.data(), TextLength(state.text), &textBox,
                      DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
        else
            textBox = RECT{0, 0, 0, lineHeight};
        for (const std::string &label : state.labels) {
            if (GetTextExtentPoint32A(dc, label.data(), TextLength(label), &labelExtent))
                widestLabel = std::max<int>(widestLabel, labelExtent.cx);
        }
    }
    SIZE titleExtent{};
    {
        Selection selectFont(dc, LibraryCaptionFont());
        GetTextExtentPoint32A(dc, state.title.data(), TextLength(state.title), &titleExtent);
    }

    const int padding = state.padding;
    const int bevel = state.buttonLook.bevel;
    int iconSide = state.icon ? GetSystemMetrics(SM_CXICON) : 0;
    int textWidth = textBox.right - textBox.left;
    int textHeight = std::max<int>(textBox.bottom - textBox.top, lineHeight);
    int buttonWidth = std::max(64, widestLabel + 2 * (state.skin.buttonMargin + bevel));
    int buttonHeight = std::max(23, lineHeight + 2 * bevel + 8);
    int buttonCount = int(state.labels.size());
    int rowWidth = buttonCount * buttonWidth + (buttonCount - 1) * ButtonGap;
    int contentWidth = iconSide + (iconSide ? padding : 0) + textWidth;
    int contentHeight = std::max(iconSide, textHeight);
    int bodyWidth = std::max({contentWidth, rowWidth, int(titleExtent.cx) + 16}) + 2 * padding;
    int bodyHeight = 3 * padding + contentHeight + buttonHeight;

    const int frame = state.frame;
    const int captionHeight = state.skin.captionHeight;
    layout.window = SIZE{bodyWidth + 2 * frame, bodyHeight + captionHeight + 2 * frame};
    layout.caption = RECT{frame, frame, frame + bodyWidth, frame + captionHeight};
    layout.body = RECT{frame, layout.caption.bottom, frame + bodyWidth, layout.caption.bottom + bodyHeight};
    int top = layout.body.top + padding;
    int left = layout.body.left + padding;
    if (iconSide)
        layout.icon = RECT{left, top, left + iconSide, top + iconSide};
    int textLeft = left + iconSide + (iconSide ? padding : 0);
    int textTop = top + std::max(0, (iconSide - textHeight) / 2);
    layout.text = RECT{textLeft, textTop, textLeft + textWidth, textTop + textHeight};
    int buttonTop = layout.body.bottom - padding - buttonHeight;
    int buttonLeft = layout.body.left + (bodyWidth - rowWidth) / 2;
    for (int i = 0; i < buttonCount; ++i) {
        int x = buttonLeft + i * (buttonWidth + ButtonGap);
        layout.buttons.push_back(RECT{x, buttonTop, x + buttonWidth, buttonTop + buttonHeight});
    }
    return layout;
}

BoxState *StateOf(HWND box)
{
    return reinterpret_cast<BoxState *>(GetWindowLongPtrA(box, 0));
}

// Destroying the box ends the modal loop; the owner is enabled first so that
// the system activates it rather than some other window.
void EndBox(BoxState &state, int result)
{
    if (state.done || !state.box)
        return;
    state.result = result;
    if (state.ownerDisabled) {
        EnableWindow(state.owner, TRUE);
        state.ownerDisabled = false;
    }
    DestroyWindow(state.box);
}

void PaintBox(const BoxState &state, HDC dc)
{
    const BoxLayout &layout = state.layout;
    RECT outer{0, 0, layout.window.cx, layout.window.cy};
    DrawSkinFrame(dc, outer, state.skin, state.frame);
    DrawCaptionBand(dc, layout.caption, layout.caption.right, state.skin, true, nullptr, state.title);
    FillColour(dc, layout.body, state.face);
    if (state.icon) {
        DrawIconEx(dc, layout.icon.left, layout.icon.top, state.icon, layout.icon.right - layout.icon.left,
                   layout.icon.bottom - layout.icon.top, 0, nullptr, DI_NORMAL);
    }
    RECT textRect = layout.text;
    Selection selectFont(dc, state.font);
    TextLook textLook(dc, state.textColour);
    DrawTextA(dc, state.text.data(), TextLength(state.text), &textRect, DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
}

LRESULT OnBoxNcCreate(HWND box, const CREATESTRUCTA *create)
{
    auto state = static_cast<BoxState *>(create->lpCreateParams);
    SetWindowLongPtrA(box, 0, reinterpret_cast<LONG_PTR>(state));
    state->box = box;
    return DefWindowProcA(box, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(create));
}

LRESULT OnBoxCreate(BoxState &state)
{
    for (size_t i = 0; i < state.labels.size(); ++i) {
        HWND button = Create3DButton(state.box, state.labels[i].c_str(), state.font, state.layout.buttons[i],
                                     int(i + 1), state.buttonLook);
        if (!button)
            return -1;
        SetWindowLongA(button, GWL_STYLE, GetWindowLongA(button, GWL_STYLE) | WS_TABSTOP);
        if (!state.focus)
            state.focus = button;
    }
    return 0;
}

LRESULT OnBoxPaint(BoxState &state)
{
    PaintGuard paint(state.box);
    PaintBox(state, paint.get());
    return 0;
}

LRESULT OnBoxHitTest(BoxState &state, LPARAM lParam)
{
    POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ScreenToClient(state.box, &point);
    if (PtInRect(&state.layout.caption, point))
        return HTCAPTION;
    return DefWindowProcA(state.box, WM_NCHITTEST, 0, lParam);
}

// The platform would put the focus on the box itself; it belongs to the
// button that had it.
LRESULT OnBoxActivate(BoxState &state, WPARAM wParam)
{
    if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(state.box, focus))
            state.focus = focus;
    } else if (state.focus && IsWindow(state.focus)) {
        SetFocus(state.focus);
    }
    return 0;
}

LRESULT OnBoxCommand(BoxState &state, int id, int code)
{
    if (code == BN_CLICKED && id >= 1 && size_t(id) <= state.labels.size())
        EndBox(state, id);
    return 0;
}

LRESULT OnBoxNcDestroy(HWND box, BoxState &state)
{
    if (state.ownerDisabled) {
        EnableWindow(state.owner, TRUE);
        state.ownerDisabled = false;
    }
    state.done = true;
    state.box = nullptr;
    SetWindowLongPtrA(box, 0, 0);
    // GetMessage returns only for a posted message; the box may have gone
    // inside a message sent from another thread.
    PostMessageA(nullptr, WM_NULL, 0, 0);
    return 0;
}

LRESULT BoxMessage(HWND box, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE)
        return OnBoxNcCreate(box, reinterpret_cast<const CREATESTRUCTA *>(lParam));
    BoxState *state = StateOf(box);
    if (!state)
        return DefWindowProcA(box, message, wParam, lParam);
    switch (message) {
    case WM_CREATE:
        return OnBoxCreate(*state);
    case WM_ERASEBKGND:
        return 1; // WM_PAINT covers every pixel
    case WM_PAINT:
        return OnBoxPaint(*state);
    case WM_PRINTCLIENT:
        PaintBox(*state, reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_NCHITTEST:
        return OnBoxHitTest(*state, lParam);
    case WM_ACTIVATE:
        return OnBoxActivate(*state, wParam);
    case WM_COMMAND:
        return OnBoxCommand(*state, LOWORD(wParam), HIWORD(wParam));
    case WM_CLOSE:
        EndBox(*state, 0);
        return 0;
    case WM_NCDESTROY:
        OnBoxNcDestroy(box, *state);
        break;
    }
    return DefWindowProcA(box, message, wParam, lParam);
}

LRESULT CALLBACK BoxProcedure(HWND box, UINT message, WPARAM wParam, LPARAM lParam)
{
    return NoThrow<LRESULT>(0, [&] { return BoxMessage(box, message, wParam, lParam); });
}

bool RegisterBoxClass()
{
    static const bool registered = [] {
        WNDCLASSEXA record{};
        record.cbSize = sizeof(record);
        record.lpfnWndProc = BoxProcedure;
        record.cbWndExtra = sizeof(LONG_PTR);
        record.hInstance = LibraryInstance();
        record.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
        record.lpszClassName = THMSGBOX_CLASS;
        return RegisterClassExA(&record) != 0;
    }();
    return registered;
}

// Escape gives 0; Tab and Enter work as in a dialog; Enter elsewhere than on
// a button presses the first one.
bool HandleBoxKey(BoxState &state, const MSG &message)
{
    if (!state.box || message.message != WM_KEYDOWN || !message.hwnd ||
        (message.hwnd != state.box && !IsChild(state.box, message.hwnd)))
        return false;
    if (message.wParam == VK_ESCAPE) {
        EndBox(state, 0);
        return true;
    }
    if (HandleDialogKey(state.box, message))
        return true;
    if (message.wParam == VK_RETURN) {
        EndBox(state, 1);
        return true;
    }
    return false;
}

POINT BoxPosition(HWND owner, SIZE size)
{
    RECT work{};
    if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0) || work.right <= work.left)
        work = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    RECT around = work;
    if (owner && IsWindowVisible(owner) && !IsIconic(owner))
        GetWindowRect(owner, &around);
    int x = around.left + (around.right - around.left - size.cx) / 2;
    int y = around.top + (around.bottom - around.top - size.cy) / 2;
    x = std::max<int>(work.left, std::min<int>(x, work.right - size.cx));
    y = std::max<int>(work.top, std::min<int>(y, work.bottom - size.cy));
    return POINT{x, y};
}

int RunBox(BoxState &state)
{
    if (!RegisterBoxClass())
        return 0;
    POINT at = BoxPosition(state.owner, state.layout.window);
    HWND box = CreateWindowExA(0, THMSGBOX_CLASS, state.title.c_str(), WS_POPUP | WS_CLIPCHILDREN, at.x, at.y,
                               state.layout.window.cx, state.layout.window.cy, state.owner, nullptr,
                               LibraryInstance(), &state);
    if (!box)
        return 0;
    if (state.owner && IsWindowEnabled(state.owner)) {
        EnableWindow(state.owner, FALSE);
        state.ownerDisabled = true;
    }
    ShowWindow(box, SW_SHOW);
    UpdateWindow(box);
    SetForegroundWindow(box);
    if (state.focus)
        SetFocus(state.focus);

    bool quit = false;
    WPARAM quitCode = 0;
    while (!state.done) {
        MSG message{};
        BOOL got = GetMessageA(&message, nullptr, 0, 0);
        if (got == -1)
            break;
        if (got == 0) {
            quit = true;
            quitCode = message.wParam;
            break;
        }
        if (HandleBoxKey(state, message))
            continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    if (state.box)
        EndBox(state, 0);
    // The caller's own loop must still see the quit.
    if (quit)
        PostQuitMessage(int(quitCode));
    return state.result;
}

} // namespace

} // namespace themekit

using namespace themekit;

extern "C" int __stdcall THMSGBOX(HWND owner, HFONT font, const char *title, const char *text,
                                  const char *buttons, const THSTYLERECORD *style, int reserved)
{
    return NoThrow(0, [&] {
        BoxState state;
        state.skin = CurrentSkin();
        state.font = font && GetObjectType(font) == OBJ_FONT ? font : LibraryDefaultFont();
        state.title = std::string(TextArgument(title));
        state.text = std::string(TextArgument(text));
        state.labels = SplitLabels(TextArgument(buttons));
        // A box belongs to the top-level window of a child owner, as the
        // system's own message box does.
        state.owner = owner && IsWindow(owner) ? GetAncestor(owner, GA_ROOT) : nullptr;

        THSTYLERECORD record{};
        if (style)
            record = *style;
        state.icon = THSTYLE_HICON(record.icon);
        state.face = record.faceColour ? record.faceColour & 0xFFFFFF : state.skin.dialogFaceColour;
        state.textColour = record.textColour ? record.textColour & 0xFFFFFF : state.skin.dialogTextColour;
        state.padding = record.padding > 0 ? std::min<int>(record.padding, 200) : state.skin.messagePadding;
        state.frame = record.frame ? std::min<int>(record.frame, 32) : std::max(state.skin.frameWidth, 1);
        state.buttonLook = LookFromStyle(nullptr, state.skin);
        if (record.bevel)
            state.buttonLook.bevel = std::min<int>(record.bevel, 16);
        state.layout = LayOutBox(state);
        if (record.alert)
            MessageBeep(MB_ICONEXCLAMATION);
        return RunBox(state);
    });
}
