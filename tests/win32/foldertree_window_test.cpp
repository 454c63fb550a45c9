// The control window through foldertree.dll: its private messages, each on
// the control's own tree, and item drags driven by the messages a real drag
// produces (the tree's begin-drag notification, mouse moves and the button's
// release at the real cursor position), Escape pressed through the input
// queue, and label edits of a tree that allows them.
#include "foldertree_test_support.h"
#include "machine_guard.h"

#include "foldertree.h"

namespace {

using namespace fttest;

::testing::Environment *const com = ::testing::AddGlobalTestEnvironment(new ComEnvironment);

constexpr int kControlId = 41;

// A shown host that records the pairs of BFFN_DROP while they are valid.
class DropHost {
public:
    DropHost()
    {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = Procedure;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "FolderTreeDropHost";
        RegisterClassA(&windowClass);
        window_ = CreateWindowExA(0, "FolderTreeDropHost", "drop host", WS_POPUP | WS_VISIBLE, 40, 40, 320, 260,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~DropHost() { DestroyWindow(window_); }
    HWND Get() const { return window_; }
    std::vector<BffDropPair> drops;
    std::vector<int> codes;
    // When set, a label edit's end renames the item as a host does: the new
    // text from the tree's edit box, set with TVM_SETITEM.
    bool renames = false;
    std::vector<std::string> renamedTo;

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto *host = reinterpret_cast<DropHost *>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (host && message == WM_COMMAND) {
            host->codes.push_back(HIWORD(wParam));
            if (HIWORD(wParam) == BFFN_DROP)
                host->drops.push_back(*reinterpret_cast<const BffDropPair *>(lParam));
            if (HIWORD(wParam) == BFFN_ENDLABELEDIT && host->renames)
                host->Rename(reinterpret_cast<HWND>(lParam));
        }
        return DefWindowProcA(window, message, wParam, lParam);
    }
    void Rename(HWND tree)
    {
        auto edit = reinterpret_cast<HWND>(SendMessageA(tree, TVM_GETEDITCONTROL, 0, 0));
        if (!edit)
            return;
        char text[MAX_PATH] = {};
        GetWindowTextA(edit, text, MAX_PATH);
        TVITEMA item{};
        item.mask = TVIF_TEXT;
        item.hItem = TreeView_GetSelection(tree);
        item.pszText = text;
        SendMessageA(tree, TVM_SETITEMA, 0, LPARAM(&item));
        renamedTo.push_back(text);
    }
    HWND window_ = nullptr;
};

// A memory block whose last n bytes end at an inaccessible page.
class GuardedBytes {
public:
    explicit GuardedBytes(size_t n)
    {
        base_ = static_cast<char *>(VirtualAlloc(nullptr, 8192, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        DWORD old = 0;
        VirtualProtect(base_ + 4096, 4096, PAGE_NOACCESS, &old);
        data_ = base_ + 4096 - n;
    }
    ~GuardedBytes() { VirtualFree(base_, 0, MEM_RELEASE); }
    char *Get() { return data_; }

private:
    char *base_;
    char *data_;
};

std::string RootPath(HWND tree)
{
    const foldertree::FolderItem *record = Info(tree, Next(tree, TVGN_ROOT)).record;
    return record ? record->Path : "";
}

// Sizing and focus of the control made first, with a second one beside it:
// each act on the first control's own tree.
TEST(TwoControls, SizingAndFocusReachTheControlsOwnTree)
{
    DropHost host;
    HWND first = TarnBrowser(0, "", WS_CHILD | WS_VISIBLE, 0, 0, 150, 200, host.Get(), kControlId);
    HWND second = TarnBrowser(0, "", WS_CHILD | WS_VISIBLE, 160, 0, 150, 200, host.Get(), kControlId + 1);
    PumpMessages();
    HWND tree = TreeOf(first), other = TreeOf(second);
    ASSERT_NE(tree, nullptr);
    ASSERT_NE(other, nullptr);
    RECT otherBefore{};
    GetWindowRect(other, &otherBefore);

    MoveWindow(first, 0, 0, 120, 90, TRUE);
    RECT client{}, treeRect{}, otherAfter{};
    GetClientRect(first, &client);
    GetWindowRect(tree, &treeRect);
    EXPECT_EQ(treeRect.right - treeRect.left, client.right) << "the tree fills its control";
    EXPECT_EQ(treeRect.bottom - treeRect.top, client.bottom);
    GetWindowRect(other, &otherAfter);
    EXPECT_TRUE(EqualRect(&otherBefore, &otherAfter)) << "the other control's tree keeps its size";

    SetForegroundWindow(host.Get());
    SetFocus(first);
    EXPECT_EQ(GetFocus(), tree);
    SetFocus(second);
    EXPECT_EQ(GetFocus(), other);
    DestroyWindow(second);
    DestroyWindow(first);
}

TEST(PrivateMessages, EachActsOnTheControlsOwnTreeWithinItsBounds)
{
    std::string base = FreshFolder("ft_private");
    MakeFolders(base, {"alpha\\inner", "beta"});
    HostWindow host;
    HWND first = TarnBrowser(0, "", WS_CHILD, 0, 0, 200, 200, host.Get(), kControlId);
    HWND second = TarnBrowser(0, "", WS_CHILD, 0, 0, 200, 200, host.Get(), kControlId + 1);
    PumpMessages();
    HWND tree = TreeOf(first), other = TreeOf(second);
    std::string otherRoot = Info(other, Next(other, TVGN_ROOT)).text;

    // The text fills the last 260 bytes before an inaccessible page, with no
    // terminator: a count of 1000 must not read beyond them.
    GuardedBytes text(260);
    std::string padded = "  " + base;
    padded.resize(260, ' ');
    memcpy(text.Get(), padded.data(), 260);
    HTREEITEM root = reinterpret_cast<HTREEITEM>(SendMessageA(first, BFFM_SETROOTPATH, 1000, LPARAM(text.Get())));
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(Next(tree, TVGN_ROOT), root);
    EXPECT_EQ(RootPath(tree), base + "\\");
    EXPECT_EQ(Info(other, Next(other, TVGN_ROOT)).text, otherRoot) << "the other control's tree is untouched";

    EXPECT_EQ(SendMessageA(first, BFFM_EXPANDROOT, 1, 0), 1);
    EXPECT_TRUE(Info(tree, root).state & TVIS_EXPANDED);
    EXPECT_EQ(Labels(tree, root), (std::vector<std::string>{"alpha", "beta"}));
    EXPECT_EQ(SendMessageA(first, BFFM_EXPANDROOT, 0, 0), 1);
    EXPECT_FALSE(Info(tree, root).state & TVIS_EXPANDED);

    // Negative counts and missing buffers read and write nothing.
    char buffer[8];
    memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(SendMessageA(first, BFFM_GETPATH, 0, LPARAM(buffer)), 0);
    EXPECT_EQ(SendMessageA(first, BFFM_GETPATH, WPARAM(-5), LPARAM(buffer)), 0);
    EXPECT_EQ(SendMessageA(first, BFFM_GETPATH, 10, 0), 0);
    EXPECT_EQ(SendMessageA(first, BFFM_SETROOTPATH, WPARAM(-1), LPARAM(base.c_str())), 0);
    EXPECT_EQ(SendMessageA(first, BFFM_SETROOTPATH, 260, 0), 0);
    EXPECT_EQ(SendMessageA(first, BFFM_SELECTPATH, WPARAM(-1), LPARAM(base.c_str())), 0);
    EXPECT_EQ(RootPath(tree), base + "\\");

    // Paths are selected in the namespace tree.
    EXPECT_NE(SendMessageA(first, BFFM_SETROOTFOLDER, CSIDL_DESKTOP, 0), 0);
    std::string inner = base + "\\alpha\\inner";
    EXPECT_NE(SendMessageA(first, BFFM_SELECTPATH, 260, LPARAM(inner.c_str())), 0);
    EXPECT_EQ(SendMessageA(first, BFFM_GETPATHLEN, 0, 0), LRESULT(inner.size()));
    EXPECT_EQ(SendMessageA(second, BFFM_GETPATHLEN, 0, 0), 0);
    EXPECT_EQ(SendMessageA(first, BFFM_GETPATH, 3, LPARAM(buffer)), 3);
    EXPECT_EQ(std::string(buffer, 4), inner.substr(0, 3) + "x") << "three bytes and no terminator";
    std::vector<char> whole(300, 'x');
    EXPECT_EQ(SendMessageA(first, BFFM_GETPATH, whole.size(), LPARAM(whole.data())), LRESULT(inner.size()));
    EXPECT_EQ(std::string(whole.data(), inner.size()), inner);

    LRESULT before = SendMessageA(tree, TVM_GETBKCOLOR, 0, 0);
    LONG style = GetWindowLongA(tree, GWL_STYLE);
    EXPECT_EQ(SendMessageA(first, BFFM_SETBKCOLOR, 0, RGB(1, 2, 3)), before);
    EXPECT_EQ(SendMessageA(tree, TVM_GETBKCOLOR, 0, 0), LRESULT(RGB(1, 2, 3)));
    EXPECT_EQ(SendMessageA(first, BFFM_SETBKCOLOR, 0, before), LRESULT(RGB(1, 2, 3)));
    EXPECT_EQ(GetWindowLongA(tree, GWL_STYLE), style);
    EXPECT_EQ(SendMessageA(other, TVM_GETBKCOLOR, 0, 0), before);

    // An empty text shows the drives.
    char empty[4] = {' ', ' ', 0, 0};
    EXPECT_NE(SendMessageA(first, BFFM_SETROOTPATH, 4, LPARAM(empty)), 0);
    bool hasC = false;
    for (HTREEITEM drive : Children(tree, nullptr))
        hasC = hasC || std::string(Info(tree, drive).record->Path) == "C:\\";
    EXPECT_TRUE(hasC) << "the drive list holds C:";

    EXPECT_NE(SendMessageA(first, BFFM_SETROOTFOLDER, CSIDL_DESKTOP, 0), 0);
    EXPECT_NE(Next(tree, TVGN_ROOT), nullptr);
    EXPECT_EQ(SendMessageA(first, BFFM_CLEAR, 0, 0), 1);
    EXPECT_EQ(Next(tree, TVGN_ROOT), nullptr);
    EXPECT_EQ(SendMessageA(first, BFFM_EXPANDROOT, 1, 0), 1);
    EXPECT_NE(Next(other, TVGN_ROOT), nullptr);
    EXPECT_EQ(SendMessageA(first, BFFM_REFRESH, 0, 0), 1);
    EXPECT_EQ(SendMessageA(first, WM_USER + 1020, 7, 7), 0);
    EXPECT_EQ(SendMessageA(first, WM_USER + 2000, 7, 7), 0);

    DestroyWindow(second);
    DestroyWindow(first);
    RemoveTree(base);
}

int CursorCount()
{
    int count = ShowCursor(TRUE);
    ShowCursor(FALSE);
    return count - 1;
}

// A shown control over a folder of many sub-folders, for drags.
class DragTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        base_ = FreshFolder("ft_drag");
        std::vector<std::string> folders{"a with children\\child"};
        for (int i = 0; i < 30; ++i)
            folders.push_back("folder " + std::to_string(100 + i));
        MakeFolders(base_, folders);
        control_ = TarnBrowser(0, "", WS_CHILD | WS_VISIBLE, 0, 0, 300, 200, host_.Get(), kControlId);
        PumpMessages();
        tree_ = TreeOf(control_);
        root_ = reinterpret_cast<HTREEITEM>(
            SendMessageA(control_, BFFM_SETROOTPATH, base_.size(), LPARAM(base_.c_str())));
        ASSERT_NE(root_, nullptr);
        SendMessageA(control_, BFFM_EXPANDROOT, 1, 0);
        UpdateWindow(control_);
        PumpMessages();
        host_.codes.clear();
        cursorCount_ = CursorCount();
    }
    void TearDown() override
    {
        DestroyWindow(control_);
        RemoveTree(base_);
    }

    HTREEITEM Child(int index) { return Children(tree_, root_).at(size_t(index)); }

    // The centre of an item's text, in the control's client coordinates.
    POINT Centre(HTREEITEM item)
    {
        RECT rect{};
        memcpy(&rect, &item, sizeof item);
        SendMessageA(tree_, TVM_GETITEMRECT, TRUE, LPARAM(&rect));
        POINT point{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
        MapWindowPoints(tree_, control_, &point, 1);
        return point;
    }

    void BeginDrag(HTREEITEM item)
    {
        NMTREEVIEWA start{};
        start.hdr = NMHDR{tree_, UINT_PTR(kControlId), UINT(TVN_BEGINDRAGA)};
        start.action = 0;
        start.itemNew.hItem = item;
        start.itemNew.mask = TVIF_HANDLE;
        start.ptDrag = Centre(item);
        EXPECT_EQ(SendMessageA(control_, WM_NOTIFY, kControlId, LPARAM(&start)), 1);
        EXPECT_EQ(GetCapture(), control_);
    }

    // Moves the real cursor to a point of the control and reports the move.
    void MoveTo(POINT client)
    {
        POINT screen = client;
        ClientToScreen(control_, &screen);
        SetCursorPos(screen.x, screen.y);
        SendMessageA(control_, WM_MOUSEMOVE, 0, MAKELPARAM(client.x, client.y));
    }

    // A key pressed and released through the system's input queue, as from
    // the keyboard; returns once no key message waits any more.
    void PressKey(WORD key)
    {
        INPUT strokes[2]{};
        for (INPUT &stroke : strokes) {
            stroke.type = INPUT_KEYBOARD;
            stroke.ki.wVk = key;
        }
        strokes[1].ki.dwFlags = KEYEVENTF_KEYUP;
        ASSERT_EQ(SendInput(2, strokes, sizeof(INPUT)), 2u);
        MSG waiting;
        for (int i = 0; i < 50; ++i) {
            PumpFor(20);
            if (!PeekMessageA(&waiting, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_NOREMOVE))
                break;
        }
    }

    void Release(POINT client) { SendMessageA(control_, WM_LBUTTONUP, 0, MAKELPARAM(client.x, client.y)); }

    void PumpFor(DWORD milliseconds)
    {
        DWORD end = GetTickCount() + milliseconds;
        while (int(end - GetTickCount()) > 0) {
            PumpMessages();
            Sleep(10);
        }
    }

    void ExpectIdle()
    {
        EXPECT_NE(GetCapture(), control_);
        EXPECT_FALSE(KillTimer(control_, 200)) << "scroll timer killed";
        EXPECT_FALSE(KillTimer(control_, 201)) << "expansion timer killed";
        EXPECT_EQ(ImageList_GetDragImage(nullptr, nullptr), nullptr) << "no drag image";
        EXPECT_EQ(CursorCount(), cursorCount_) << "the cursor is shown again";
        for (HTREEITEM child : Children(tree_, root_))
            EXPECT_FALSE(Info(tree_, child).state & TVIS_DROPHILITED) << "no drop highlight";
    }

    DropHost host_;
    std::string base_;
    HWND control_ = nullptr;
    HWND tree_ = nullptr;
    HTREEITEM root_ = nullptr;
    int cursorCount_ = 0;
};

TEST_F(DragTest, DropOnAnotherItemIsReportedWithBothItems)
{
    HTREEITEM dragged = Child(2), target = Child(4);
    BeginDrag(dragged);
    EXPECT_EQ(CursorCount(), cursorCount_ - 1) << "the cursor is hidden during the drag";
    MoveTo(Centre(Child(3)));
    MoveTo(Centre(target));
    EXPECT_TRUE(Info(tree_, target).state & TVIS_DROPHILITED);
    Release(Centre(target));
    ASSERT_EQ(host_.drops.size(), 1u);
    EXPECT_EQ(host_.drops[0].dragged, dragged);
    EXPECT_EQ(host_.drops[0].target, target);
    ExpectIdle();

    // A capture change after the drop changes nothing.
    SetCapture(host_.Get());
    ReleaseCapture();
    EXPECT_EQ(host_.drops.size(), 1u);
}

// A second control made after this one: the drag stays in this control's
// tree, and the other's is untouched.
TEST_F(DragTest, ADragInTheControlMadeFirstStaysInItsOwnTree)
{
    HWND second = TarnBrowser(0, "", WS_CHILD | WS_VISIBLE, 0, 205, 300, 50, host_.Get(), kControlId + 1);
    PumpMessages();
    HWND other = TreeOf(second);
    ASSERT_NE(other, nullptr);
    host_.codes.clear();

    HTREEITEM dragged = Child(2), target = Child(4);
    BeginDrag(dragged);
    MoveTo(Centre(target));
    EXPECT_TRUE(Info(tree_, target).state & TVIS_DROPHILITED);
    EXPECT_EQ(TreeView_GetDropHilight(other), nullptr);
    Release(Centre(target));
    ASSERT_EQ(host_.drops.size(), 1u);
    EXPECT_EQ(host_.drops[0].dragged, dragged);
    EXPECT_EQ(host_.drops[0].target, target);
    ExpectIdle();
    EXPECT_NE(GetCapture(), second);
    DestroyWindow(second);
}

TEST_F(DragTest, DropOnItselfOrOnNoItemIsNotReported)
{
    HTREEITEM dragged = Child(1);
    BeginDrag(dragged);
    MoveTo(Centre(dragged));
    Release(Centre(dragged));
    ExpectIdle();

    BeginDrag(dragged);
    POINT outside{290, 5};
    MoveTo(outside);
    Release(outside);
    ExpectIdle();
    EXPECT_TRUE(host_.drops.empty());
}

TEST_F(DragTest, LosingTheCaptureOrEscapeCancelsWithoutDrop)
{
    BeginDrag(Child(2));
    MoveTo(Centre(Child(4)));
    SetCapture(host_.Get());
    ReleaseCapture();
    ExpectIdle();
    Release(Centre(Child(4)));
    EXPECT_TRUE(host_.drops.empty());

    // The user presses Escape: the key reaches the tree, which has the focus.
    // A key pressed through the input queue goes to the foreground window:
    // where Windows keeps another program in front, it would reach that one.
    SetForegroundWindow(host_.Get());
    if (GetForegroundWindow() != host_.Get())
        GTEST_SKIP() << "the test's window could not come to the front, so a key pressed now would reach "
                        "another program";
    SetFocus(control_);
    ASSERT_EQ(GetFocus(), tree_);
    BeginDrag(Child(2));
    MoveTo(Centre(Child(4)));
    PressKey(VK_ESCAPE);
    ExpectIdle();
    Release(Centre(Child(4)));
    EXPECT_TRUE(host_.drops.empty());
}

TEST_F(DragTest, LabelEditsAreReportedOnlyWhenTheTreeAllowsThem)
{
    HTREEITEM item = Child(1);
    std::string label = Info(tree_, item).text;
    EXPECT_EQ(SendMessageA(tree_, TVM_EDITLABELA, 0, LPARAM(item)), 0) << "the tree is made without label edits";
    EXPECT_TRUE(host_.codes.empty());

    SetWindowLongA(tree_, GWL_STYLE, GetWindowLongA(tree_, GWL_STYLE) | TVS_EDITLABELS);
    auto edit = reinterpret_cast<HWND>(SendMessageA(tree_, TVM_EDITLABELA, 0, LPARAM(item)));
    ASSERT_NE(edit, nullptr) << "the control lets the edit start";
    EXPECT_EQ(host_.codes, std::vector<int>{BFFN_BEGINLABELEDIT});
    SetWindowTextA(edit, "renamed");
    SendMessageA(tree_, TVM_ENDEDITLABELNOW, FALSE, 0);
    PumpMessages();
    // Wine's tree ends the edit a second time as its edit box loses the
    // focus; each end is reported.
    ASSERT_GE(host_.codes.size(), machineguard::UnderWine() ? 2u : 1u);
    EXPECT_EQ(host_.codes[0], BFFN_BEGINLABELEDIT);
    for (size_t i = 1; i < host_.codes.size(); ++i)
        EXPECT_EQ(host_.codes[i], BFFN_ENDLABELEDIT) << i;
    EXPECT_EQ(Info(tree_, item).text, label) << "the parent renames, not the tree";

    // A host renames: while it handles the end, the tree's edit box still
    // holds the new text.
    SendMessageA(tree_, TVM_SELECTITEM, TVGN_CARET, LPARAM(item));
    host_.renames = true;
    edit = reinterpret_cast<HWND>(SendMessageA(tree_, TVM_EDITLABELA, 0, LPARAM(item)));
    ASSERT_NE(edit, nullptr);
    SetWindowTextA(edit, "renamed");
    SendMessageA(tree_, TVM_ENDEDITLABELNOW, FALSE, 0);
    PumpMessages();
    host_.renames = false;
    ASSERT_FALSE(host_.renamedTo.empty());
    for (const std::string &text : host_.renamedTo)
        EXPECT_EQ(text, "renamed") << "each end (Wine's tree ends twice) finds the new text";
    EXPECT_EQ(Info(tree_, item).text, "renamed");

    // The same notification naming another tree is not this control's.
    host_.codes.clear();
    NMTVDISPINFOA foreign{};
    foreign.hdr = NMHDR{host_.Get(), UINT_PTR(kControlId), UINT(TVN_BEGINLABELEDITA)};
    foreign.item.hItem = item;
    EXPECT_EQ(SendMessageA(control_, WM_NOTIFY, kControlId, LPARAM(&foreign)), 0);
    EXPECT_TRUE(host_.codes.empty());
}

TEST_F(DragTest, FolderExpandsAfterTheCursorRestsOneSecond)
{
    HTREEITEM folder = Child(0);
    ASSERT_EQ(Info(tree_, folder).text, "a with children");
    BeginDrag(Child(3));
    // Moving within the item keeps restarting the wait.
    for (int i = 0; i < 6; ++i) {
        POINT point = Centre(folder);
        point.x += i % 2;
        MoveTo(point);
        PumpFor(300);
    }
    EXPECT_FALSE(Info(tree_, folder).state & TVIS_EXPANDED) << "not while the cursor moves";
    PumpFor(1300);
    EXPECT_TRUE(Info(tree_, folder).state & TVIS_EXPANDED) << "after a rest of one second";
    Release(Centre(folder));
    ExpectIdle();
}

TEST_F(DragTest, ScrollsNearTheEdgesOnlyWithAScrollRange)
{
    SendMessageA(tree_, WM_VSCROLL, SB_BOTTOM, 0);
    int bottom = GetScrollPos(tree_, SB_VERT);
    ASSERT_GT(bottom, 0) << "the tree has a vertical scroll range";
    RECT client{};
    GetClientRect(tree_, &client);
    BeginDrag(Child(10));
    MoveTo(POINT{100, 2});
    PumpFor(700);
    int up = GetScrollPos(tree_, SB_VERT);
    EXPECT_LT(up, bottom) << "scrolled up near the top edge";
    MoveTo(POINT{100, client.bottom / 2});
    PumpFor(300);
    int still = GetScrollPos(tree_, SB_VERT);
    PumpFor(500);
    EXPECT_EQ(GetScrollPos(tree_, SB_VERT), still) << "no scrolling between the bands";
    MoveTo(POINT{100, client.bottom - 2});
    PumpFor(700);
    EXPECT_GT(GetScrollPos(tree_, SB_VERT), still) << "scrolled down near the bottom edge";
    Release(POINT{100, client.bottom / 2});
    ExpectIdle();

    // Collapsed, the tree fits: no range, no scrolling.
    SendMessageA(control_, BFFM_EXPANDROOT, 0, 0);
    BeginDrag(root_);
    MoveTo(POINT{100, 2});
    PumpFor(400);
    EXPECT_FALSE(KillTimer(control_, 200)) << "no scroll timer without a range";
    SendMessageA(control_, WM_LBUTTONUP, 0, 0);
    ExpectIdle();
}

TEST_F(DragTest, HiddenTreeShowsTheDesktopSnapshotBehindTheControl)
{
    SKIP_ON_WINDOWS_UNLESS_THE_SCREEN_KEEPS_COLOURS();
    HDC snapshot = TarnDCDesktop(1);
    ASSERT_NE(snapshot, nullptr);
    // Paint a mark into the snapshot where the control lies on the screen.
    POINT origin{};
    ClientToScreen(control_, &origin);
    HBRUSH mark = CreateSolidBrush(RGB(0x12, 0x34, 0x56));
    RECT behind{origin.x, origin.y, origin.x + 300, origin.y + 200};
    FillRect(snapshot, &behind, mark);
    DeleteObject(mark);

    ShowWindow(tree_, SW_HIDE);
    RedrawWindow(control_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    HDC dc = GetDC(control_);
    EXPECT_EQ(GetPixel(dc, 150, 100), RGB(0x12, 0x34, 0x56));
    ReleaseDC(control_, dc);
    EXPECT_EQ(TarnDCDesktop(2), nullptr);
    RedrawWindow(control_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW); // no snapshot: nothing to copy
    ShowWindow(tree_, SW_SHOW);
}

TEST_F(DragTest, UserClickIsReportedAndTheFocusGoesToTheTree)
{
    SetFocus(control_);
    EXPECT_EQ(GetFocus(), tree_);
    SendMessageA(tree_, TVM_SELECTITEM, TVGN_CARET, LPARAM(Child(1)));
    EXPECT_TRUE(host_.codes.empty()) << "a selection by program is not reported";
    POINT point = Centre(Child(3));
    MapWindowPoints(control_, tree_, &point, 1);
    // The tree tracks the button until its release, which must be waiting.
    PostMessageA(tree_, WM_LBUTTONUP, 0, MAKELPARAM(point.x, point.y));
    SendMessageA(tree_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(point.x, point.y));
    PumpMessages();
    EXPECT_EQ(Next(tree_, TVGN_CARET), Child(3));
    ASSERT_FALSE(host_.codes.empty());
    EXPECT_EQ(host_.codes[0], BFFN_SELCHANGED);

    SetWindowPos(control_, nullptr, 0, 0, 250, 120, SWP_NOMOVE | SWP_NOZORDER);
    RECT area{};
    GetWindowRect(tree_, &area);
    EXPECT_EQ(area.right - area.left, 250) << "the tree fills the resized control";
    EXPECT_EQ(area.bottom - area.top, 120);
}

} // namespace
