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

std::string PidlPath(LPCITEMIDLIST list)
{
    if (!list)
        return std::string();
    char path[261] = {};
    if (!SHGetPathFromIDListA(list, path))
        return std::string();
    return std::string(path, strnlen(path, sizeof path - 1));
}

std::string ItemDisplayName(IShellFolder *folder, LPCITEMIDLIST list)
{
    if (!folder || !list)
        return std::string();
    STRRET name{};
    if (FAILED(folder->GetDisplayNameOf(list, SHGDN_INFOLDER, &name)))
        return std::string();

    switch (name.uType) {
    case STRRET_WSTR: {
        // The wide text belongs to us now, whatever happens to its conversion.
        TaskMemory<WCHAR> wide(name.pOleStr);
        if (!wide)
            return std::string();
        int size = WideCharToMultiByte(CP_ACP, 0, wide.get(), -1, nullptr, 0, nullptr, nullptr);
        if (size <= 0)
            return std::string();
        TaskMemory<char> narrow(static_cast<char *>(CoTaskMemAlloc(size)));
        if (!narrow || !WideCharToMultiByte(CP_ACP, 0, wide.get(), -1, narrow.get(), size, nullptr, nullptr))
            return std::string();
        return std::string(narrow.get(), strnlen(narrow.get(), size));
    }
    case STRRET_OFFSET: {
        // The text lies inside the list itself; it may not run past the list.
        int size = PidlSize(list);
        if (size <= 0 || name.uOffset >= static_cast<UINT>(size))
            return std::string();
        const char *text = reinterpret_cast<const char *>(list) + name.uOffset;
        return std::string(text, strnlen(text, size - name.uOffset));
    }
    case STRRET_CSTR:
        return std::string(name.cStr, strnlen(name.cStr, sizeof name.cStr));
    default:
        return std::string();
    }
}

} // namespace foldertree
