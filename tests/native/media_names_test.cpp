// Naming and typing media: extension keys and kinds, base names, ID3v1
// display names, module titles and CD track files, and the display texts a
// UTF-8 host reads.
#include <gtest/gtest.h>

#include <string>

#include "media_names.h"
#include "utf8_text.h"

using namespace audiolink;

namespace {

// A 128-byte tag from its fields, each padded with pad to its width.
std::string Tag(const std::string &title, const std::string &artist, const std::string &album,
                const std::string &year, const std::string &comment, char pad = '\0')
{
    auto fit = [pad](std::string field, size_t width) {
        field.resize(width, pad);
        return field;
    };
    std::string tag = "TAG" + fit(title, 30) + fit(artist, 30) + fit(album, 30) + fit(year, 4) +
                      fit(comment, 30) + "\x0c";
    EXPECT_EQ(tag.size(), Id3v1Size);
    return tag;
}

TEST(MediaNames, ExtensionKeysAndKinds)
{
    EXPECT_EQ(ExtensionKey("C:\\MUSIC\\MYSONG~1.mp3"), ".MP3.");
    EXPECT_EQ(ExtensionKey("noDot"), "");
    EXPECT_EQ(ExtensionKey("C:\\A.B\\FILE"), ".B\\FILE.");
    EXPECT_EQ(ExtensionKey("x."), "..");

    struct {
        const char *name;
        int kind;
    } rows[] = {
        {"a.xm", 1},  {"a.It", 1},   {"a.MOD", 1},  {"a.mo3", 1},  {"a.mtm", 1}, {"a.s3m", 1},
        {"a.mp1", 3}, {"a.mp2", 3},  {"a.MP3", 3},  {"a.wav", 3},  {"a.ogg", 3}, {"a.cda", 4},
        {"a.WMA", 5}, {"a.wmax", 0}, {"a.m", 0},    {"x.", 0},     {"a.mp", 0},  {"a.b\\file", 0},
        {"a.xm.it", 1}, {"a.wav.txt", 0},
    };
    for (const auto &row : rows)
        EXPECT_EQ(KindForExtensionKey(ExtensionKey(row.name)), row.kind) << row.name;
    EXPECT_EQ(KindForExtensionKey(""), 0);
}

TEST(MediaNames, NetworkNamesAndBaseNames)
{
    EXPECT_TRUE(IsNetworkName("HTTP://host/radio.mp3"));
    EXPECT_TRUE(IsNetworkName("x ftp://a"));
    EXPECT_FALSE(IsNetworkName("https://host/a.mp3"));
    EXPECT_FALSE(IsNetworkName("C:\\http\\a.mp3"));

    EXPECT_EQ(WithBackslashes("http://host/path/radio.mp3"), "http:\\\\host\\path\\radio.mp3");
    EXPECT_EQ(CutExtension("My Song.mp3"), "My Song");
    EXPECT_EQ(CutExtension("a.b.c"), "a.b");
    EXPECT_EQ(CutExtension("file"), "file");
    EXPECT_EQ(CutExtension(".hidden"), "");
}

TEST(MediaNames, Id3v1NameDropsPlaceholdersAndAddsTheTrack)
{
    std::string tag = Tag("My Song", "ARTIST", "", "1999", std::string("Good one") + std::string(20, ' ') + '\0' + '\x07');
    EXPECT_EQ(Id3v1Name(tag, "My Song"), "My Song 1999 Good one #7");
    tag = Tag("my song", "artist", "title", "1999", std::string(28, ' ') + '\0' + '\xff');
    EXPECT_EQ(Id3v1Name(tag, "My Song"), "My Song 1999 #255") << "a matching title gives the base name";

    // Artist and album are trimmed at the end only; the title at both ends.
    tag = Tag("  Other  ", " Band", "Album", "99", "no track here at all, 30 bytes", ' ');
    EXPECT_EQ(Id3v1Name(tag, "My Song"), "Other  Band Album 99 no track here at all, 30 bytes");
    EXPECT_EQ(Id3v1Name(Tag("", "", "", "", ""), "Base"), "Base #0") << "an empty title matches";
    EXPECT_EQ(Id3v1Name(Tag("My Song Longer", "", "", "", "", ' '), "My Song"), "My Song Longer");
}

TEST(MediaNames, Id3v1NameFallsBackWithoutATag)
{
    std::string tag = Tag("Title", "", "", "", "");
    EXPECT_EQ(Id3v1Name(tag.substr(0, 127), "Base"), "Base") << "shorter than a tag";
    tag[0] = 't';
    EXPECT_EQ(Id3v1Name(tag, "Base"), "Base");
    EXPECT_EQ(Id3v1Name("", "Base"), "Base");
}

TEST(MediaNames, ModuleTitles)
{
    std::string xm = "Extended Module: Space Tune\x1a" + std::string(20, 'x');
    EXPECT_EQ(ModuleTitle(xm, "base"), "Space Tune");
    EXPECT_EQ(ModuleTitle("IMPMDrift\0rest", "base"), "Drift");
    EXPECT_EQ(ModuleTitle(std::string("MTM\x10  Waves  \0", 13), "base"), "Waves");
    EXPECT_EQ(ModuleTitle("extended module: kept", "base"), "extended module: kept") << "case-sensitive";
    EXPECT_EQ(ModuleTitle("  mO3 ", "base"), "base");
    EXPECT_EQ(ModuleTitle("\" \"Quoted\" \"", "base"), "Quoted");
    EXPECT_EQ(ModuleTitle("\"Half", "base"), "\"Half");
    EXPECT_EQ(ModuleTitle(" \" ", "base"), "") << "one quote both starts and ends the title";
    EXPECT_EQ(ModuleTitle("\xe0 Edge \xe0", "base"), "Edge");
    EXPECT_EQ(ModuleTitle(std::string("\0Title", 6), "base"), "");
    EXPECT_EQ(ModuleTitle(std::string(300, 'a'), "base"), std::string(256, 'a')) << "256 bytes are read";
}

TEST(DisplayText, Utf8ValidityFollowsTheStandard)
{
    for (const char *valid : {"", "plain", "Caf\xc3\xa9", "\xe2\x82\xac", "\xf0\x9f\x8e\xb5", "\xef\xbc\xbc",
                              "\xed\x9f\xbf", "\xf4\x8f\xbf\xbf"})
        EXPECT_TRUE(utf8::IsValid(valid)) << valid;
    // Latin-1, stray and missing continuations, overlong forms, surrogates,
    // code points above U+10FFFF, bytes that never occur.
    for (const char *invalid : {"Caf\xe9", "\x80", "\xc3", "\xe2\x82", "a\xc3(", "\xc0\x80", "\xe0\x80\x80",
                                "\xf0\x80\x80\x80", "\xed\xa0\x80", "\xf4\x90\x80\x80", "\xf5\x80\x80\x80", "\xff"})
        EXPECT_FALSE(utf8::IsValid(invalid)) << invalid;
}

TEST(DisplayText, Latin1BecomesUtf8OnlyForAUtf8Host)
{
    std::string every;
    for (int c = 1; c < 256; ++c)
        every += char(c);
    std::string utf8 = Latin1ToUtf8(every);
    EXPECT_TRUE(utf8::IsValid(utf8));
    EXPECT_EQ(utf8.size(), every.size() + 128) << "each byte from 0x80 takes two";
    EXPECT_EQ(Latin1ToUtf8("Caf\xe9 \xff\x80"), "Caf\xc3\xa9 \xc3\xbf\xc2\x80");

    EXPECT_EQ(DisplayText("Caf\xc3\xa9", HostText::Utf8), "Caf\xc3\xa9") << "UTF-8 stays";
    EXPECT_EQ(DisplayText("Caf\xe9", HostText::CodePage), "Caf\xe9") << "other hosts get the bytes";
}

TEST(DisplayText, ACutNeverSplitsACharacter)
{
    const std::string text = "ab\xc3\xa9\xf0\x9f\x8e\xb5z"; // a b e-acute U+1F3B5 z
    const size_t kept[] = {0, 1, 2, 2, 4, 4, 4, 4, 8, 9, 9};
    for (size_t limit = 0; limit <= 10; ++limit)
        EXPECT_EQ(Utf8Cut(text, limit), kept[limit]) << "limit " << limit;
    EXPECT_EQ(Utf8Cut("ab\xe9\xe9\xe9", 3), 3u) << "what is no character is cut as bytes";
    EXPECT_EQ(Utf8Cut("a\x80\x80\x80\x80", 3), 3u);
}

TEST(MediaNames, AUtf8HostReadsEachTagFieldAsUtf8OrLatin1)
{
    // Latin-1 title and album, UTF-8 artist (Cyrillic), track 3.
    std::string tag = Tag("Caf\xe9 Noir", "\xd0\x92\xd0\xb5\xd1\x87\xd0\xb5\xd1\x80", "\xc9t\xe9", "2001",
                          std::string(28, '\0') + '\0' + '\x03');
    EXPECT_EQ(Id3v1Name(tag, "x", HostText::Utf8),
              "Caf\xc3\xa9 Noir \xd0\x92\xd0\xb5\xd1\x87\xd0\xb5\xd1\x80 \xc3\x89t\xc3\xa9 2001 #3");
    EXPECT_EQ(Id3v1Name(tag, "x"), "Caf\xe9 Noir \xd0\x92\xd0\xb5\xd1\x87\xd0\xb5\xd1\x80 \xc9t\xe9 2001 #3");
    // The title is compared with the base name once both are UTF-8.
    EXPECT_EQ(Id3v1Name(Tag("CAF\xe9", "", "", "", ""), "Caf\xc3\xa9 Noir", HostText::Utf8), "Caf\xc3\xa9 Noir #0");
    // A 30-byte title in Latin-1 becomes longer than its field.
    std::string wide(30, '\xe9');
    EXPECT_EQ(Id3v1Name(Tag(wide, "", "", "", "x"), "b", HostText::Utf8), Latin1ToUtf8(wide) + " x #0");
}

TEST(MediaNames, AUtf8HostReadsModuleTitlesAsUtf8OrLatin1)
{
    EXPECT_EQ(ModuleTitle("Extended Module: Stra\xdf" "e\x1a", "b", HostText::Utf8), "Stra\xc3\x9f" "e");
    // Byte 0xE0 that begins a character (Devanagari KA) stays; padding goes.
    const std::string ka = "\xe0\xa4\x95";
    EXPECT_EQ(ModuleTitle("\xe0 " + ka + " \xe0", "b", HostText::Utf8), ka);
    EXPECT_EQ(ModuleTitle(ka, "b"), "\xa4\x95") << "as always in an 8-bit code page";
    EXPECT_EQ(ModuleTitle(std::string(300, '\xe9'), "b", HostText::Utf8), Latin1ToUtf8(std::string(256, '\xe9')));
}

TEST(MediaNames, CdTracksAndDrives)
{
    EXPECT_EQ(CdTrackIndex("Track05.cda"), 4);
    EXPECT_EQ(CdTrackIndex("track03.CDA"), 2);
    EXPECT_EQ(CdTrackIndex("Track.cda"), -1);
    EXPECT_EQ(CdTrackIndex("TRTRACKACK12.cda"), -1) << "removal leaves TRACK12, which has no leading number";
    EXPECT_EQ(CdTrackIndex(" 7 rest"), 6);
    EXPECT_EQ(CdTrackIndex("99999999999999999999"), 2147483647);

    EXPECT_EQ(CdDriveIndex('D', "Cd"), 0);
    EXPECT_EQ(CdDriveIndex('e', "CdEe"), 1);
    EXPECT_EQ(CdDriveIndex('F', "CdE"), 0) << "not a CD drive";
}

} // namespace
