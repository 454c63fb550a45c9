// The Win32-free rules of the audio bridge: version text and number, the
// add-ons a version brings, error sentences, texts read from an address,
// and the names under which network streams are saved.
#include <gtest/gtest.h>

#include <string>

#include "error_sentences.h"
#include "pointer_text.h"
#include "saved_stream_names.h"
#include "version_text.h"

using namespace audiolink;

namespace {

uint32_t Word(uint32_t major, uint32_t minor)
{
    return major | (minor << 16);
}

TEST(Version, TextIsMajorFromTheLowWordThenMinor)
{
    EXPECT_EQ(VersionText(Word(1, 8)), "1.8");
    EXPECT_EQ(VersionText(Word(2, 0)), "2.0");
    EXPECT_EQ(VersionText(Word(1, 10)), "1.10");
    EXPECT_EQ(VersionText(Word(0, 9)), "0.9");
    EXPECT_EQ(VersionText(0xFFFFFFFFu), "65535.65535");
}

TEST(Version, NumberReadsTheTextAsADecimal)
{
    EXPECT_EQ(VersionNumber("2.0"), 2.0);
    EXPECT_EQ(VersionNumber("1.10"), 1.1); // a minor of 10 reads as a shorter fraction
    EXPECT_EQ(VersionNumber("0.9"), 0.9);  // exactly the literal it is compared with
    EXPECT_EQ(VersionNumber("1.8"), 1.8);
    EXPECT_EQ(VersionNumber(""), 0.0);
    EXPECT_EQ(VersionNumber("3"), 3.0);
    EXPECT_EQ(VersionNumber("2.5x"), 2.5);
    EXPECT_EQ(VersionNumber("x2.5"), 0.0);
    EXPECT_EQ(VersionNumber("1.2.3"), 1.2);
    EXPECT_DOUBLE_EQ(VersionNumber("0.00000000000000000000000000001"), 1e-29);
    EXPECT_GE(VersionNumber(std::string(400, '9')), 1e300);
}

TEST(Version, AddOnsFollowTheRoundedTenths)
{
    struct Case {
        const char *text;
        long tenths;
        bool encoderAndCd, visualisation;
    } cases[] = {
        {"", 0, false, false},     {"0.9", 9, false, false},  {"1.1", 11, false, false},
        {"1.10", 11, false, false}, {"1.7", 17, false, false}, {"1.75", 18, true, false},
        {"1.8", 18, true, false},  {"1.9", 19, true, false},  {"1.95", 20, true, true},
        {"2.0", 20, true, true},   {"2.4", 24, true, true},   {"65535.65535", 655357, true, true},
    };
    for (const Case &c : cases) {
        double number = VersionNumber(c.text);
        EXPECT_EQ(VersionTenths(number), c.tenths) << c.text;
        AddOnSet set = AddOnsForVersion(number);
        EXPECT_EQ(set.encoderAndCd, c.encoderAndCd) << c.text;
        EXPECT_EQ(set.visualisation, c.visualisation) << c.text;
    }
    EXPECT_EQ(VersionTenths(1e300), 1000000000L);
    EXPECT_EQ(VersionTenths(-3.0), 0L);
}

TEST(ErrorSentences, EveryCodeOfTheTableAndNoOther)
{
    EXPECT_EQ(ErrorSentence(0), "All is OK.");
    EXPECT_EQ(ErrorSentence(2), "Can't Open the File.");
    EXPECT_EQ(ErrorSentence(38), "The channel is a 'decoding channel'.");
    EXPECT_EQ(ErrorSentence(0xFFFFFFFFu), "Some Other Mystery Error.");
    int withSentence = 0;
    for (uint32_t code = 0; code <= 100; ++code) {
        if (!ErrorSentence(code).empty())
            ++withSentence;
    }
    EXPECT_EQ(withSentence, 35); // 0 to 42 less the nine codes without one
    for (uint32_t code : {10u, 11u, 12u, 13u, 15u, 26u, 28u, 36u, 43u, 0xFFFFFFFEu, 0x80000000u})
        EXPECT_EQ(ErrorSentence(code), "") << code;
}

TEST(PointerText, StopsAtTheZeroByteOrTheLimit)
{
    EXPECT_EQ(LeadingText(nullptr, 259), "");
    EXPECT_EQ(LeadingText("abc", 259), "abc");
    const char unterminated[4] = {'a', 'b', 'c', 'd'};
    EXPECT_EQ(LeadingText(unterminated, 4), "abcd"); // ASan catches a look past the limit
    EXPECT_EQ(LeadingText(unterminated, 2), "ab");
    EXPECT_EQ(LeadingText("", 259), "");
}

TEST(PointerText, TrimsBlanksOnlyAtBothEnds)
{
    EXPECT_EQ(TrimBlanks("  abc  "), "abc");
    EXPECT_EQ(TrimBlanks("a b"), "a b");
    EXPECT_EQ(TrimBlanks("   "), "");
    EXPECT_EQ(TrimBlanks(""), "");
    EXPECT_EQ(TrimBlanks("\tabc\t"), "\tabc\t"); // only code 32 is a blank
}

TEST(SavedStreamNames, FileNameIsWhatFollowsTheLastSeparator)
{
    EXPECT_EQ(AddressFileName("http://host/music/tune.mp3"), "tune.mp3");
    EXPECT_EQ(AddressFileName("ftp://host\\dir\\tune.ogg"), "tune.ogg");
    EXPECT_EQ(AddressFileName("http://host/music/"), "");
    EXPECT_EQ(AddressFileName("tune.mp3"), "tune.mp3");
}

TEST(SavedStreamNames, PathJoinsFolderTextAndName)
{
    EXPECT_EQ(LocalCopyPath("C:\\dl\\", "http://host/music/tune.mp3"), "C:\\dl\\tune.mp3");
    EXPECT_EQ(LocalCopyPath("C:\\dl", "http://host/music/tune.mp3"), "C:\\dltune.mp3");
    EXPECT_EQ(LocalCopyPath("", "http://host/music/tune.mp3"), "tune.mp3");
    EXPECT_EQ(LocalCopyPath(std::string("C:\\a\0b\\", 7), "http://host/tune.mp3"), "");
}

TEST(SavedStreamNames, AcceptsOrdinaryNames)
{
    for (const char *name : {"tune.mp3", "radio", "My Song.ogg", "console.mp3", "icon.mp3",
                             "com10.mp3", "lpt0", "nul_", "x.dllx", "x.dl", "dll", "a.b.c",
                             ".hidden.mp3", "\xE9t\xE9.mp3"})
        EXPECT_TRUE(IsAcceptableCopyName(name)) << name;
}

TEST(SavedStreamNames, RefusesNamesThatAreNotPlainFiles)
{
    for (const char *name : {"", ".", "..", "...", " ", "tune.mp3.", "tune.mp3 ", "a:b.mp3",
                             "a?b.mp3", "a*b", "a|b", "a\"b", "a<b", "a>b", "a\tb", "x::$DATA"})
        EXPECT_FALSE(IsAcceptableCopyName(name)) << name;
    EXPECT_FALSE(IsAcceptableCopyName(std::string("a\0b.mp3", 7)));
}

TEST(SavedStreamNames, RefusesDeviceNamesWithOrWithoutExtension)
{
    for (const char *name : {"CON", "con", "PRN", "aux", "NUL", "Nul.mp3", "nul.tar.gz", "con .mp3", "con.txt.mp3",
                             "COM1", "com9.mp3", "LPT1", "lpt9.ogg", "CONIN$", "conout$.txt",
                             "COM\xB9", "lpt\xB2.mp3"})
        EXPECT_FALSE(IsAcceptableCopyName(name)) << name;
    // A superscript digit takes two bytes in UTF-8; in an 8-bit code page
    // those bytes are two characters, and no device.
    for (const char *name : {"COM\xC2\xB9.mp3", "lpt\xC2\xB3", "COM\xB9"})
        EXPECT_FALSE(IsAcceptableCopyName(name, HostText::Utf8)) << name;
    EXPECT_TRUE(IsAcceptableCopyName("COM\xC2\xB9.mp3"));
    EXPECT_TRUE(IsAcceptableCopyName("COM\xC2\xB4.mp3", HostText::Utf8)) << "an acute accent is no digit";
}

TEST(SavedStreamNames, RefusesExtensionsThatRunAsCode)
{
    for (const char *ext : {"dll", "exe", "com", "scr", "ocx", "cpl", "sys", "drv", "bat", "cmd"}) {
        std::string lower = std::string("evil.") + ext;
        std::string upper = lower;
        for (char &c : upper)
            c = char(toupper(static_cast<unsigned char>(c)));
        EXPECT_FALSE(IsAcceptableCopyName(lower)) << lower;
        EXPECT_FALSE(IsAcceptableCopyName(upper)) << upper;
        EXPECT_FALSE(IsAcceptableCopyName("tune.mp3." + std::string(ext))) << ext;
        EXPECT_EQ(LocalCopyPath("C:\\dl\\", "http://host/" + lower), "") << lower;
    }
}

} // namespace
