// The folders of a search path such as PATH, without Windows: the bundle's
// runner and the test programs read PATH through this.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace testbundle {

// The folders of the path, in order: split at ';', the quotes that may
// enclose a folder taken off, empty entries left out.
inline std::vector<std::wstring> SearchPathFolders(std::wstring_view path)
{
    std::vector<std::wstring> folders;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find(L';', start);
        if (end == std::wstring_view::npos)
            end = path.size();
        std::wstring folder;
        for (wchar_t c : path.substr(start, end - start))
            if (c != L'"')
                folder += c;
        if (!folder.empty())
            folders.push_back(folder);
        start = end + 1;
    }
    return folders;
}

} // namespace testbundle
