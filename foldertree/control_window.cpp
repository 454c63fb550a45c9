// The TARNBFF window procedure: it creates the tree child, keeps it sized
// and focused, paints the desktop behind a hidden tree, routes the tree's
// notifications, answers the private messages and runs item drags. Every
// message acts on the control's own tree.
#include "folder_tree.h"

#include <windowsx.h>

namespace foldertree {

namespace {

HWND OwnTree(HWND control)
{
    HWND tree = GetDlgItem(control, GetDlgCtrlID(control));
    return TreeData(tree) ? tree : nullptr;
}

LRESULT OnPaint(HWND control, UINT message, WPARAM wParam, LPARAM lParam)
{
    HWND tree = OwnTree(control);
    if (!tree || IsWindowVisible(tree))
        return DefWindowProcA(control, message, wParam, lParam);
    PAINTSTRUCT paint{};
    HDC hdc = BeginPaint(control, &paint);
    RECT client{};
    GetClientRect(control, &client);
    POINT origin{};
    ClientToScreen(control, &origin);
    if (HDC desktop = DesktopSnapshot(0))
        BitBlt(hdc, 0, 0, client.right, client.bottom, desktop, origin.x, origin.y, SRCCOPY);
    EndPaint(control, &paint);
    return 0;
}

LRESULT OnCreate(HWND control, UINT message, WPARAM wParam, LPARAM lParam)
{
    RECT client{};
    GetClientRect(control, &client);
    int id = GetDlgCtrlID(control);
    TreeWindow = CreateFolderTree(0, control, WS_VISIBLE | WS_TABSTOP, client.left, client.top, client.right,
                                  client.bottom, id, 1);
    if (HWND parent = GetParent(control))
        PostMessageA(parent, WM_COMMAND, MAKEWPARAM(id, BFFN_CREATED), reinterpret_cast<LPARAM>(control));
    if (TreeWindow)
        EnsureCursorImages();
    return DefWindowProcA(control, message, wParam, lParam);
}

// The parent's code for a label edit of the tree (only a host that gave the
// tree TVS_EDITLABELS gets them); 0 for anything else.
int LabelEditCode(const NMHDR *header)
{
    switch (header->code) {
    case TVN_BEGINLABELEDITA:
        return BFFN_BEGINLABELEDIT;
    case TVN_ENDLABELEDITA:
        return BFFN_ENDLABELEDIT;
    default:
        return 0;
    }
}

LRESULT OnNotify(HWND control, UINT message, WPARAM wParam, NMHDR *header)
{
    HWND tree = OwnTree(control);
    bool fromOwnTree = tree && header && header->hwndFrom == tree;
    if (fromOwnTree && header->code == TVN_BEGINDRAGA)
        return BeginItemDrag(control, tree, reinterpret_cast<NMTREEVIEWA *>(header));
    if (!HandleTreeNotify(control, static_cast<int>(wParam), header) && fromOwnTree) {
        HWND parent = GetParent(control);
        auto report = [&](int code) {
            SendMessageA(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), code), reinterpret_cast<LPARAM>(tree));
        };
        if (int code = NotifyCode(tree, header); code && parent) {
            report(code);
            return 0;
        }
        // Reported, and answered FALSE below: the edit may start, and the
        // tree keeps its label unless the parent set a new one meanwhile.
        if (int code = LabelEditCode(header); code && parent)
            report(code);
    }
    // Answers FALSE, so an expansion that was just loaded goes on.
    return DefWindowProcA(control, message, wParam, reinterpret_cast<LPARAM>(header));
}

LRESULT OnMouseMove(HWND control, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!IsDragging(control))
        return DefWindowProcA(control, message, wParam, lParam);
    DragMove(control, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    return 1;
}

LRESULT OnLeftButtonUp(HWND control, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!IsDragging(control))
        return DefWindowProcA(control, message, wParam, lParam);
    DropItem(control);
    return 1;
}

LRESULT OnTimer(HWND control, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (IsDragging(control))
        DragTimer(control, wParam);
    return DefWindowProcA(control, message, wParam, lParam);
}

LRESULT OnCaptureChanged(HWND control, UINT message, WPARAM wParam, HWND newOwner)
{
    // A drop releases the capture after its drag has ended; any other loss
    // of the mouse cancels the drag.
    if (newOwner != control)
        CancelDrag(control);
    return DefWindowProcA(control, message, wParam, reinterpret_cast<LPARAM>(newOwner));
}

LRESULT OnSetFocus(HWND control, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (HWND tree = OwnTree(control)) {
        SetFocus(tree);
        return 0;
    }
    return DefWindowProcA(control, message, wParam, lParam);
}

LRESULT OnSize(HWND control, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (HWND tree = OwnTree(control)) {
        RECT client{};
        GetClientRect(control, &client);
        MoveWindow(tree, client.left, client.top, client.right, client.bottom, TRUE);
    }
    return DefWindowProcA(control, message, wParam, lParam);
}

LRESULT Dispatch(HWND control, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT:
        return OnPaint(control, message, wParam, lParam);
    case WM_CREATE:
        return OnCreate(control, message, wParam, lParam);
    case WM_NOTIFY:
        return OnNotify(control, message, wParam, reinterpret_cast<NMHDR *>(lParam));
    case WM_MOUSEMOVE:
        return OnMouseMove(control, message, wParam, lParam);
    case WM_LBUTTONUP:
        return OnLeftButtonUp(control, message, wParam, lParam);
    case WM_TIMER:
        return OnTimer(control, message, wParam, lParam);
    case WM_CAPTURECHANGED:
        return OnCaptureChanged(control, message, wParam, reinterpret_cast<HWND>(lParam));
    case WM_SETFOCUS:
        return OnSetFocus(control, message, wParam, lParam);
    case WM_SIZE:
        return OnSize(control, message, wParam, lParam);
    default:
        if (IsPrivateMessage(message))
            return HandlePrivateMessage(control, OwnTree(control), message, wParam, lParam);
        return DefWindowProcA(control, message, wParam, lParam);
    }
}

} // namespace

LRESULT CALLBACK ControlWindowProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam)
{
    try {
        return Dispatch(control, message, wParam, lParam);
    } catch (...) {
        return 0;
    }
}

} // namespace foldertree
