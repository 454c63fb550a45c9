// The one window procedure of the viewer, for the main window and its child
// area: the skin library sees every message first; other programs send
// navigate and close commands with WM_COPYDATA.
#include <windows.h>

#include <new>
#include <string_view>

#include "../include/helpview.h"
#include "copydata_command.h"
#include "process_code_page.h"
#include "viewer_state.h"

namespace helpview {

// What hosts are told, in the public header, is what the viewer does.
static_assert(HELPVIEW_NAVIGATE == COPYDATA_NAVIGATE && HELPVIEW_CLOSE == COPYDATA_CLOSE);
static_assert(HELPVIEW_MAX_ADDRESS == MaxNavigationText);
// A navigate command's text goes through the caption buffer whole.
static_assert(CaptionCharacters >= MaxNavigationText);
static_assert(std::string_view(HELPVIEW_CLASS) == ViewerClassName);

namespace {

// Set while a navigation runs. NavigateTo lets the skin library handle the
// messages waiting (THEVENT), the pending-navigation message among them: a
// navigation started from in there would nest inside the running one, and
// under a stream of commands the nesting would have no end (each level
// holding its frame and its 50 ms wait) until the stack ran out.
bool Navigating = false;

void PostPendingNavigate()
{
    PostMessageA(MainWindow, WM_PENDINGNAVIGATE, 0, 0);
}

LRESULT OnPendingNavigate()
{
    if (Navigating)
        return 0; // the running navigation posts it again when it ends
    Navigating = true;
    SetCaptionBuffer(PendingUrl.c_str());
    PendingUrl.clear();
    NavigateTo(CaptionBuffer);
    Navigating = false;
    // A command that came while it ran: the latest address is shown next.
    if (!PendingUrl.empty())
        PostPendingNavigate();
    return 0;
}

// Navigation happens later, from the posted message: the sender is not held
// while the control loads, and the control is not driven from inside a call
// another process is waiting on. One message is waiting at most: a command
// that comes before it is handled replaces the address it will show. The
// text is in the sender's code page, UTF-8 or its system's 8-bit one.
LRESULT OnCopyData(WPARAM wParam, const COPYDATASTRUCT *data)
{
    if (!data)
        return 1;
    CopyDataCommand command = DecodeCopyData(wParam, data->dwData, data->cbData, data->lpData);
    if (command.code == COPYDATA_NAVIGATE && !command.text.empty()) {
        bool waiting = !PendingUrl.empty();
        PendingUrl = TextFromOutside(command.text, command.cut);
        if (!waiting)
            PostPendingNavigate();
    } else if (command.code == COPYDATA_CLOSE) {
        PostMessageA(MainWindow, WM_SYSCOMMAND, SC_CLOSE, 0);
    }
    return 1;
}

LRESULT OnPaint(HWND window, WPARAM wParam, LPARAM lParam)
{
    if (window == ClientHolder) {
        InvalidateRect(ClientHolder, nullptr, FALSE);
        RECT client{};
        GetClientRect(ClientHolder, &client);
        PAINTSTRUCT paint{};
        HDC dc = BeginPaint(ClientHolder, &paint);
        THTILEBLT(dc, 0, 0, client.right, client.bottom, THCTLBACK());
        EndPaint(ClientHolder, &paint);
    }
    return DefWindowProcA(window, WM_PAINT, wParam, lParam);
}

// The window is not destroyed: the message loop ends and the shutdown runs.
// The placement saved is the restored one, never a minimised or maximised
// window's.
LRESULT OnClose()
{
    ShowWindow(MainWindow, SW_RESTORE);
    // A window minimised from the maximised state comes back maximised: one
    // more restore brings it to its restored place.
    if (IsZoomed(MainWindow))
        ShowWindow(MainWindow, SW_RESTORE);
    RECT frame{};
    GetWindowRect(MainWindow, &frame);
    POINT origin{0, 0};
    ClientToScreen(MainWindow, &origin);
    int left = origin.x, top = origin.y;
    int width = frame.right - frame.left, height = frame.bottom - frame.top;
    PlacementFile(left, top, width, height, 1);
    PostQuitMessage(0);
    return 1;
}

LRESULT OnCommand(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    int id = LOWORD(wParam);
    int work = 0;
    if (TakeByteString(THMACTE(id, &work)) == "END") {
        SendMessageA(window, WM_SYSCOMMAND, SC_CLOSE, lParam);
        return 1;
    }
    switch (id) {
    case BackButton:
        GoBack();
        break;
    case PrintButton:
        PrintPage();
        break;
    case ForwardButton:
        GoForward();
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT OnSize(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (window == ClientHolder)
        LayOutStatusArea(LOWORD(lParam), HIWORD(lParam));
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT OnControlColour(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto control = reinterpret_cast<HWND>(lParam);
    if (control && control == StatusWindow)
        return reinterpret_cast<LRESULT>(StatusAreaBrush(reinterpret_cast<HDC>(wParam), control));
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT Dispatch(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT handled = THGETMESSAGE(&window, &message, &wParam, &lParam);
    if (handled)
        return handled;
    switch (message) {
    case WM_PENDINGNAVIGATE:
        return OnPendingNavigate();
    case WM_COPYDATA:
        return OnCopyData(wParam, reinterpret_cast<const COPYDATASTRUCT *>(lParam));
    case WM_PAINT:
        return OnPaint(window, wParam, lParam);
    case WM_SYSCOMMAND:
        // The system keeps its own flags in the low four bits.
        if ((wParam & 0xFFF0) == SC_CLOSE)
            return OnClose();
        break;
    case WM_CLOSE:
        // Sent by programs that end others politely; destroying the window
        // would leave the process running with nothing to show.
        if (window == MainWindow) {
            OnClose();
            return 0;
        }
        break;
    case WM_COMMAND:
        return OnCommand(window, message, wParam, lParam);
    case WM_SIZE:
        return OnSize(window, message, wParam, lParam);
    case WM_CTLCOLORSTATIC:
        return OnControlColour(window, message, wParam, lParam);
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

} // namespace helpview

extern "C" LRESULT __stdcall MainWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    try {
        return helpview::Dispatch(window, message, wParam, lParam);
    } catch (const std::bad_alloc &) {
        return 0;
    }
}
