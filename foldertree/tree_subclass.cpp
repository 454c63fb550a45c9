// The tree child's subclass procedure. It is installed only after the
// control's record is attached to the tree, and it removes itself when the
// tree is destroyed, releasing everything the record holds.
#include "folder_tree.h"

namespace foldertree {

namespace {

LRESULT OnDestroy(HWND tree, BffTreeData *data, WPARAM wParam, LPARAM lParam)
{
    WNDPROC oldProc = data->OldTreeProc;
    SetWindowLongPtrA(tree, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(oldProc));
    // The deletion notifications still find the record and free every item's.
    SendMessageA(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    SendMessageA(tree, TVM_SETIMAGELIST, TVSIL_NORMAL, 0);
    if (data->RootPidl) {
        CoTaskMemFree(data->RootPidl);
        data->RootPidl = nullptr;
    }
    if (data->DesktopFolder) {
        data->DesktopFolder->Release();
        data->DesktopFolder = nullptr;
    }
    ForgetTreeDpi(tree);
    RemovePropA(tree, kTreeDataProperty);
    HeapFree(GetProcessHeap(), 0, data);
    return CallWindowProcA(oldProc, tree, WM_DESTROY, wParam, lParam);
}

// Our own font changes go straight to the tree's procedure: whatever comes
// this way is the host's choice, kept at any DPI.
LRESULT OnSetFont(HWND tree, BffTreeData *data, WPARAM wParam, LPARAM lParam)
{
    NoteHostFont(tree);
    return CallWindowProcA(data->OldTreeProc, tree, WM_SETFONT, wParam, lParam);
}

// Sent by the system to every child window, after the top-level window, when
// a per-monitor aware host moves to a screen of another DPI.
LRESULT OnDpiChangedAfterParent(HWND tree, BffTreeData *data, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = CallWindowProcA(data->OldTreeProc, tree, kDpiChangedAfterParent, wParam, lParam);
    FollowWindowDpi(tree, data);
    return result;
}

} // namespace

LRESULT CALLBACK TreeSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    BffTreeData *data = TreeData(window);
    if (!data || !data->OldTreeProc)
        return DefWindowProcA(window, message, wParam, lParam);
    switch (message) {
    case WM_ERASEBKGND:
        return EraseTreeBackground(window);
    case WM_PAINT:
        return PaintTree(window, data, wParam, lParam);
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE && CancelDragOnEscape(window))
            return 0;
        return CallWindowProcA(data->OldTreeProc, window, message, wParam, lParam);
    case WM_SETFONT:
        return OnSetFont(window, data, wParam, lParam);
    case kDpiChangedAfterParent:
        return OnDpiChangedAfterParent(window, data, wParam, lParam);
    case WM_DESTROY:
        return OnDestroy(window, data, wParam, lParam);
    default:
        return CallWindowProcA(data->OldTreeProc, window, message, wParam, lParam);
    }
}

} // namespace foldertree
