// The Win32-free rules behind themekit's file and name functions.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "text_rules.h"

using themekit::FoldersToMake;
using themekit::FormatDriveList;
using themekit::HasWildcard;
using themekit::OneLineMessage;
using themekit::SplitLines;
using themekit::SplitName;

namespace {

using Lines = std::vector<std::string>;

std::string Bytes(const char *text, size_t size)
{
    return std::string(text, size);
}

TEST(SplitName, CutsAfterTheLastSeparatorOfEitherKind)
{
    struct Case {
        const char *full, *folder, *file;
    } cases[] = {
        {"C:\\dir\\file.txt", "C:\\dir\\", "file.txt"},
        {"C:/dir/file.txt", "C:/dir/", "file.txt"},
        {"C:\\a/b\\c", "C:\\a/b\\", "c"},
        {"C:/a\\b/c", "C:/a\\b/", "c"},
        {"file.txt", "", "file.txt"},
        {"C:file.txt", "", "C:file.txt"},
        {"C:\\dir\\", "C:\\dir\\", ""},
        {"\\", "\\", ""},
        {"", "", ""},
    };
    for (const Case &c : cases) {
        auto parts = SplitName(c.full);
        EXPECT_EQ(parts.folder, c.folder) << "name \"" << c.full << "\"";
        EXPECT_EQ(parts.file, c.file) << "name \"" << c.full << "\"";
    }
}

TEST(SplitName, KeepsZeroBytes)
{
    auto parts = SplitName(Bytes("a\0b\\c\0d", 7));
    EXPECT_EQ(parts.folder, Bytes("a\0b\\", 4));
    EXPECT_EQ(parts.file, Bytes("c\0d", 3));
}

TEST(SplitLines, EachLineEndEndsOneLine)
{
    EXPECT_EQ(SplitLines("a\r\nb\nc\rd"), (Lines{"a", "b", "c", "d"}));
    // CR CR LF: a line ended by CR, then an empty one ended by CR LF.
    EXPECT_EQ(SplitLines("a\r\r\nb"), (Lines{"a", "", "b"}));
    // LF CR is two ends, not one.
    EXPECT_EQ(SplitLines("a\n\rb"), (Lines{"a", "", "b"}));
    EXPECT_EQ(SplitLines("\n\n"), (Lines{"", ""}));
    EXPECT_EQ(SplitLines("\r\n"), (Lines{""}));
}

TEST(SplitLines, EndOfFile)
{
    EXPECT_EQ(SplitLines(""), Lines{});
    EXPECT_EQ(SplitLines("last"), (Lines{"last"}));
    EXPECT_EQ(SplitLines("a\r\n"), (Lines{"a"}));
    EXPECT_EQ(SplitLines("a\r"), (Lines{"a"}));
    EXPECT_EQ(SplitLines("a\n"), (Lines{"a"}));
    EXPECT_EQ(SplitLines("a\n\n"), (Lines{"a", ""}));
}

TEST(SplitLines, KeepsZeroBytesAndOtherControls)
{
    EXPECT_EQ(SplitLines(Bytes("a\0b\r\n\0\n\t\x1a", 9)),
              (Lines{Bytes("a\0b", 3), Bytes("\0", 1), "\t\x1a"}));
}

TEST(FoldersToMake, ListsEachFolderOutermostFirst)
{
    EXPECT_EQ(FoldersToMake("C:\\a\\b\\c"), (Lines{"C:\\a", "C:\\a\\b", "C:\\a\\b\\c"}));
    EXPECT_EQ(FoldersToMake("C:/a/b/"), (Lines{"C:/a", "C:/a/b"}));
    EXPECT_EQ(FoldersToMake("C:\\a\\\\b\\\\"), (Lines{"C:\\a", "C:\\a\\\\b"}));
    EXPECT_EQ(FoldersToMake("a\\b"), (Lines{"a", "a\\b"}));
    EXPECT_EQ(FoldersToMake("\\a\\b"), (Lines{"\\a", "\\a\\b"}));
    EXPECT_EQ(FoldersToMake("C:a\\b"), (Lines{"C:a", "C:a\\b"}));
    EXPECT_EQ(FoldersToMake("a\\..\\b"), (Lines{"a", "a\\..", "a\\..\\b"}));
}

TEST(FoldersToMake, NeverListsARoot)
{
    EXPECT_EQ(FoldersToMake("\\\\server\\share\\a\\b"),
              (Lines{"\\\\server\\share\\a", "\\\\server\\share\\a\\b"}));
    EXPECT_EQ(FoldersToMake("\\\\?\\C:\\a\\b"), (Lines{"\\\\?\\C:\\a", "\\\\?\\C:\\a\\b"}));
    EXPECT_EQ(FoldersToMake("\\\\?\\unc\\srv\\share\\a"), (Lines{"\\\\?\\unc\\srv\\share\\a"}));
    for (const char *root : {"", "C:", "C:\\", "C:\\\\\\", "\\", "/", "\\\\server",
                             "\\\\server\\share", "\\\\server\\share\\", "\\\\?\\C:\\",
                             "\\\\.\\pipe\\", "\\\\?\\UNC\\srv\\share\\"})
        EXPECT_EQ(FoldersToMake(root), Lines{}) << "root \"" << root << "\"";
}

TEST(HasWildcard, StarAndQuestionMarkButNotTheLongNamePrefix)
{
    EXPECT_TRUE(HasWildcard("C:\\*.txt"));
    EXPECT_TRUE(HasWildcard("file?.txt"));
    EXPECT_TRUE(HasWildcard("\\\\?\\C:\\*"));
    EXPECT_FALSE(HasWildcard("\\\\?\\C:\\file.txt"));
    EXPECT_FALSE(HasWildcard("C:\\dir\\file.txt"));
    EXPECT_FALSE(HasWildcard(""));
}

TEST(OneLineMessage, DropsLineEndsAndTheClosingDot)
{
    EXPECT_EQ(OneLineMessage("The system cannot find the file specified.\r\n"),
              "The system cannot find the file specified");
    EXPECT_EQ(OneLineMessage("First part\r\nsecond part. \r\n"), "First part second part");
    EXPECT_EQ(OneLineMessage("Ends with space \r\nnext"), "Ends with space next");
    EXPECT_EQ(OneLineMessage("\r\n\r\n"), "");
    EXPECT_EQ(OneLineMessage("..."), "");
    EXPECT_EQ(OneLineMessage("No end"), "No end");
}

TEST(FormatDriveList, LettersInDriveOrderCdDrivesLowerCase)
{
    EXPECT_EQ(FormatDriveList(0, 0), "");
    EXPECT_EQ(FormatDriveList((1u << 2) | (1u << 3) | (1u << 25), 1u << 3), "CdZ");
    EXPECT_EQ(FormatDriveList(0x03FFFFFF, 0), "ABCDEFGHIJKLMNOPQRSTUVWXYZ");
    EXPECT_EQ(FormatDriveList(0x03FFFFFF, 0x03FFFFFF), "abcdefghijklmnopqrstuvwxyz");
    // CD bits of absent drives and bits above Z stand for nothing.
    EXPECT_EQ(FormatDriveList(0xFC000001u | (1u << 4), 0xFFFFFFFEu & ~(1u << 4)), "AE");
}

} // namespace
