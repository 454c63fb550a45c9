// The folder tree's Win32-free rules: trimming, the form and order of item
// paths, the text of path messages, display-name chains, and the bounds of
// item-ID lists.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "folder_paths.h"
#include "id_list_layout.h"
#include "text_trim.h"

namespace {

using namespace foldertree;

TEST(Trim, RemovesCharactersOfTheSetFromOneEndOnly)
{
    EXPECT_EQ(TrimLeft("xxabcxx", "x"), "abcxx");
    EXPECT_EQ(TrimRight("xxabcxx", "xa"), "xxabc");
    EXPECT_EQ(TrimLeft("abc", ""), "abc");
    EXPECT_EQ(TrimRight("xyxy", "yx"), "");
    EXPECT_EQ(TrimLeft("Xx", "x"), "Xx") << "case matters";
    EXPECT_EQ(TrimLeft("\xff\xfe" "a", "\xfe\xff"), "a") << "bytes above 127 are plain values";
    EXPECT_EQ(TrimSpaces("  \tC:\\music  "), "\tC:\\music") << "only spaces are blanks";
}

TEST(FolderPaths, AChildPathEndsInOneBackslashAndIsRefusedRatherThanCut)
{
    EXPECT_EQ(WithOneTrailingBackslash("C:\\music\\\\\\"), "C:\\music\\");
    EXPECT_EQ(WithOneTrailingBackslash("C:"), "C:\\");
    std::string folder = "C:\\" + std::string(249, 'f'); // 252 characters
    EXPECT_EQ(ChildFolderPath(folder + "\\", "123456"), folder + "\\123456\\"); // 260: the most a Path holds
    EXPECT_EQ(ChildFolderPath(folder, "1234567"), "");
    for (const char *hidden : {"", ".", "..", ".git"})
        EXPECT_FALSE(IsListedFolderName(hidden)) << '"' << hidden << '"';
    EXPECT_TRUE(IsListedFolderName("a.b"));
}

TEST(FolderPaths, ListingOrderIgnoresCaseAndPutsANameBeforeItsLongerNames)
{
    std::vector<std::string> paths{"C:\\b\\", "C:\\_\\", "C:\\B2\\", "C:\\a\\", "C:\\A\\", "C:\\ab\\", "C:\\Z\\"};
    std::sort(paths.begin(), paths.end(), FolderPathLess);
    std::vector<std::string> expected{"C:\\A\\", "C:\\a\\", "C:\\ab\\", "C:\\b\\", "C:\\B2\\", "C:\\Z\\", "C:\\_\\"};
    EXPECT_EQ(paths, expected);

    // Wide names (as the tree lists them) take the order their paths had,
    // and the names outside ASCII follow by code value.
    std::vector<std::u16string> names{u"b", u"\u041c\u0443\u0437", u"_", u"B2", u"a", u"A", u"\u00e9t\u00e9", u"ab", u"Z"};
    std::sort(names.begin(), names.end(),
              [](const std::u16string &a, const std::u16string &b) { return FolderNameLess<char16_t>(a, b); });
    std::vector<std::u16string> wanted{u"A", u"a", u"ab", u"b", u"B2", u"Z", u"_", u"\u00e9t\u00e9", u"\u041c\u0443\u0437"};
    EXPECT_TRUE(names == wanted);
    EXPECT_TRUE(IsListedFolderName<char16_t>(u"\uff0e\uff0e")) << "fullwidth dots are no dot-folder";
    EXPECT_FALSE(IsListedFolderName<char16_t>(u".."));
}

TEST(MessageText, ReadsAtMost260BytesUpToTheFirstZero)
{
    // An unterminated buffer of exactly 260 bytes: the sanitizer catches any
    // read beyond it.
    std::unique_ptr<char[]> buffer(new char[260]);
    std::fill(buffer.get(), buffer.get() + 260, 'p');
    EXPECT_EQ(MessageText(buffer.get(), 260), std::string(260, 'p'));
    EXPECT_EQ(MessageText(buffer.get(), 1000), std::nullopt) << "it goes on: its first 260 bytes are another path";
    buffer[259] = ' ';
    EXPECT_EQ(MessageText(buffer.get(), 1000), std::string(259, 'p')) << "a fixed-length string's padding";
    EXPECT_EQ(MessageText(buffer.get(), -1), "");
    EXPECT_EQ(MessageText(nullptr, 260), "");
    const char padded[] = "  C:\\music  \0garbage";
    EXPECT_EQ(MessageText(padded, sizeof padded), "C:\\music");
    EXPECT_TRUE(HasDoubleBackslash("\\\\server\\share"));
    EXPECT_FALSE(HasDoubleBackslash("C:\\a\\b\\"));
}

TEST(DisplayNameChains, SplitAndJoinAtBackslashes)
{
    std::string chain = "Desktop\\";
    AppendChainPart(chain, "C:\\");
    AppendChainPart(chain, "music\\\\");
    EXPECT_EQ(chain, "Desktop\\C:\\music\\");
    EXPECT_EQ(SplitChain("Desktop\\My Computer\\C:"), (std::vector<std::string>{"Desktop", "My Computer", "C:"}));
}

std::vector<unsigned char> List(const std::vector<size_t> &itemSizes)
{
    std::vector<unsigned char> bytes;
    for (size_t size : itemSizes) {
        bytes.push_back(static_cast<unsigned char>(size & 0xFF));
        bytes.push_back(static_cast<unsigned char>(size >> 8));
        bytes.insert(bytes.end(), size - 2, 0xAB);
    }
    bytes.insert(bytes.end(), 2, 0);
    return bytes;
}

TEST(IdLists, SizeCountsItemsAndTerminatorWithinTheirBounds)
{
    EXPECT_EQ(IdListSize(nullptr, 100), 0);
    std::vector<unsigned char> two = List({4, 20});
    EXPECT_EQ(IdListSize(two.data(), two.size()), 26);
    std::vector<IdListItem> items = IdListItems(two.data(), two.size());
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[1].offset, 4u);
    EXPECT_EQ(items[1].size, 20u);

    EXPECT_EQ(IdListSize(two.data(), two.size() - 1), 0) << "the terminator lies beyond the bytes";
    const unsigned char claimsOne[] = {1, 0, 0, 0};
    EXPECT_EQ(IdListSize(claimsOne, sizeof claimsOne), 0);
    std::vector<unsigned char> largest = List({32765});
    EXPECT_EQ(IdListSize(largest.data(), largest.size()), 32767);
    std::vector<unsigned char> tooLarge = List({30000, 2766});
    EXPECT_EQ(IdListSize(tooLarge.data(), tooLarge.size()), 0) << "past 32765 bytes of items";
}

} // namespace
