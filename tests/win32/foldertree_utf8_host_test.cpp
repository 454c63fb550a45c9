// foldertree.dll in a host whose code page is UTF-8 (this program's manifest
// says so): every folder name has an 8-bit form, the tree hands out long
// UTF-8 paths, and a path too long for 260 bytes is never cut into the path
// of another folder.
#include "foldertree_test_support.h"
#include "foreign_names.h"

#include "foldertree.h"

#include <map>

namespace {

using namespace fttest;
using namespace foreignnames;
using wholefile::Ansi;
using wholefile::IdentityOf;
using wholefile::Wide;

constexpr int kControlId = 43;

::testing::Environment *const com = ::testing::AddGlobalTestEnvironment(new ComEnvironment);


class Utf8Host : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(GetACP(), UINT(CP_UTF8)) << "the manifest makes UTF-8 this program's code page";
        base_ = FreshFolder("ft_utf8");
        wideBase_ = Wide(base_);
    }
    void TearDown() override
    {
        if (control_)
            DestroyWindow(control_);
        tempfolder::RemoveWideTree(wideBase_);
    }

    void MakeWide(const std::wstring &relative)
    {
        ASSERT_TRUE(CreateDirectoryW((wideBase_ + L"\\" + relative).c_str(), nullptr)) << Ansi(relative);
    }

    HWND Control()
    {
        control_ = TarnBrowser(0, "", WS_CHILD | WS_VISIBLE, 0, 0, 380, 460, host_.Get(), kControlId);
        return control_;
    }

    std::map<std::wstring, HTREEITEM> Expanded(HWND tree, HTREEITEM item)
    {
        Expand(tree, item);
        PumpMessages();
        std::map<std::wstring, HTREEITEM> children;
        for (HTREEITEM child : Children(tree, item))
            children[WideLabel(tree, child)] = child;
        return children;
    }

    std::string SelectedPath(HWND tree, HTREEITEM item)
    {
        SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
        return Bytes(Bff_GetPath(tree));
    }

    std::string base_;
    std::wstring wideBase_;
    HostWindow host_;
    HWND control_ = nullptr;
};

TEST_F(Utf8Host, EveryNameIsListedWithItsOwnLongPath)
{
    const std::vector<std::wstring> names = {kEvening, kGreek, kJapanese, kNote, kCombining, kFullwidthSolidus,
                                             L"Keep"};
    for (const std::wstring &name : names)
        MakeWide(name);
    MakeWide(L"Keep\\Inner");

    HWND control = Control();
    SendMessageA(control, BFFM_SETROOTPATH, WPARAM(base_.size()), LPARAM(base_.c_str()));
    HWND tree = TreeOf(control);
    std::map<std::wstring, HTREEITEM> children = Expanded(tree, Next(tree, TVGN_ROOT));
    ASSERT_EQ(children.size(), names.size());
    for (const std::wstring &name : names) {
        SCOPED_TRACE(Ansi(name));
        ASSERT_EQ(children.count(name), 1u);
        std::string path = SelectedPath(tree, children[name]);
        EXPECT_EQ(path, base_ + "\\" + Ansi(name) + "\\") << "the long path, not a short one";
        EXPECT_EQ(Bff_FileExist(path.c_str()), -1);
        EXPECT_EQ(IdentityOf(path), IdentityOf(wideBase_ + L"\\" + name));
    }
    EXPECT_NE(IdentityOf(SelectedPath(tree, children[kFullwidthSolidus])), IdentityOf(wideBase_ + L"\\Keep\\Inner"));

    // The namespace tree finds each by that path.
    HWND other = TarnBrowser(0, "", WS_CHILD, 0, 0, 200, 200, host_.Get(), kControlId + 1);
    PumpMessages();
    for (const std::wstring &name : {kEvening, kNote, kFullwidthSolidus}) {
        std::string path = base_ + "\\" + Ansi(name);
        auto item = reinterpret_cast<HTREEITEM>(SendMessageA(other, BFFM_SELECTPATH, 260, LPARAM(path.c_str())));
        ASSERT_NE(item, nullptr) << path;
        EXPECT_EQ(WideLabel(TreeOf(other), item), name);
        EXPECT_EQ(IdentityOf(Bytes(Bff_GetPath(TreeOf(other)))), IdentityOf(wideBase_ + L"\\" + name));
    }
    DestroyWindow(other);
}

// Cyrillic takes two bytes a letter: a path of 140 characters needs 270.
TEST_F(Utf8Host, APathBeyond260BytesIsNeverCutIntoAnother)
{
    // A folder whose path is exactly the first 260 bytes of a longer one.
    size_t prefix = base_.size() + 1;
    std::wstring name((260 - prefix) / 2, L'\x0416'); // Ж
    if ((260 - prefix) % 2)
        name += L'x';
    MakeWide(name);
    std::string folder = base_ + "\\" + Ansi(name);
    ASSERT_EQ(folder.size(), 260u);
    MakeWide(name + L"\\" + kEvening);
    std::string longer = folder + "\\" + Ansi(kEvening);
    ASSERT_LT(Wide(longer).size(), size_t(MAX_PATH)) << "its wide path fits";

    HWND control = Control();
    PumpMessages();
    HWND tree = TreeOf(control);
    HTREEITEM before = Next(tree, TVGN_CARET);
    std::vector<char> buffer(longer.begin(), longer.end());
    buffer.resize(1000, '\0');
    EXPECT_EQ(SendMessageA(control, BFFM_SELECTPATH, buffer.size(), LPARAM(buffer.data())), 0);
    EXPECT_EQ(SendMessageA(control, BFFM_SETROOTPATH, buffer.size(), LPARAM(buffer.data())), 0);
    EXPECT_EQ(Next(tree, TVGN_CARET), before) << "refused, not the folder of its first 260 bytes";
    HWND started = TarnBrowser(0, longer.c_str(), WS_CHILD, 0, 0, 100, 100, host_.Get(), kControlId + 2);
    ASSERT_NE(started, nullptr);
    PumpMessages();
    EXPECT_EQ(Bytes(Bff_GetPath(TreeOf(started))), Bytes(Bff_GetPath(tree))) << "left where a new control starts";
    DestroyWindow(started);

    // In the tree, a folder whose path and backslash do not fit in 260 bytes
    // is left out: listed with a cut path it would name another.
    MakeWide(L"\x0416");
    SendMessageA(control, BFFM_SETROOTPATH, WPARAM(base_.size()), LPARAM(base_.c_str()));
    std::map<std::wstring, HTREEITEM> top = Expanded(tree, Next(tree, TVGN_ROOT));
    EXPECT_EQ(top.count(name), 0u);
    ASSERT_EQ(top.count(L"\x0416"), 1u);
    EXPECT_EQ(SelectedPath(tree, top[L"\x0416"]), base_ + "\\" + Ansi(L"\x0416") + "\\");
}

} // namespace
