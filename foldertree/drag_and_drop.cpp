// Dragging tree items: the drag image follows the cursor over the desktop,
// the item under it is drop-highlighted, the tree scrolls near its edges and
// expands a folder the cursor rests on. The drop is reported to the control's
// parent; the control moves nothing itself. The mouse is captured during a
// drag, so one drag at a time runs in the process; its state names the
// control and tree it belongs to.
#include "folder_tree.h"

#include <string>

namespace foldertree {

namespace {

constexpr UINT_PTR kScrollTimer = 200;
constexpr UINT_PTR kExpandTimer = 201;
constexpr UINT kSlowScroll = 200;
constexpr UINT kFastScroll = 50;
constexpr UINT kExpandDelay = 1000;

struct DragState {
    HWND control;
    HWND tree;
    HIMAGELIST images;
    HTREEITEM dragged;
    HTREEITEM autoExpandItem;
    bool autoScrolling;
    int scrollCode;
};
DragState Drag{};

// The arrow cursor drawn with the drag image; made once per process.
HIMAGELIST CursorImages = nullptr;

bool DraggingIn(HWND control)
{
    return Drag.control && Drag.control == control;
}

void ShowDragImageIfInside(HWND tree)
{
    RECT area{};
    POINT cursor{};
    GetWindowRect(tree, &area);
    GetCursorPos(&cursor);
    ImageList_DragShowNolock(PtInRect(&area, cursor));
}

HTREEITEM ItemAtScreenPoint(HWND tree, POINT screen)
{
    TVHITTESTINFO hit{};
    hit.pt = screen;
    ScreenToClient(tree, &hit.pt);
    return reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
}

void AutoScroll(HWND control, int code, int speed)
{
    if (speed == 0) {
        if (Drag.autoScrolling)
            KillTimer(control, kScrollTimer);
        Drag.autoScrolling = false;
    } else {
        Drag.autoScrolling = true;
        SetTimer(control, kScrollTimer, speed == 1 ? kSlowScroll : kFastScroll, nullptr);
    }
    Drag.scrollCode = code;
}

void CheckAutoScroll(HWND control, HWND tree)
{
    POINT cursor{};
    GetCursorPos(&cursor);
    ScreenToClient(tree, &cursor);
    SCROLLINFO range{};
    range.cbSize = sizeof range;
    range.fMask = SIF_RANGE;
    if (!GetScrollInfo(tree, SB_VERT, &range) || range.nMin == range.nMax)
        return;
    // A tree that has shrunk to fit hides its scroll bar but may keep the
    // old range: there is nothing to scroll.
    if (!(GetWindowLongA(tree, GWL_STYLE) & WS_VSCROLL))
        return;
    // One scroll arrow's height at the control's DPI.
    int band = MetricForDpi(SM_CYHSCROLL, ControlDpi(tree));
    RECT client{};
    GetClientRect(tree, &client);
    if (PtInRect(&client, cursor)) {
        if (cursor.y < client.top + band)
            AutoScroll(control, SB_LINEUP, 1);
        else if (cursor.y > client.bottom - band)
            AutoScroll(control, SB_LINEDOWN, 1);
        else
            AutoScroll(control, SB_LINEDOWN, 0);
    } else if (cursor.y < client.top) {
        AutoScroll(control, SB_LINEUP, 2);
    } else if (cursor.y >= client.bottom) {
        AutoScroll(control, SB_LINEDOWN, 2);
    }
}

// Drives A: and B: never expand by themselves: touching them may wait on a
// floppy drive. A failed attribute query counts as expandable.
bool AutoExpandable(const std::string &path)
{
    if (path.empty())
        return false;
    char first[2] = {path[0], '\0'};
    CharUpperA(first);
    if (static_cast<unsigned char>(first[0]) <= 'B')
        return false;
    SHFILEINFOA info{};
    info.dwAttributes = SFGAO_SHARE | SFGAO_HASSUBFOLDER;
    SHGetFileInfoA(path.c_str(), 0, &info, sizeof info, SHGFI_ATTRIBUTES);
    return (info.dwAttributes & SFGAO_HASSUBFOLDER) != 0;
}

// Ends the drag's timers, image and hidden cursor; the capture is released
// by the caller when it still holds it.
void FinishDrag(HWND control, HIMAGELIST images)
{
    KillTimer(control, kScrollTimer);
    KillTimer(control, kExpandTimer);
    ImageList_DragLeave(nullptr);
    ImageList_EndDrag();
    if (images)
        ImageList_Destroy(images);
    ShowCursor(TRUE);
}

// A NULL drop target is not enough for every tree implementation: the one
// under Wine keeps the old target highlighted, so its state is cleared too.
void RemoveDropHighlight(HWND tree)
{
    HTREEITEM target = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_DROPHILITE, 0));
    SendMessageA(tree, TVM_SELECTITEM, TVGN_DROPHILITE, 0);
    if (target) {
        TVITEMA item{};
        item.mask = TVIF_STATE;
        item.hItem = target;
        item.stateMask = TVIS_DROPHILITED;
        SendMessageA(tree, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
}

} // namespace

void EnsureCursorImages()
{
    if (CursorImages)
        return;
    // The system's cursor size: 32 pixels at 96 DPI.
    CursorImages = ImageList_Create(GetSystemMetrics(SM_CXCURSOR), GetSystemMetrics(SM_CYCURSOR),
                                    ILC_MASK | ILC_COLOR4, 1, 1);
    if (CursorImages)
        ImageList_ReplaceIcon(CursorImages, -1, LoadCursorA(nullptr, IDC_ARROW));
}

void FreeCursorImages()
{
    if (CursorImages)
        ImageList_Destroy(CursorImages);
    CursorImages = nullptr;
}

bool IsDragging(HWND control)
{
    return DraggingIn(control);
}

LRESULT BeginItemDrag(HWND control, HWND tree, const NMTREEVIEWA *start)
{
    if (!tree || !start || Drag.control)
        return 1;
    HIMAGELIST images = reinterpret_cast<HIMAGELIST>(
        SendMessageA(tree, TVM_CREATEDRAGIMAGE, 0, reinterpret_cast<LPARAM>(start->itemNew.hItem)));
    if (!images)
        return 1;
    Drag = DragState{};
    Drag.control = control;
    Drag.tree = tree;
    Drag.images = images;
    Drag.dragged = start->itemNew.hItem;
    ImageList_BeginDrag(images, 0, 0, 0);
    if (CursorImages)
        ImageList_SetDragCursorImage(CursorImages, 0, 0, 0);
    ShowCursor(FALSE);
    SetCapture(control);
    POINT point = start->ptDrag;
    ClientToScreen(tree, &point);
    ImageList_DragEnter(nullptr, point.x, point.y);
    return 1;
}

void DragMove(HWND control, POINT client)
{
    HWND tree = Drag.tree;
    ImageList_DragLeave(nullptr);
    POINT screen = client;
    ClientToScreen(control, &screen);
    HTREEITEM item = ItemAtScreenPoint(tree, screen);
    if (Drag.autoExpandItem && Drag.autoExpandItem != item) {
        Drag.autoExpandItem = nullptr;
        KillTimer(control, kExpandTimer);
    }
    if (item)
        SendMessageA(tree, TVM_SELECTITEM, TVGN_DROPHILITE, reinterpret_cast<LPARAM>(item));
    ImageList_DragMove(screen.x, screen.y);
    ImageList_DragEnter(nullptr, screen.x, screen.y);
    ShowDragImageIfInside(tree);
    CheckAutoScroll(control, tree);
    if (item && AutoExpandable(ItemPath(tree, item))) {
        Drag.autoExpandItem = item;
        SetTimer(control, kExpandTimer, kExpandDelay, nullptr);
    }
}

void DragTimer(HWND control, UINT_PTR timer)
{
    HWND tree = Drag.tree;
    if (timer == kScrollTimer) {
        ImageList_DragShowNolock(FALSE);
        SendMessageA(tree, WM_VSCROLL, MAKEWPARAM(Drag.scrollCode, 0), 0);
        CheckAutoScroll(control, tree);
        ShowDragImageIfInside(tree);
    } else if (timer == kExpandTimer) {
        if (Drag.autoExpandItem && DropOrSelectedItem(tree) == Drag.autoExpandItem) {
            ImageList_DragShowNolock(FALSE);
            SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(Drag.autoExpandItem));
            ShowDragImageIfInside(tree);
        }
        Drag.autoExpandItem = nullptr;
    }
}

void DropItem(HWND control)
{
    DragState drag = Drag;
    // Cleared first: the capture change that ReleaseCapture causes finds no drag.
    Drag = DragState{};
    FinishDrag(control, drag.images);
    ReleaseCapture();
    POINT cursor{};
    GetCursorPos(&cursor);
    HTREEITEM target = ItemAtScreenPoint(drag.tree, cursor);
    HWND parent = GetParent(control);
    if (target && target != drag.dragged && parent) {
        BffDropPair pair{drag.dragged, target};
        SendMessageA(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), BFFN_DROP), reinterpret_cast<LPARAM>(&pair));
    }
    RemoveDropHighlight(drag.tree);
}

void CancelDrag(HWND control)
{
    if (!DraggingIn(control))
        return;
    DragState drag = Drag;
    Drag = DragState{};
    FinishDrag(control, drag.images);
    if (GetCapture() == control)
        ReleaseCapture();
    RemoveDropHighlight(drag.tree);
}

void ForgetDeletedItem(HWND tree, HTREEITEM item)
{
    if (!Drag.control || Drag.tree != tree)
        return;
    if (item == Drag.autoExpandItem)
        Drag.autoExpandItem = nullptr;
    // The dragged folder has left the tree (filled anew, cleared, collapsed
    // away): a drop could only name an item that is no more, so the drag
    // ends as a lost capture ends it.
    if (item == Drag.dragged)
        CancelDrag(Drag.control);
}

bool CancelDragOnEscape(HWND tree)
{
    if (!Drag.control || Drag.tree != tree)
        return false;
    CancelDrag(Drag.control);
    return true;
}

} // namespace foldertree
