// Item-ID lists as the shell hands them out: sizes, copies, joins, paths and
// display names. The byte layout rules live in id_list_layout.cpp.
#include "folder_tree.h"

#include <cstring>
#include <string>

#include "id_list_layout.h"
#include "shell_holders.h"

namespace foldertree {

namespace {

const unsigned char *Bytes(LPCITEMIDLIST list)
{
    return reinterpret_cast<const unsigned char *>(list);
}

// Lists from the shell are well formed; the size rule itself stops at the
// largest list a 16-bit size can describe.
constexpr size_t kShellListBytes = kMaxIdListItemBytes + 2;

} // namespace

short PidlSize(LPCITEMIDLIST list)
{
    return static_cast<short>(IdListSize(Bytes(list), kShellListBytes));
}

LPITEMIDLIST PidlCopy(LPCITEMIDLIST list)
{
    int size = PidlSize(list);
    if (size <= 0)
        return nullptr;
    auto *copy = static_cast<LPITEMIDLIST>(CoTaskMemAlloc(size));
    if (copy)
        memcpy(copy, list, size);
    return copy;
}

LPITEMIDLIST PidlAppend(LPCITEMIDLIST parentAbs, LPCITEMIDLIST childRel)
{
    // A list that is present but unreadable is refused rather than read as
    // empty: the child would otherwise land under the wrong folder.
    int parentSize = PidlSize(parentAbs);
    int childSize = PidlSize(childRel);
    if ((parentAbs && parentSize == 0) || (childRel && childSize == 0))
        return nullptr;
    size_t parentItems = parentSize ? parentSize - 2 : 0;
    size_t childItems = childSize ? childSize - 2 : 0;
    if (parentItems + childItems > kMaxIdListItemBytes)
        return nullptr;
    auto *joined = static_cast<unsigned char *>(CoTaskMemAlloc(parentItems + childItems + 2));
    if (!joined)
        return nullptr;
    if (parentItems)
        memcpy(joined, parentAbs, parentItems);
    if (childItems)
        memcpy(joined + parentItems, childRel, childItems);
    joined[parentItems + childItems] = 0;
    joined[parentItems + childItems + 1] = 0;
    return reinterpret_cast<LPITEMIDLIST>(joined);
}

std::wstring PidlPath(LPCITEMIDLIST list)
{
    if (!list)
        return std::wstring();
    WCHAR path[MAX_PATH + 1] = {};
    if (!SHGetPathFromIDListW(list, path))
        return std::wstring();
    return std::wstring(path, wcsnlen(path, MAX_PATH));
}

std::wstring ItemDisplayName(IShellFolder *folder, LPCITEMIDLIST list)
{
    if (!folder || !list)
        return std::wstring();
    STRRET name{};
    if (FAILED(folder->GetDisplayNameOf(list, SHGDN_INFOLDER, &name)))
        return std::wstring();

    switch (name.uType) {
    case STRRET_WSTR: {
        // The wide text belongs to us now.
        TaskMemory<WCHAR> wide(name.pOleStr);
        return wide ? std::wstring(wide.get()) : std::wstring();
    }
    case STRRET_OFFSET: {
        // The text lies inside the list itself; it may not run past the list.
        int size = PidlSize(list);
        if (size <= 0 || name.uOffset >= static_cast<UINT>(size))
            return std::wstring();
        const char *text = reinterpret_cast<const char *>(list) + name.uOffset;
        return WideFromAnsi(std::string_view(text, strnlen(text, size - name.uOffset)));
    }
    case STRRET_CSTR:
        return WideFromAnsi(std::string_view(name.cStr, strnlen(name.cStr, sizeof name.cStr)));
    default:
        return std::wstring();
    }
}

} // namespace foldertree
