// Scratch folders of the Wine tests and the benchmarks: one under the
// temporary folder, made fresh, and a folder removed with all it holds.
#pragma once
#include <windows.h>

#include <string>

namespace tempfolder {

// Removes the folder and everything below it, whatever their names (read
// wide: names outside the code page included).
inline void RemoveWideTree(std::wstring folder)
{
    while (folder.size() > 1 && (folder.back() == L'\\' || folder.back() == L'/'))
        folder.pop_back();
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            std::wstring full = folder + L"\\" + name;
            DWORD attributes = found.dwFileAttributes;
            if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
                RemoveWideTree(full);
            else if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
                // A directory link goes, never what it leads to.
                if (!RemoveDirectoryW(full.c_str()))
                    DeleteFileW(full.c_str());
            } else {
                SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(full.c_str());
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
}

// The same for a folder named in the code page. The folder may be named
// with or without a trailing backslash.
inline void RemoveTree(const std::string &folder)
{
    int size = MultiByteToWideChar(CP_ACP, 0, folder.c_str(), -1, nullptr, 0);
    if (size <= 1)
        return;
    std::wstring wide(size_t(size), L'\0');
    MultiByteToWideChar(CP_ACP, 0, folder.c_str(), -1, &wide[0], size);
    wide.resize(size_t(size - 1));
    RemoveWideTree(wide);
}

// The temporary folder, with its trailing backslash, in its long form: on
// Windows TEMP often holds short (8.3) names, and the shell hands out long
// ones.
inline std::string TempPath()
{
    char temp[MAX_PATH + 1] = {};
    GetTempPathA(sizeof temp, temp);
    char full[MAX_PATH + 1] = {};
    DWORD length = GetLongPathNameA(temp, full, sizeof full);
    return length > 0 && length < sizeof full ? full : temp;
}

// A fresh, empty folder of that name under the temporary folder (no
// trailing backslash); whatever stood there before is removed.
inline std::string FreshFolder(const std::string &name)
{
    std::string folder = TempPath() + name;
    RemoveTree(folder);
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

// Whether the volume of the existing entry at path gave it a short (8.3)
// name. A name outside the code page has a path in the code page only
// through its short name, and volumes with short names turned off (often a
// second NTFS drive, a ReFS or a developer drive on Windows) make none.
inline bool HasShortName(const std::wstring &path)
{
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW(path.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    FindClose(search);
    return found.cAlternateFileName[0] != L'\0';
}

} // namespace tempfolder
