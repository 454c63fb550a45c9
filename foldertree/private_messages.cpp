// The control's private messages. Each acts on the tree of the control that
// receives it; text arguments are read through MessageText, which never reads
// more than 260 bytes of the caller's buffer and refuses a longer text.
#include "folder_tree.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "folder_paths.h"

namespace foldertree {

namespace {

std::string SelectedPath(HWND tree)
{
    return ItemPath(tree, SelectedItem(tree));
}

LRESULT SetRootPath(HWND tree, WPARAM wParam, LPARAM lParam)
{
    long count = static_cast<long>(wParam);
    const char *text = reinterpret_cast<const char *>(lParam);
    if (!tree || count < 0 || !text)
        return 0;
    std::optional<std::string> path = MessageText(text, count);
    if (!path)
        return 0;
    return reinterpret_cast<LRESULT>(FillFolderTree(tree, path->c_str(), -1, 0));
}

LRESULT SetRootFolder(HWND tree, WPARAM wParam)
{
    if (!tree)
        return 0;
    return reinterpret_cast<LRESULT>(FillFolderTree(tree, "", static_cast<int>(wParam), 0));
}

LRESULT SelectPath(HWND tree, WPARAM wParam, LPARAM lParam)
{
    long count = static_cast<long>(wParam);
    const char *text = reinterpret_cast<const char *>(lParam);
    if (!tree || count < 0 || !text)
        return 0;
    std::optional<std::string> path = MessageText(text, count);
    if (!path)
        return 0;
    return reinterpret_cast<LRESULT>(SelectPathItem(tree, path->c_str()));
}

LRESULT GetPath(HWND tree, WPARAM wParam, LPARAM lParam)
{
    long size = static_cast<long>(wParam);
    char *buffer = reinterpret_cast<char *>(lParam);
    if (!tree || size < 1 || !buffer)
        return 0;
    std::string path = SelectedPath(tree);
    size_t count = std::min(path.size(), static_cast<size_t>(size));
    std::memcpy(buffer, path.data(), count);
    return static_cast<LRESULT>(count);
}

LRESULT ExpandRoot(HWND tree, WPARAM wParam)
{
    BffTreeData *data = TreeData(tree);
    if (!data)
        return 0;
    if (data->RootItem)
        SendMessageA(tree, TVM_EXPAND, wParam ? TVE_EXPAND : TVE_COLLAPSE, reinterpret_cast<LPARAM>(data->RootItem));
    return 1;
}

LRESULT SetBackgroundColour(HWND tree, LPARAM lParam)
{
    if (!TreeData(tree))
        return 0;
    LRESULT previous = SendMessageA(tree, TVM_SETBKCOLOR, 0, lParam);
    // The tree draws its lines in the new colour only after a style change.
    // Wine's tree, focused with nothing selected, selects its first item on
    // a style change: a colour never changes the host's selection.
    HTREEITEM selected = SelectedItem(tree);
    LONG style = GetWindowLongA(tree, GWL_STYLE);
    SetWindowLongA(tree, GWL_STYLE, style & ~TVS_HASLINES);
    SetWindowLongA(tree, GWL_STYLE, style);
    if (SelectedItem(tree) != selected)
        SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(selected));
    return previous;
}

} // namespace

bool IsPrivateMessage(UINT message)
{
    return message >= BFFM_CLEAR && message <= WM_USER + 2000;
}

LRESULT HandlePrivateMessage(HWND control, HWND tree, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case BFFM_CLEAR:
        if (tree)
            ClearFolderTree(tree);
        return 1;
    case BFFM_REFRESH:
        // The outer window clips its children, and its tree covers it: the
        // tree is invalidated with it, or new colours would not show.
        RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
        return 1;
    case BFFM_SETROOTPATH:
        return SetRootPath(tree, wParam, lParam);
    case BFFM_SETROOTFOLDER:
        return SetRootFolder(tree, wParam);
    case BFFM_SELECTPATH:
        return SelectPath(tree, wParam, lParam);
    case BFFM_GETPATH:
        return GetPath(tree, wParam, lParam);
    case BFFM_GETPATHLEN:
        return tree ? static_cast<LRESULT>(SelectedPath(tree).size()) : 0;
    case BFFM_EXPANDROOT:
        return ExpandRoot(tree, wParam);
    case BFFM_SETBKCOLOR:
        return SetBackgroundColour(tree, lParam);
    default:
        return 0;
    }
}

} // namespace foldertree
