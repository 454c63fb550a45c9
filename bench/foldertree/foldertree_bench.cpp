// How long the folder tree takes to expand a folder of 200 and of 2,000
// sub-folders, and of 200 sub-folders named outside the code page, in path
// mode and in namespace mode, beside the floor of each mode: the same
// platform calls made alone for the same items.
//
//   path mode floor:      the wide listing (which brings the short names),
//                         then per item SHGetFileInfoW (icon and display
//                         name) and SHGetFileInfoW (open icon and attributes)
//   namespace mode floor: the enumeration, then per item the absolute list,
//                         its wide path (and its short form where the path
//                         is not in the code page), its display name and the
//                         two file-information calls on the list
//
// The shell call dominates and its cost grows with the size of the folder, so
// only figures from the same run are compared. The four measurements of a size
// take turns, round after round, so that other load on the machine falls on
// all of them alike, and the fastest round of each is kept: as elapsed time
// and as the CPU time of this thread (which other processes do not inflate).
// The spread printed for the floors shows how far apart identical rounds lie.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "folder_tree.h"
#include "temp_folder.h"
#include "bench_architecture.h"
#include "bench_clock.h"

namespace {

using tempfolder::RemoveTree;

int RoundsFor(int count)
{
    return count <= 200 ? 16 : 2;
}

// Elapsed time and the CPU time of this thread, in milliseconds.
struct Clock {
    double elapsed = 0;
    double cpu = 0;
};

// The fastest and the slowest elapsed time of a measurement's rounds.
struct Spread {
    double fastest = 1e300;
    double slowest = 0;
    void Add(const Clock &round)
    {
        fastest = std::min(fastest, round.elapsed);
        slowest = std::max(slowest, round.elapsed);
    }
    double Percent() const { return 100.0 * (slowest - fastest) / fastest; }
};

double ThreadCpu()
{
    FILETIME created, exited, kernel, user;
    GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
    auto value = [](const FILETIME &time) {
        return double((ULONGLONG(time.dwHighDateTime) << 32) | time.dwLowDateTime) / 10000.0;
    };
    return value(kernel) + value(user);
}

// count sub-folders, named "folder 0000"... or, foreign, with Cyrillic
// names that the code page does not hold.
std::string MakeFolderOf(const std::string &base, int count, bool foreign)
{
    std::string folder = base + "\\folders_" + std::to_string(count) + (foreign ? "_foreign" : "");
    CreateDirectoryA(folder.c_str(), nullptr);
    std::wstring wideFolder(folder.begin(), folder.end());
    for (int i = 0; i < count; ++i) {
        WCHAR name[32];
        wsprintfW(name, foreign ? L"\\\x043f\x0430\x043f\x043a\x0430 %04d" : L"\\folder %04d", i);
        CreateDirectoryW((wideFolder + name).c_str(), nullptr);
    }
    return folder;
}

LPITEMIDLIST ParsePath(IShellFolder *desktop, const std::string &path)
{
    WCHAR wide[MAX_PATH] = {};
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
    LPITEMIDLIST list = nullptr;
    desktop->ParseDisplayName(nullptr, nullptr, wide, nullptr, &list, nullptr);
    return list;
}

// --- the floors -------------------------------------------------------------------

int PathModeFloor(const std::string &folder)
{
    std::wstring wideFolder(folder.begin(), folder.end());
    std::vector<std::wstring> paths;
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW((wideFolder + L"\\*.*").c_str(), &found);
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && found.cFileName[0] != L'.')
            paths.push_back(wideFolder + L"\\" + found.cFileName + L"\\");
    } while (FindNextFileW(search, &found));
    FindClose(search);
    for (const std::wstring &path : paths) {
        SHFILEINFOW closed{};
        SHGetFileInfoW(path.c_str(), 0, &closed, sizeof closed, SHGFI_SYSICONINDEX | SHGFI_DISPLAYNAME);
        SHFILEINFOW open{};
        open.dwAttributes = SFGAO_SHARE | SFGAO_HASSUBFOLDER;
        SHGetFileInfoW(path.c_str(), 0, &open, sizeof open,
                       SHGFI_SYSICONINDEX | SHGFI_ATTRIBUTES | SHGFI_OPENICON | SHGFI_ATTR_SPECIFIED);
    }
    return int(paths.size());
}

int NamespaceModeFloor(IShellFolder *desktop, LPCITEMIDLIST folderList)
{
    IShellFolder *folder = nullptr;
    desktop->BindToObject(folderList, nullptr, IID_IShellFolder, reinterpret_cast<void **>(&folder));
    IEnumIDList *items = nullptr;
    folder->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_INCLUDEHIDDEN, &items);
    int count = 0;
    LPITEMIDLIST relative = nullptr;
    while (items->Next(1, &relative, nullptr) == S_OK) {
        LPITEMIDLIST absolute = ILCombine(folderList, relative);
        WCHAR path[MAX_PATH + 1] = {};
        SHGetPathFromIDListW(absolute, path);
        BOOL lossy = FALSE;
        char narrow[MAX_PATH * 2];
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, path, -1, narrow, sizeof narrow, nullptr, &lossy);
        WCHAR shortPath[MAX_PATH + 1];
        if (lossy)
            GetShortPathNameW(path, shortPath, MAX_PATH + 1);
        STRRET name{};
        if (SUCCEEDED(folder->GetDisplayNameOf(relative, SHGDN_INFOLDER, &name)) && name.uType == STRRET_WSTR)
            CoTaskMemFree(name.pOleStr);
        SHFILEINFOA closed{};
        SHGetFileInfoA(reinterpret_cast<LPCSTR>(absolute), 0, &closed, sizeof closed, SHGFI_SYSICONINDEX | SHGFI_PIDL);
        SHFILEINFOW open{};
        open.dwAttributes = SFGAO_SHARE | SFGAO_HASSUBFOLDER;
        SHGetFileInfoW(reinterpret_cast<LPCWSTR>(absolute), 0, &open, sizeof open,
                       SHGFI_SYSICONINDEX | SHGFI_ATTRIBUTES | SHGFI_OPENICON | SHGFI_ATTR_SPECIFIED | SHGFI_PIDL);
        CoTaskMemFree(absolute);
        CoTaskMemFree(relative);
        ++count;
    }
    items->Release();
    folder->Release();
    return count;
}

// --- the expansions ---------------------------------------------------------------

struct Bench {
    HWND host = nullptr;
    HWND control = nullptr;
    HWND tree = nullptr;
    IShellFolder *desktop = nullptr;
};

size_t ChildCount(HWND tree, HTREEITEM item)
{
    size_t count = 0;
    for (auto child = HTREEITEM(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CHILD, LPARAM(item))); child;
         child = HTREEITEM(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_NEXT, LPARAM(child))))
        ++count;
    return count;
}

Clock Timed(const std::function<void()> &work)
{
    double start = BenchMilliseconds(), startCpu = ThreadCpu();
    work();
    return {BenchMilliseconds() - start, ThreadCpu() - startCpu};
}

// The folder as the root of a path-mode tree; the timed part is the expansion.
Clock PathModeExpansion(Bench &bench, const std::string &folder, size_t &shown)
{
    HTREEITEM root = foldertree::FillFolderTree(bench.tree, folder.c_str(), -1, 0);
    Clock clock = Timed([&] { SendMessageA(bench.tree, TVM_EXPAND, TVE_EXPAND, LPARAM(root)); });
    shown = ChildCount(bench.tree, root);
    foldertree::ClearFolderTree(bench.tree);
    return clock;
}

// The folder as an item of the desktop's namespace tree, as the tree holds it
// after the user has opened the levels above it.
Clock NamespaceModeExpansion(Bench &bench, LPCITEMIDLIST folderList, size_t &shown)
{
    HTREEITEM root = foldertree::FillFolderTree(bench.tree, "", CSIDL_DESKTOP, 0);
    foldertree::FolderItem copy{};
    copy.AbsPidl = ILClone(folderList);
    copy.RelPidl = ILClone(ILFindLastID(folderList));
    lstrcpynA(copy.Name, "bench", sizeof copy.Name);
    HTREEITEM item = foldertree::InsertFolderItem(bench.tree, root, L"bench", copy);
    Clock clock = Timed([&] { SendMessageA(bench.tree, TVM_EXPAND, TVE_EXPAND, LPARAM(item)); });
    shown = ChildCount(bench.tree, item);
    foldertree::ClearFolderTree(bench.tree);
    return clock;
}

void KeepFastest(Clock &best, const Clock &round)
{
    best.elapsed = std::min(best.elapsed, round.elapsed);
    best.cpu = std::min(best.cpu, round.cpu);
}

void Report(const char *mode, int count, const Clock &expansion, const Clock &floor)
{
    printf("%6d  %-9s  %10.1f  %10.1f  %8.3f  %8.3f  %+7.1f%%   %9.3f  %9.3f  %+7.1f%%\n", count, mode,
           expansion.elapsed, floor.elapsed, expansion.elapsed / count, floor.elapsed / count,
           100.0 * (expansion.elapsed - floor.elapsed) / floor.elapsed, expansion.cpu / count, floor.cpu / count,
           100.0 * (expansion.cpu - floor.cpu) / floor.cpu);
}

} // namespace

// One full paint of the control's tree, composed off screen over the
// control's colours, beside the same items painted by a plain tree view
// without the subclass, in turns, fastest round of each.
void ComparePaints(Bench &bench, const std::string &folder)
{
    HTREEITEM root = foldertree::FillFolderTree(bench.tree, folder.c_str(), -1, 0);
    SendMessageA(bench.tree, TVM_EXPAND, TVE_EXPAND, LPARAM(root));
    HTREEITEM selected = reinterpret_cast<HTREEITEM>(SendMessageA(bench.tree, TVM_GETNEXTITEM, TVGN_CHILD,
                                                                  LPARAM(root)));
    SendMessageA(bench.tree, TVM_SELECTITEM, TVGN_CARET, LPARAM(selected));

    RECT area{};
    GetWindowRect(bench.tree, &area);
    MapWindowPoints(nullptr, bench.host, reinterpret_cast<POINT *>(&area), 2);
    HWND plain = CreateWindowExA(0, WC_TREEVIEWA, "", WS_CHILD | WS_VISIBLE | GetWindowLongA(bench.tree, GWL_STYLE),
                                 area.left, area.top, area.right - area.left, area.bottom - area.top, bench.host,
                                 nullptr, nullptr, nullptr);
    SendMessageA(plain, TVM_SETIMAGELIST, TVSIL_NORMAL,
                 SendMessageA(bench.tree, TVM_GETIMAGELIST, TVSIL_NORMAL, 0));
    TVINSERTSTRUCTA insert{};
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    insert.item.pszText = const_cast<char *>("root");
    HTREEITEM plainRoot = reinterpret_cast<HTREEITEM>(SendMessageA(plain, TVM_INSERTITEMA, 0, LPARAM(&insert)));
    int items = 0;
    for (HTREEITEM child = selected; child;
         child = reinterpret_cast<HTREEITEM>(SendMessageA(bench.tree, TVM_GETNEXTITEM, TVGN_NEXT, LPARAM(child)))) {
        char text[260] = {};
        TVITEMA item{};
        item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
        item.hItem = child;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        SendMessageA(bench.tree, TVM_GETITEMA, 0, LPARAM(&item));
        insert.hParent = plainRoot;
        insert.item.pszText = text;
        insert.item.iImage = item.iImage;
        insert.item.iSelectedImage = item.iSelectedImage;
        SendMessageA(plain, TVM_INSERTITEMA, 0, LPARAM(&insert));
        ++items;
    }
    SendMessageA(plain, TVM_EXPAND, TVE_EXPAND, LPARAM(plainRoot));
    SendMessageA(plain, TVM_SELECTITEM, TVGN_CARET,
                 SendMessageA(plain, TVM_GETNEXTITEM, TVGN_CHILD, LPARAM(plainRoot)));

    ShowWindow(bench.host, SW_SHOWNOACTIVATE); // hidden windows are not painted
    auto paint = [](HWND window) {
        return Timed([&] { RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW); });
    };
    const Clock none{1e300, 1e300};
    Clock own = none, standard = none;
    for (int round = 0; round < 40; ++round) {
        ShowWindow(round % 2 ? plain : bench.tree, SW_HIDE);
        ShowWindow(round % 2 ? bench.tree : plain, SW_SHOW);
        if (round % 2)
            KeepFastest(own, paint(bench.tree));
        else
            KeepFastest(standard, paint(plain));
    }
    printf("\n[%s] One full paint of %d items, fastest of 20 rounds each (ms)\n", BenchArchitecture, items + 1);
    printf("  control's tree %8.3f elapsed %8.3f cpu\n", own.elapsed, own.cpu);
    printf("  plain tree     %8.3f elapsed %8.3f cpu\n", standard.elapsed, standard.cpu);
    printf("  ratio          %8.2f elapsed %8.2f cpu (goal: within 3)\n", own.elapsed / standard.elapsed,
           own.cpu / std::max(standard.cpu, 1e-3));
    DestroyWindow(plain);
    ShowWindow(bench.tree, SW_SHOW);
    ShowWindow(bench.host, SW_HIDE);
}

int main()
{
    CoInitialize(nullptr);
    setvbuf(stdout, nullptr, _IONBF, 0);
    std::string base = tempfolder::FreshFolder("foldertree_bench");

    Bench bench;
    bench.host = CreateWindowExA(0, "STATIC", "bench", WS_OVERLAPPEDWINDOW, 0, 0, 400, 600, nullptr, nullptr,
                                 nullptr, nullptr);
    bench.control = foldertree::CreateTarnBrowser(0, "", WS_CHILD | WS_VISIBLE, 0, 0, 380, 580, bench.host, 1);
    bench.tree = FindWindowExA(bench.control, nullptr, "SysTreeView32", nullptr);
    SHGetDesktopFolder(&bench.desktop);
    if (!bench.tree || !bench.desktop) {
        printf("foldertree bench: no tree could be created\n");
        return 1;
    }

    printf("[%s] Folder-tree expansion against its floor, fastest round of each (ms)\n", BenchArchitecture);
    printf("%6s  %-9s  %10s  %10s  %8s  %8s  %8s   %9s  %9s  %8s\n", "items", "mode", "expansion", "floor",
           "per item", "floor/it", "overhead", "cpu/item", "floor cpu", "overhead");
    struct Size {
        int count;
        bool foreign;
    };
    for (Size size : {Size{200, false}, Size{200, true}, Size{2000, false}}) {
        int count = size.count;
        if (size.foreign)
            printf("%6d  sub-folders named outside the code page (Cyrillic):\n", count);
        std::string folder = MakeFolderOf(base, count, size.foreign);
        LPITEMIDLIST folderList = ParsePath(bench.desktop, folder);
        PathModeFloor(folder); // the shell's caches warm up once, for every measurement alike

        const Clock none{1e300, 1e300};
        Clock pathFloor = none, pathExpansion = none, namespaceFloor = none, namespaceExpansion = none;
        size_t pathShown = 0, namespaceShown = 0;
        int pathFloorCount = 0, namespaceFloorCount = 0;
        Spread pathFloorSpread, namespaceFloorSpread;
        auto pathFloorRound = [&] {
            Clock clock = Timed([&] { pathFloorCount = PathModeFloor(folder); });
            KeepFastest(pathFloor, clock);
            pathFloorSpread.Add(clock);
        };
        auto namespaceFloorRound = [&] {
            Clock clock = Timed([&] { namespaceFloorCount = NamespaceModeFloor(bench.desktop, folderList); });
            KeepFastest(namespaceFloor, clock);
            namespaceFloorSpread.Add(clock);
        };
        auto pathExpansionRound = [&] { KeepFastest(pathExpansion, PathModeExpansion(bench, folder, pathShown)); };
        auto namespaceExpansionRound = [&] {
            KeepFastest(namespaceExpansion, NamespaceModeExpansion(bench, folderList, namespaceShown));
        };
        // The shell gets slower the longer the process runs, so floor and
        // expansion take turns at going first.
        for (int round = 0; round < RoundsFor(count); ++round) {
            if (round % 2 == 0) {
                pathFloorRound();
                pathExpansionRound();
                namespaceFloorRound();
                namespaceExpansionRound();
            } else {
                pathExpansionRound();
                pathFloorRound();
                namespaceExpansionRound();
                namespaceFloorRound();
            }
        }
        if (pathShown != size_t(count) || namespaceShown != size_t(count) || pathFloorCount != count ||
            namespaceFloorCount != count)
            printf("  (unexpected counts: path %u/%d, namespace %u/%d)\n", unsigned(pathShown), pathFloorCount,
                   unsigned(namespaceShown), namespaceFloorCount);
        Report("path", count, pathExpansion, pathFloor);
        Report("namespace", count, namespaceExpansion, namespaceFloor);
        printf("%6d  namespace mode per item: %.2f times path mode (elapsed), %.2f times (cpu)\n", count,
               namespaceExpansion.elapsed / pathExpansion.elapsed, namespaceExpansion.cpu / pathExpansion.cpu);
        printf("%6d  %d rounds; the floors' slowest round took %.0f%% (path) and %.0f%% (namespace) longer than "
               "their fastest\n",
               count, RoundsFor(count), pathFloorSpread.Percent(), namespaceFloorSpread.Percent());
        CoTaskMemFree(folderList);
        if (count == 2000)
            ComparePaints(bench, folder);
    }

    DestroyWindow(bench.control);
    DestroyWindow(bench.host);
    bench.desktop->Release();
    RemoveTree(base);
    CoUninitialize();
    return 0;
}
