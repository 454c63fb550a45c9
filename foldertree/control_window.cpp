// The TARNBFF window procedure in its first form: it creates the tree child,
// keeps it sized and focused, routes the tree's notifications and selects a
// folder on request. Painting, the other private messages and drag and drop
// come with the full procedure.
#include "folder_tree.h"

#include <string>

#include "folder_paths.h"

namespace foldertree {

namespace {

// The tree that belongs to this control. Each control addresses its own tree,
// so that two controls in one window never act on each other's.
HWND OwnTree(HWND control)
{
    HWND tree = GetDlgItem(control, GetDlgCtrlID(control));
    return TreeData(tree) ? tree : nullptr;
}

LRESULT OnCreate(HWND control, UINT message, WPARAM wParam, LPARAM lParam)
{
    RECT client{};
    GetClientRect(control, &client);
    TreeWindow = CreateFolderTree(0, control, WS_VISIBLE | WS_TABSTOP, client.left, client.top, client.right,
                                  client.bottom, GetDlgCtrlID(control), 1);
    return DefWindowProcA(control, message, wParam, lParam);
}

LRESULT OnNotify(HWND control, UINT message, WPARAM wParam, NMHDR *header)
{
    int id = static_cast<int>(wParam);
    if (!HandleTreeNotify(control, id, header)) {
        HWND tree = OwnTree(control);
        int code = tree && header && header->hwndFrom == tree ? NotifyCode(tree, header) : 0;
        HWND parent = GetParent(control);
        if (code && parent) {
            SendMessageA(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), code), reinterpret_cast<LPARAM>(tree));
            return 0;
        }
    }
    // Answers FALSE, so an expansion that was just loaded goes on.
    return DefWindowProcA(control, message, wParam, reinterpret_cast<LPARAM>(header));
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

LRESULT OnSetFocus(HWND control, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (HWND tree = OwnTree(control)) {
        SetFocus(tree);
        return 0;
    }
    return DefWindowProcA(control, message, wParam, lParam);
}

LRESULT OnSelectPath(HWND control, WPARAM byteCount, const char *text)
{
    HWND tree = OwnTree(control);
    long count = static_cast<long>(byteCount);
    if (!tree || count < 0 || !text)
        return 0;
    std::string path = MessageText(text, count);
    return reinterpret_cast<LRESULT>(SelectPathItem(tree, path.c_str()));
}

LRESULT Dispatch(HWND control, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        return OnCreate(control, message, wParam, lParam);
    case WM_NOTIFY:
        return OnNotify(control, message, wParam, reinterpret_cast<NMHDR *>(lParam));
    case WM_SIZE:
        return OnSize(control, message, wParam, lParam);
    case WM_SETFOCUS:
        return OnSetFocus(control, message, wParam, lParam);
    case BFFM_SELECTPATH:
        return OnSelectPath(control, wParam, reinterpret_cast<const char *>(lParam));
    default:
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
