// Naming and typing media: extension keys and kinds, base names, ID3v1
// display names, module titles and CD track files.
#include <gtest/gtest.h>

#include <string>

#include "media_names.h"

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
