// The folder-tree control's records and the operations its source files
// share. A control is an outer TARNBFF window and one SysTreeView32 child;
// the child carries the control's BffTreeData as the window property
// "#BffTVPRP", and each of its items carries a FolderItem as item data.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstddef>
#include <string>
#include <string_view>

#include "foldertree.h"

// The platform headers declare a shell automation interface named FolderItem;
// the control's own names live in this namespace.
namespace foldertree {

// Per-control record, hung on the tree child (not on the outer window).
// Allocated zero-filled from the process heap when the tree is created and
// freed by TreeSubclassProc when the tree is destroyed.
struct BffTreeData {
    WNDPROC OldTreeProc;         // the tree's procedure before subclassing
    HIMAGELIST SystemImages;     // the system small-icon list: shared, never destroyed
    LPITEMIDLIST RootPidl;       // namespace mode: the special folder at the root
    IShellFolder *DesktopFolder; // namespace mode: names, enumerates and compares items
    LONG NamespaceMode;          // 1 while the tree shows the shell namespace
    HTREEITEM RootItem;          // the single root item; 0 in drive mode
};

// Per-item record, the item data (lParam) of every tree item. Allocated
// zero-filled from the process heap by InsertFolderItem and freed, with both
// item-ID lists, by the tree's deletion notification (Bff_WM_NOTIFY).
struct FolderItem {
    char Path[261];          // file-system path; ends in "\" in path and drive modes;
                             // empty for a virtual folder in namespace mode
    char Name[261];          // display name in namespace mode; empty otherwise
    HTREEITEM ItemHandle;    // set in the caller's working copy only, 0 in the record
    LPITEMIDLIST AbsPidl;    // namespace mode: absolute item-ID list
    LPITEMIDLIST RelPidl;    // namespace mode: item-ID list relative to the parent folder
    int ImageIndex;          // closed icon in the system image list
    int SelectedImageIndex;  // open icon
    HWND TreeHandle;         // the tree child
};

#ifdef _WIN64
// Handles and addresses take 8 bytes; the two numbers keep 4, padded where a
// pointer follows.
static_assert(sizeof(BffTreeData) == 48 && offsetof(BffTreeData, NamespaceMode) == 32 &&
                  offsetof(BffTreeData, RootItem) == 40,
              "five 64-bit fields and a 32-bit one");
static_assert(sizeof(FolderItem) == 568 && offsetof(FolderItem, ItemHandle) == 528 &&
                  offsetof(FolderItem, ImageIndex) == 552 && offsetof(FolderItem, TreeHandle) == 560,
              "two text fields, four 64-bit fields and two 32-bit ones");
#else
static_assert(sizeof(BffTreeData) == 24, "six 32-bit fields");
static_assert(sizeof(FolderItem) == 548, "two text fields and six 32-bit fields");
#endif

constexpr char kTreeDataProperty[] = "#BffTVPRP";
constexpr char kControlClassName[] = "TARNBFF";
// WM_DPICHANGED_AFTERPARENT (Windows 10 1703), which the headers give only
// to programs for that system.
constexpr UINT kDpiChangedAfterParent = 0x02E3;

// --- module-wide state -----------------------------------------------------

// Tree child created by the most recent WM_CREATE of any control.
extern HWND TreeWindow;

// Platform flag and the wide file-information entry, bound at run time on
// Windows NT (tree_population.cpp).
using WideFileInfoFunction = DWORD_PTR(WINAPI *)(LPCWSTR, DWORD, SHFILEINFOW *, UINT, UINT);
extern BOOL IsWindowsNT;
extern HMODULE ShellModule;
extern WideFileInfoFunction WideFileInfoProc;

// --- folder names and the code page (code_page_names.cpp) --------------------

// The ANSI form of a wide name when it converts exactly (no best-fit and no
// default character, and back to the same name); false otherwise.
bool ExactAnsi(std::wstring_view wide, std::string &ansi);
std::wstring WideFromAnsi(std::string_view ansi);
std::string Utf8(std::wstring_view wide);
// The ANSI path of a folder: its own when that converts exactly, else its
// short form, else empty.
std::string AnsiPathOf(const std::wstring &widePath);
// The ANSI text of a wide name as the platform converts it (characters
// outside the code page replaced): for the records' display names.
std::string AnsiText(std::wstring_view wide);
// The same, cut to at most maxBytes at the end of a whole character.
std::string AnsiTextWithin(std::wstring_view wide, size_t maxBytes);

// --- control class (control_class.cpp) -------------------------------------

BOOL WINAPI DLLMAIN(HINSTANCE instance, DWORD reason, LPVOID reserved);
int RegisterBffClass();
HINSTANCE ControlInstance();
HWND CreateTarnBrowser(DWORD exStyle, const char *startPath, DWORD style, int x, int y, int width, int height,
                       HWND parent, int id);
HWND CreateFolderTree(DWORD exStyle, HWND parent, DWORD style, int x, int y, int width, int height, int id,
                      int expand);
int ClearFolderTree(HWND tree);

// The record of a tree, or nullptr for a tree that is not ours.
BffTreeData *TreeData(HWND tree);

// --- control window (control_window.cpp) -----------------------------------

LRESULT CALLBACK ControlWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// --- private messages (private_messages.cpp) ---------------------------------

// Messages numbered from BFFM_CLEAR to WM_USER + 2000 are the control's own
// and never reach the default procedure; unknown ones answer 0.
bool IsPrivateMessage(UINT message);
LRESULT HandlePrivateMessage(HWND control, HWND tree, UINT message, WPARAM wParam, LPARAM lParam);

// --- drag and drop (drag_and_drop.cpp) ---------------------------------------

// The arrow cursor shown with the drag image: one list per loaded module,
// made by the first control and kept until the module is freed.
void EnsureCursorImages();
void FreeCursorImages();
bool IsDragging(HWND control);
LRESULT BeginItemDrag(HWND control, HWND tree, const NMTREEVIEWA *start);
void DragMove(HWND control, POINT client);
void DragTimer(HWND control, UINT_PTR timer);
void DropItem(HWND control);
// Ends a drag without a drop: timers, image and hidden cursor are undone.
void CancelDrag(HWND control);
// The tree is deleting an item: a drag of it ends, and it no longer waits to expand.
void ForgetDeletedItem(HWND tree, HTREEITEM item);
// Escape reaches the tree, which has the focus during a drag.
bool CancelDragOnEscape(HWND tree);

// --- the control's DPI (control_dpi.cpp) -------------------------------------

// The DPI of a window: the system's answer where it has one (Windows 10),
// else the screen's.
UINT WindowDpi(HWND window);
// The DPI a tree of ours is laid out for: its control's window's (the
// tree's parent) when it was made or when the host's window last changed
// DPI.
UINT ControlDpi(HWND tree);
// A system metric at a DPI that may not be the system's.
int MetricForDpi(int index, UINT dpi);
// The control's font at a DPI: at 96 the stock ANSI_VAR_FONT itself, at
// others the same face scaled, made once per DPI and freed with the module.
HFONT DefaultFontForDpi(UINT dpi);
void FreeScaledFonts();
void SetTreeDpi(HWND tree, UINT dpi);
// The host has set the tree's font: it stays whatever the DPI.
void NoteHostFont(HWND tree);
// The host's window changed DPI: the tree takes its control's, with the
// default font for it (unless the host chose one), and is painted again.
void FollowWindowDpi(HWND tree, BffTreeData *data);
void ForgetTreeDpi(HWND tree);

// --- tree child (tree_subclass.cpp) -----------------------------------------

LRESULT CALLBACK TreeSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// --- off-screen painting (offscreen_painting.cpp) ----------------------------

// begin non-zero: a memory context of a by b pixels compatible with hdc.
// begin 0: copies that surface to the kept hdc at (a, b), frees it, returns 0.
// One surface at a time.
HDC OffscreenDC(HDC hdc, int a, int b, int begin);
// Copies the source rectangle, leaving its pixels of the transparent colour
// unpainted; a negative colour means the source's top-left pixel.
void TransparentBlit(HDC hdcDest, int xDest, int yDest, int width, int height, HDC hdcSrc, int xSrc, int ySrc,
                     COLORREF transparent);
void FillRectColor(HDC hdc, int x, int y, int width, int height, COLORREF colour);
void DrawTextColor(HDC hdc, const char *text, int x, int y, COLORREF ink, COLORREF background, HFONT font, int mode);
// The same for a wide text: the selection band draws labels in any script.
void DrawTextColor(HDC hdc, const WCHAR *text, int x, int y, COLORREF ink, COLORREF background, HFONT font, int mode);
LRESULT PaintTree(HWND tree, BffTreeData *data, WPARAM wParam, LPARAM lParam);
LRESULT EraseTreeBackground(HWND tree);

// --- desktop snapshot (desktop_snapshot.cpp) --------------------------------

// 0: the current snapshot; 1: a new one; other: frees it. Returns the
// snapshot's memory context or 0.
HDC DesktopSnapshot(int mode);

// The module is being freed (not at process exit): the objects it keeps for
// all its controls go with it.
void ReleaseModuleObjects();

// --- population (tree_population.cpp) ---------------------------------------

// Fills the tree: path mode (path names a directory and expand >= 0),
// namespace mode (folder is a CSIDL number >= 0) or drive mode (expand -1
// keeps CD-ROM drives, -2 leaves them out). Returns the root item, in drive
// mode the last drive inserted, or 0 when the tree is left unchanged.
HTREEITEM FillFolderTree(HWND tree, const char *path, int folder, int expand);

// Inserts the working copy item under parent (0: top level), labelled with
// the shell's display name of the folder, or fallbackLabel when the shell
// gives none (namespace mode: always fallbackLabel, the item's display
// name). widePath names the folder in path and drive modes (empty: the
// item's Path). On success the new item owns the copy's item-ID lists and
// the handle is also stored in item.ItemHandle; on failure (0) they stay
// with the caller.
HTREEITEM InsertFolderItem(HWND tree, HTREEITEM parent, const std::wstring &fallbackLabel, FolderItem &item,
                           const std::wstring &widePath = std::wstring());

// Loads the children of an item on its first expansion.
void ExpandFolderItem(HWND tree, HTREEITEM item, FolderItem *record);

// TVM_SORTCHILDRENCB comparison of two FolderItems; folder is the
// IShellFolder that holds them.
int CALLBACK CompareFolderItems(LPARAM first, LPARAM second, LPARAM folder);

// --- item-ID lists (item_id_lists.cpp) --------------------------------------

short PidlSize(LPCITEMIDLIST list);
LPITEMIDLIST PidlCopy(LPCITEMIDLIST list);
LPITEMIDLIST PidlAppend(LPCITEMIDLIST parentAbs, LPCITEMIDLIST childRel);
// The file-system path of a list (empty for a virtual folder), and an item's
// name in its folder, both wide.
std::wstring PidlPath(LPCITEMIDLIST list);
std::wstring ItemDisplayName(IShellFolder *folder, LPCITEMIDLIST list);

// --- notifications and paths (tree_notifications.cpp) -----------------------

int HandleTreeNotify(HWND control, int id, NMHDR *header);
int NotifyCode(HWND tree, const NMHDR *header);
std::string ItemPath(HWND tree, HTREEITEM item);
HTREEITEM SelectedItem(HWND tree);
HTREEITEM DropOrSelectedItem(HWND tree);
HTREEITEM SelectPathItem(HWND tree, const char *path);
std::string DisplayNameChain(const char *path);

// Frees a FolderItem and both of its item-ID lists.
void FreeFolderItem(FolderItem *record);

} // namespace foldertree
