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

// A label of at most 259 characters from a text field of the given size.
void CopyLabel(char (&label)[kLabelChars + 1], const char *text, size_t textBytes)
{
    size_t length = strnlen(text, std::min(textBytes, sizeof label - 1));
    memcpy(label, text, length);
    label[length] = 0;
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

// The desktop folder belongs to the record until the tree is filled again or
// destroyed.
void ReplaceDesktopFolder(BffTreeData *data, IShellFolder *folder)
{
    if (data->DesktopFolder)
        data->DesktopFolder->Release();
    data->DesktopFolder = folder;
}

// The open icon and the attributes of an item, through the wide entry on
// Windows NT. Returns false when the shell gives nothing.
bool OpenIconAndAttributes(const FolderItem &item, bool namespaceMode, int &icon, DWORD &attributes)
{
    UINT flags = kOpenIconFlags | (namespaceMode ? SHGFI_PIDL : 0);
    if (IsWindowsNT) {
        SHFILEINFOW info{};
        info.dwAttributes = kRequestedAttributes;
        WCHAR widePath[262] = {}; // zero-filled: the conversion adds no terminator
        LPCWSTR source = reinterpret_cast<LPCWSTR>(item.AbsPidl);
        if (!namespaceMode) {
            MultiByteToWideChar(CP_ACP, 0, item.Path, static_cast<int>(strnlen(item.Path, sizeof item.Path)),
                                widePath, 261);
            source = widePath;
        }
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

void ExpandDirectory(HWND tree, HTREEITEM item, const FolderItem &record)
{
    std::string folder = WithOneTrailingBackslash(
        std::string_view(record.Path, strnlen(record.Path, sizeof record.Path)));
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA((folder + "*.*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return; // cannot be listed: the item keeps its button

    WaitCursor wait;
    std::vector<std::string> children;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            continue;
        std::string_view name(found.cFileName, strnlen(found.cFileName, sizeof found.cFileName));
        if (!IsListedFolderName(name))
            continue;
        std::string path = ChildFolderPath(folder, name);
        if (!path.empty())
            children.push_back(std::move(path));
    } while (FindNextFileA(search, &found));
    FindClose(search);

    std::sort(children.begin(), children.end(),
              [](const std::string &a, const std::string &b) { return FolderPathLess(a, b); });

    int inserted = 0;
    {
        RedrawOff quiet(tree);
        for (const std::string &path : children) {
            FolderItem copy{};
            CopyField(copy.Path, path);
            // The shell names the folder; its own name stands in when it cannot.
            std::string name(WithoutTrailingBackslashes(path));
            name.erase(0, name.find_last_of('\\') + 1);
            if (InsertFolderItem(tree, item, name.c_str(), copy))
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
        CopyField(copy.Path, PidlPath(absolute));
        CopyField(copy.Name, ItemDisplayName(folder.Get(), relative));
        relative = nullptr;
    }
    items.Reset();

    int inserted = 0;
    {
        RedrawOff quiet(tree);
        for (FolderItem &copy : children) {
            if (copy.Name[0] && InsertFolderItem(tree, item, copy.Name, copy)) {
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
    data->RootItem = InsertFolderItem(tree, nullptr, path.c_str(), copy);
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
    CopyField(copy.Path, PidlPath(copy.AbsPidl));
    CopyField(copy.Name, ItemDisplayName(data->DesktopFolder, copy.AbsPidl));
    data->RootItem = InsertFolderItem(tree, nullptr, copy.Path, copy);
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
        HTREEITEM item = InsertFolderItem(tree, nullptr, root, copy);
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

HTREEITEM InsertFolderItem(HWND tree, HTREEITEM parent, const char *fallbackLabel, FolderItem &item)
{
    BffTreeData *data = TreeData(tree);
    if (!data)
        return nullptr;
    if (IsWindowsNT && (!ShellModule || !WideFileInfoProc))
        return nullptr;
    bool namespaceMode = data->NamespaceMode != 0;

    if (parent)
        SetHasChildren(tree, parent, 1);

    TVINSERTSTRUCTA insert{};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    TVITEMA &entry = insert.item;
    entry.mask = TVIF_HANDLE | TVIF_TEXT | TVIF_PARAM | TVIF_CHILDREN | TVIF_IMAGE | TVIF_SELECTEDIMAGE;

    char label[kLabelChars + 1] = {};
    SHFILEINFOA closed{};
    if (namespaceMode) {
        if (SHGetFileInfoA(reinterpret_cast<LPCSTR>(item.AbsPidl), 0, &closed, sizeof closed, kClosedIconPidlFlags))
            entry.iImage = closed.iIcon;
        CopyLabel(label, item.Name, sizeof item.Name);
    } else if (SHGetFileInfoA(item.Path, 0, &closed, sizeof closed, kClosedIconFlags)) {
        entry.iImage = closed.iIcon;
        CopyLabel(label, closed.szDisplayName, sizeof closed.szDisplayName);
    }
    if (!label[0] && fallbackLabel)
        CopyLabel(label, fallbackLabel, sizeof label);

    int openIcon = 0;
    DWORD attributes = kRequestedAttributes;
    if (!OpenIconAndAttributes(item, namespaceMode, openIcon, attributes))
        attributes = (attributes & ~SFGAO_SHARE) | SFGAO_HASSUBFOLDER;
    entry.iSelectedImage = openIcon;

    entry.pszText = label;
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

    auto handle = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
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
