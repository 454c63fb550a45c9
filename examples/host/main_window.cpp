// The host's main window: the folder tree of the bundled samples on the
// left, what is playing on the right, the effects dialog beside it, and the
// help viewer a button away. Selecting a sample folder plays its sample.
// Everything is laid out for the window's DPI, and again when it changes.
#include "host_app.h"

#include <audiolink.h>
#include <foldertree.h>
#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <memory>

namespace host {

namespace {

constexpr int kInfoId = 201;
constexpr int kStatusId = 202;
constexpr int kPromptId = 203;
constexpr int kEffectsButton = 301;
constexpr int kHelpButton = 302;
constexpr int kStopButton = 303;

constexpr UINT_PTR kMeterTimer = 1;
constexpr UINT_PTR kTourTimer = 2;

// The client area and where each child goes in it, in 96-DPI pixels.
constexpr int kClientWidth = 720;
constexpr int kClientHeight = 420;
constexpr int kTreeWidth = 280;
constexpr int kTextLeft = kTreeWidth + 20;
constexpr int kTextRight = kClientWidth - 8;

struct Placement {
    int id;
    RECT place;
};
constexpr Placement kPlacements[] = {
    {kTreeId, {8, 8, 8 + kTreeWidth, kClientHeight - 8}},
    {kPromptId, {kTextLeft, 8, kTextRight, 26}},
    {kInfoId, {kTextLeft, 32, kTextRight, 182}},
    {kEffectsButton, {kTextLeft, 194, kTextLeft + 100, 220}},
    {kStopButton, {kTextLeft + 110, 194, kTextLeft + 210, 220}},
    {kHelpButton, {kTextLeft + 220, 194, kTextLeft + 320, 220}},
    {kStatusId, {kTextLeft, kClientHeight - 28, kTextRight, kClientHeight - 8}},
};

constexpr DWORD kMainStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

// The tree in the application's colours: a dark ground, light text, a blue
// band behind the selected row. Never pure white for text: the control lays
// the tree's picture over its ground with the tree's white background made
// transparent, and white text would vanish with it.
constexpr COLORREF kTreeGround = RGB(24, 32, 48);
constexpr COLORREF kTreeText = RGB(220, 230, 240);
constexpr COLORREF kBandColour = RGB(70, 130, 180);
constexpr COLORREF kSelectedText = RGB(255, 244, 200);

struct MainState {
    TourOptions tourOptions;
    HWND control = nullptr; // the TARNBFF window
    HWND info = nullptr;
    HWND status = nullptr;
    HWND effects = nullptr;
    UINT dpi = kBaseDpi;
    OwnedFont textFont; // the host's own controls
    OwnedFont treeFont; // the folder tree's labels
    HelpViewer viewer;
    NowPlaying playing;
    Tour *tour = nullptr;
};

MainState *StateOf(HWND window)
{
    return reinterpret_cast<MainState *>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

RECT PlaceOf(int id, UINT dpi)
{
    for (const Placement &placement : kPlacements) {
        if (placement.id == id)
            return Scaled(placement.place, dpi);
    }
    return RECT{};
}

// The size of the frame around the client area at the window's DPI.
void FitFrame(HWND window, UINT dpi)
{
    SIZE frame = FrameSize(kClientWidth, kClientHeight, kMainStyle, 0, dpi);
    SetWindowPos(window, nullptr, 0, 0, frame.cx, frame.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The control draws its tree's labels in the font its tree is given, as it
// is. The tree is the control's one child window.
void SetTreeFont(HWND window, HFONT font)
{
    HWND tree = GetWindow(GetDlgItem(window, kTreeId), GW_CHILD);
    if (tree)
        SendMessageA(tree, WM_SETFONT, WPARAM(font), TRUE);
}

std::string ItemLabel(HWND tree, HTREEITEM item)
{
    char text[MAX_PATH] = {};
    TVITEMA data{};
    data.mask = TVIF_TEXT;
    data.hItem = item;
    data.pszText = text;
    data.cchTextMax = sizeof text;
    return item && SendMessageA(tree, TVM_GETITEMA, 0, LPARAM(&data)) ? std::string(text) : std::string();
}

void SetStatus(MainState *state, const std::string &text)
{
    SetWindowTextA(state->status, text.c_str());
}

void ShowPlaying(MainState *state)
{
    const NowPlaying &playing = state->playing;
    std::string text = "File: " + playing.path + "\r\n";
    if (playing.openResult != 0) {
        text += "BASSOPEN refused it (" + std::to_string(playing.openResult) + ")";
    } else {
        text += "Kind: " + KindName(playing.kind) + "\r\nName: " + playing.displayName + "\r\n";
        if (playing.playResult != 0)
            text += "Not played: " + std::to_string(playing.playResult) + " " + playing.playError + "\r\n";
        text += "Effects: " + EffectHandles();
    }
    char output[MAX_PATH] = {};
    DWORD length = GetEnvironmentVariableA(kEngineOutputVariable, output, sizeof output);
    text += length && length < sizeof output
                ? std::string("\r\nOutput file: ") + output
                : std::string("\r\nOutput file: none (") + kEngineOutputVariable + " names one)";
    SetWindowTextA(state->info, text.c_str());
}

// The sample of the folder the user selected in the tree.
void PlaySelection(HWND window, MainState *state, HWND tree)
{
    std::string folder = TakeText(Bff_GetPath(tree));
    std::string sample = FindSampleIn(folder);
    if (sample.empty()) {
        state->playing = NowPlaying{};
        state->playing.path = folder;
        SetStatus(state, "No sample in \"" + folder + "\"");
    } else {
        state->playing = OpenAndPlay(window, sample);
        std::string name = sample.substr(sample.find_last_of('\\') + 1);
        SetStatus(state, (state->playing.playResult == 0 ? "Playing " : "Could not play ") + name);
    }
    ShowPlaying(state);
    if (state->tour)
        TourSelectionPlayed(state->tour, state->playing);
}

void OpenHelp(MainState *state)
{
    std::string page = HelpFolder() + "index.html";
    if (state->viewer.Window()) {
        state->viewer.Navigate(FileAddress(page));
        return;
    }
    if (!state->viewer.Running() && !state->viewer.Start(page))
        SetStatus(state, "The help viewer could not be started");
}

LRESULT OnCreate(HWND window, const CREATESTRUCTA *create)
{
    auto *state = static_cast<MainState *>(create->lpCreateParams);
    // The window's own DPI is known once it exists.
    state->dpi = WindowDpi(window);
    state->textFont = CreateTextFont(state->dpi);
    state->treeFont = CreateTreeFont(state->dpi);
    FitFrame(window, state->dpi);
    RECT place = PlaceOf(kTreeId, state->dpi);
    state->control = TarnBrowser(WS_EX_CLIENTEDGE, "", WS_CHILD | WS_VISIBLE, place.left, place.top,
                                 place.right - place.left, place.bottom - place.top, window, kTreeId);
    if (!state->control)
        return -1;
    SetTreeFont(window, state->treeFont.get());
    Bff_SetProperty(state->control, BFFP_BKCOLOR, int(kTreeGround));
    Bff_SetProperty(state->control, BFFP_TEXTCOLOR, int(kTreeText));
    Bff_SetProperty(state->control, BFFP_SELBKCOLOR, int(kBandColour));
    Bff_SetProperty(state->control, BFFP_SELTEXTCOLOR, int(kSelectedText));
    // The text colour is read when the control makes its tree, which
    // TarnBrowser has already done: hand it to the tree as well.
    HWND tree = TreeOf(window);
    SendMessageA(tree, TVM_SETTEXTCOLOR, 0, LPARAM(kTreeText));
    SendMessageA(tree, TVM_SETLINECOLOR, 0, LPARAM(kTreeText));
    std::string samples = SampleFolder();
    SendMessageA(state->control, BFFM_SETROOTPATH, WPARAM(samples.size()), LPARAM(samples.c_str()));
    SendMessageA(state->control, BFFM_EXPANDROOT, 1, 0);

    UINT dpi = state->dpi;
    HFONT font = state->textFont.get();
    AddChild(window, "STATIC", "Select a sample folder in the tree to play its sample.", SS_LEFT,
             PlaceOf(kPromptId, dpi), kPromptId, font);
    state->info = AddChild(window, "STATIC", "", SS_LEFT | WS_BORDER, PlaceOf(kInfoId, dpi), kInfoId, font);
    AddChild(window, "BUTTON", "Effects...", WS_TABSTOP | BS_PUSHBUTTON, PlaceOf(kEffectsButton, dpi),
             kEffectsButton, font);
    AddChild(window, "BUTTON", "Stop", WS_TABSTOP | BS_PUSHBUTTON, PlaceOf(kStopButton, dpi), kStopButton, font);
    AddChild(window, "BUTTON", "Help", WS_TABSTOP | BS_PUSHBUTTON, PlaceOf(kHelpButton, dpi), kHelpButton, font);
    state->status =
        AddChild(window, "STATIC", "", SS_LEFT | SS_SUNKEN, PlaceOf(kStatusId, dpi), kStatusId, font);

    RECT frame{};
    GetWindowRect(window, &frame);
    state->effects = CreateEffectsDialog(window, frame.right + Scaled(8, dpi), frame.top);
    SetTimer(window, kMeterTimer, 250, nullptr);
    // From here on the window owns the state; WM_NCDESTROY frees it.
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
    return 0;
}

// The control's notifications, and our buttons.
LRESULT OnCommand(HWND window, MainState *state, int id, int code, HWND from)
{
    if (id == kTreeId) {
        switch (code) {
        case BFFN_SELCHANGED:
            PlaySelection(window, state, from);
            break;
        case BFFN_DROP: {
            // The control moves nothing; the bundled samples stay as they are.
            const auto *pair = reinterpret_cast<const BffDropPair *>(from);
            HWND tree = TreeOf(window);
            if (!pair)
                break;
            std::string drop = "\"" + ItemLabel(tree, pair->dragged) + "\" dropped on \"" +
                               ItemLabel(tree, pair->target) + "\"";
            SetStatus(state, drop + " (the samples are not moved)");
            if (state->tour)
                TourDropReported(state->tour, drop);
            break;
        }
        case BFFN_RCLICK:
            SetStatus(state, "Select a folder with the left button to play its sample");
            break;
        default:
            break;
        }
        return 0;
    }
    if (code != BN_CLICKED)
        return 0;
    switch (id) {
    case kEffectsButton:
        ShowWindow(state->effects, SW_SHOWNOACTIVATE);
        break;
    case kStopButton:
        BASSCLOSECHANNEL(0);
        SetStatus(state, "Stopped");
        ShowPlaying(state);
        break;
    case kHelpButton:
        OpenHelp(state);
        break;
    default:
        break;
    }
    return 0;
}

void UpdateMeter(MainState *state)
{
    if (!BASSHANDLEINUSE())
        return;
    DWORD level = BASSCHANNELGETLEVEL();
    char text[128];
    std::snprintf(text, sizeof text, "%s: level left %u, right %u", BASSCHANNELISACTIVE() ? "Playing" : "Finished",
                  unsigned(LOWORD(level)), unsigned(HIWORD(level)));
    SetStatus(state, text);
}

// The window moved to a screen of another DPI, or the screen's DPI changed:
// the frame goes where the system suggests, and the children are placed and
// lettered anew.
LRESULT OnDpiChanged(HWND window, MainState *state, UINT dpi, const RECT &suggested)
{
    state->dpi = dpi;
    OwnedFont textFont = CreateTextFont(dpi);
    OwnedFont treeFont = CreateTreeFont(dpi);
    MoveToSuggested(window, suggested);
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        int id = GetDlgCtrlID(child);
        RECT place = PlaceOf(id, dpi);
        MoveWindow(child, place.left, place.top, place.right - place.left, place.bottom - place.top, TRUE);
        if (id != kTreeId)
            SendMessageA(child, WM_SETFONT, WPARAM(textFont.get()), TRUE);
    }
    SetTreeFont(window, treeFont.get());
    // No child draws in the old fonts any more.
    state->textFont = std::move(textFont);
    state->treeFont = std::move(treeFont);
    return 0;
}

LRESULT OnTimer(MainState *state, UINT_PTR timer)
{
    if (timer == kMeterTimer && !state->tour)
        UpdateMeter(state);
    else if (timer == kTourTimer && state->tour)
        TourTick(state->tour);
    return 0;
}

LRESULT OnDestroy(HWND window, MainState *state)
{
    KillTimer(window, kMeterTimer);
    KillTimer(window, kTourTimer);
    int exitCode = 0;
    if (state->tour) {
        exitCode = EndTour(state->tour);
        state->tour = nullptr;
    }
    BASSCLOSECHANNEL(0);
    if (state->viewer.Window())
        state->viewer.Close();
    state->viewer.WaitOrEnd(5000);
    PostQuitMessage(exitCode);
    return 0;
}

LRESULT CALLBACK MainProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    MainState *state = StateOf(window);
    if (message == WM_CREATE)
        return OnCreate(window, reinterpret_cast<const CREATESTRUCTA *>(lParam));
    if (!state)
        return DefWindowProcA(window, message, wParam, lParam);
    switch (message) {
    case WM_COMMAND:
        return OnCommand(window, state, LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
    case WM_TIMER:
        return OnTimer(state, wParam);
    case WM_DPICHANGED:
        return OnDpiChanged(window, state, HIWORD(wParam), *reinterpret_cast<const RECT *>(lParam));
    case WM_DESTROY:
        return OnDestroy(window, state);
    case WM_NCDESTROY:
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        delete state;
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

} // namespace

HWND AddChild(HWND parent, const char *className, const char *text, DWORD style, const RECT &place, int id,
              HFONT font)
{
    HWND child = CreateWindowExA(0, className, text, WS_CHILD | WS_VISIBLE | style, place.left, place.top,
                                 place.right - place.left, place.bottom - place.top, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr),
                                 nullptr);
    SendMessageA(child, WM_SETFONT, WPARAM(font), 0);
    return child;
}

HWND TreeOf(HWND mainWindow)
{
    HWND control = GetDlgItem(mainWindow, kTreeId);
    return control ? GetWindow(control, GW_CHILD) : nullptr;
}

namespace {

// A sample folder's item (a child of the root) by its label; 0 when none.
HTREEITEM SampleItem(HWND tree, const std::string &label)
{
    HTREEITEM root = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    HTREEITEM item = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CHILD, LPARAM(root)));
    while (item && ItemLabel(tree, item) != label)
        item = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_NEXT, LPARAM(item)));
    return item;
}

// The centre of the item's label in the tree's client area, scrolled into
// view first.
bool ItemCentre(HWND tree, HTREEITEM item, POINT *centre)
{
    SendMessageA(tree, TVM_ENSUREVISIBLE, 0, LPARAM(item));
    // TVM_GETITEMRECT takes the item in the rectangle's first bytes.
    RECT rect{};
    std::memcpy(&rect, &item, sizeof item);
    if (!SendMessageA(tree, TVM_GETITEMRECT, TRUE, LPARAM(&rect)))
        return false;
    *centre = POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    return true;
}

} // namespace

bool ClickTreeItem(HWND tree, const std::string &label)
{
    HTREEITEM item = SampleItem(tree, label);
    POINT centre{};
    if (!item || !ItemCentre(tree, item, &centre))
        return false;
    LPARAM point = MAKELPARAM(centre.x, centre.y);
    // The tree follows the pressed button until its release, which must
    // already be waiting in the queue.
    PostMessageA(tree, WM_LBUTTONUP, 0, point);
    SendMessageA(tree, WM_LBUTTONDOWN, MK_LBUTTON, point);
    return true;
}

bool DragTreeItem(HWND tree, const std::string &from, const std::string &to)
{
    HWND control = GetParent(tree);
    HTREEITEM dragged = SampleItem(tree, from), target = SampleItem(tree, to);
    POINT start{}, end{};
    if (!control || !dragged || !target || !ItemCentre(tree, dragged, &start) || !ItemCentre(tree, target, &end))
        return false;
    // What the tree tells its control when the mouse leaves an item with
    // the button held: the drag starts and the control takes the mouse.
    NMTREEVIEWA begin{};
    begin.hdr.hwndFrom = tree;
    begin.hdr.idFrom = UINT_PTR(GetDlgCtrlID(tree));
    begin.hdr.code = UINT(TVN_BEGINDRAGA);
    begin.itemNew.mask = TVIF_HANDLE;
    begin.itemNew.hItem = dragged;
    begin.ptDrag = start;
    SendMessageA(control, WM_NOTIFY, begin.hdr.idFrom, LPARAM(&begin));
    if (GetCapture() != control)
        return false;
    // Then the mouse moves to the target and the button comes up there; the
    // control finds the target under the cursor.
    MapWindowPoints(tree, control, &end, 1);
    POINT screen = end;
    ClientToScreen(control, &screen);
    SetCursorPos(screen.x, screen.y);
    SendMessageA(control, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(end.x, end.y));
    SendMessageA(control, WM_LBUTTONUP, 0, MAKELPARAM(end.x, end.y));
    return true;
}

HWND CreateMainWindow(HINSTANCE instance, const TourOptions &tour)
{
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = MainProcedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = kMainClass;
    if (!RegisterClassExA(&windowClass))
        return nullptr;
    auto state = std::make_unique<MainState>();
    state->tourOptions = tour;
    // Made for the system's DPI; OnCreate sizes it anew if its own differs.
    UINT dpi = WindowDpi(nullptr);
    SIZE frame = FrameSize(kClientWidth, kClientHeight, kMainStyle, 0, dpi);
    HWND window = CreateWindowExA(0, kMainClass, "Tarn media host", kMainStyle, Scaled(40, dpi), Scaled(40, dpi),
                                  frame.cx, frame.cy, nullptr, nullptr, instance, state.get());
    if (!window)
        return nullptr;
    MainState *owned = state.release(); // the window's now
    ShowWindow(window, SW_SHOW);
    ShowWindow(owned->effects, SW_SHOWNOACTIVATE);
    UpdateWindow(window);
    if (tour.enabled) {
        owned->tour = StartTour(window, owned->effects, tour);
        SetTimer(window, kTourTimer, 100, nullptr);
    }
    return window;
}

} // namespace host
