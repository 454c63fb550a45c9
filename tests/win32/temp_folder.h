// Scratch folders of the Wine tests and the benchmarks: one under the
// temporary folder, made fresh, and a folder removed with all it holds.
#pragma once
#include <windows.h>

#include <string>

namespace tempfolder {

// Removes the folder and everything below it. The folder may be named with
// or without a trailing backslash.
inline void RemoveTree(std::string folder)
{
    while (folder.size() > 1 && (folder.back() == '\\' || folder.back() == '/'))
        folder.pop_back();
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string full = folder + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(full);
            else
                DeleteFileA(full.c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}

// The temporary folder, with its trailing backslash.
inline std::string TempPath()
{
    char temp[MAX_PATH + 1] = {};
    GetTempPathA(sizeof temp, temp);
    return temp;
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

} // namespace tempfolder
