// The effects dialog: ordinary track bars and check boxes with the control
// ids the audio bridge reads. The bridge reads the dialog itself whenever
// we call an update export; the dialog only says which one to call.
#include "host_app.h"

#include <audiolink.h>
#include <commctrl.h>

namespace host {

namespace {

constexpr int kResetId = 200;
constexpr int kRowHeight = 24;
constexpr int kLabelWidth = 60;
constexpr int kBarWidth = 200;

const char *const kBandLabels[FX_BANDS] = {"80 Hz", "170 Hz", "310 Hz", "600 Hz", "1 kHz",
                                           "3 kHz", "6 kHz",  "10 kHz", "12 kHz", "14 kHz"};

struct Switch {
    int id;
    const char *label;
};
const Switch kSwitches[] = {{FXID_EQUALIZER, "Equalizer"},       {FXID_REVERB, "Reverb"},
                            {FXID_CHORUS, "Chorus"},             {FXID_FLANGER, "Flanger"},
                            {FXID_I3DL2REVERB, "Room reverb"},   {FXID_ROTATE, "Rotate"}};

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

LRESULT OnCreate(HWND dialog)
{
    for (int band = 1; band <= FX_BANDS; ++band) {
        int y = 8 + (band - 1) * kRowHeight;
        AddChild(dialog, "STATIC", kBandLabels[band - 1], SS_RIGHT, 8, y + 4, kLabelWidth, 16, -1);
        HWND bar = AddChild(dialog, TRACKBAR_CLASSA, "", WS_TABSTOP | TBS_HORZ | TBS_AUTOTICKS | TBS_BOTTOM,
                            kLabelWidth + 12, y, kBarWidth, kRowHeight - 2, FXID_BAND1 + band - 1);
        SendMessageA(bar, TBM_SETRANGE, FALSE, MAKELPARAM(FX_TRACK_MIN, FX_TRACK_MAX));
        SendMessageA(bar, TBM_SETTICFREQ, 10, 0);
        SendMessageA(bar, TBM_SETPOS, TRUE, FX_TRACK_CENTRE);
    }
    int x = kLabelWidth + kBarWidth + 24;
    int y = 8;
    for (const Switch &entry : kSwitches) {
        AddChild(dialog, "BUTTON", entry.label, WS_TABSTOP | BS_AUTOCHECKBOX, x, y, 120, 20, entry.id);
        y += kRowHeight;
    }
    AddChild(dialog, "BUTTON", "Flat", WS_TABSTOP | BS_PUSHBUTTON, x, y + 8, 80, 24, kResetId);
    // From now on the bridge reads this dialog.
    BASSFXWINDOW(dialog, 1);
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
    case WM_DESTROY:
        return OnDestroy(dialog);
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
    RECT area{0, 0, kLabelWidth + kBarWidth + 160, 16 + FX_BANDS * kRowHeight};
    DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    AdjustWindowRectEx(&area, style, FALSE, WS_EX_TOOLWINDOW);
    return CreateWindowExA(WS_EX_TOOLWINDOW, kEffectsClass, "Effects", style, x, y, area.right - area.left,
                           area.bottom - area.top, owner, nullptr, GetModuleHandleA(nullptr), nullptr);
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
