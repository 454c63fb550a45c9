// Filling the tree: a directory (path mode), a shell special folder
// (namespace mode) or the list of drives (drive mode), and loading an item's
// children the first time it is expanded.
#include "folder_tree.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "folder_paths.h"
#include "shell_holders.h"
#include "text_trim.h"

namespace foldertree {

BOOL IsWindowsNT = FALSE;
HMODULE ShellModule = nullptr;
WideFileInfoFunction WideFileInfoProc = nullptr;

namespace {

constexpr UINT kClosedIconFlags = SHGFI_SYSICONINDEX | SHGFI_DISPLAYNAME;
constexpr UINT kClosedIconPidlFlags = SHGFI_SYSICONINDEX | SHGFI_PIDL;
constexpr UINT kOpenIconFlags = SHGFI_SYSICONINDEX | SHGFI_ATTRIBUTES | SHGFI_OPENICON | SHGFI_ATTR_SPECIFIED;
constexpr DWORD kRequestedAttributes = SFGAO_SHARE | SFGAO_HASSUBFOLDER;
constexpr SHCONTF kFolderEnumeration = SHCONTF_FOLDERS | SHCONTF_INCLUDEHIDDEN;
constexpr int kLabelChars = 259;

// Checked on every fill: on Windows NT the open icon comes from the wide
// entry, looked up at run time.
bool BindPlatform()
{
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExA(&version);
    IsWindowsNT = version.dwPlatformId == VER_PLATFORM_WIN32_NT;
    if (!IsWindowsNT)
        return true;
    ShellModule = GetModuleHandleA("Shell32.Dll");
    if (!ShellModule)
        ShellModule = LoadLibraryA("Shell32.dll");
    if (!ShellModule)
        return false;
    WideFileInfoProc = reinterpret_cast<WideFileInfoFunction>(GetProcAddress(ShellModule, "SHGetFileInfoW"));
    return WideFileInfoProc != nullptr;
}

void CopyField(char (&field)[261], const std::string &text)
{
    size_t length = std::min(text.size(), sizeof field - 1);
    memcpy(field, text.data(), length);
    field[length] = 0;
}

void SetHasChildren(HWND tree, HTREEITEM item, int children)
{
    TVITEMA change{};
    change.mask = TVIF_HANDLE | TVIF_CHILDREN;
    change.hItem = item;
    change.cChildren = children;
    SendMessageA(tree, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&change));
}

void ExpandLater(HWND tree, HTREEITEM item)
{
    // Posted: the tree expands once its window has settled.
    PostMessageA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
}

// The Path of a namespace item: its file-system path when that converts
// exactly, else its short form; empty for a virtual folder, and for a path
// that has neither or does not fit the field (never one cut short).
std::string NamespacePath(LPCITEMIDLIST list)
{
    std::string path = AnsiPathOf(PidlPath(list));
    if (!FitsPathField(path))
        path.clear();
    return path;
}

// The desktop folder belongs to the record until the tree is filled again or
// destroyed.
void ReplaceDesktopFolder(BffTreeData *data, IShellFolder *folder)
{
    if (data->DesktopFolder)
        data->DesktopFolder->Release();
    data->DesktopFolder = folder;
}

// The open icon and the attributes of an item, through the wide entry on
// Windows NT (widePath names the folder in path and drive modes). Returns
// false when the shell gives nothing.
bool OpenIconAndAttributes(const FolderItem &item, const std::wstring &widePath, bool namespaceMode, int &icon,
                           DWORD &attributes)
{
    UINT flags = kOpenIconFlags | (namespaceMode ? SHGFI_PIDL : 0);
    if (IsWindowsNT) {
        SHFILEINFOW info{};
        info.dwAttributes = kRequestedAttributes;
        LPCWSTR source = namespaceMode ? reinterpret_cast<LPCWSTR>(item.AbsPidl) : widePath.c_str();
        if (!WideFileInfoProc(source, 0, &info, sizeof info, flags))
            return false;
        icon = info.iIcon;
        attributes = info.dwAttributes;
        return true;
    }
    SHFILEINFOA info{};
    info.dwAttributes = kRequestedAttributes;
    LPCSTR source = namespaceMode ? reinterpret_cast<LPCSTR>(item.AbsPidl) : item.Path;
    if (!SHGetFileInfoA(source, 0, &info, sizeof info, flags))
        return false;
    icon = info.iIcon;
    attributes = info.dwAttributes;
    return true;
}

// The closed icon and the shell's display name of a folder in path or
// drive mode.
bool ClosedIconAndName(const FolderItem &item, const std::wstring &widePath, int &icon, std::wstring &name)
{
    if (IsWindowsNT) {
        SHFILEINFOW info{};
        if (!WideFileInfoProc(widePath.c_str(), 0, &info, sizeof info, kClosedIconFlags))
            return false;
        icon = info.iIcon;
        name.assign(info.szDisplayName, wcsnlen(info.szDisplayName, MAX_PATH));
        return true;
    }
    SHFILEINFOA info{};
    if (!SHGetFileInfoA(item.Path, 0, &info, sizeof info, kClosedIconFlags))
        return false;
    icon = info.iIcon;
    name = WideFromAnsi(std::string_view(info.szDisplayName, strnlen(info.szDisplayName, MAX_PATH)));
    return true;
}

// A folder's children in path and drive modes, read with their wide names.
// Each child's Path is its parent's followed by its own name when that
// converts exactly to the code page, else by its short name; a child with
// neither is shown with an empty Path, as a virtual folder is.
void ExpandDirectory(HWND tree, HTREEITEM item, const FolderItem &record)
{
    if (!record.Path[0])
        return; // no path to list: a folder outside the code page without a short name
    std::string folder = WithOneTrailingBackslash(
        std::string_view(record.Path, strnlen(record.Path, sizeof record.Path)));
    std::wstring wideFolder = WideFromAnsi(folder);
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW((wideFolder + L"*.*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return; // cannot be listed: the item keeps its button

    WaitCursor wait;
    struct Child {
        std::wstring name;
        std::string path;
    };
    std::vector<Child> children;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            continue;
        std::wstring_view name(found.cFileName, wcsnlen(found.cFileName, MAX_PATH));
        if (!IsListedFolderName(name))
            continue;
        std::string ansi;
        if (!ExactAnsi(name, ansi) &&
            !ExactAnsi(std::wstring_view(found.cAlternateFileName, wcsnlen(found.cAlternateFileName, 14)), ansi))
            ansi.clear();
        std::string path;
        if (!ansi.empty()) {
            // In UTF-8 a character can take three bytes: a path of fewer
            // than 260 characters may still not fit.
            path = ChildFolderPath(folder, ansi);
            if (path.empty())
                continue; // too long for a Path field: left out rather than cut into another's
        }
        children.push_back(Child{std::wstring(name), std::move(path)});
    } while (FindNextFileW(search, &found));
    FindClose(search);

    std::sort(children.begin(), children.end(), [](const Child &a, const Child &b) {
        return FolderNameLess<wchar_t>(a.name, b.name);
    });

    int inserted = 0;
    {
        RedrawOff quiet(tree);
        for (const Child &child : children) {
            FolderItem copy{};
            CopyField(copy.Path, child.path);
            // The shell names the folder; its own name stands in when it cannot.
            if (InsertFolderItem(tree, item, child.name, copy, wideFolder + child.name + L"\\"))
                ++inserted;
        }
    }
    if (!inserted)
        SetHasChildren(tree, item, 0);
}

void ExpandNamespaceFolder(HWND tree, HTREEITEM item, const FolderItem &record, BffTreeData *data)
{
    if (!record.AbsPidl || !data->DesktopFolder)
        return;
    WaitCursor wait;

    ComRef<IShellFolder> folder;
    if (FAILED(data->DesktopFolder->BindToObject(record.AbsPidl, nullptr, IID_IShellFolder,
                                                 reinterpret_cast<void **>(folder.Out()))) ||
        !folder)
        folder.Share(data->DesktopFolder);

    ComRef<IEnumIDList> items;
    HRESULT started = folder->EnumObjects(GetParent(tree), kFolderEnumeration, items.Out());
    if (started != S_OK || !items)
        return; // cannot be listed: the item keeps its button

    std::vector<FolderItem> children;
    std::vector<std::wstring> names;
    LPITEMIDLIST relative = nullptr;
    while (items->Next(1, &relative, nullptr) == S_OK && relative) {
        LPITEMIDLIST absolute = PidlAppend(record.AbsPidl, relative);
        if (!absolute) {
            CoTaskMemFree(relative);
            relative = nullptr;
            continue;
        }
        children.emplace_back();
        FolderItem &copy = children.back();
        copy.AbsPidl = absolute;
        copy.RelPidl = relative;
        CopyField(copy.Path, NamespacePath(absolute));
        names.push_back(ItemDisplayName(folder.Get(), relative));
        CopyField(copy.Name, AnsiTextWithin(names.back(), sizeof copy.Name - 1));
        relative = nullptr;
    }
    items.Reset();

    int inserted = 0;
    {
        RedrawOff quiet(tree);
        for (size_t n = 0; n < children.size(); ++n) {
            FolderItem &copy = children[n];
            if (!names[n].empty() && InsertFolderItem(tree, item, names[n], copy)) {
                ++inserted;
                continue;
            }
            // Not in the tree: the lists are still ours.
            CoTaskMemFree(copy.AbsPidl);
            CoTaskMemFree(copy.RelPidl);
        }
        if (inserted) {
            TVSORTCB sort{};
            sort.hParent = item;
            sort.lpfnCompare = CompareFolderItems;
            sort.lParam = reinterpret_cast<LPARAM>(folder.Get());
            SendMessageA(tree, TVM_SORTCHILDRENCB, 0, reinterpret_cast<LPARAM>(&sort));
        }
    }
    if (!inserted)
        SetHasChildren(tree, item, 0);
}

HTREEITEM FillWithDirectory(HWND tree, BffTreeData *data, const std::string &trimmed, int expand)
{
    DWORD attributes = GetFileAttributesA(trimmed.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return nullptr;
    std::string path = WithOneTrailingBackslash(trimmed);
    if (!FitsPathField(path))
        return nullptr;

    ClearFolderTree(tree);
    data->NamespaceMode = 0;
    ReplaceDesktopFolder(data, nullptr);
    FolderItem copy{};
    CopyField(copy.Path, path);
    data->RootItem = InsertFolderItem(tree, nullptr, WideFromAnsi(path), copy);
    if (data->RootItem && expand != 0)
        ExpandLater(tree, data->RootItem);
    return data->RootItem;
}

HTREEITEM FillWithSpecialFolder(HWND tree, BffTreeData *data, int folder, int expand)
{
    LPITEMIDLIST list = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, folder, &list)) || !list)
        return nullptr;
    IShellFolder *desktop = nullptr;
    if (FAILED(SHGetDesktopFolder(&desktop)) || !desktop) {
        CoTaskMemFree(list);
        return nullptr;
    }

    ClearFolderTree(tree);
    data->NamespaceMode = 1;
    data->RootPidl = list;
    ReplaceDesktopFolder(data, desktop);

    FolderItem copy{};
    copy.AbsPidl = PidlCopy(list);
    std::wstring name = ItemDisplayName(data->DesktopFolder, copy.AbsPidl);
    CopyField(copy.Path, NamespacePath(copy.AbsPidl));
    CopyField(copy.Name, AnsiTextWithin(name, sizeof copy.Name - 1));
    data->RootItem = InsertFolderItem(tree, nullptr, name.empty() ? WideFromAnsi(copy.Path) : name, copy);
    if (!data->RootItem) {
        CoTaskMemFree(copy.AbsPidl);
        return nullptr;
    }
    if (expand != 0)
        ExpandLater(tree, data->RootItem);
    return data->RootItem;
}

HTREEITEM FillWithDrives(HWND tree, BffTreeData *data, const std::string &trimmed, int expand)
{
    std::string hint;
    DWORD attributes = trimmed.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(trimmed.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        hint = trimmed;
        for (char &c : hint)
            c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    }

    ClearFolderTree(tree);
    data->NamespaceMode = 0;
    ReplaceDesktopFolder(data, nullptr);

    HTREEITEM last = nullptr;
    HTREEITEM candidate = nullptr;
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        char root[4] = {letter, ':', '\\', 0};
        UINT type = GetDriveTypeA(root);
        if (type == DRIVE_UNKNOWN || type == DRIVE_NO_ROOT_DIR || type > DRIVE_RAMDISK)
            continue;
        if (type == DRIVE_CDROM && expand == -2)
            continue;
        FolderItem copy{};
        CopyField(copy.Path, root);
        HTREEITEM item = InsertFolderItem(tree, nullptr, WideFromAnsi(root), copy);
        if (!item)
            continue;
        last = item;
        if (!candidate && !hint.empty() && hint[0] == letter)
            candidate = item;
    }
    if (candidate) {
        SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(candidate));
        if (expand != 0)
            ExpandLater(tree, candidate);
    }
    return last;
}

} // namespace

HTREEITEM FillFolderTree(HWND tree, const char *path, int folder, int expand)
{
    BffTreeData *data = TreeData(tree);
    if (!data)
        return nullptr;
    if (!BindPlatform())
        return nullptr;
    if (data->RootPidl) {
        CoTaskMemFree(data->RootPidl);
        data->RootPidl = nullptr;
    }

    std::string trimmed(TrimSpaces(path ? std::string_view(path) : std::string_view()));
    if (!trimmed.empty() && expand >= 0)
        return FillWithDirectory(tree, data, trimmed, expand);
    if (folder >= 0)
        return FillWithSpecialFolder(tree, data, folder, expand);
    return FillWithDrives(tree, data, trimmed, expand);
}

HTREEITEM InsertFolderItem(HWND tree, HTREEITEM parent, const std::wstring &fallbackLabel, FolderItem &item,
                           const std::wstring &widePath)
{
    BffTreeData *data = TreeData(tree);
    if (!data)
        return nullptr;
    if (IsWindowsNT && (!ShellModule || !WideFileInfoProc))
        return nullptr;
    bool namespaceMode = data->NamespaceMode != 0;
    std::wstring folderPath = namespaceMode || !widePath.empty() ? widePath : WideFromAnsi(item.Path);
    // Path mode, with no path the shell could reach: a folder outside the
    // code page without a short name. It is shown, as a leaf.
    bool unreachable = !namespaceMode && !item.Path[0];

    if (parent)
        SetHasChildren(tree, parent, 1);

    TVINSERTSTRUCTW insert{};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    TVITEMW &entry = insert.item;
    entry.mask = TVIF_HANDLE | TVIF_TEXT | TVIF_PARAM | TVIF_CHILDREN | TVIF_IMAGE | TVIF_SELECTEDIMAGE;

    std::wstring label;
    if (namespaceMode) {
        SHFILEINFOA closed{};
        if (SHGetFileInfoA(reinterpret_cast<LPCSTR>(item.AbsPidl), 0, &closed, sizeof closed, kClosedIconPidlFlags))
            entry.iImage = closed.iIcon;
    } else {
        ClosedIconAndName(item, folderPath, entry.iImage, label);
    }
    if (label.empty())
        label = fallbackLabel;
    if (label.size() > kLabelChars)
        label.resize(IS_LOW_SURROGATE(label[kLabelChars]) ? kLabelChars - 1 : kLabelChars);

    int openIcon = 0;
    DWORD attributes = kRequestedAttributes;
    if (!OpenIconAndAttributes(item, folderPath, namespaceMode, openIcon, attributes))
        attributes = (attributes & ~SFGAO_SHARE) | SFGAO_HASSUBFOLDER;
    if (unreachable)
        attributes &= ~SFGAO_HASSUBFOLDER;
    entry.iSelectedImage = openIcon;

    entry.pszText = &label[0];
    entry.cChildren = (attributes & SFGAO_HASSUBFOLDER) ? 1 : 0;
    if (attributes & SFGAO_SHARE) {
        entry.mask |= TVIF_STATE;
        entry.state = INDEXTOOVERLAYMASK(1); // the shell's shared-folder overlay
        entry.stateMask = TVIS_OVERLAYMASK;
    }

    item.ImageIndex = entry.iImage;
    item.SelectedImageIndex = entry.iSelectedImage;
    item.TreeHandle = tree;
    item.ItemHandle = nullptr;
    auto *record = static_cast<FolderItem *>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(FolderItem)));
    if (!record)
        return nullptr;
    *record = item;
    entry.lParam = reinterpret_cast<LPARAM>(record);

    // The label goes in wide, whatever the code page: the tree child keeps
    // it as the folder's own name.
    auto handle = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
    if (!handle) {
        // No item, so no deletion notification will ever free the record.
        HeapFree(GetProcessHeap(), 0, record);
        return nullptr;
    }
    item.ItemHandle = handle;
    return handle;
}

void ExpandFolderItem(HWND tree, HTREEITEM item, FolderItem *record)
{
    BffTreeData *data = TreeData(tree);
    if (!data || !item || !record)
        return;
    if (SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(item)))
        return; // loaded before
    if (data->NamespaceMode)
        ExpandNamespaceFolder(tree, item, *record, data);
    else
        ExpandDirectory(tree, item, *record);
}

int CALLBACK CompareFolderItems(LPARAM first, LPARAM second, LPARAM folder)
{
    auto *a = reinterpret_cast<const FolderItem *>(first);
    auto *b = reinterpret_cast<const FolderItem *>(second);
    auto *shellFolder = reinterpret_cast<IShellFolder *>(folder);
    if (!a || !b || !a->RelPidl || !b->RelPidl || !shellFolder)
        return 0;
    HRESULT order = shellFolder->CompareIDs(0, a->RelPidl, b->RelPidl);
    if (FAILED(order))
        return 0;
    return static_cast<short>(HRESULT_CODE(order));
}

} // namespace foldertree
