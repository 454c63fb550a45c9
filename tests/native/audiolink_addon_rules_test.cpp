// The Win32-free rules of the add-on exports: which file names are
// visualisation plug-ins, how the start folder and the list are written,
// the pattern limit, and the DirectX major version read from its text.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "directx_version.h"
#include "plugin_files.h"

using namespace audiolink;

namespace {

TEST(PluginFiles, ExtensionOccursWithinTheThreeKnownOnes)
{
    for (const char *name : {"blaze.svp", "a.uvs", "a.zvp", "demo.sv", "x.s", "x.", "a.b.zvp", "..svp"})
        EXPECT_TRUE(IsPluginFileName(name)) << name;
    for (const char *name : {"note.txt", "svp", "", "a.svpx", "a.svp.bak", "a.vp", "a.svpuvs", "a.zvp ", "a.SVP"})
        EXPECT_FALSE(IsPluginFileName(name)) << name;
}

TEST(PluginFiles, OnlyPlainFilesQualify)
{
    for (unsigned long attributes : {0x00ul, 0x01ul, 0x20ul, 0x21ul, 0x80ul, 0x100ul, 0x2000ul, 0x820ul})
        EXPECT_TRUE(HasPluginAttributes(attributes)) << std::hex << attributes;
    for (unsigned long attributes : {0x02ul, 0x04ul, 0x10ul, 0x22ul, 0x30ul, 0x24ul, 0x81ul, 0x40ul})
        EXPECT_FALSE(HasPluginAttributes(attributes)) << std::hex << attributes;
}

TEST(PluginFiles, OnlyTheLettersAToZAreLowerCased)
{
    EXPECT_EQ(LowerCaseLetters("Blaze.SVP"), "blaze.svp");
    EXPECT_EQ(LowerCaseLetters("\xC4@[Z`{"), "\xC4@[z`{");
    EXPECT_EQ(LowerCaseLetters(std::string("A\0B", 3)), std::string("a\0b", 3));
}

TEST(PluginFiles, StartFolderEndsInExactlyOneBackslash)
{
    EXPECT_EQ(StartFolder("C:\\Plugins"), "C:\\Plugins\\");
    EXPECT_EQ(StartFolder("C:\\Plugins\\"), "C:\\Plugins\\");
    EXPECT_EQ(StartFolder("C:\\Plugins\\\\"), "C:\\Plugins\\");
    EXPECT_EQ(StartFolder(""), "\\");
    EXPECT_EQ(StartFolder("\\\\\\"), "\\");
    EXPECT_EQ(StartFolder("C:/x/"), "C:/x/\\");
}

TEST(PluginFiles, PatternsUpTo259BytesFit)
{
    std::string folder(256, 'a');
    EXPECT_TRUE(PatternFits(folder, "*.*"));
    EXPECT_FALSE(PatternFits(folder + "b", "*.*"));
    EXPECT_TRUE(PatternFits(folder + "bc", "*"));
    EXPECT_FALSE(PatternFits(std::string(300, 'a'), ""));
}

TEST(PluginFiles, CommasOnlyBetweenEntries)
{
    EXPECT_EQ(JoinPluginList({}), "");
    EXPECT_EQ(JoinPluginList({"C:\\a.svp"}), "C:\\a.svp");
    EXPECT_EQ(JoinPluginList({"C:\\a.svp", "C:\\b.uvs"}), "C:\\a.svp,C:\\b.uvs");
    // A folder that begins with a comma keeps it.
    EXPECT_EQ(JoinPluginList({",x\\a.svp", "y\\b.svp"}), ",x\\a.svp,y\\b.svp");
}

TEST(DirectXVersion, SecondFieldIsTheMajorVersion)
{
    EXPECT_EQ(DirectXMajorVersion("4.09.00.0904"), 9);
    EXPECT_EQ(DirectXMajorVersion("4.08.01.0810"), 8);
    EXPECT_EQ(DirectXMajorVersion("4"), 0);
    EXPECT_EQ(DirectXMajorVersion(""), 0);
    EXPECT_EQ(DirectXMajorVersion("4.10"), 10) << "one dot: to the end";
    EXPECT_EQ(DirectXMajorVersion("4.7a.1"), 7) << "the leading number only";
    EXPECT_EQ(DirectXMajorVersion("4.x.1"), 0);
    EXPECT_EQ(DirectXMajorVersion("4..9"), 0);
    EXPECT_EQ(DirectXMajorVersion("4."), 0);
    EXPECT_EQ(DirectXMajorVersion(".5"), 5);
    EXPECT_EQ(DirectXMajorVersion("4.0000012"), 12);
    EXPECT_EQ(DirectXMajorVersion("4.99999999999999999999"), INT_MAX);
}

} // namespace
