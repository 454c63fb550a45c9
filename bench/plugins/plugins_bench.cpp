// The visualisation plug-in search over a tree of 500 folders and 10,000
// files, 2% of them plug-ins, timed against a plain FindFirstFile walk of
// the same tree in the same run. Goal: within 1.5 times the plain walk.
#include <windows.h>
#include <oleauto.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "audiolink.h"
#include "temp_folder.h"
#include "bench_architecture.h"

namespace {

using tempfolder::RemoveTree;

constexpr int TopFolders = 20;
constexpr int FoldersPerTop = 24; // 20 + 20 * 24 = 500 folders
constexpr int FilesPerFolder = 20; // 10,000 files
constexpr int PluginEvery = 50;   // 2%
constexpr int Rounds = 7;

double Now()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER count;
    QueryPerformanceCounter(&count);
    return double(count.QuadPart) / double(frequency.QuadPart);
}

void MakeFiles(const std::string &folder, int &serial)
{
    for (int i = 0; i < FilesPerFolder; ++i, ++serial) {
        std::string name = folder + "\\file" + std::to_string(serial) + (serial % PluginEvery == 0 ? ".SVP" : ".dat");
        HANDLE file = CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE)
            CloseHandle(file);
    }
}

std::vector<std::string> MakeTree(const std::string &root)
{
    std::vector<std::string> folders;
    CreateDirectoryA(root.c_str(), nullptr);
    int serial = 0;
    for (int t = 0; t < TopFolders; ++t) {
        std::string top = root + "\\Top" + std::to_string(t);
        CreateDirectoryA(top.c_str(), nullptr);
        folders.push_back(top);
        MakeFiles(top, serial);
        for (int s = 0; s < FoldersPerTop; ++s) {
            std::string sub = top + "\\Sub" + std::to_string(s);
            CreateDirectoryA(sub.c_str(), nullptr);
            folders.push_back(sub);
            MakeFiles(sub, serial);
        }
    }
    return folders;
}

// Every entry of every folder, read once: the least any search must do.
size_t PlainWalk(const std::string &folder)
{
    size_t plugins = 0;
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    do {
        if (found.cFileName[0] == '.')
            continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            plugins += PlainWalk(folder + "\\" + found.cFileName);
        else if (strstr(found.cFileName, ".SVP"))
            ++plugins;
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return plugins;
}

} // namespace

int main()
{
    HMODULE library = LoadLibraryA("audiolink.dll");
    auto find = reinterpret_cast<decltype(&BASSVISFINDPLUGINS)>(
        reinterpret_cast<void *>(GetProcAddress(library, "BASSVISFINDPLUGINS")));
    if (!find) {
        fprintf(stderr, "audiolink.dll or BASSVISFINDPLUGINS not found\n");
        return 1;
    }
    std::string root = tempfolder::TempPath() + "plugins_bench." + std::to_string(GetCurrentProcessId());
    std::vector<std::string> folders = MakeTree(root);

    double bestSearch = 1e9, bestPlain = 1e9;
    size_t listed = 0, walked = 0;
    for (int round = 0; round < Rounds; ++round) {
        double start = Now();
        BSTR list = find(root.c_str(), 0);
        double middle = Now();
        walked = PlainWalk(root);
        double end = Now();
        std::string text(reinterpret_cast<const char *>(list), list ? SysStringByteLen(list) : 0);
        SysFreeString(list);
        listed = text.empty() ? 0 : size_t(std::count(text.begin(), text.end(), ',')) + 1;
        bestSearch = std::min(bestSearch, middle - start);
        bestPlain = std::min(bestPlain, end - middle);
    }
    printf("[%s] plug-in search: %zu folders, %d files, %zu plug-ins found (plain walk counted %zu)\n",
           BenchArchitecture, folders.size() + 1, TopFolders * (FoldersPerTop + 1) * FilesPerFolder, listed, walked);
    printf("  BASSVISFINDPLUGINS  %8.2f ms (best of %d)\n", bestSearch * 1000, Rounds);
    printf("  plain walk          %8.2f ms (best of %d)\n", bestPlain * 1000, Rounds);
    printf("  ratio               %8.2f (goal: at most 1.5)\n", bestSearch / bestPlain);
    RemoveTree(root);
    FreeLibrary(library);
    return listed == walked ? 0 : 1;
}
