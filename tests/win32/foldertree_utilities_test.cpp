// foldertree.dll's utilities for host applications: trimming, testing for
// paths, sending text to a window of another process, and recycling files.
#include "foldertree_test_support.h"
#include "machine_guard.h"

#include "foldertree.h"

#include <algorithm>
#include <cstdio>

namespace {

using namespace fttest;

::testing::Environment *const com = ::testing::AddGlobalTestEnvironment(new ComEnvironment);

TEST(TrimExports, RemoveEveryCharacterOfTheSetFromOneEnd)
{
    EXPECT_EQ(Bytes(LTRIM("xxabcxx", "x")), "abcxx");
    EXPECT_EQ(Bytes(RTRIM("xxabcxx", "xa")), "xxabc");
    EXPECT_EQ(Bytes(RTRIM("xxabcxx", "ax")), "xxabc") << "the set is not a sequence";
    EXPECT_EQ(Bytes(LTRIM("abc", "")), "abc");
    EXPECT_EQ(Bytes(LTRIM("", "x")), "");
    EXPECT_EQ(Bytes(RTRIM("xxxx", "x")), "");
    EXPECT_EQ(Bytes(LTRIM("Xxa", "x")), "Xxa") << "by byte value";
    EXPECT_EQ(Bytes(LTRIM("\xE9\xE9z", "\xE9")), "z");
    EXPECT_EQ(Bytes(LTRIM(nullptr, "x")), "");
    EXPECT_EQ(Bytes(RTRIM("abc", nullptr)), "abc");
}

TEST(FileExist, ReportsFilesFoldersAndPatterns)
{
    std::string base = FreshFolder("ft_exist");
    MakeFile(base + "\\song.mp3");
    MakeFolders(base, {"folder"});
    EXPECT_EQ(Bff_FileExist(""), 0);
    EXPECT_EQ(Bff_FileExist(nullptr), 0);
    EXPECT_EQ(Bff_FileExist((base + "\\missing.txt").c_str()), 0);
    EXPECT_EQ(Bff_FileExist((base + "\\song.mp3").c_str()), -1);
    EXPECT_EQ(Bff_FileExist((base + "\\folder").c_str()), -1);
    EXPECT_EQ(Bff_FileExist((base + "\\*.mp3").c_str()), -1);
    EXPECT_EQ(Bff_FileExist((base + "\\*.wav").c_str()), 0);
    // Things a search cannot find but that exist.
    EXPECT_EQ(Bff_FileExist("C:\\"), -1);
    EXPECT_EQ(Bff_FileExist((base + "\\folder\\").c_str()), -1);
    EXPECT_EQ(Bff_FileExist((base + "\\missing\\").c_str()), 0);
    RemoveTree(base);
}

// Receives the peer's echo of what it was sent.
struct Echo {
    HWND peer = nullptr;
    bool received = false;
    DWORD wParam = 0, dwData = 0, cbData = 0;
    std::string bytes;
};
Echo LastEcho;

LRESULT CALLBACK EchoProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_APP + 1) {
        LastEcho.peer = reinterpret_cast<HWND>(wParam);
        return 0;
    }
    if (message == WM_COPYDATA) {
        const auto *copy = reinterpret_cast<const COPYDATASTRUCT *>(lParam);
        const auto *header = static_cast<const DWORD *>(copy->lpData);
        LastEcho.received = true;
        LastEcho.wParam = header[0];
        LastEcho.dwData = header[1];
        LastEcho.cbData = header[2];
        LastEcho.bytes.assign(static_cast<const char *>(copy->lpData) + 3 * sizeof(DWORD),
                              copy->cbData - 3 * sizeof(DWORD));
        return 1;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

std::string TestProgramFolder()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path);
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

TEST(SendPrivateMsg, DeliversTheTextToAnotherProcess)
{
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = EchoProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "FolderTreeEcho";
    RegisterClassA(&windowClass);
    HWND receiver = CreateWindowExA(0, "FolderTreeEcho", "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                    GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(receiver, nullptr);

    char commandLine[MAX_PATH + 32] = {};
    snprintf(commandLine, sizeof commandLine, "\"%sfoldertree_copydata_peer.exe\" %llx", TestProgramFolder().c_str(),
             static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(receiver)));
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));
    for (DWORD start = GetTickCount(); !LastEcho.peer && GetTickCount() - start < 10000;) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        PumpMessages();
    }
    ASSERT_NE(LastEcho.peer, nullptr) << "the peer did not start";

    EXPECT_EQ(Bff_SendPrivateMsg(LastEcho.peer, 7, "abc"), 1003);
    ASSERT_TRUE(LastEcho.received);
    EXPECT_EQ(LastEcho.wParam, 3u) << "wParam carries the text's length";
    EXPECT_EQ(LastEcho.dwData, 7u);
    EXPECT_EQ(LastEcho.cbData, 3u);
    EXPECT_EQ(LastEcho.bytes, "abc") << "no terminator travels";

    LastEcho.received = false;
    EXPECT_EQ(Bff_SendPrivateMsg(LastEcho.peer, -2, ""), 1000);
    ASSERT_TRUE(LastEcho.received);
    EXPECT_EQ(LastEcho.wParam, 0u);
    EXPECT_EQ(LastEcho.dwData, DWORD(-2));
    EXPECT_EQ(LastEcho.cbData, 0u);

    std::string navigate = "C:\\help\\index.htm";
    EXPECT_EQ(Bff_SendPrivateMsg(LastEcho.peer, 3, navigate.c_str()), int(1000 + navigate.size()));
    EXPECT_EQ(LastEcho.bytes, navigate);

    PostMessageA(LastEcho.peer, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(process.hProcess, 10000), WAIT_OBJECT_0);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    EXPECT_EQ(Bff_SendPrivateMsg(LastEcho.peer, 7, "abc"), 0) << "a dead window";
    DestroyWindow(receiver);
}

bool InRecycleBin(const std::string &name)
{
    std::vector<std::wstring> names = RecycleBinNames();
    std::wstring wide(name.begin(), name.end()); // the test's names are ASCII
    return std::find(names.begin(), names.end(), wide) != names.end();
}

TEST(MoveToTray, RecyclesEveryPathOfTheListInOneOperation)
{
    SKIP_ON_WINDOWS_BECAUSE_IT_WOULD("leave test files in your recycle bin");
    std::string base = FreshFolder("ft_tray");
    std::string stamp = std::to_string(GetTickCount());
    std::string file = "tray_file_" + stamp + ".txt", folder = "tray_folder_" + stamp;
    MakeFile(base + "\\" + file);
    MakeFolders(base, {folder + "\\inside"});
    std::string other = "tray_other_" + stamp;
    MakeFolders(base, {other});
    // A folder's path as the tree gives it, with its trailing backslash.
    std::string list = base + "\\" + file + '\0' + base + "\\" + folder + '\0' + base + "\\" + other + "\\" +
                       '\0' + '\0';

    EXPECT_EQ(Bff_MoveToTray(list.c_str()), 0);
    EXPECT_FALSE(Exists(base + "\\" + file));
    EXPECT_FALSE(Exists(base + "\\" + folder));
    EXPECT_FALSE(Exists(base + "\\" + other)) << "a trailing backslash, and nothing was recycled";
    EXPECT_TRUE(InRecycleBin(file)) << "recycled, so it can be restored";
    EXPECT_TRUE(InRecycleBin(folder));
    EXPECT_TRUE(InRecycleBin(other));
    RemoveTree(base);
}

TEST(MoveToTray, RelativePathsAreRecycledNotDeleted)
{
    SKIP_ON_WINDOWS_BECAUSE_IT_WOULD("leave test files in your recycle bin");
    std::string base = FreshFolder("ft_tray_relative");
    std::string name = "relative_" + std::to_string(GetTickCount()) + ".txt";
    MakeFile(base + "\\" + name);
    char previous[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, previous);
    SetCurrentDirectoryA(base.c_str());
    std::string list = name + '\0' + '\0';
    EXPECT_EQ(Bff_MoveToTray(list.c_str()), 0);
    SetCurrentDirectoryA(previous);
    EXPECT_FALSE(Exists(base + "\\" + name));
    EXPECT_TRUE(InRecycleBin(name));
    RemoveTree(base);
}

TEST(MoveToTray, RefusesWhatCannotBeRecycled)
{
    std::string base = FreshFolder("ft_tray_refuse");
    MakeFile(base + "\\keep.txt");
    EXPECT_NE(Bff_MoveToTray(nullptr), 0);
    EXPECT_NE(Bff_MoveToTray("\0"), 0);
    // Windows' shell answers a missing file with a box of its own, which
    // would wait for the user; under Wine it only answers.
    if (machineguard::UnderWine()) {
        std::string missing = base + "\\missing.txt" + '\0' + '\0';
        EXPECT_NE(Bff_MoveToTray(missing.c_str()), 0);
    }
    EXPECT_TRUE(Exists(base + "\\keep.txt"));
    RemoveTree(base);
}

} // namespace
