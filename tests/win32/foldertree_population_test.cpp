// Filling and expanding the folder tree, and the item-ID list and path
// operations behind it, on real folders and the real shell namespace. These
// operations have no export, so this program links the module's own objects
// and drives a control whose class it registers itself.
#include "foldertree_test_support.h"

#include <winioctl.h>

#include <algorithm>

#include "folder_paths.h"

namespace {

using namespace fttest;
using foldertree::FolderItem;

::testing::Environment *const com = ::testing::AddGlobalTestEnvironment(new ComEnvironment);

class FolderTreeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        control_ = foldertree::CreateTarnBrowser(0, "", WS_CHILD, 0, 0, 380, 460, host_.Get(), 12);
        PumpMessages();
        tree = TreeOf(control_);
        ASSERT_NE(foldertree::TreeData(tree), nullptr);
    }
    void TearDown() override { DestroyWindow(control_); }

    foldertree::BffTreeData &Data() { return *foldertree::TreeData(tree); }

    HostWindow host_;
    HWND control_ = nullptr;
    HWND tree = nullptr;
};

std::vector<std::string> Paths(HWND tree, HTREEITEM parent)
{
    std::vector<std::string> paths;
    for (HTREEITEM child : Children(tree, parent))
        paths.push_back(Info(tree, child).record->Path);
    return paths;
}

bool Contains(const std::vector<std::string> &texts, const std::string &text)
{
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

TEST_F(FolderTreeTest, PathModeBuildsOneRootAndRefusesWhatIsNoDirectory)
{
    std::string base = FreshFolder("ft_pathmode");
    MakeFolders(base, {"child"});
    MakeFile(base + "\\file.txt");
    HTREEITEM root = foldertree::FillFolderTree(tree, ("  " + base + "\\\\  ").c_str(), -1, 0);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(Children(tree, nullptr), std::vector<HTREEITEM>{root});
    EXPECT_EQ(Data().RootItem, root);
    EXPECT_EQ(Data().NamespaceMode, 0);
    EXPECT_EQ(Data().DesktopFolder, nullptr) << "the desktop folder is released on refilling";
    ItemInfo info = Info(tree, root);
    EXPECT_EQ(std::string(info.record->Path), base + "\\");
    EXPECT_EQ(info.text, "ft_pathmode");
    EXPECT_EQ(info.children, 1);
    PumpMessages();
    EXPECT_EQ(Next(tree, TVGN_CHILD, root), nullptr) << "expand 0 loads nothing";

    EXPECT_EQ(foldertree::FillFolderTree(tree, (base + "\\file.txt").c_str(), -1, 0), nullptr);
    EXPECT_EQ(foldertree::FillFolderTree(tree, (base + "\\missing").c_str(), -1, 0), nullptr);
    EXPECT_EQ(foldertree::FillFolderTree(host_.Get(), base.c_str(), -1, 0), nullptr) << "not our tree";
    EXPECT_EQ(Children(tree, nullptr), std::vector<HTREEITEM>{root}) << "the tree is left unchanged";

    root = foldertree::FillFolderTree(tree, base.c_str(), -1, 1);
    PumpMessages();
    EXPECT_EQ(Labels(tree, root), std::vector<std::string>{"child"}) << "expand 1 opens the root";
    RemoveTree(base);
}

TEST_F(FolderTreeTest, DriveModeListsTheDrivesAndOpensThePathsDrive)
{
    std::string base = FreshFolder("ft_drives");
    HTREEITEM last = foldertree::FillFolderTree(tree, base.c_str(), -1, -1);
    std::vector<std::string> paths = Paths(tree, nullptr);
    EXPECT_EQ(Children(tree, nullptr).back(), last);
    EXPECT_EQ(Data().RootItem, nullptr);
    EXPECT_TRUE(Contains(paths, "C:\\"));
    EXPECT_TRUE(std::is_sorted(paths.begin(), paths.end()));

    HTREEITEM selected = Next(tree, TVGN_CARET);
    ASSERT_NE(selected, nullptr);
    EXPECT_EQ(std::string(Info(tree, selected).record->Path), base.substr(0, 1) + ":\\");
    PumpMessages();
    EXPECT_FALSE(Children(tree, selected).empty()) << "the path's drive is opened";
    EXPECT_EQ(foldertree::DropOrSelectedItem(tree), selected);
    SendMessageA(tree, TVM_SELECTITEM, TVGN_DROPHILITE, LPARAM(last));
    EXPECT_EQ(foldertree::DropOrSelectedItem(tree), last) << "a drop target goes before the selection";

    ASSERT_NE(foldertree::FillFolderTree(tree, "", -1, 0), nullptr);
    EXPECT_EQ(Next(tree, TVGN_CARET), nullptr) << "no path, no selection";
    EXPECT_EQ(Paths(tree, nullptr), paths);
    RemoveTree(base);
}

// Defines (or, without a mount point, removes) a drive in Wine's mount
// manager, as Wine's configuration tool does; only the test prefix is touched.
bool DefineWineDrive(char letter, const std::string &unixPath, ULONG driveType)
{
    struct {
        ULONG size, type, fs_type;
        DWORD serial;
        ULONGLONG unix_dev;
        WCHAR letter;
        USHORT mount_point_offset, device_offset, label_offset;
        char mountPoint[MAX_PATH];
    } drive{};
    drive.size = offsetof(decltype(drive), mountPoint);
    drive.type = driveType;
    drive.letter = WCHAR(tolower(letter));
    if (!unixPath.empty()) {
        drive.mount_point_offset = USHORT(drive.size);
        lstrcpynA(drive.mountPoint, unixPath.c_str(), MAX_PATH);
        drive.size += ULONG(unixPath.size() + 1);
    }
    HANDLE manager = CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    DWORD returned = 0;
    BOOL done = manager != INVALID_HANDLE_VALUE &&
                DeviceIoControl(manager, CTL_CODE('m', 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS),
                                &drive, drive.size, nullptr, 0, &returned, nullptr);
    CloseHandle(manager);
    return done;
}

std::string UnixPath(const std::string &path)
{
    using UnixName = char *(CDECL *)(LPCWSTR);
    auto unixName = reinterpret_cast<UnixName>(GetProcAddress(GetModuleHandleA("kernel32"), "wine_get_unix_file_name"));
    WCHAR wide[MAX_PATH] = {};
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
    char *name = unixName ? unixName(wide) : nullptr;
    std::string result = name ? name : "";
    HeapFree(GetProcessHeap(), 0, name);
    return result;
}

UINT DriveType(char letter)
{
    return GetDriveTypeA((std::string(1, letter) + ":\\").c_str());
}

TEST_F(FolderTreeTest, MinusTwoLeavesOutCdRomDrives)
{
    // The test prefix has D: as its CD-ROM drive (tools/wine-session); in a
    // prefix without one, a drive is defined for the test.
    std::string media = FreshFolder("ft_cdrom");
    char cdrom = 0, defined = 0;
    for (char letter = 'A'; letter <= 'Z' && !cdrom; ++letter)
        cdrom = DriveType(letter) == DRIVE_CDROM ? letter : 0;
    for (char letter = 'R'; letter <= 'Y' && !cdrom; ++letter)
        if (DriveType(letter) == DRIVE_NO_ROOT_DIR && DefineWineDrive(letter, UnixPath(media), DRIVE_CDROM))
            cdrom = defined = letter;
    if (!cdrom || DriveType(cdrom) != DRIVE_CDROM)
        GTEST_SKIP() << "no CD-ROM drive, and none could be defined";

    foldertree::FillFolderTree(tree, "", -1, -1);
    std::vector<std::string> all = Paths(tree, nullptr);
    foldertree::FillFolderTree(tree, "", -1, -2);
    std::vector<std::string> withoutCdrom = Paths(tree, nullptr);
    // Every CD-ROM drive is left out, however many the machine has; counted
    // while the drive defined for the test is still there.
    size_t cdroms = 0;
    for (const std::string &path : all)
        cdroms += path.size() >= 2 && DriveType(path[0]) == DRIVE_CDROM;
    if (defined)
        DefineWineDrive(defined, "", 0);
    EXPECT_TRUE(Contains(all, std::string(1, cdrom) + ":\\"));
    EXPECT_FALSE(Contains(withoutCdrom, std::string(1, cdrom) + ":\\"));
    EXPECT_EQ(withoutCdrom.size() + cdroms, all.size());
    RemoveTree(media);
}

TEST_F(FolderTreeTest, ExpansionShowsSubfoldersSortedAndLoadsOnce)
{
    std::string base = FreshFolder("ft_expand");
    MakeFolders(base, {"beta", "Alpha", "gamma\\inner", ".hidden", "_under", "delta", "Zeta"});
    MakeFile(base + "\\file.txt");
    HTREEITEM root = foldertree::FillFolderTree(tree, base.c_str(), -1, 0);
    Expand(tree, root);

    std::vector<std::string> expected{"Alpha", "beta", "delta", "gamma", "Zeta", "_under"};
    EXPECT_EQ(Labels(tree, root), expected) << "folders only, no dot-folders, sorted without case";
    std::vector<std::string> paths = Paths(tree, root);
    for (size_t i = 0; i < expected.size() && i < paths.size(); ++i)
        EXPECT_EQ(paths[i], base + "\\" + expected[i] + "\\");
    std::vector<HTREEITEM> children = Children(tree, root);
    ASSERT_EQ(children.size(), expected.size());
    HTREEITEM beta = children[1], delta = children[2], gamma = children[3];

    Expand(tree, delta);
    EXPECT_EQ(Info(tree, delta).children, 0) << "an empty folder loses its button";
    Expand(tree, gamma);
    EXPECT_EQ(Labels(tree, gamma), std::vector<std::string>{"inner"});
    EXPECT_EQ(Info(tree, gamma).children, 1);
    RemoveDirectoryA((base + "\\beta").c_str());
    Expand(tree, beta);
    EXPECT_EQ(Info(tree, beta).children, 1) << "a folder that cannot be listed keeps its button";

    Expand(tree, root, TVE_COLLAPSE);
    MakeFolders(base, {"epsilon"});
    Expand(tree, root);
    EXPECT_EQ(Labels(tree, root), expected) << "a second expansion loads nothing";
    RemoveTree(base);
}

std::wstring LongName(const std::string &path)
{
    return L"\\\\?\\" + std::wstring(path.begin(), path.end());
}

TEST_F(FolderTreeTest, ChildrenWhosePathWouldNotFitAreLeftOut)
{
    std::string base = FreshFolder("ft_long");
    std::string fits = base + "\\" + std::string(260 - base.size() - 2, 'f'); // + "\" makes 260 characters
    std::string tooLong = fits + "x";
    ASSERT_TRUE(CreateDirectoryW(LongName(fits).c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(LongName(tooLong).c_str(), nullptr));
    MakeFolders(base, {"short"});

    HTREEITEM root = foldertree::FillFolderTree(tree, base.c_str(), -1, 0);
    Expand(tree, root);
    EXPECT_EQ(Paths(tree, root), (std::vector<std::string>{fits + "\\", base + "\\short\\"}));
    RemoveDirectoryW(LongName(tooLong).c_str());
    RemoveDirectoryW(LongName(fits).c_str());
    RemoveTree(base);
}

TEST_F(FolderTreeTest, NamespaceModeShowsASpecialFolder)
{
    HTREEITEM root = foldertree::FillFolderTree(tree, "", CSIDL_DRIVES, 1);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(Data().NamespaceMode, 1);
    EXPECT_EQ(Data().RootItem, root);
    EXPECT_NE(Data().DesktopFolder, nullptr);
    ItemInfo info = Info(tree, root);
    EXPECT_FALSE(info.text.empty());
    EXPECT_EQ(info.text, info.record->Name);
    EXPECT_STREQ(info.record->Path, "") << "a virtual folder has no path";
    ASSERT_NE(Data().RootPidl, nullptr);
    EXPECT_NE(info.record->AbsPidl, Data().RootPidl) << "the item holds a copy of its own";

    PumpMessages();
    std::vector<HTREEITEM> drives = Children(tree, root);
    auto c = std::find_if(drives.begin(), drives.end(),
                          [&](HTREEITEM item) { return std::string(Info(tree, item).record->Path) == "C:\\"; });
    ASSERT_NE(c, drives.end());
    const FolderItem *drive = Info(tree, *c).record;
    EXPECT_EQ(Info(tree, *c).text, drive->Name);
    EXPECT_EQ(foldertree::PidlSize(drive->AbsPidl),
              foldertree::PidlSize(info.record->AbsPidl) + foldertree::PidlSize(drive->RelPidl) - 2);
}

TEST_F(FolderTreeTest, ClearingAndRefillingFreeEveryRecord)
{
    std::string base = FreshFolder("ft_records");
    MakeFolders(base, {"a", "b", "c"});
    EXPECT_EQ(foldertree::ClearFolderTree(tree), 0);
    EXPECT_TRUE(Children(tree, nullptr).empty());
    int empty = LiveRecords();

    foldertree::FillFolderTree(tree, "", CSIDL_DRIVES, 1);
    PumpMessages();
    EXPECT_GT(LiveRecords(), empty + 1);
    foldertree::FillFolderTree(tree, base.c_str(), -1, 1);
    PumpMessages();
    EXPECT_EQ(processcounts::Settled(LiveRecords, empty + 4), empty + 4) << "only the root and its three children live";
    foldertree::FillFolderTree(tree, "", -1, -1);
    foldertree::FillFolderTree(tree, "", 0, 1);
    PumpMessages();
    foldertree::ClearFolderTree(tree);
    EXPECT_EQ(processcounts::Settled(LiveRecords, empty), empty);
    EXPECT_EQ(Data().RootItem, nullptr);
    EXPECT_EQ(Data().NamespaceMode, 0);
    RemoveTree(base);
}

int ShellIcon(const std::string &path, UINT extra)
{
    SHFILEINFOA info{};
    SHGetFileInfoA(path.c_str(), 0, &info, sizeof info, SHGFI_SYSICONINDEX | extra);
    return info.iIcon;
}

TEST_F(FolderTreeTest, InsertedItemsCarryBothIconsOrTheirFallback)
{
    std::string base = FreshFolder("ft_insert");
    HTREEITEM root = foldertree::FillFolderTree(tree, base.c_str(), -1, 0);
    ItemInfo info = Info(tree, root);
    EXPECT_EQ(info.image, ShellIcon(base + "\\", 0));
    EXPECT_EQ(info.selectedImage, ShellIcon(base + "\\", SHGFI_OPENICON));
    EXPECT_NE(info.image, info.selectedImage) << "closed and open folders differ";
    EXPECT_EQ(info.record->SelectedImageIndex, info.selectedImage);

    // A folder the shell does not know: the caller's label, and a button.
    FolderItem copy{};
    lstrcpyA(copy.Path, (base + "\\gone\\").c_str());
    HTREEITEM item = foldertree::InsertFolderItem(tree, root, L"stand-in", copy);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(copy.ItemHandle, item);
    EXPECT_EQ(Info(tree, item).record->ItemHandle, nullptr);
    EXPECT_EQ(Info(tree, item).text, "stand-in");
    EXPECT_EQ(Info(tree, item).children, 1);
    EXPECT_EQ(foldertree::InsertFolderItem(host_.Get(), nullptr, L"x", copy), nullptr);
    RemoveTree(base);
}

// A folder named outside the code page on a volume without short names has
// no path the control could hand out: it is shown by its name, as a leaf,
// its path is empty text, and its expansion lists nothing (an empty path
// must never list the current drive's root).
TEST_F(FolderTreeTest, AFolderWithNoPathIsALeafThatGivesEmptyText)
{
    std::string base = FreshFolder("ft_nopath");
    const std::wstring name = L"\x041c\x0443\x0437\x044b\x043a\x0430"; // Музыка
    std::wstring wideBase(base.begin(), base.end());
    ASSERT_TRUE(CreateDirectoryW((wideBase + L"\\" + name).c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((wideBase + L"\\" + name + L"\\inner").c_str(), nullptr));
    HTREEITEM root = foldertree::FillFolderTree(tree, base.c_str(), -1, 0);
    FolderItem copy{}; // no Path: as the listing leaves it
    HTREEITEM item = foldertree::InsertFolderItem(tree, root, name, copy, wideBase + L"\\" + name + L"\\");
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(WideLabel(tree, item), name);
    EXPECT_EQ(Info(tree, item).children, 0) << "no button: it cannot be opened";
    EXPECT_EQ(foldertree::ItemPath(tree, item), "");
    foldertree::ExpandFolderItem(tree, item, const_cast<FolderItem *>(Info(tree, item).record));
    EXPECT_TRUE(Children(tree, item).empty());
    RemoveTree(base);
}

TEST(DisplayNameChain, NamesEveryLevelFromTheDesktopDown)
{
    std::string base = FreshFolder("ft_chain");
    MakeFolders(base, {"One\\two"});
    std::string desktop = foldertree::DisplayNameChain(nullptr);
    ASSERT_FALSE(desktop.empty());
    std::string chain = foldertree::DisplayNameChain((base + "\\One\\two").c_str());
    EXPECT_EQ(chain.rfind(desktop + "\\", 0), 0u) << chain;
    std::string tail = "\\ft_chain\\One\\two";
    EXPECT_EQ(chain.substr(chain.size() - std::min(chain.size(), tail.size())), tail) << chain;
    EXPECT_EQ(foldertree::DisplayNameChain((base + "\\" + std::string(300, 'z')).c_str()), desktop);
    EXPECT_EQ(foldertree::DisplayNameChain((base + "\\missing").c_str()), desktop);
    RemoveTree(base);
}

std::string ListBytes(LPCITEMIDLIST list)
{
    return list ? std::string(reinterpret_cast<const char *>(list), ILGetSize(list)) : std::string();
}

TEST(ItemIdLists, JoinAndNameAsTheShellDoes)
{
    std::string base = FreshFolder("ft_lists");
    LPITEMIDLIST folder = ILCreateFromPathA(base.c_str());
    ASSERT_NE(folder, nullptr);
    LPITEMIDLIST parent = ILClone(folder);
    ILRemoveLastID(parent);
    LPITEMIDLIST last = ILClone(ILFindLastID(folder));
    LPITEMIDLIST joined = foldertree::PidlAppend(parent, last);
    LPITEMIDLIST alone = foldertree::PidlAppend(nullptr, last);
    EXPECT_EQ(ListBytes(joined), ListBytes(folder));
    EXPECT_EQ(ListBytes(alone), ListBytes(last));
    EXPECT_EQ(foldertree::AnsiText(foldertree::PidlPath(joined)), base);
    EXPECT_EQ(foldertree::PidlPath(nullptr), L"");

    const unsigned char broken[] = {1, 0, 0, 0}; // an item that claims one byte
    EXPECT_EQ(foldertree::PidlAppend(reinterpret_cast<LPCITEMIDLIST>(broken), last), nullptr);

    IShellFolder *desktop = nullptr;
    SHGetDesktopFolder(&desktop);
    EXPECT_EQ(foldertree::ItemDisplayName(desktop, folder), L"ft_lists");
    EXPECT_EQ(foldertree::ItemDisplayName(nullptr, folder), L"");
    FolderItem first{}, second{};
    first.RelPidl = last;
    EXPECT_EQ(foldertree::CompareFolderItems(0, LPARAM(&first), LPARAM(desktop)), 0);
    EXPECT_EQ(foldertree::CompareFolderItems(LPARAM(&first), LPARAM(&second), LPARAM(desktop)), 0);
    desktop->Release();
    for (LPITEMIDLIST list : {folder, parent, last, joined, alone})
        CoTaskMemFree(list);
    RemoveTree(base);
}

} // namespace
