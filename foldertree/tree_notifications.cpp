// The tree's notifications (lazy loading, release of item records, user
// events for the application) and the conversions between items and paths.
#include "folder_tree.h"

#include <cstring>
#include <string>
#include <vector>

#include "byte_string.h"
#include "folder_paths.h"
#include "foldertree.h"
#include "id_list_layout.h"
#include "shell_holders.h"

namespace foldertree {

namespace {

constexpr int kItemTextChars = 260;

// An item's label as UTF-8, the form in which display-name chains compare.
std::string ItemText(HWND tree, HTREEITEM item, int &children)
{
    WCHAR text[kItemTextChars] = {};
    TVITEMW query{};
    query.mask = TVIF_HANDLE | TVIF_TEXT | TVIF_CHILDREN;
    query.hItem = item;
    query.pszText = text;
    query.cchTextMax = kItemTextChars;
    children = 0;
    if (!SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&query)))
        return std::string();
    children = query.cChildren;
    return Utf8(std::wstring_view(text, wcsnlen(text, kItemTextChars)));
}

HTREEITEM NextItem(HWND tree, UINT relation, HTREEITEM item)
{
    return reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
}

bool IsDirectory(const char *path)
{
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace

void FreeFolderItem(FolderItem *record)
{
    if (!record)
        return;
    if (record->RelPidl)
        CoTaskMemFree(record->RelPidl);
    if (record->AbsPidl)
        CoTaskMemFree(record->AbsPidl);
    HeapFree(GetProcessHeap(), 0, record);
}

namespace {

// The record of an item the tree is deleting. The control routes its
// tree's notifications itself, and a host that routes them again delivers
// the same deletion twice: the record is freed only while the item still
// holds it, and the item lets go of it first.
void FreeDeletedItem(HWND tree, const TVITEMA &item)
{
    auto *record = reinterpret_cast<FolderItem *>(item.lParam);
    if (!record)
        return;
    TVITEMA held{};
    held.mask = TVIF_HANDLE | TVIF_PARAM;
    held.hItem = item.hItem;
    if (!SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&held)) || held.lParam != item.lParam)
        return;
    held.lParam = 0;
    SendMessageA(tree, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&held));
    FreeFolderItem(record);
}

} // namespace

int HandleTreeNotify(HWND control, int id, NMHDR *header)
{
    if (!header)
        return 0;
    HWND tree = GetDlgItem(control, id);
    if (!TreeData(tree) || header->hwndFrom != tree)
        return 0;
    auto *change = reinterpret_cast<NMTREEVIEWA *>(header);
    switch (header->code) {
    case TVN_ITEMEXPANDINGA:
        // Handled, but the expansion goes on: the window procedure answers
        // FALSE to the tree.
        ExpandFolderItem(tree, change->itemNew.hItem, reinterpret_cast<FolderItem *>(change->itemNew.lParam));
        return 1;
    case TVN_DELETEITEMA:
        ForgetDeletedItem(tree, change->itemOld.hItem);
        // The one place where an item's record is freed.
        FreeDeletedItem(tree, change->itemOld);
        return 1;
    default:
        return 0;
    }
}

int NotifyCode(HWND tree, const NMHDR *header)
{
    if (!header)
        return 0;
    if (header->code == TVN_SELCHANGEDA) {
        UINT action = reinterpret_cast<const NMTREEVIEWA *>(header)->action;
        return action == TVC_BYMOUSE || action == TVC_BYKEYBOARD ? BFFN_SELCHANGED : 0;
    }
    if (header->code == static_cast<UINT>(NM_RCLICK))
        return BFFN_RCLICK;
    return 0;
}

std::string ItemPath(HWND tree, HTREEITEM item)
{
    if (!TreeData(tree) || !item)
        return std::string();
    TVITEMA query{};
    query.mask = TVIF_HANDLE | TVIF_PARAM;
    query.hItem = item;
    if (!SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&query)) || !query.lParam)
        return std::string();
    const auto *record = reinterpret_cast<const FolderItem *>(query.lParam);
    return std::string(record->Path, strnlen(record->Path, sizeof record->Path));
}

HTREEITEM SelectedItem(HWND tree)
{
    return NextItem(tree, TVGN_CARET, nullptr);
}

HTREEITEM DropOrSelectedItem(HWND tree)
{
    if (HTREEITEM target = NextItem(tree, TVGN_DROPHILITE, nullptr))
        return target;
    return NextItem(tree, TVGN_CARET, nullptr);
}

std::string DisplayNameChain(const char *path)
{
    ComRef<IShellFolder> desktop;
    if (FAILED(SHGetDesktopFolder(desktop.Out())) || !desktop)
        return std::string();

    const ITEMIDLIST desktopList{}; // no items: the desktop itself
    // In UTF-8: names outside the code page compare as themselves.
    std::string chain = Utf8(ItemDisplayName(desktop.Get(), &desktopList));
    chain += '\\';

    std::wstring widePath = path ? WideFromAnsi(path) : std::wstring();
    LPITEMIDLIST parsed = nullptr;
    if (!widePath.empty() &&
        SUCCEEDED(desktop->ParseDisplayName(nullptr, nullptr, &widePath[0], nullptr, &parsed, nullptr)) && parsed) {
        TaskMemory<ITEMIDLIST> list(parsed);
        const auto *bytes = reinterpret_cast<const unsigned char *>(parsed);
        ComRef<IShellFolder> current;
        current.Share(desktop.Get());
        for (const IdListItem &part : IdListItems(bytes, PidlSize(parsed))) {
            // One item followed by a terminator, aligned as the shell expects.
            std::vector<USHORT> one((part.size + 2 + 1) / 2, 0);
            memcpy(one.data(), bytes + part.offset, part.size);
            auto *oneList = reinterpret_cast<LPCITEMIDLIST>(one.data());
            AppendChainPart(chain, Utf8(ItemDisplayName(current.Get(), oneList)));
            ComRef<IShellFolder> next;
            if (FAILED(current->BindToObject(oneList, nullptr, IID_IShellFolder, reinterpret_cast<void **>(next.Out()))) ||
                !next)
                break;
            current.Attach(next.Detach());
        }
    }
    chain.resize(WithoutTrailingBackslashes(chain).size());
    return chain;
}

HTREEITEM SelectPathItem(HWND tree, const char *path)
{
    if (!TreeData(tree) || !path || HasDoubleBackslash(path) || !IsDirectory(path))
        return nullptr;
    std::string chain = DisplayNameChain(path);
    if (chain.empty())
        return nullptr;

    std::vector<std::string> parts = SplitChain(chain);
    if (parts.size() < 2)
        return nullptr; // the shell could not parse the path: only the desktop is named

    WaitCursor wait;
    HTREEITEM item = NextItem(tree, TVGN_ROOT, nullptr);
    for (size_t i = 0; i < parts.size() && item; ++i) {
        int children = 0;
        while (item && ItemText(tree, item, children) != parts[i])
            item = NextItem(tree, TVGN_NEXT, item);
        if (!item)
            return nullptr;
        if (i + 1 == parts.size()) {
            SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
            return item;
        }
        if (!children)
            return nullptr;
        SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
        item = NextItem(tree, TVGN_CHILD, item);
        UpdateWindow(tree);
    }
    return nullptr;
}

} // namespace foldertree

// --- exports -------------------------------------------------------------------

extern "C" int WINAPI Bff_WM_NOTIFY(HWND control, int id, NMHDR *header)
{
    try {
        return foldertree::HandleTreeNotify(control, id, header);
    } catch (...) {
        return 0;
    }
}

extern "C" BSTR WINAPI Bff_GetPath(HWND tree)
{
    try {
        if (!foldertree::TreeData(tree))
            return foldertree::MakeByteString("");
        return foldertree::MakeByteString(foldertree::ItemPath(tree, foldertree::SelectedItem(tree)));
    } catch (...) {
        return foldertree::MakeByteString("");
    }
}
