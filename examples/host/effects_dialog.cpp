// The effects dialog: ordinary track bars and check boxes with the control
// ids the audio bridge reads. The bridge reads the dialog itself whenever
// we call an update export; the dialog only says which one to call. It is
// laid out for its DPI, and again when that changes.
#include "host_app.h"

#include <audiolink.h>
#include <commctrl.h>

#include <algorithm>

namespace host {

namespace {

constexpr int kResetId = 200;
constexpr int kBandLabelId = 300; // band n's label is kBandLabelId + n - 1

// Sizes in 96-DPI pixels.
constexpr int kRowHeight = 24;
constexpr int kLabelWidth = 60;
constexpr int kBarWidth = 200;
constexpr int kSwitchLeft = kLabelWidth + kBarWidth + 24;
constexpr int kClientWidth = kLabelWidth + kBarWidth + 160;
constexpr int kClientHeight = 16 + FX_BANDS * kRowHeight;

constexpr DWORD kDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kDialogExStyle = WS_EX_TOOLWINDOW;

const char *const kBandLabels[FX_BANDS] = {"80 Hz", "170 Hz", "310 Hz", "600 Hz", "1 kHz",
                                           "3 kHz", "6 kHz",  "10 kHz", "12 kHz", "14 kHz"};

struct Switch {
    int id;
    const char *label;
};
const Switch kSwitches[] = {{FXID_EQUALIZER, "Equalizer"},       {FXID_REVERB, "Reverb"},
                            {FXID_CHORUS, "Chorus"},             {FXID_FLANGER, "Flanger"},
                            {FXID_I3DL2REVERB, "Room reverb"},   {FXID_ROTATE, "Rotate"}};
constexpr int kSwitchCount = int(sizeof kSwitches / sizeof kSwitches[0]);

struct EffectsState {
    UINT dpi = kBaseDpi;
    OwnedFont font;
};

EffectsState *StateOf(HWND dialog)
{
    return reinterpret_cast<EffectsState *>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
}

// Where the control of this id goes, at dpi: the band labels and bars in
// rows, the check boxes in a column beside them, and the reset button below.
RECT PlaceOf(int id, UINT dpi)
{
    RECT place{};
    if (id >= FXID_BAND1 && id <= FXID_BAND10) {
        int y = 8 + (id - FXID_BAND1) * kRowHeight;
        place = RECT{kLabelWidth + 12, y, kLabelWidth + 12 + kBarWidth, y + kRowHeight - 2};
    } else if (id >= kBandLabelId && id < kBandLabelId + FX_BANDS) {
        int y = 8 + (id - kBandLabelId) * kRowHeight + 4;
        place = RECT{8, y, 8 + kLabelWidth, y + 16};
    } else if (id == kResetId) {
        int y = 8 + kSwitchCount * kRowHeight + 8;
        place = RECT{kSwitchLeft, y, kSwitchLeft + 80, y + 24};
    } else {
        for (int row = 0; row < kSwitchCount; ++row) {
            if (kSwitches[row].id == id)
                place = RECT{kSwitchLeft, 8 + row * kRowHeight, kSwitchLeft + 120, 8 + row * kRowHeight + 20};
        }
    }
    return Scaled(place, dpi);
}

// The update export that stands for a check box.
void ApplySwitch(int id)
{
    switch (id) {
    case FXID_EQUALIZER:
        for (int band = 1; band <= FX_BANDS; ++band)
            BASSUPDATEEQ(0, band);
        break;
    case FXID_REVERB:
        BASSUPDATEREVERB(0);
        break;
    case FXID_CHORUS:
        BASSUPDATECHORUS(0);
        break;
    case FXID_FLANGER:
        BASSUPDATEFLANGER(0);
        break;
    case FXID_I3DL2REVERB:
        BASSUPDATEECHO(0);
        break;
    case FXID_ROTATE:
        BASSUPDATEROTATE(0);
        break;
    default:
        break;
    }
}

// The frame around the client area at the dialog's DPI.
void FitFrame(HWND dialog, UINT dpi)
{
    SIZE frame = FrameSize(kClientWidth, kClientHeight, kDialogStyle, kDialogExStyle, dpi);
    SetWindowPos(dialog, nullptr, 0, 0, frame.cx, frame.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT OnCreate(HWND dialog)
{
    auto state = std::make_unique<EffectsState>();
    // The dialog's own DPI is known once it exists.
    UINT dpi = state->dpi = WindowDpi(dialog);
    state->font = CreateTextFont(dpi);
    FitFrame(dialog, dpi);
    HFONT font = state->font.get();
    for (int band = 1; band <= FX_BANDS; ++band) {
        int label = kBandLabelId + band - 1, id = FXID_BAND1 + band - 1;
        AddChild(dialog, "STATIC", kBandLabels[band - 1], SS_RIGHT, PlaceOf(label, dpi), label, font);
        HWND bar = AddChild(dialog, TRACKBAR_CLASSA, "", WS_TABSTOP | TBS_HORZ | TBS_AUTOTICKS | TBS_BOTTOM,
                            PlaceOf(id, dpi), id, font);
        SendMessageA(bar, TBM_SETRANGE, FALSE, MAKELPARAM(FX_TRACK_MIN, FX_TRACK_MAX));
        SendMessageA(bar, TBM_SETTICFREQ, 10, 0);
        SendMessageA(bar, TBM_SETPOS, TRUE, FX_TRACK_CENTRE);
    }
    for (const Switch &entry : kSwitches)
        AddChild(dialog, "BUTTON", entry.label, WS_TABSTOP | BS_AUTOCHECKBOX, PlaceOf(entry.id, dpi), entry.id, font);
    AddChild(dialog, "BUTTON", "Flat", WS_TABSTOP | BS_PUSHBUTTON, PlaceOf(kResetId, dpi), kResetId, font);
    // From here on the dialog owns its state; WM_NCDESTROY frees it.
    SetWindowLongPtrA(dialog, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state.release()));
    // From now on the bridge reads this dialog.
    BASSFXWINDOW(dialog, 1);
    return 0;
}

// As the main window does: the frame where the system suggests, the
// controls placed and lettered anew.
LRESULT OnDpiChanged(HWND dialog, EffectsState *state, UINT dpi, const RECT &suggested)
{
    state->dpi = dpi;
    OwnedFont font = CreateTextFont(dpi);
    MoveToSuggested(dialog, suggested);
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT place = PlaceOf(GetDlgCtrlID(child), dpi);
        MoveWindow(child, place.left, place.top, place.right - place.left, place.bottom - place.top, TRUE);
        SendMessageA(child, WM_SETFONT, WPARAM(font.get()), TRUE);
    }
    // No control draws in the old font any more.
    state->font = std::move(font);
    return 0;
}

LRESULT OnCommand(HWND dialog, int id, int code)
{
    if (code != BN_CLICKED)
        return 0;
    if (id == kResetId) {
        // The bands come off and the bars go back to the centre; with the
        // equalizer on, the bands return at 0 dB.
        BASSRESETEQ(0);
        ApplySwitch(FXID_EQUALIZER);
    } else {
        ApplySwitch(id);
    }
    return 0;
}

LRESULT OnBandMoved(HWND bar)
{
    int band = GetDlgCtrlID(bar);
    if (band >= FXID_BAND1 && band <= FXID_BAND10)
        BASSUPDATEEQ(0, band - FXID_BAND1 + 1);
    return 0;
}

LRESULT OnDestroy(HWND dialog)
{
    if (BASSFXWINDOW(nullptr, 0) == dialog)
        BASSFXWINDOW(nullptr, 1);
    return 0;
}

LRESULT CALLBACK EffectsProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        return OnCreate(dialog);
    case WM_COMMAND:
        return OnCommand(dialog, LOWORD(wParam), HIWORD(wParam));
    case WM_HSCROLL:
        return lParam ? OnBandMoved(reinterpret_cast<HWND>(lParam)) : 0;
    case WM_CLOSE:
        // The dialog belongs to the main window: closing only hides it.
        ShowWindow(dialog, SW_HIDE);
        return 0;
    case WM_DPICHANGED:
        if (EffectsState *state = StateOf(dialog))
            return OnDpiChanged(dialog, state, HIWORD(wParam), *reinterpret_cast<const RECT *>(lParam));
        return DefWindowProcA(dialog, message, wParam, lParam);
    case WM_DESTROY:
        return OnDestroy(dialog);
    case WM_NCDESTROY:
        delete StateOf(dialog);
        SetWindowLongPtrA(dialog, GWLP_USERDATA, 0);
        return DefWindowProcA(dialog, message, wParam, lParam);
    default:
        return DefWindowProcA(dialog, message, wParam, lParam);
    }
}

} // namespace

HWND CreateEffectsDialog(HWND owner, int x, int y)
{
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = EffectsProcedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = kEffectsClass;
    RegisterClassExA(&windowClass);
    // Made for its owner's DPI; OnCreate sizes it anew if its own differs.
    SIZE frame = FrameSize(kClientWidth, kClientHeight, kDialogStyle, kDialogExStyle, WindowDpi(owner));
    // Kept on the owner's screen, over the owner if it must be.
    MONITORINFO screen{};
    screen.cbSize = sizeof screen;
    if (GetMonitorInfoA(MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST), &screen)) {
        const RECT &work = screen.rcWork;
        x = std::max(std::min(x, int(work.right) - int(frame.cx)), int(work.left));
        y = std::max(std::min(y, int(work.bottom) - int(frame.cy)), int(work.top));
    }
    return CreateWindowExA(kDialogExStyle, kEffectsClass, "Effects", kDialogStyle, x, y, frame.cx, frame.cy, owner,
                           nullptr, GetModuleHandleA(nullptr), nullptr);
}

void ClickEffectSwitch(HWND dialog, int id, bool on)
{
    HWND box = GetDlgItem(dialog, id);
    if (!box)
        return;
    SendMessageA(box, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), LPARAM(box));
}

void MoveBandSlider(HWND dialog, int band, int position)
{
    HWND bar = GetDlgItem(dialog, FXID_BAND1 + band - 1);
    if (!bar)
        return;
    SendMessageA(bar, TBM_SETPOS, TRUE, position);
    SendMessageA(dialog, WM_HSCROLL, MAKEWPARAM(TB_ENDTRACK, 0), LPARAM(bar));
}

} // namespace host
