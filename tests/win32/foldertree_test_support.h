// Shared by the folder-tree tests: real folders under the temporary folder,
// a message pump, the items of a real tree, and a count of the item records
// alive on the process heap.
#pragma once
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <oleauto.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <set>
#include <string>
#include <vector>

#include "folder_tree.h"
#include "process_counts.h"
#include "temp_folder.h"
#include "whole_file.h"

namespace fttest {

// The control's colours in the pixel tests (properties 1, 3 and 4): none of
// them the tree's own white or black, so each pixel tells what drew it.
constexpr COLORREF kBackground = RGB(0x20, 0x40, 0x60);
constexpr COLORREF kBand = RGB(0xC8, 0x1E, 0x1E);
constexpr COLORREF kInk = RGB(0xFA, 0xFA, 0x00);

inline std::string Bytes(BSTR text)
{
    std::string bytes = text ? std::string(reinterpret_cast<const char *>(text), SysStringByteLen(text)) : "";
    SysFreeString(text);
    return bytes;
}

using tempfolder::FreshFolder;
using tempfolder::RemoveTree;

// Creates each relative folder (and its parents) under base.
inline void MakeFolders(const std::string &base, const std::vector<std::string> &relative)
{
    for (const std::string &path : relative) {
        for (size_t at = path.find('\\'); at != std::string::npos; at = path.find('\\', at + 1))
            CreateDirectoryA((base + "\\" + path.substr(0, at)).c_str(), nullptr);
        CreateDirectoryA((base + "\\" + path).c_str(), nullptr);
    }
}

inline void MakeFile(const std::string &path)
{
    wholefile::WriteWholeFile(path, "x");
}

inline bool Exists(const std::string &path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

inline void PumpMessages()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// Item records alive on the process's heaps: blocks of exactly their size.
inline int LiveRecords()
{
    return int(processcounts::HeapBlocksOfSize(sizeof(foldertree::FolderItem)));
}

// The addresses of all busy blocks of the process's heaps.
inline std::set<const void *> BusyBlocks()
{
    std::set<const void *> blocks;
    processcounts::ForEachBusyBlock([&](const PROCESS_HEAP_ENTRY &entry) { blocks.insert(entry.lpData); });
    return blocks;
}

inline HTREEITEM Next(HWND tree, UINT relation, HTREEITEM item = nullptr)
{
    return reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
}

inline std::vector<HTREEITEM> Children(HWND tree, HTREEITEM parent)
{
    std::vector<HTREEITEM> children;
    for (HTREEITEM child = parent ? Next(tree, TVGN_CHILD, parent) : Next(tree, TVGN_ROOT); child;
         child = Next(tree, TVGN_NEXT, child))
        children.push_back(child);
    return children;
}

struct ItemInfo {
    std::string text;
    int children = 0;
    int image = 0;
    int selectedImage = 0;
    UINT state = 0;
    const foldertree::FolderItem *record = nullptr;
};

inline ItemInfo Info(HWND tree, HTREEITEM item)
{
    char text[260] = {};
    TVITEMA query{};
    query.mask = TVIF_HANDLE | TVIF_TEXT | TVIF_CHILDREN | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_STATE | TVIF_PARAM;
    query.hItem = item;
    query.pszText = text;
    query.cchTextMax = sizeof text;
    query.stateMask = 0xFFFF;
    ItemInfo info;
    if (!SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&query)))
        return info;
    info.text = text;
    info.children = query.cChildren;
    info.image = query.iImage;
    info.selectedImage = query.iSelectedImage;
    info.state = query.state;
    info.record = reinterpret_cast<const foldertree::FolderItem *>(query.lParam);
    return info;
}

// An item's label as the tree keeps it, wide.
inline std::wstring WideLabel(HWND tree, HTREEITEM item)
{
    WCHAR text[260] = {};
    TVITEMW query{};
    query.mask = TVIF_HANDLE | TVIF_TEXT;
    query.hItem = item;
    query.pszText = text;
    query.cchTextMax = 260;
    SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&query));
    return text;
}

inline std::vector<std::string> Labels(HWND tree, HTREEITEM parent)
{
    std::vector<std::string> labels;
    for (HTREEITEM child : Children(tree, parent))
        labels.push_back(Info(tree, child).text);
    return labels;
}

inline void Expand(HWND tree, HTREEITEM item, UINT action = TVE_EXPAND)
{
    SendMessageA(tree, TVM_EXPAND, action, reinterpret_cast<LPARAM>(item));
}

// A plain top-level window that hosts controls and records the WM_COMMAND
// notifications they send. It stays hidden: under Wine's X11 driver the
// destruction of a shown top-level window waits about two seconds.
class HostWindow {
public:
    HostWindow()
    {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = Procedure;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "FolderTreeTestHost";
        RegisterClassA(&windowClass);
        window_ = CreateWindowExA(0, "FolderTreeTestHost", "host", WS_OVERLAPPEDWINDOW, 0, 0, 400, 500,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~HostWindow() { DestroyWindow(window_); }
    HostWindow(const HostWindow &) = delete;
    HostWindow &operator=(const HostWindow &) = delete;

    HWND Get() const { return window_; }

    struct Command {
        int id;
        int code;
        LPARAM lParam;
    };
    std::vector<Command> commands;

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto *host = reinterpret_cast<HostWindow *>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (host && message == WM_COMMAND)
            host->commands.push_back({LOWORD(wParam), HIWORD(wParam), lParam});
        return DefWindowProcA(window, message, wParam, lParam);
    }
    HWND window_ = nullptr;
};

// The tree child of a control.
inline HWND TreeOf(HWND control)
{
    return FindWindowExA(control, nullptr, "SysTreeView32", nullptr);
}

// Shell display names of the desktop's folders, as the shell lists them.
inline std::vector<std::string> DesktopFolderNames()
{
    std::vector<std::string> names;
    IShellFolder *desktop = nullptr;
    IEnumIDList *items = nullptr;
    if (FAILED(SHGetDesktopFolder(&desktop)))
        return names;
    if (desktop->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_INCLUDEHIDDEN, &items) == S_OK) {
        for (LPITEMIDLIST item = nullptr; items->Next(1, &item, nullptr) == S_OK; CoTaskMemFree(item)) {
            STRRET name{};
            char text[MAX_PATH] = {};
            if (SUCCEEDED(desktop->GetDisplayNameOf(item, SHGDN_INFOLDER, &name)))
                StrRetToBufA(&name, item, text, MAX_PATH);
            names.push_back(text);
        }
        items->Release();
    }
    desktop->Release();
    return names;
}

// Names of what the recycle bin holds, as the shell shows them.
inline std::vector<std::wstring> RecycleBinNames()
{
    std::vector<std::wstring> names;
    LPITEMIDLIST bin = nullptr;
    IShellFolder *desktop = nullptr, *folder = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_BITBUCKET, &bin)) || FAILED(SHGetDesktopFolder(&desktop)))
        return names;
    if (SUCCEEDED(desktop->BindToObject(bin, nullptr, IID_IShellFolder, reinterpret_cast<void **>(&folder)))) {
        IEnumIDList *items = nullptr;
        if (folder->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN, &items) ==
            S_OK) {
            LPITEMIDLIST item = nullptr;
            while (items->Next(1, &item, nullptr) == S_OK) {
                STRRET name{};
                WCHAR text[MAX_PATH] = {};
                if (SUCCEEDED(folder->GetDisplayNameOf(item, SHGDN_INFOLDER, &name)))
                    StrRetToBufW(&name, item, text, MAX_PATH);
                names.push_back(text);
                CoTaskMemFree(item);
            }
            items->Release();
        }
        folder->Release();
    }
    desktop->Release();
    CoTaskMemFree(bin);
    return names;
}

// COM for the whole program, as the hosting application provides it.
class ComEnvironment : public ::testing::Environment {
public:
    void SetUp() override { CoInitialize(nullptr); }
    void TearDown() override { CoUninitialize(); }
};

} // namespace fttest
