// The application's effects dialog as the audio bridge's tests build it:
// track bars 1 to 10 (0 to 100, centred) and check boxes 11 and 13 to 17.
#pragma once
#include <windows.h>
#include <commctrl.h>

namespace altest {

// The effects dialog: a plain top-level window with the application's
// controls, never shown.
class EffectsDialog {
public:
    EffectsDialog()
    {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES};
        InitCommonControlsEx(&controls);
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "EffectsDialogTest";
        RegisterClassA(&windowClass);
        window_ = CreateWindowExA(0, "EffectsDialogTest", "Effects", WS_OVERLAPPEDWINDOW, 0, 0, 400,
                                  400, nullptr, nullptr, windowClass.hInstance, nullptr);
        for (int band = 1; band <= 10; ++band) {
            HWND bar = CreateWindowExA(0, TRACKBAR_CLASSA, "", WS_CHILD | WS_VISIBLE | TBS_VERT,
                                       band * 30, 10, 25, 150, window_, HMENU(INT_PTR(band)),
                                       windowClass.hInstance, nullptr);
            SendMessageA(bar, TBM_SETRANGE, TRUE, MAKELPARAM(0, 100));
            SendMessageA(bar, TBM_SETPOS, TRUE, 50);
        }
        for (int id : {11, 13, 14, 15, 16, 17})
            CreateWindowExA(0, "BUTTON", "", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX, id * 20, 200, 18,
                            18, window_, HMENU(INT_PTR(id)), windowClass.hInstance, nullptr);
    }
    ~EffectsDialog() { DestroyWindow(window_); }
    EffectsDialog(const EffectsDialog &) = delete;
    EffectsDialog &operator=(const EffectsDialog &) = delete;

    HWND Window() const { return window_; }
    void Check(int id, bool on)
    {
        SendDlgItemMessageA(window_, id, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    void CheckAll(bool on)
    {
        for (int id : {11, 13, 14, 15, 16, 17})
            Check(id, on);
    }
    void Track(int band, int position) { SendDlgItemMessageA(window_, band, TBM_SETPOS, TRUE, position); }
    // Takes a control out of the dialog, as a host's dialog that lacks it.
    void Remove(int id) { DestroyWindow(GetDlgItem(window_, id)); }
    int TrackPosition(int band) const
    {
        return int(SendDlgItemMessageA(window_, band, TBM_GETPOS, 0, 0));
    }

private:
    HWND window_ = nullptr;
};

} // namespace altest
