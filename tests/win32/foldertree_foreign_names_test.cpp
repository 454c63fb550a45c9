// Folders named outside the code page (1252 in the test prefix), through
// foldertree.dll's exports: each is listed with its own name as its label,
// and every path the control hands out names that folder (compared by
// volume and file index with the wide path), never another one that a
// best-fit conversion would name.
#include "foldertree_test_support.h"
#include "foreign_names.h"
#include "machine_guard.h"

#include "foldertree.h"

#include <algorithm>
#include <map>

namespace {

using namespace fttest;
using namespace foreignnames;

constexpr int kControlId = 41;

::testing::Environment *const com = ::testing::AddGlobalTestEnvironment(new ComEnvironment);

const std::wstring kCyrillic = L"\x041c\x0443\x0437\x044b\x043a\x0430";       // Музыка
const std::wstring kFullwidthDots = L"\xff0e\xff0e";                          // best-fits to ..
const std::wstring kAlbum = L"\x0410\x043b\x044c\x0431\x043e\x043c";          // Альбом

using wholefile::Ansi;
using wholefile::IdentityOf;
using wholefile::Wide;

bool WideExists(const std::wstring &path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// What the host gets for the item once it is selected.
std::string SelectedPath(HWND tree, HTREEITEM item)
{
    SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
    return Bytes(Bff_GetPath(tree));
}

// Each child of parent by its wide label.
std::map<std::wstring, HTREEITEM> ChildrenByLabel(HWND tree, HTREEITEM parent)
{
    std::map<std::wstring, HTREEITEM> children;
    for (HTREEITEM child : Children(tree, parent))
        children[WideLabel(tree, child)] = child;
    return children;
}

class ForeignNames : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (GetACP() != 1252)
            GTEST_SKIP() << "these names are chosen for code page 1252 (the Wine test runs'); this machine's is "
                         << GetACP();
        base_ = FreshFolder("ft_foreign");
        wideBase_ = Wide(base_);
        for (const std::wstring &name : {kCyrillic, kCyrillic + L"\\" + kAlbum, kJapanese, kGreek,
                                         kFullwidthSolidus, std::wstring(L"Keep"), std::wstring(L"Keep\\Inner"),
                                         kFullwidthDots, std::wstring(L"Plain"), std::wstring(L".hidden")})
            ASSERT_TRUE(CreateDirectoryW((wideBase_ + L"\\" + name).c_str(), nullptr));
        if (!tempfolder::HasShortName(wideBase_ + L"\\" + kCyrillic))
            GTEST_SKIP() << "the temporary folder's volume makes no short (8.3) names, and only those give these "
                            "folders a path in the code page";
    }
    void TearDown() override
    {
        if (control_)
            DestroyWindow(control_);
        if (!wideBase_.empty())
            tempfolder::RemoveWideTree(wideBase_);
    }

    // Every listed child, by label, names the folder of that name, through
    // Bff_GetPath and Bff_FileExist.
    void ExpectPathsNameTheirFolders(HWND tree, const std::map<std::wstring, HTREEITEM> &children)
    {
        for (const auto &[label, item] : children) {
            SCOPED_TRACE(Ansi(label));
            std::string path = SelectedPath(tree, item);
            EXPECT_EQ(path.find('?'), std::string::npos) << path;
            EXPECT_EQ(IdentityOf(path), IdentityOf(wideBase_ + L"\\" + label)) << path;
            EXPECT_EQ(Bff_FileExist(path.c_str()), -1) << path;
        }
    }

    // A control filled from the folder, its root expanded.
    HWND PathModeTree()
    {
        control_ = TarnBrowser(0, "", WS_CHILD | WS_VISIBLE, 0, 0, 380, 460, host_.Get(), kControlId);
        SendMessageA(control_, BFFM_SETROOTPATH, WPARAM(base_.size()), LPARAM(base_.c_str()));
        HWND tree = TreeOf(control_);
        Expand(tree, Next(tree, TVGN_ROOT));
        PumpMessages();
        return tree;
    }

    std::string base_;
    std::wstring wideBase_;
    HostWindow host_;
    HWND control_ = nullptr;
};

const std::vector<std::wstring> kListed = {kCyrillic, kJapanese, kGreek, kFullwidthSolidus, L"Keep",
                                           kFullwidthDots, L"Plain"};

TEST_F(ForeignNames, PathModeListsEachFolderByItsNameWithAPathThatNamesIt)
{
    HWND tree = PathModeTree();
    HTREEITEM root = Next(tree, TVGN_ROOT);
    ASSERT_NE(root, nullptr);
    std::map<std::wstring, HTREEITEM> children = ChildrenByLabel(tree, root);
    std::vector<std::wstring> labels;
    for (const auto &child : children)
        labels.push_back(child.first);
    std::vector<std::wstring> expected = kListed;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(labels, expected) << "the fullwidth dots are shown, .hidden is not";
    ExpectPathsNameTheirFolders(tree, children);

    // The best-fit path of "Keep＼Inner" would be that of Keep\Inner.
    EXPECT_NE(SelectedPath(tree, children[kFullwidthSolidus]), base_ + "\\Keep\\Inner\\");
    // A host reading labels with the ANSI messages gets their ANSI form.
    EXPECT_EQ(Info(tree, children[kGreek]).text, Ansi(kGreek));
    EXPECT_EQ(Info(tree, children[L"Plain"]).text, "Plain");

    // A level further down, below a folder known by its short name.
    Expand(tree, children[kCyrillic]);
    PumpMessages();
    std::map<std::wstring, HTREEITEM> inner = ChildrenByLabel(tree, children[kCyrillic]);
    ASSERT_EQ(inner.size(), 1u);
    EXPECT_EQ(inner.begin()->first, kAlbum);
    EXPECT_EQ(IdentityOf(SelectedPath(tree, inner.begin()->second)),
              IdentityOf(wideBase_ + L"\\" + kCyrillic + L"\\" + kAlbum));
}

TEST_F(ForeignNames, NamespaceModeListsThemTooAndSelectsTheirShortForms)
{
    control_ = TarnBrowser(0, "", WS_CHILD | WS_VISIBLE, 0, 0, 380, 460, host_.Get(), kControlId);
    PumpMessages();
    HWND tree = TreeOf(control_);
    auto folder = reinterpret_cast<HTREEITEM>(SendMessageA(control_, BFFM_SELECTPATH, 260, LPARAM(base_.c_str())));
    ASSERT_NE(folder, nullptr);
    Expand(tree, folder);
    PumpMessages();
    std::map<std::wstring, HTREEITEM> children = ChildrenByLabel(tree, folder);
    for (const std::wstring &name : kListed)
        EXPECT_EQ(children.count(name), 1u) << Ansi(name);
    ExpectPathsNameTheirFolders(tree, children);

    // The short form that Bff_GetPath gave selects the same folder by path.
    std::string greekPath = SelectedPath(tree, children[kGreek]);
    SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(folder));
    auto selected =
        reinterpret_cast<HTREEITEM>(SendMessageA(control_, BFFM_SELECTPATH, 260, LPARAM(greekPath.c_str())));
    EXPECT_EQ(selected, children[kGreek]);
}

// What a host does with a path the tree gave: recycle the folder. It is that
// folder that goes, never the one a best-fit path would name (for the
// fullwidth dots: the folder above).
TEST_F(ForeignNames, RecyclingThePathATreeGaveRemovesThatFolderOnly)
{
    SKIP_ON_WINDOWS_BECAUSE_IT_WOULD("leave test files in your recycle bin");
    HWND tree = PathModeTree();
    std::map<std::wstring, HTREEITEM> children = ChildrenByLabel(tree, Next(tree, TVGN_ROOT));
    for (const std::wstring &name : {kFullwidthSolidus, kFullwidthDots, kGreek}) {
        SCOPED_TRACE(Ansi(name));
        ASSERT_EQ(children.count(name), 1u);
        std::string list = SelectedPath(tree, children[name]);
        list.push_back('\0');
        list.push_back('\0');
        EXPECT_EQ(Bff_MoveToTray(list.c_str()), 0);
        EXPECT_FALSE(WideExists(wideBase_ + L"\\" + name));
    }
    // Recycled under their own names, so they come back with them.
    std::vector<std::wstring> recycled = RecycleBinNames();
    for (const std::wstring &name : {kFullwidthSolidus, kFullwidthDots, kGreek})
        EXPECT_NE(std::find(recycled.begin(), recycled.end(), name), recycled.end()) << Ansi(name);
    EXPECT_TRUE(WideExists(wideBase_ + L"\\Keep\\Inner"));
    EXPECT_TRUE(WideExists(wideBase_ + L"\\" + kCyrillic));
    EXPECT_TRUE(WideExists(wideBase_ + L"\\Plain"));
}

} // namespace
