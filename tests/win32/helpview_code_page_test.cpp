// The viewer carries every character. This program runs with UTF-8 as its
// code page, as a current host can, and starts and drives the real viewer;
// an older program in code page 1252 sends it commands too. Documents under
// non-Latin names, navigate commands from both kinds of sender, ".sys" files
// in UTF-8 and in the system's code page, page titles in any script; and the
// conversions themselves in a process whose code page is UTF-8.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "helpview_viewer_fixture.h"
#include "process_code_page.h"
#include "variant_text.h"

using namespace hvtest;

namespace {

// Names to test with: Cyrillic, Chinese (three bytes a character in UTF-8),
// a character beyond the Basic Multilingual Plane (four bytes, and a
// surrogate pair in UTF-16), and a combining sequence.
const std::wstring Cyrillic = L"\u0421\u043F\u0440\u0430\u0432\u043A\u0430"; // "Help"
const std::wstring Chinese = L"\u5E2E\u52A9\u6587\u6863";                     // "Help document"
const std::wstring Note = L"\U0001F3B5";
const std::wstring Combining = L"e\u0301";

std::string Utf8Of(const std::wstring &text)
{
    int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(size_t(std::max(size, 0)), '\0');
    if (size > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), &bytes[0], size, nullptr, nullptr);
    return bytes;
}

std::wstring WideOf(const std::string &utf8)
{
    int size = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
    std::wstring text(size_t(std::max(size, 0)), L'\0');
    if (size > 0)
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), &text[0], size);
    return text;
}

// The window's text as UTF-16, asked with a time limit: the viewer is
// another process.
std::wstring TextOf(HWND window)
{
    std::vector<wchar_t> text(16384);
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_NORMAL,
                             5000, &length))
        return L"(no answer)";
    return std::wstring(text.data(), std::min<size_t>(length, text.size()));
}

std::wstring WaitForText(HWND window, const std::wstring &wanted)
{
    std::wstring text;
    for (DWORD start = GetTickCount(); GetTickCount() - start < 5000; Sleep(10)) {
        text = TextOf(window);
        if (text == wanted)
            break;
    }
    return text;
}

class Utf8Host : public ViewerTest {
protected:
    Utf8Host() : ViewerTest(L"helpview_code_page_test.log") {}

    void SetUp() override
    {
        ASSERT_EQ(GetACP(), UINT(CP_UTF8)) << "this program's manifest makes UTF-8 its code page";
        ViewerTest::SetUp();
    }
};

// The document is named on the command line by a path whose UTF-8 is longer
// than 260 bytes, though its UTF-16 fits.
TEST_F(Utf8Host, ADocumentUnderNonLatinNamesIsFoundByItsPath)
{
    ViewerFiles files = PrepareViewer("utf8_command_line");
    std::wstring folder = WideOf(files.folder) + Cyrillic + L" " + Chinese + L" " + Note + L" " + Combining + L"\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    folder += std::wstring(40, L'\u6587') + L"\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    std::wstring document = folder + std::wstring(10, L'\u6863') + L" " + Cyrillic + L".htm";
    ASSERT_GT(Utf8Of(document).size(), 260u);
    ASSERT_LT(document.size(), 200u);
    ASSERT_TRUE(WriteWholeFile(Utf8Of(document), PageText));

    Viewer viewer(files, "\"" + Utf8Of(document) + "\"");
    HWND main = viewer.Window();
    ASSERT_NE(main, nullptr) << viewer.Problem();
    std::vector<std::wstring> urls = Navigations(viewer);
    ASSERT_EQ(urls.size(), 1u);
    EXPECT_EQ(urls[0], L"file://" + document);
    EXPECT_EQ(CloseViewer(viewer), 0u);
}

// A host in UTF-8 and an older one in 1252 name the same characters with
// different bytes; the control is given the characters.
TEST_F(Utf8Host, NavigateCommandsFromUtf8AndWesternSendersReachTheControlAlike)
{
    ViewerFiles files = PrepareViewer("utf8_senders");
    Viewer viewer(files, "");
    HWND main = viewer.Window();
    ASSERT_NE(main, nullptr) << viewer.Problem();
    ASSERT_EQ(Navigations(viewer).size(), 1u) << "the start page";

    std::wstring page = L"file://C:/" + Cyrillic + L"/" + Chinese + L" " + Note + L" caf\u00E9 \u20AC.htm";
    EXPECT_EQ(SendCommand(main, 3, Utf8Of(page)), 1);
    std::vector<std::wstring> urls = Navigations(viewer, 2);
    ASSERT_EQ(urls.size(), 2u);
    EXPECT_EQ(urls.back(), page) << "from this program, in UTF-8";

    // The peer runs in 1252: the system gives it the address in that code
    // page (0xE9, 0x80, 0x91, 0x92), and it sends those bytes.
    std::wstring western = L"http://example.org/caf\u00E9/\u20AC/\u2018quoted\u2019";
    EXPECT_EQ(SendFromPrograms(ExeFolder() + "helpview_copydata_peer.exe", main, 1, 1, Utf8Of(western)), 0u);
    urls = Navigations(viewer, 3);
    ASSERT_EQ(urls.size(), 3u);
    EXPECT_EQ(urls.back(), western + L"0?n=0") << "from an older program, in 1252";
    // Its longest text, 255 bytes, takes almost twice as many in UTF-8.
    EXPECT_EQ(SendCommand(main, 3, "http://example.org/" + std::string(236, '\xE9')), 1);
    urls = Navigations(viewer, 4);
    ASSERT_EQ(urls.size(), 4u);
    EXPECT_EQ(urls.back(), L"http://example.org/" + std::wstring(236, L'\u00E9'));

    // A UTF-8 text the 255-byte limit cuts inside a character loses that
    // character, not its reading: 20 bytes and 130 two-byte letters.
    EXPECT_EQ(SendCommand(main, 3, "http://example.org/x" + Utf8Of(std::wstring(130, L'\u042F'))), 1);
    urls = Navigations(viewer, 5);
    ASSERT_EQ(urls.size(), 5u);
    EXPECT_EQ(urls.back(), L"http://example.org/x" + std::wstring(117, L'\u042F'));
    EXPECT_EQ(CloseViewer(viewer), 0u);
}

TEST_F(Utf8Host, SysFilesInUtf8AndInTheSystemsCodePageGiveTheirTexts)
{
    const std::wstring print = L"\u041F\u0435\u0447\u0430\u0442\u044C";
    struct Case {
        std::string sys;
        std::wstring caption;
        std::wstring printLabel;
        const char *what;
    } cases[] = {
        {Utf8Of(Cyrillic + L"\r\n\r\nBack\r\nPrint this page\r\nForward\r\n" + print + L"\r\n"), Cyrillic, print,
         "UTF-8"},
        {"\xEF\xBB\xBF" + Utf8Of(Chinese + L" " + Note + L"\r\n\r\n\r\n\r\n\r\n\u6253\u5370\r\n"), Chinese + L" " + Note,
         L"\u6253\u5370", "UTF-8 with a byte order mark"},
        {"Aide \xE9 \x80\r\n\r\n\r\n\r\n\r\nImprim\xE9\r\n", L"Aide \u00E9 \u20AC", L"Imprim\u00E9", "code page 1252"},
    };
    for (const Case &c : cases) {
        ViewerFiles files = PrepareViewer("utf8_sys");
        ASSERT_TRUE(WriteWholeFile(files.base + ".sys", c.sys));
        Viewer viewer(files, "");
        HWND main = viewer.Window();
        ASSERT_NE(main, nullptr) << c.what << ": " << viewer.Problem();
        EXPECT_EQ(WaitForText(main, c.caption), c.caption) << c.what;
        EXPECT_EQ(TextOf(GetDlgItem(HolderOf(main), 2)), c.printLabel) << c.what;
        EXPECT_EQ(CloseViewer(viewer), 0u) << c.what;
    }
}

TEST_F(Utf8Host, PageTitlesInAnyScriptMakeTheCaption)
{
    ViewerFiles files = PrepareViewer("utf8_titles");
    ASSERT_TRUE(WriteWholeFile(files.base + ".sys", Utf8Of(Cyrillic + L"\r\n")));
    Viewer viewer(files, "");
    HWND main = viewer.Window();
    ASSERT_NE(main, nullptr) << viewer.Problem();
    HWND view = testbrowser::FindView(main);
    ASSERT_NE(view, nullptr);

    std::wstring title = L"\u0421 " + Chinese + L" " + Note + L" " + Combining;
    EXPECT_EQ(testbrowser::Fire(view, testbrowser::TitleChange, title), 1);
    EXPECT_EQ(WaitForText(main, Cyrillic + L" - " + title), Cyrillic + L" - " + title);
    EXPECT_EQ(testbrowser::Fire(view, testbrowser::StatusTextChange, Chinese), 1);
    HWND status = FindWindowExA(HolderOf(main), nullptr, "Static", nullptr);
    EXPECT_EQ(WaitForText(status, L" " + Chinese), L" " + Chinese);
    // A title keeps 4095 characters, however many bytes they take, and
    // never half of a pair.
    EXPECT_EQ(testbrowser::Fire(view, testbrowser::TitleChange, std::wstring(4094, L'\u6587') + Note + L"x"), 1);
    std::wstring cut = Cyrillic + L" - " + std::wstring(4094, L'\u6587');
    EXPECT_TRUE(WaitForText(main, cut) == cut) << "the long title's caption differs";
    EXPECT_EQ(CloseViewer(viewer), 0u);
}

// ==== The conversions in this process =================================================================

TEST(Utf8Process, ConversionsKeepWholeCharactersAndReadOtherTextsInTheSystemsCodePage)
{
    using namespace helpview;
    ASSERT_EQ(GetACP(), UINT(CP_UTF8));
    ASSERT_EQ(SystemEightBitCodePage(), 1252u) << "the system's code page, which these cases assume";

    std::wstring three = L"a\u0421" + Note; // 1, 2 and 4 bytes
    BSTR text = SysAllocString(three.c_str());
    char target[8];
    EXPECT_EQ(BstrToAnsi(text, target, 8), 0);
    EXPECT_EQ(std::string(target), Utf8Of(three));
    EXPECT_EQ(BstrToAnsi(text, target, 7), 0);
    EXPECT_EQ(std::string(target), Utf8Of(L"a\u0421")) << "the note does not fit whole";
    EXPECT_EQ(BstrToAnsi(text, target, 2), 0);
    EXPECT_EQ(std::string(target), "a");
    SysFreeString(text);

    // Texts from outside: UTF-8 as it is, anything else read in 1252.
    EXPECT_EQ(TextFromOutside(Utf8Of(Cyrillic)), Utf8Of(Cyrillic));
    EXPECT_EQ(TextFromOutside("caf\xE9 \x80 \x93q\x94"), Utf8Of(L"caf\u00E9 \u20AC \u201Cq\u201D"));
    EXPECT_EQ(TextFromOutside("\xC3\xA9"), Utf8Of(L"\u00E9")) << "the one ambiguity: read as UTF-8";
    std::string cutOff = Utf8Of(L"a\u0421\u0421").substr(0, 4);
    EXPECT_EQ(TextFromOutside(cutOff, true), Utf8Of(L"a\u0421")) << "cut by the sender's limit";
    EXPECT_EQ(TextFromOutside(cutOff), Utf8Of(L"a\u00D0\u00A1\u00D0")) << "not cut: not UTF-8";

    // The lines of a file are in one code page: a line that happens to be
    // valid UTF-8 is read as the rest of its file is.
    std::vector<std::string> western{"Help", "\xC3\xA9", "caf\xE9"};
    LinesFromOutside(western);
    EXPECT_EQ(western, (std::vector<std::string>{"Help", Utf8Of(L"\u00C3\u00A9"), Utf8Of(L"caf\u00E9")}));
    std::vector<std::string> marked{"\xEF\xBB\xBF" + Utf8Of(Cyrillic), "x"};
    LinesFromOutside(marked);
    EXPECT_EQ(marked, (std::vector<std::string>{Utf8Of(Cyrillic), "x"}));
}

} // namespace
