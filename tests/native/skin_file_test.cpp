// The skin file parser: what makes a text a skin file, how keys and values
// are read, and that bad lines change nothing.
#include <gtest/gtest.h>

#include <string>

#include "skin_file.h"

using themekit::MakeSkinColour;
using themekit::Skin;

namespace {

Skin Read(const std::string &text, bool *accepted = nullptr)
{
    Skin skin;
    bool ok = themekit::ReadSkinText(text, skin);
    if (accepted)
        *accepted = ok;
    return skin;
}

void ExpectBuiltIn(const Skin &skin, const std::string &context = "")
{
    Skin builtIn;
    EXPECT_EQ(skin.captionColour, builtIn.captionColour) << context;
    EXPECT_EQ(skin.inactiveCaptionColour, builtIn.inactiveCaptionColour) << context;
    EXPECT_EQ(skin.faceColour, builtIn.faceColour) << context;
    EXPECT_EQ(skin.minimumWidth, builtIn.minimumWidth) << context;
    EXPECT_EQ(skin.captionHeight, builtIn.captionHeight) << context;
    EXPECT_EQ(skin.frameWidth, builtIn.frameWidth) << context;
    EXPECT_EQ(skin.fontName, builtIn.fontName) << context;
}

TEST(SkinFileSignature, TextsThatAreNotSkinFilesAreRejectedAndChangeNothing)
{
    std::string withZero("themekit skin\ncaption colour = #102030\n\0\n", 42);
    std::string huge = "themekit skin\ncaption colour = #102030\n" + std::string(themekit::MaxSkinFileSize, '#');
    for (const std::string &text : {std::string(), std::string("caption colour = #102030\n"),
                                    std::string("themekit\ncaption colour = #102030"), std::string("# comment\n"),
                                    std::string("themekit skin 2\ncaption colour = #102030"), withZero, huge}) {
        bool accepted = true;
        Skin skin = Read(text, &accepted);
        EXPECT_FALSE(accepted) << text.substr(0, 40);
        ExpectBuiltIn(skin, text.substr(0, 40));
    }
}

TEST(SkinFileSignature, SignatureMayFollowAByteOrderMarkCommentsAndBlankLines)
{
    bool accepted = false;
    Skin skin = Read("\xEF\xBB\xBF\n# a skin\n  ; old style\n\n  Themekit_Skin  \ncaption colour = #102030\n", &accepted);
    EXPECT_TRUE(accepted);
    EXPECT_EQ(skin.captionColour, MakeSkinColour(0x10, 0x20, 0x30));
    ExpectBuiltIn(Read("themekit skin", &accepted));
    EXPECT_TRUE(accepted);
}

TEST(SkinFileValues, EveryKindOfValueIsRead)
{
    Skin skin = Read("themekit skin\n"
                     "caption colour = #1E5AA0\n"
                     "caption text colour = 255, 250, 240\n"
                     "face colour =210,180,140\n"
                     "minimum width = 320\n"
                     "frame width = 0\n"
                     "font = Courier New \n"
                     "background image = images\\tile.bmp\n");
    EXPECT_EQ(skin.captionColour, 0x00A05A1Eu) << "platform order, red lowest";
    EXPECT_EQ(skin.captionTextColour, MakeSkinColour(255, 250, 240));
    EXPECT_EQ(skin.faceColour, MakeSkinColour(210, 180, 140));
    EXPECT_EQ(skin.minimumWidth, 320);
    EXPECT_EQ(skin.frameWidth, 0);
    EXPECT_EQ(skin.fontName, "Courier New");
    EXPECT_EQ(skin.backgroundImage, "images\\tile.bmp");
}

TEST(SkinFileValues, KeysIgnoreCaseAndSeparatorsAndAllLineEndsCount)
{
    Skin skin = Read("themekit skin\r\nCAPTION_Colour = #010203\rminimum-width=300\n  Caption   Height\t= 30\r\n"
                     "bevel = 1\nbevel = 3");
    EXPECT_EQ(skin.captionColour, MakeSkinColour(1, 2, 3));
    EXPECT_EQ(skin.minimumWidth, 300);
    EXPECT_EQ(skin.captionHeight, 30);
    EXPECT_EQ(skin.bevel, 3) << "the later line wins";
}

TEST(SkinFileValues, InactiveCaptionFollowsTheCaptionUnlessGiven)
{
    EXPECT_EQ(Read("themekit skin\ncaption colour = #405060\n").inactiveCaptionColour, MakeSkinColour(0x40, 0x50, 0x60));
    EXPECT_EQ(Read("themekit skin\ninactive caption colour = #808080\ncaption colour = #405060\n").inactiveCaptionColour,
              MakeSkinColour(0x80, 0x80, 0x80));
}

TEST(SkinFileBadLines, BadValuesAndUnknownKeysLeaveTheDefaults)
{
    bool accepted = false;
    Skin skin = Read("themekit skin\n"
                     "caption colour = #12345\ncaption colour = #12345G\ncaption colour = 1, 2\n"
                     "caption colour = 1, 2, 3, 4\ncaption colour = 1, 2, 256\ncaption colour = -1, 2, 3\n"
                     "caption colour\nface colour = \n# face colour = #FFFFFF\n"
                     "minimum width = 49\nminimum width = 4097\nminimum width = 2x0\n"
                     "minimum width = 99999999999999999999\ncaption height = -5\nframe width = +3\n"
                     "font = \x01tab\nfont = 0123456789012345678901234567890123\n"
                     "colour of the moon = #FFFFFF\n= #FFFFFF\n\xFF\xFE garbage\n",
                     &accepted);
    EXPECT_TRUE(accepted);
    ExpectBuiltIn(skin);
}

TEST(SkinFileBadLines, GoodLinesAroundBadOnesAndRangeEdgesCount)
{
    Skin skin = Read("themekit skin\nminimum width = lots\nminimum height = 150\n\x01\x02\ncaption height = 64\n"
                     "frame width = 32\nfont size = 4\n");
    EXPECT_EQ(skin.minimumWidth, Skin().minimumWidth);
    EXPECT_EQ(skin.minimumHeight, 150);
    EXPECT_EQ(skin.captionHeight, 64);
    EXPECT_EQ(skin.frameWidth, 32);
    EXPECT_EQ(skin.fontSize, 4);
}

} // namespace
