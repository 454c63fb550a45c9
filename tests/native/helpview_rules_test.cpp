// The viewer's Win32-free rules: its command line, the placement bytes, the
// WM_COPYDATA command text, the addresses it builds, and how 8-bit texts
// make characters.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "address_rules.h"
#include "code_page_text.h"
#include "command_line.h"
#include "copydata_command.h"
#include "placement_values.h"
#include "utf8_text.h"

using namespace helpview;

namespace {

// ---- Command line -------------------------------------------------------------

TEST(CommandLine, ArgumentsFollowTheProgramNameQuotedOrNot)
{
    EXPECT_EQ(ArgumentsOf("helpview.exe   C:\\a.htm"), "C:\\a.htm");
    EXPECT_EQ(ArgumentsOf("\"C:\\Program Files\\App\\helpview.exe\"  x,y "), "x,y ");
    EXPECT_EQ(ArgumentsOf("\"C:\\Program Files\\App\\helpview.exe\""), "");
    EXPECT_EQ(ArgumentsOf("C:\\App\\helpview.exe"), "");
    EXPECT_EQ(ArgumentsOf("helpview.exe\t\"doc\""), "\"doc\"");
    EXPECT_EQ(ArgumentsOf("\"unterminated name"), "");
    EXPECT_EQ(ArgumentsOf(""), "");
}

TEST(CommandLine, DocumentAndSkinByTheFieldRules)
{
    struct Case {
        const char *arguments, *document, *skin;
    } cases[] = {
        // A quoted path with a blank, a comma, a blank and a skin path.
        {"\"C:\\My Help\\index.htm\", C:\\Skins\\blue.skl", "C:\\My Help\\index.htm", "C:\\Skins\\blue.skl"},
        // Unquoted fields lose their trailing blanks; text after a closing
        // quote up to the comma is ignored.
        {"C:\\a.htm  ,  C:\\b.skl  ", "C:\\a.htm", "C:\\b.skl"},
        {"\"C:\\a.htm\" ignored, \"C:\\b c.skl\" also ignored", "C:\\a.htm", "C:\\b c.skl"},
        // Commas inside quotes do not separate; further fields are ignored.
        {"\"a,b.htm\",c.skl,d,e", "a,b.htm", "c.skl"},
        {",c.skl", "", "c.skl"},
        {"a.htm,", "a.htm", ""},
        // One field: the whole text, unchanged, with the default skin.
        {"http://example.org/page.htm  ", "http://example.org/page.htm  ", "D:\\v.skl"},
        {"C:\\a \"b\".htm", "C:\\a \"b\".htm", "D:\\v.skl"},
        {"", "", "D:\\v.skl"},
        // A lone quoted document loses its quotes (and what follows them).
        {"\"C:\\My Help\\index.htm\"", "C:\\My Help\\index.htm", "D:\\v.skl"},
        {"  \"C:\\My Help\\index.htm\"  ", "C:\\My Help\\index.htm", "D:\\v.skl"},
        {"\"no closing quote, here", "no closing quote, here", "D:\\v.skl"},
    };
    for (const Case &c : cases) {
        DocumentAndSkin chosen = ChooseDocumentAndSkin(c.arguments, "D:\\v.skl");
        EXPECT_EQ(chosen.document, c.document) << c.arguments;
        EXPECT_EQ(chosen.skinFile, c.skin) << c.arguments;
    }
}

// ---- Placement -------------------------------------------------------------------

std::vector<std::uint8_t> Bytes(std::initializer_list<int> values)
{
    std::vector<std::uint8_t> bytes;
    for (int v : values)
        bytes.push_back(std::uint8_t(v));
    return bytes;
}

void ExpectPlacement(const Placement &got, int left, int top, int width, int height, const char *what)
{
    EXPECT_EQ(got.left, left) << what;
    EXPECT_EQ(got.top, top) << what;
    EXPECT_EQ(got.width, width) << what;
    EXPECT_EQ(got.height, height) << what;
}

TEST(Placement, DefaultIsCentredSixHundredByFourHundredFifty)
{
    ExpectPlacement(DefaultPlacement(1024, 768), 212, 159, 600, 450, "1024 x 768");
    ExpectPlacement(DefaultPlacement(640, 480), 20, 15, 600, 450, "640 x 480");
    ExpectPlacement(DefaultPlacement(500, 400), 0, 0, 600, 450, "smaller than the window");
    ExpectPlacement(DefaultPlacement(601, 451), 0, 0, 600, 450, "odd remainder truncates");
    ExpectPlacement(DecodePlacement(nullptr, 0, 300, 200, 1024, 768), 212, 159, 600, 450, "no bytes");
}

TEST(Placement, ValuesAreSigned16BitLittleEndianRaisedToTheMinima)
{
    auto full = Bytes({10, 0, 20, 0, 0x20, 0x03, 0x58, 0x02}); // 10, 20, 800, 600
    ExpectPlacement(DecodePlacement(full.data(), full.size(), 300, 200, 1024, 768), 10, 20, 800, 600, "full");

    auto small = Bytes({0xF6, 0xFF, 0x9C, 0xFF, 100, 0, 50, 0}); // -10, -100, 100, 50
    ExpectPlacement(DecodePlacement(small.data(), small.size(), 300, 200, 1024, 768), 0, 0, 300, 200, "minima");

    // 40000 was saved as its low 16 bits and comes back negative.
    auto wrapped = EncodePlacement(Placement{40000, 5, 40000, 70000});
    EXPECT_EQ(wrapped[0], 0x40);
    EXPECT_EQ(wrapped[1], 0x9C);
    ExpectPlacement(DecodePlacement(wrapped.data(), wrapped.size(), 300, 200, 1024, 768), 0, 5, 300, 4464,
                    "wrapped");
}

TEST(Placement, ShortAndLongFilesAreSafe)
{
    auto three = Bytes({0x2C, 0x01, 0x7F});
    ExpectPlacement(DecodePlacement(three.data(), three.size(), 300, 200, 1024, 768), 300, 127, 300, 200,
                    "3 bytes");
    auto one = Bytes({0x05});
    ExpectPlacement(DecodePlacement(one.data(), one.size(), 320, 240, 1024, 768), 5, 0, 320, 240, "1 byte");
    auto twelve = Bytes({1, 0, 2, 0, 0x90, 0x01, 0x2C, 0x01, 0xFF, 0xFF, 0xFF, 0xFF});
    ExpectPlacement(DecodePlacement(twelve.data(), twelve.size(), 300, 200, 1024, 768), 1, 2, 400, 300,
                    "12 bytes");
}

TEST(Placement, WindowOutsideTheDesktopIsBroughtBack)
{
    ScreenArea single{0, 0, 1024, 768};
    // On a second monitor that has gone: pulled to the right edge.
    ExpectPlacement(BringIntoView(Placement{1900, 100, 600, 450}, single), 424, 100, 600, 450, "right");
    ExpectPlacement(BringIntoView(Placement{100, 2000, 600, 450}, single), 100, 318, 600, 450, "below");
    ExpectPlacement(BringIntoView(Placement{5000, 5000, 2000, 1500}, single), 0, 0, 2000, 1500, "larger");
    // Partly visible windows stay where they are.
    ExpectPlacement(BringIntoView(Placement{1000, 700, 600, 450}, single), 1000, 700, 600, 450, "corner");
    // A desktop reaching left of the primary monitor.
    ScreenArea two{-1280, 0, 2304, 1024};
    ExpectPlacement(BringIntoView(Placement{1100, 0, 600, 450}, two), 424, 0, 600, 450, "two monitors");
    ExpectPlacement(BringIntoView(Placement{32767, 32767, 32767, 32767}, two), -1280, 0, 32767, 32767, "huge");
    // No desktop known: nothing to compare with.
    ExpectPlacement(BringIntoView(Placement{9000, 9000, 600, 450}, ScreenArea{}), 9000, 9000, 600, 450, "none");
}

// ---- WM_COPYDATA -------------------------------------------------------------------

TEST(CopyData, TextIsBoundByWParamCbDataAndTheNavigationLimit)
{
    const char url[] = "file://C:/Help/index.htm";
    CopyDataCommand same = DecodeCopyData(24, COPYDATA_NAVIGATE, 24, url);
    EXPECT_EQ(same.code, COPYDATA_NAVIGATE);
    EXPECT_EQ(same.text, "file://C:/Help/index.htm");

    EXPECT_EQ(DecodeCopyData(7, 3, 24, url).text, "file://") << "wParam shorter";
    EXPECT_EQ(DecodeCopyData(24, 3, 7, url).text, "file://") << "cbData shorter";
    // A window handle in wParam: no buffer of that size, nothing past cbData.
    EXPECT_EQ(DecodeCopyData(0x7FFF0000u, 3, 24, url).text, url);
    EXPECT_EQ(DecodeCopyData(0, 3, 24, url).text, "");

    EXPECT_FALSE(same.cut);

    // Cut: the sender's text went on past the limit.
    std::string longText(1000, 'x');
    CopyDataCommand cut = DecodeCopyData(1000, 3, 1000, longText.data());
    EXPECT_EQ(cut.text, std::string(255, 'x'));
    EXPECT_TRUE(cut.cut);
    EXPECT_FALSE(DecodeCopyData(255, 3, 1000, longText.data()).cut) << "the whole text the sender gave";
    std::string endsAtLimit = std::string(255, 'x') + '\0' + "tail";
    EXPECT_FALSE(DecodeCopyData(260, 3, 260, endsAtLimit.data()).cut) << "a zero right after the limit";

    const char zero[] = {'a', 'b', '\0', 'c'};
    EXPECT_EQ(DecodeCopyData(4, 3, 4, zero).text, "ab");
    EXPECT_FALSE(DecodeCopyData(4, 3, 4, zero).cut);

    CopyDataCommand noData = DecodeCopyData(24, COPYDATA_CLOSE, 24, nullptr);
    EXPECT_EQ(noData.code, COPYDATA_CLOSE);
    EXPECT_EQ(noData.text, "");
}

// ---- Names and addresses ---------------------------------------------------------------

const CodePageShape SingleByte{};
const CodePageShape Utf8{true, {}};

std::string Repeated(std::string_view piece, size_t times)
{
    std::string text;
    while (times--)
        text += piece;
    return text;
}

TEST(Addresses, BasePathStopsAtTheFirstDotAndAddressesAreCutAt511Characters)
{
    EXPECT_EQ(BasePathOf("C:\\App\\", "viewer.test.exe"), "C:\\App\\viewer");
    EXPECT_EQ(StemOf(".hidden"), "");
    EXPECT_EQ(FileAddress("C:\\Help\\", "index.htm", SingleByte), "file://C:\\Help\\index.htm");
    EXPECT_EQ(FileAddress(std::string(600, 'f'), "x.htm", SingleByte).size(), 511u);
    EXPECT_EQ(AddressText(std::string(700, 'u'), SingleByte).size(), 511u);
    // In UTF-8 a path of 300 Cyrillic letters takes 600 bytes and is kept
    // whole; a longer text is cut after 511 characters, never inside one.
    std::string folder = "C:\\" + Repeated("\xD0\xAF", 300) + "\\";
    EXPECT_EQ(FileAddress(folder, "x.htm", Utf8), "file://" + folder + "x.htm");
    EXPECT_EQ(AddressText(Repeated("\xD0\xAF", 700), Utf8), Repeated("\xD0\xAF", 511));
    EXPECT_EQ(AddressText(std::string(510, 'u') + "\xF0\x9F\x8E\xB5", Utf8), std::string(510, 'u'))
        << "a character of two units does not fit in the last one";
}

TEST(Addresses, PdfPositionIsOneBasedInAnyCase)
{
    EXPECT_EQ(PdfPosition("C:\\Manual.pdf"), 10u);
    EXPECT_EQ(PdfPosition("file://C:/Doc.PdF#page=2"), 14u);
    EXPECT_EQ(PdfPosition(".pdf"), 1u);
    EXPECT_EQ(PdfPosition("C:\\Manual.pd"), 0u);
    EXPECT_EQ(PdfPosition("C:\\a.pdx.pdf"), 9u);
    EXPECT_EQ(PdfPosition(""), 0u);
}

// ---- How 8-bit texts make characters ----------------------------------------------------

TEST(CodePageText, Utf8IsStrict)
{
    const char *valid[] = {
        "", "plain ASCII", "\xD0\xA1\xD0\xBF\xD1\x80\xD0\xB0\xD0\xB2\xD0\xBA\xD0\xB0", // Справка
        "\xE6\xBC\xA2\xE5\xAD\x97", "\xF0\x9F\x8E\xB5", "e\xCC\x81",             // CJK, emoji, combining
        "\xC2\x80", "\xDF\xBF", "\xE0\xA0\x80", "\xED\x9F\xBF", "\xEE\x80\x80",      // the edges of each form
        "\xEF\xBF\xBF", "\xF0\x90\x80\x80", "\xF4\x8F\xBF\xBF",
        // The ambiguity: 1252's "Ã©" is the UTF-8 of "é", and is read as that.
        "\xC3\xA9",
    };
    for (const char *text : valid)
        EXPECT_TRUE(utf8::IsValid(text)) << text;
    const char *invalid[] = {
        "Caf\xE9", "\x80 euro in 1252", "\x93quoted\x94",            // 8-bit texts
        "\xC0\x80", "\xC1\xBF", "\xE0\x9F\xBF", "\xF0\x8F\xBF\xBF", // overlong forms
        "\xED\xA0\x80", "\xED\xBF\xBF",                             // surrogate halves
        "\xF4\x90\x80\x80", "\xF5\x80\x80\x80", "\xFF",             // past U+10FFFF
        "\xBF", "a\xD0", "\xE2\x82", "\xF0\x9F\x8E", "\xE2\x82\x41", // stray and cut sequences
    };
    for (const char *text : invalid)
        EXPECT_FALSE(utf8::IsValid(text)) << text;
}

TEST(CodePageText, CutsKeepWholeCharactersWithinBytesAndUnits)
{
    EXPECT_EQ(WholeCharacters("abcdef", SingleByte, 3, 100), 3u);
    EXPECT_EQ(WholeCharacters("abcdef", SingleByte, 100, 2), 2u);
    EXPECT_EQ(WholeCharacters("\xE9\x80", SingleByte, 100, 100), 2u);

    std::string_view cyrillic = "a\xD0\xA1" "b"; // aСb
    EXPECT_EQ(WholeCharacters(cyrillic, Utf8, 2, 100), 1u);
    EXPECT_EQ(WholeCharacters(cyrillic, Utf8, 3, 100), 3u);
    EXPECT_EQ(WholeCharacters(cyrillic, Utf8, 100, 2), 3u);
    std::string_view note = "\xF0\x9F\x8E\xB5x"; // two units, then one
    EXPECT_EQ(WholeCharacters(note, Utf8, 100, 1), 0u);
    EXPECT_EQ(WholeCharacters(note, Utf8, 100, 2), 4u);
    EXPECT_EQ(WholeCharacters(note, Utf8, 4, 100), 4u);
    // A character the text's end cuts off is left out; invalid bytes are
    // one character each.
    EXPECT_EQ(WholeCharacters("ab\xE2\x82", Utf8, 100, 100), 2u);
    EXPECT_EQ(WholeCharacters("a\xE9" "b\xE2\x82\xAC", Utf8, 100, 100), 6u);
    EXPECT_EQ(WholeCharacters("a\xE9" "b", Utf8, 100, 3), 3u);

    CodePageShape doubleByte; // lead bytes 0x81 to 0x9F, as in Japanese
    for (int lead = 0x81; lead <= 0x9F; ++lead)
        doubleByte.leadBytes[size_t(lead)] = true;
    EXPECT_EQ(WholeCharacters("\x82\xA0x", doubleByte, 1, 100), 0u);
    EXPECT_EQ(WholeCharacters("\x82\xA0x", doubleByte, 2, 100), 2u);
    EXPECT_EQ(WholeCharacters("\x82\xA0x", doubleByte, 100, 2), 3u);
    EXPECT_EQ(WholeCharacters("a\x82", doubleByte, 100, 100), 1u);
}

} // namespace
