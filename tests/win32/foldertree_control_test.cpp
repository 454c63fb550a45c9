// The TARNBFF control through foldertree.dll's exports: the class, the
// properties and colours, the default desktop tree, selection by path,
// notifications to the parent and the release of every item record.
#include "foldertree_test_support.h"

#include "foldertree.h"

#include <algorithm>

namespace {

using namespace fttest;

constexpr int kControlId = 77;

::testing::Environment *const com = ::testing::AddGlobalTestEnvironment(new ComEnvironment);

HWND NewControl(HWND host, const char *startPath = "")
{
    HWND control = TarnBrowser(0, startPath, WS_CHILD | WS_VISIBLE, 0, 0, 380, 460, host, kControlId);
    PumpMessages(); // the posted expansion of the root
    return control;
}

TEST(FolderTreeClass, RegistersOnceWithTheDocumentedShape)
{
    EXPECT_NE(RegisterBFFClass(), 0);
    EXPECT_NE(RegisterBFFClass(), 0);
    EXPECT_EQ(TarnInstance(), GetModuleHandleA(nullptr));

    WNDCLASSEXA info{};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetClassInfoExA(TarnInstance(), "TARNBFF", &info));
    EXPECT_EQ(info.style, UINT(CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS));
    EXPECT_EQ(info.cbWndExtra, 40);
    EXPECT_EQ(info.cbClsExtra, 0);
    EXPECT_EQ(info.hCursor, LoadCursorA(nullptr, IDC_ARROW));
    EXPECT_EQ(info.hbrBackground, nullptr);

    EXPECT_EQ(Bytes(Bff_Version()), "1.0");
}

TEST(FolderTreeClass, EntryRoutineUnregistersOnDetachAndRegistersOnAttach)
{
    WNDCLASSEXA info{};
    info.cbSize = sizeof info;
    HINSTANCE library = GetModuleHandleA("foldertree.dll");
    ASSERT_NE(library, nullptr);
    ASSERT_TRUE(GetClassInfoExA(TarnInstance(), "TARNBFF", &info));
    EXPECT_EQ(DLLMAIN(library, DLL_PROCESS_DETACH, nullptr), TRUE);
    EXPECT_FALSE(GetClassInfoExA(TarnInstance(), "TARNBFF", &info));
    EXPECT_EQ(DLLMAIN(library, DLL_THREAD_ATTACH, nullptr), TRUE);
    EXPECT_FALSE(GetClassInfoExA(TarnInstance(), "TARNBFF", &info)) << "other reasons do nothing";
    EXPECT_EQ(DLLMAIN(library, DLL_PROCESS_ATTACH, nullptr), TRUE);
    EXPECT_TRUE(GetClassInfoExA(TarnInstance(), "TARNBFF", &info));
}

TEST(FolderTreeClass, PropertiesMapToTheWindowSlots)
{
    HostWindow host;
    HWND control = NewControl(host.Get());
    ASSERT_NE(control, nullptr);

    for (int number = 1; number <= 10; ++number)
        EXPECT_EQ(Bff_GetProperty(control, number), 0) << "property " << number << " starts at zero";
    Bff_SetProperty(control, 10, 0x12345678);
    EXPECT_EQ(GetWindowLongA(control, 36), 0x12345678);
    SetWindowLongA(control, 0, 99);
    EXPECT_EQ(Bff_GetProperty(control, 1), 99);
    EXPECT_EQ(Bff_GetProperty(control, 0), 0);
    EXPECT_EQ(Bff_GetProperty(control, 11), 0);
    EXPECT_EQ(Bff_GetProperty(control, -1), 0);
    Bff_SetProperty(control, 11, 5);
    Bff_SetProperty(control, 0, 5);
    EXPECT_EQ(GetWindowLongA(control, 0), 99) << "out-of-range numbers write nothing";

    DestroyWindow(control);
    EXPECT_EQ(Bff_GetProperty(control, 1), 0);
    Bff_SetProperty(control, 1, 5); // a dead window: nothing happens
}

// Property 2 is read when the tree is created, so it is set from a hook
// before the control's WM_CREATE.
COLORREF HookedInk = 0;
LRESULT CALLBACK SetInkBeforeCreate(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND) {
        char name[32] = {};
        GetClassNameA(reinterpret_cast<HWND>(wParam), name, sizeof name);
        if (lstrcmpA(name, "TARNBFF") == 0)
            SetWindowLongA(reinterpret_cast<HWND>(wParam), 4, LONG(HookedInk));
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

struct TreeColours {
    COLORREF background, text, lines;
};

TreeColours ColoursWithInk(HWND host, COLORREF ink)
{
    HookedInk = ink;
    HHOOK hook = SetWindowsHookExA(WH_CBT, SetInkBeforeCreate, nullptr, GetCurrentThreadId());
    HWND control = NewControl(host);
    UnhookWindowsHookEx(hook);
    HWND tree = TreeOf(control);
    TreeColours colours{COLORREF(SendMessageA(tree, TVM_GETBKCOLOR, 0, 0)),
                        COLORREF(SendMessageA(tree, TVM_GETTEXTCOLOR, 0, 0)),
                        COLORREF(SendMessageA(tree, TVM_GETLINECOLOR, 0, 0))};
    DestroyWindow(control);
    return colours;
}

TEST(FolderTreeClass, TextAndLinesAreNeverWhiteOnTheWhiteTree)
{
    HostWindow host;
    TreeColours white = ColoursWithInk(host.Get(), RGB(255, 255, 255));
    EXPECT_EQ(white.background, RGB(255, 255, 255));
    EXPECT_EQ(white.text, RGB(250, 250, 250));
    EXPECT_EQ(white.lines, RGB(250, 250, 250));

    TreeColours black = ColoursWithInk(host.Get(), 0);
    EXPECT_EQ(black.background, RGB(255, 255, 255));
    EXPECT_EQ(black.text, RGB(0, 0, 0));
    EXPECT_EQ(black.lines, RGB(0, 0, 0));

    TreeColours red = ColoursWithInk(host.Get(), RGB(200, 0, 0));
    EXPECT_EQ(red.text, RGB(200, 0, 0));
}

TEST(FolderTreeControl, ShowsTheDesktopsFoldersSortedByTheShell)
{
    HostWindow host;
    HWND control = NewControl(host.Get());
    HWND tree = TreeOf(control);
    ASSERT_NE(tree, nullptr);
    EXPECT_NE(GetWindowLongA(tree, GWL_STYLE) & (TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT), 0);

    std::vector<HTREEITEM> roots = Children(tree, nullptr);
    ASSERT_EQ(roots.size(), 1u) << "one root: the desktop";
    ItemInfo root = Info(tree, roots[0]);
    EXPECT_NE(root.state & TVIS_EXPANDED, 0u) << "the root is expanded once the control has settled";
    ASSERT_NE(root.record, nullptr);
    EXPECT_EQ(root.text, root.record->Name);

    std::vector<std::string> shown = Labels(tree, roots[0]);
    std::vector<std::string> expected = DesktopFolderNames();
    ASSERT_FALSE(expected.empty());
    std::vector<std::string> shownSorted = shown;
    std::sort(shownSorted.begin(), shownSorted.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(shownSorted, expected);

    // In the shell's own order.
    IShellFolder *desktop = nullptr;
    ASSERT_EQ(SHGetDesktopFolder(&desktop), S_OK);
    std::vector<HTREEITEM> children = Children(tree, roots[0]);
    for (size_t i = 0; i + 1 < children.size(); ++i) {
        const foldertree::FolderItem *a = Info(tree, children[i]).record;
        const foldertree::FolderItem *b = Info(tree, children[i + 1]).record;
        ASSERT_TRUE(a && b && a->RelPidl && b->RelPidl && a->AbsPidl);
        EXPECT_LE(short(HRESULT_CODE(desktop->CompareIDs(0, a->RelPidl, b->RelPidl))), 0)
            << a->Name << " is listed before " << b->Name;
        EXPECT_EQ(a->TreeHandle, tree);
    }
    desktop->Release();
    DestroyWindow(control);
}

TEST(FolderTreeControl, StartPathSelectsAFolderSeveralLevelsDown)
{
    std::string base = FreshFolder("ft_select");
    MakeFolders(base, {"One\\two\\Three", "One\\other"});
    std::string target = base + "\\One\\two\\Three";

    HostWindow host;
    HWND control = NewControl(host.Get(), target.c_str());
    HWND tree = TreeOf(control);
    HTREEITEM selected = Next(tree, TVGN_CARET);
    ASSERT_NE(selected, nullptr);
    EXPECT_EQ(Info(tree, selected).text, "Three");
    EXPECT_EQ(Bytes(Bff_GetPath(tree)), target);
    ASSERT_EQ(host.commands.size(), 1u) << "a selection by program is not reported";
    EXPECT_EQ(host.commands[0].code, BFFN_CREATED);
    EXPECT_EQ(host.commands[0].id, kControlId);
    EXPECT_EQ(host.commands[0].lParam, LPARAM(control));

    // Through the message: padded text, and a count beyond the text.
    char padded[300] = {};
    std::string other = "  " + base + "\\One\\other  ";
    lstrcpynA(padded, other.c_str(), sizeof padded);
    EXPECT_NE(SendMessageA(control, BFFM_SELECTPATH, 1000, LPARAM(padded)), 0);
    EXPECT_EQ(Bytes(Bff_GetPath(tree)), base + "\\One\\other");

    // Refusals leave the selection alone.
    MakeFile(base + "\\file.txt");
    for (std::string refused : {base + "\\missing", base + "\\file.txt", std::string("\\\\server\\share"),
                                base + "\\\\One"})
        EXPECT_EQ(SendMessageA(control, BFFM_SELECTPATH, 260, LPARAM(refused.c_str())), 0) << refused;
    EXPECT_EQ(SendMessageA(control, BFFM_SELECTPATH, WPARAM(-1), LPARAM(target.c_str())), 0);
    EXPECT_EQ(SendMessageA(control, BFFM_SELECTPATH, 260, 0), 0);
    EXPECT_EQ(Bytes(Bff_GetPath(tree)), base + "\\One\\other");

    DestroyWindow(control);
    RemoveTree(base);
}

TEST(FolderTreeControl, GetPathIsEmptyWithoutSelectionAndOnVirtualFolders)
{
    HostWindow host;
    HWND control = NewControl(host.Get());
    HWND tree = TreeOf(control);
    ASSERT_EQ(Next(tree, TVGN_CARET), nullptr);
    EXPECT_EQ(Bytes(Bff_GetPath(tree)), "");
    EXPECT_EQ(Bytes(Bff_GetPath(nullptr)), "");
    EXPECT_EQ(Bytes(Bff_GetPath(host.Get())), "") << "a window that is not our tree";

    HTREEITEM virtualFolder = nullptr;
    for (HTREEITEM child : Children(tree, Next(tree, TVGN_ROOT))) {
        const foldertree::FolderItem *record = Info(tree, child).record;
        if (record && !record->Path[0])
            virtualFolder = child;
    }
    ASSERT_NE(virtualFolder, nullptr) << "the desktop holds a folder outside the file system";
    SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, LPARAM(virtualFolder));
    EXPECT_EQ(Bytes(Bff_GetPath(tree)), "");
    DestroyWindow(control);
}

// Without an id the control makes no tree, and still tells its parent it
// was created: the host finds out from GetDlgItem.
TEST(FolderTreeControl, WithoutAnIdThereIsNoTreeButCreationIsReported)
{
    HostWindow host;
    HWND control = TarnBrowser(0, "", WS_CHILD | WS_VISIBLE, 0, 0, 200, 200, host.Get(), 0);
    ASSERT_NE(control, nullptr);
    PumpMessages();
    EXPECT_EQ(GetDlgItem(control, 0), nullptr);
    EXPECT_EQ(GetWindow(control, GW_CHILD), nullptr);
    ASSERT_EQ(host.commands.size(), 1u);
    EXPECT_EQ(host.commands[0].code, BFFN_CREATED);
    EXPECT_EQ(host.commands[0].lParam, LPARAM(control));
    EXPECT_EQ(SendMessageA(control, BFFM_EXPANDROOT, 1, 0), 0) << "no tree to act on";
    DestroyWindow(control);
}

TEST(FolderTreeControl, ReportsUserSelectionsAndRightClicksToTheParent)
{
    HostWindow host;
    HWND control = NewControl(host.Get());
    HWND tree = TreeOf(control);
    HTREEITEM root = Next(tree, TVGN_ROOT);
    ASSERT_EQ(host.commands.size(), 1u);
    EXPECT_EQ(host.commands[0].code, BFFN_CREATED) << "posted once the control exists";
    host.commands.clear();

    SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, LPARAM(root));
    EXPECT_TRUE(host.commands.empty()) << "selections made by program are not reported";

    SetFocus(tree);
    SendMessageA(tree, WM_KEYDOWN, VK_DOWN, 0);
    SendMessageA(tree, WM_KEYUP, VK_DOWN, 0);
    ASSERT_EQ(host.commands.size(), 1u);
    EXPECT_EQ(host.commands[0].id, kControlId);
    EXPECT_EQ(host.commands[0].code, 2);
    EXPECT_EQ(host.commands[0].lParam, LPARAM(tree));
    EXPECT_NE(Next(tree, TVGN_CARET), root);

    // The tree waits for the button's release before it reports the click.
    host.commands.clear();
    PostMessageA(tree, WM_RBUTTONUP, 0, MAKELPARAM(20, 5));
    SendMessageA(tree, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(20, 5));
    PumpMessages();
    ASSERT_FALSE(host.commands.empty());
    EXPECT_EQ(host.commands.back().code, 3);
    EXPECT_EQ(host.commands.back().lParam, LPARAM(tree));

    // Notifications the control does not own are left alone.
    EXPECT_EQ(Bff_WM_NOTIFY(control, kControlId, nullptr), 0);
    NMHDR foreign{host.Get(), UINT_PTR(kControlId), UINT(TVN_DELETEITEMA)};
    EXPECT_EQ(Bff_WM_NOTIFY(control, kControlId, &foreign), 0);
    NMHDR unknownId{tree, 5, UINT(TVN_DELETEITEMA)};
    EXPECT_EQ(Bff_WM_NOTIFY(control, 5, &unknownId), 0);
    DestroyWindow(control);
}

TEST(FolderTreeControl, DestroyingTheControlFreesEveryRecordAndList)
{
    std::string base = FreshFolder("ft_destroy");
    MakeFolders(base, {"a\\b\\c"});
    int before = LiveRecords();

    HostWindow host;
    HWND control = NewControl(host.Get(), (base + "\\a\\b").c_str());
    HWND tree = TreeOf(control);
    std::vector<const void *> owned;
    std::vector<HTREEITEM> pending = Children(tree, nullptr);
    while (!pending.empty()) {
        HTREEITEM item = pending.back();
        pending.pop_back();
        const foldertree::FolderItem *record = Info(tree, item).record;
        ASSERT_NE(record, nullptr);
        owned.insert(owned.end(), {record, record->AbsPidl});
        if (record->RelPidl)
            owned.push_back(record->RelPidl);
        for (HTREEITEM child : Children(tree, item))
            pending.push_back(child);
    }
    EXPECT_GT(owned.size(), 20u);
    EXPECT_GT(LiveRecords(), before + 6);

    DestroyWindow(control);
    EXPECT_EQ(processcounts::Settled(LiveRecords, before), before);
    std::set<const void *> busy = BusyBlocks();
    for (const void *block : owned)
        EXPECT_EQ(busy.count(block), 0u) << "block " << block << " is still allocated";
    RemoveTree(base);
}

// A host that routes the tree's notifications by hand as well, keeping a
// record-sized block of its own in between: every deletion reaches
// Bff_WM_NOTIFY twice. Each record is freed once, and the host's block is
// left alone.
struct HandRouting {
    static LRESULT CALLBACK Procedure(HWND control, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto original = reinterpret_cast<WNDPROC>(GetPropA(control, "HandRoutingOriginal"));
        LRESULT result = CallWindowProcA(original, control, message, wParam, lParam);
        if (message == WM_NOTIFY && reinterpret_cast<NMHDR *>(lParam)->code == UINT(TVN_DELETEITEMA)) {
            if (!hostBlock)
                hostBlock = HeapAlloc(GetProcessHeap(), 0, sizeof(foldertree::FolderItem));
            Bff_WM_NOTIFY(control, int(wParam), reinterpret_cast<NMHDR *>(lParam));
        }
        return result;
    }
    static void *hostBlock;
};
void *HandRouting::hostBlock = nullptr;

TEST(FolderTreeControl, ASecondDeliveryOfADeletionIsHarmless)
{
    std::string base = FreshFolder("ft_twice");
    MakeFolders(base, {"a\b", "c"});
    int before = LiveRecords();
    HostWindow host;
    HWND control = NewControl(host.Get(), (base + "\a").c_str());
    SetPropA(control, "HandRoutingOriginal",
             reinterpret_cast<HANDLE>(SetWindowLongPtrA(control, GWLP_WNDPROC, LONG_PTR(HandRouting::Procedure))));
    DestroyWindow(control);
    ASSERT_NE(HandRouting::hostBlock, nullptr);
    EXPECT_EQ(BusyBlocks().count(HandRouting::hostBlock), 1u) << "the host's own block was freed";
    EXPECT_EQ(processcounts::Settled(LiveRecords, before + 1), before + 1);
    HeapFree(GetProcessHeap(), 0, HandRouting::hostBlock);
    RemoveTree(base);
}

TEST(FolderTreeControl, TwoControlsEachSelectInTheirOwnTree)
{
    std::string base = FreshFolder("ft_two");
    MakeFolders(base, {"first", "second"});
    HostWindow host;
    HWND first = NewControl(host.Get());
    HWND second = TarnBrowser(0, "", WS_CHILD, 0, 0, 100, 100, host.Get(), kControlId + 1);
    PumpMessages();
    std::string path = base + "\\first";
    EXPECT_NE(SendMessageA(first, BFFM_SELECTPATH, 260, LPARAM(path.c_str())), 0);
    EXPECT_EQ(Bytes(Bff_GetPath(TreeOf(first))), path);
    EXPECT_EQ(Bytes(Bff_GetPath(TreeOf(second))), "");
    DestroyWindow(second);
    DestroyWindow(first);
    RemoveTree(base);
}

} // namespace
