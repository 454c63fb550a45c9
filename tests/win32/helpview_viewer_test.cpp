// The real helpview.exe, started as its own process beside its files: its
// start-up, its window, its command protocol, its placement file, and what
// it draws. Message boxes are found and pressed, never waited on.
#include <gtest/gtest.h>

#include <windows.h>

#include <themekit.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "helpview_viewer_fixture.h"
#include "machine_guard.h"
#include "png_writer.h"
#include "process_counts.h"

using namespace hvtest;

namespace {

std::string ColourText(COLORREF colour)
{
    if (colour == CLR_INVALID)
        return "invalid";
    char text[16];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", GetRValue(colour), GetGValue(colour), GetBValue(colour));
    return text;
}

// Wine takes a Unix path for a file on drive Z:.
std::string WindowsPathOf(std::string path)
{
    if (!path.empty() && path[0] == '/')
        path = "Z:" + path;
    for (char &c : path)
        if (c == '/')
            c = '\\';
    return path;
}

// ---- Windows of the viewer ----------------------------------------------------------------

std::string TextOf(HWND window)
{
    char text[512] = {};
    // A timeout: the viewer is another process.
    DWORD_PTR length = 0;
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 5000, &length);
    return text;
}

std::string ClassOf(HWND window)
{
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

RECT RectIn(HWND child, HWND parent)
{
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT *>(&rect), 2);
    return rect;
}

std::string RectText(const RECT &rect)
{
    return "{" + std::to_string(rect.left) + "," + std::to_string(rect.top) + "," + std::to_string(rect.right) + "," +
           std::to_string(rect.bottom) + "}";
}

// Waits until the window's text is the one wanted; gives the last text seen.
std::string WaitForText(HWND window, const std::string &wanted, DWORD milliseconds = 5000)
{
    DWORD start = GetTickCount();
    std::string text;
    do {
        text = TextOf(window);
        if (text == wanted)
            break;
        Sleep(10);
    } while (GetTickCount() - start < milliseconds);
    return text;
}

// Pumps this thread's messages while waiting for the viewer to end.
DWORD PumpUntilExit(Viewer &viewer, DWORD milliseconds = 20000)
{
    DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds) {
        HANDLE process = viewer.Process();
        if (MsgWaitForMultipleObjects(1, &process, FALSE, 50, QS_ALLINPUT) == WAIT_OBJECT_0)
            return viewer.WaitForExit(0);
        MSG message{};
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    return viewer.WaitForExit(0);
}

std::string Placement(int left, int top, int width, int height)
{
    std::string bytes;
    for (int value : {left, top, width, height}) {
        bytes += char(value & 0xFF);
        bytes += char(value >> 8 & 0xFF);
    }
    return bytes;
}

std::string HexOf(const std::string &bytes)
{
    std::string text;
    char part[4];
    for (unsigned char c : bytes) {
        std::snprintf(part, sizeof part, "%02X ", c);
        text += part;
    }
    return text;
}

RECT WindowRect(HWND window)
{
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

std::string PlacementText(const RECT &rect)
{
    return std::to_string(rect.left) + "," + std::to_string(rect.top) + " " + std::to_string(rect.right - rect.left) +
           "x" + std::to_string(rect.bottom - rect.top);
}

// ---- The test browser control ----------------------------------------------------------------

std::wstring Wide(const std::string &bytes)
{
    std::wstring text;
    for (unsigned char c : bytes)
        text += wchar_t(c);
    return text;
}

std::vector<testbrowser::Call> ViewerCallsIn(const std::wstring &log, const Viewer &viewer, const std::string &method)
{
    std::vector<testbrowser::Call> calls;
    for (const testbrowser::Call &call : testbrowser::CallsOf(testbrowser::ReadLog(log), method))
        if (call.process == viewer.Id())
            calls.push_back(call);
    return calls;
}

// The viewer's "Shell.Explorer.2" is the test control while this program
// runs.
class ViewerRun : public ViewerTest {
protected:
    ViewerRun() : ViewerTest(L"helpview_viewer_test.log") {}

    std::vector<testbrowser::Call> Calls(const Viewer &viewer, const std::string &method) const
    {
        return ViewerCallsIn(log_, viewer, method);
    }

    // The calls of a method, once there are at least count of them.
    std::vector<testbrowser::Call> WaitForCalls(const Viewer &viewer, const std::string &method, size_t count,
                                                DWORD milliseconds = 5000) const
    {
        DWORD start = GetTickCount();
        std::vector<testbrowser::Call> calls;
        do {
            calls = Calls(viewer, method);
            if (calls.size() >= count)
                break;
            Sleep(10);
        } while (GetTickCount() - start < milliseconds);
        return calls;
    }
};

// ==== Start-up ===================================================================================

// The message box the viewer shows, as this process would show it with the
// same arguments: then what the box says can be compared by its pixels.
struct BoxPicture {
    std::string title;
    SIZE size{};
    Image body;
};

BoxPicture PictureOfBox(HWND box)
{
    BoxPicture picture;
    picture.title = TextOf(box);
    RECT rect = WindowRect(box);
    picture.size = SIZE{rect.right - rect.left, rect.bottom - rect.top};
    Image whole = Capture(box);
    // The body above the buttons: icon and text. The buttons' focus differs
    // between a box in the foreground and one that is not.
    HWND button = GetDlgItem(box, 1);
    int bottom = button ? RectIn(button, box).top - 1 : whole.height;
    int top = 3 + CaptionHeight;
    picture.body.width = whole.width;
    picture.body.height = bottom > top ? bottom - top : 0;
    picture.body.rgb.assign(whole.rgb.begin() + std::ptrdiff_t(size_t(top) * size_t(whole.width) * 3),
                            whole.rgb.begin() + std::ptrdiff_t(size_t(bottom) * size_t(whole.width) * 3));
    return picture;
}

BoxPicture OwnBox;

void CALLBACK PictureOwnBox(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND box = WaitForWindow(GetCurrentProcessId(), BoxClass, 0);
    if (!box)
        return;
    KillTimer(nullptr, timer);
    UpdateWindow(box);
    OwnBox = PictureOfBox(box);
    SendMessageA(GetDlgItem(box, 1), BM_CLICK, 0, 0);
}

// The skin must be in force before the style record takes its colours.
BoxPicture ShowOwnBox(HWND owner, HFONT font, const std::string &title, const std::string &text,
                      const THSTYLERECORD &style)
{
    OwnBox = BoxPicture{};
    UINT_PTR timer = SetTimer(nullptr, 0, 30, PictureOwnBox);
    THMSGBOX(owner, font, title.c_str(), text.c_str(), "", &style, 0);
    KillTimer(nullptr, timer);
    return OwnBox;
}

THSTYLERECORD BoxStyle(LPCSTR icon, bool alert)
{
    THSTYLERECORD style{};
    style.icon = THSTYLE_ICON(LoadIconA(nullptr, icon));
    style.faceColour = THGETSYSCOLOR(THCOLOR_DIALOGFACE);
    style.textColour = THGETSYSCOLOR(THCOLOR_DIALOGTEXT);
    style.padding = 6;
    style.alert = alert ? -1 : 0;
    style.bevel = 3;
    style.frame = 3;
    return style;
}

void ExpectSameBox(const BoxPicture &viewers, const BoxPicture &own)
{
    EXPECT_EQ(viewers.title, own.title);
    EXPECT_EQ(viewers.size.cx, own.size.cx);
    EXPECT_EQ(viewers.size.cy, own.size.cy);
    ASSERT_EQ(viewers.body.rgb.size(), own.body.rgb.size());
    size_t differing = 0;
    for (size_t i = 0; i < own.body.rgb.size(); ++i)
        differing += viewers.body.rgb[i] != own.body.rgb[i];
    EXPECT_EQ(differing, 0u) << "the viewer's box says something else";
    if (differing) {
        png_writer::WritePng(ExeFolder() + "helpview_box_viewer.png", viewers.body.width, viewers.body.height, viewers.body.rgb);
        png_writer::WritePng(ExeFolder() + "helpview_box_own.png", own.body.width, own.body.height, own.body.rgb);
    }
}

TEST_F(ViewerRun, WithoutItsSysFileTheViewerShowsWhatIsMissingAndEndsWithCode2)
{
    ViewerFiles files = PrepareViewer("no_sys", false);
    WriteWholeFile(files.base + ".LOG", "old log");
    Viewer viewer(files, "");
    ASSERT_TRUE(viewer.Started());
    HWND box = WaitForWindow(viewer.Id(), BoxClass);
    ASSERT_NE(box, nullptr) << "no message box";
    UpdateWindow(box);
    Sleep(100);
    BoxPicture viewers = PictureOfBox(box);
    EXPECT_EQ(WaitForWindow(viewer.Id(), ViewerClass, 0), nullptr) << "nothing else is shown";
    PostMessageA(GetDlgItem(box, 1), BM_CLICK, 0, 0);
    EXPECT_EQ(viewer.WaitForExit(), 2u);
    EXPECT_FALSE(Exists(files.base + ".LOG")) << "deleted at start";
    EXPECT_FALSE(Exists(PlacementPath())) << "nothing saved";

    THINITENGINE((files.base + ".skl").c_str());
    BoxPicture own = ShowOwnBox(nullptr, THDEFAULTFONT(), Stem, files.base + ".sys missing !",
                                BoxStyle(IDI_QUESTION, false));
    ExpectSameBox(viewers, own);
}

TEST_F(ViewerRun, MainWindowHasItsClassCaptionButtonsAndStatusLine)
{
    ViewerFiles files = PrepareViewer("window");
    WriteWholeFile(files.base + ".LOG", "old log");
    Viewer viewer(files, "");
    HWND main = viewer.Window();
    ASSERT_NE(main, nullptr) << viewer.Problem();
    EXPECT_EQ(ClassOf(main), "TARNHELP");
    EXPECT_EQ(FindWindowA("TARNHELP", nullptr), main) << "found by class, as other programs find it";
    EXPECT_EQ(WaitForText(main, "Help"), "Help");
    EXPECT_EQ(GetWindowLongA(main, GWL_STYLE) & (WS_POPUP | WS_SYSMENU), LONG(WS_POPUP | WS_SYSMENU));
    EXPECT_FALSE(Exists(files.base + ".LOG"));

    HWND holder = HolderOf(main);
    ASSERT_NE(holder, nullptr);
    RECT client{};
    GetClientRect(holder, &client);
    const char *labels[] = {"3", "Print", "4"};
    int lefts[] = {22, 64, -1};
    int printWidth = 0;
    for (int id = 1; id <= 3; ++id) {
        HWND button = GetDlgItem(holder, id);
        ASSERT_NE(button, nullptr) << "button " << id;
        EXPECT_EQ(TextOf(button), labels[id - 1]);
        RECT rect = RectIn(button, holder);
        EXPECT_EQ(rect.top, 5) << id;
        EXPECT_EQ(rect.bottom - rect.top, 20) << id;
        if (id == 2)
            printWidth = rect.right - rect.left;
        int left = id == 3 ? 67 + printWidth : lefts[id - 1];
        EXPECT_EQ(rect.left, left) << id;
        if (id != 2) {
            EXPECT_EQ(rect.right - rect.left, 39) << id;
        }
        EXPECT_TRUE(GetWindowLongA(button, GWL_STYLE) & WS_TABSTOP) << id;
    }
    EXPECT_GT(printWidth, 2 * 9) << "the label and both margins";

    // The status line lies along the bottom of the child area.
    HWND status = FindWindowExA(holder, nullptr, "Static", nullptr);
    ASSERT_NE(status, nullptr);
    RECT line = RectIn(status, holder);
    EXPECT_EQ(line.left, 5);
    EXPECT_EQ(line.right, client.right - 5);
    EXPECT_EQ(line.bottom, client.bottom - 5);
    EXPECT_GT(line.bottom - line.top, 8);

    EXPECT_EQ(CloseViewer(viewer), 0u);
}

// ==== Placement =====================================================================================

TEST_F(ViewerRun, WithoutAPlacementFileTheWindowIsCentred600By450AndClosingSavesIt)
{
    ViewerFiles files = PrepareViewer("placement_default");
    Viewer viewer(files, "");
    HWND main = viewer.Window();
    ASSERT_NE(main, nullptr) << viewer.Problem();
    int left = (GetSystemMetrics(SM_CXSCREEN) - 600) / 2, top = (GetSystemMetrics(SM_CYSCREEN) - 450) / 2;
    RECT rect = WindowRect(main);
    EXPECT_EQ(PlacementText(rect), PlacementText(RECT{left, top, left + 600, top + 450}));

    // Moved and resized, then closed by command: the file holds where it
    // was, 8 bytes, and the viewer ends with 0.
    SetWindowPos(main, nullptr, 100, 120, 500, 400, SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(PlacementText(WindowRect(main)), "100,120 500x400");
    EXPECT_EQ(CloseViewer(viewer), 0u);
    EXPECT_EQ(HexOf(ReadWholeFile(PlacementPath())), HexOf(Placement(100, 120, 500, 400)));
}

int VirtualScreenRight()
{
    return GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN);
}

TEST_F(ViewerRun, SavedPlacementIsRaisedToTheMinimaAndWrapsAt16Bits)
{
    ViewerFiles files = PrepareViewer("placement_minima");
    struct Case {
        std::string bytes;
        RECT wanted;
        const char *what;
    } cases[] = {
        {Placement(30, 40, 100, 50), {30, 40, 30 + MinimumWidth, 40 + MinimumHeight}, "minimum size"},
        {Placement(-20, -30, 400, 300), {0, 0, 400, 300}, "negative origin"},
        // 40000 was saved as its low 16 bits: it comes back negative.
        {Placement(40000, 10, 40000, 300), {0, 10, MinimumWidth, 10 + 300}, "16-bit wrap"},
        {std::string("\x2C\x01\x32", 3), {300, 50, 300 + MinimumWidth, 50 + MinimumHeight}, "3 bytes"},
        {Placement(50, 60, 400, 300) + "trailing bytes", {50, 60, 450, 360}, "longer than 8 bytes"},
        // On a monitor that is no longer there: brought back on the screen,
        // whose right edge is its origin plus its width (a monitor may sit
        // left of the primary one).
        {Placement(20000, 30, 400, 300),
         {VirtualScreenRight() - 400, 30, VirtualScreenRight(), 330},
         "off screen"},
    };
    for (const Case &c : cases) {
        ASSERT_TRUE(WriteWholeFile(PlacementPath(), c.bytes));
        Viewer viewer(files, "");
        HWND main = viewer.Window();
        ASSERT_NE(main, nullptr) << c.what << ": " << viewer.Problem();
        EXPECT_EQ(PlacementText(WindowRect(main)), PlacementText(c.wanted)) << c.what;
        TerminateProcess(viewer.Process(), 0);
        viewer.WaitForExit();
    }
}

TEST_F(ViewerRun, ClosingAMaximisedWindowSavesTheRestoredPlacement)
{
    ViewerFiles files = PrepareViewer("placement_maximised");
    // Maximised, and minimised from there (a restore would make it
    // maximised again).
    for (bool thenMinimised : {false, true}) {
        ASSERT_TRUE(WriteWholeFile(PlacementPath(), Placement(70, 80, 420, 310)));
        Viewer viewer(files, "");
        HWND main = viewer.Window();
        ASSERT_NE(main, nullptr) << viewer.Problem();
        ShowWindowAsync(main, SW_MAXIMIZE);
        for (int i = 0; i < 200 && !IsZoomed(main); ++i)
            Sleep(10);
        ASSERT_TRUE(IsZoomed(main));
        if (thenMinimised) {
            ShowWindowAsync(main, SW_MINIMIZE);
            for (int i = 0; i < 200 && !IsIconic(main); ++i)
                Sleep(10);
            ASSERT_TRUE(IsIconic(main));
        }
        // Through the system command with a low flag bit set, as the system
        // sends it.
        PostMessageA(main, WM_SYSCOMMAND, SC_CLOSE | 0x2, 0);
        EXPECT_EQ(viewer.WaitForExit(), 0u);
        EXPECT_EQ(HexOf(ReadWholeFile(PlacementPath())), HexOf(Placement(70, 80, 420, 310)))
            << (thenMinimised ? "minimised from maximised" : "maximised");
    }
}

TEST_F(ViewerRun, CloseButtonAndWmCloseTakeTheSameClosePath)
{
    ViewerFiles files = PrepareViewer("close_paths");
    ASSERT_TRUE(WriteWholeFile(PlacementPath(), Placement(90, 95, 410, 320)));
    {
        Viewer viewer(files, "");
        HWND main = viewer.Window();
        ASSERT_NE(main, nullptr) << viewer.Problem();
        // What the skin's close button posts.
        PostMessageA(main, WM_COMMAND, MAKEWPARAM(THCMD_CLOSE, 0), 0);
        EXPECT_EQ(viewer.WaitForExit(), 0u);
        EXPECT_EQ(HexOf(ReadWholeFile(PlacementPath())), HexOf(Placement(90, 95, 410, 320)));
    }
    {
        Viewer viewer(files, "");
        HWND main = viewer.Window();
        ASSERT_NE(main, nullptr) << viewer.Problem();
        SetWindowPos(main, nullptr, 11, 12, 430, 330, SWP_NOZORDER | SWP_NOACTIVATE);
        PostMessageA(main, WM_CLOSE, 0, 0);
        EXPECT_EQ(viewer.WaitForExit(), 0u) << "ended, not left running without a window";
        EXPECT_EQ(HexOf(ReadWholeFile(PlacementPath())), HexOf(Placement(11, 12, 430, 330)));
    }
}

// ==== Commands from other programs =======================================================================

// ==== Navigation ===============================================================================================

// After a PDF the viewer asks the first window of the document viewer's
// title to close: one of a program the user has open would be closed.
bool OtherReaderIsOpen()
{
    DWORD process = 0;
    if (HWND other = FindWindowA(nullptr, "Acrobat Reader"))
        GetWindowThreadProcessId(other, &process);
    return process && process != GetCurrentProcessId();
}

constexpr char OtherReaderReason[] = "a window titled \"Acrobat Reader\" of another program is open, and after a "
                                     "PDF the viewer would ask it to close; close it to run this case";

TEST_F(ViewerRun, FirstPageFollowsTheCommandLine)
{
    SKIP_ON_WINDOWS_UNLESS_THE_SCREEN_KEEPS_COLOURS();
    if (OtherReaderIsOpen())
        GTEST_SKIP() << OtherReaderReason;
    ViewerFiles files = PrepareViewer("command_line");
    std::string document = files.folder + "My Page.htm";
    WriteWholeFile(document, PageText);
    std::string otherSkin = files.folder + "other skin.skl";
    std::string skin = SkinText;
    skin.replace(skin.find("#1E5AA0"), 7, "#A01E5A");
    skin.replace(skin.find("#1E5AA0"), 7, "#A01E5A");
    WriteWholeFile(otherSkin, skin);
    const COLORREF otherCaption = RGB(0xA0, 0x1E, 0x5A);

    struct Case {
        std::string arguments;
        std::string address;
        COLORREF caption;
        const char *what;
    } cases[] = {
        {"", "file://" + files.base + ".htm", CaptionColour, "no command line"},
        {"\"" + document + "\", " + otherSkin, "file://" + document, otherCaption, "quoted document and skin"},
        {"\"" + document + "\"", "file://" + document, CaptionColour, "a single quoted document"},
        {files.folder + "My Page.htm," + otherSkin, "file://" + document, otherCaption, "document and skin"},
        {"http://example.org/a b?x=\xE9", "http://example.org/a b?x=\xE9", CaptionColour, "unknown text"},
        {"C:\\Manual.pdf", "C:\\Manual.pdf", CaptionColour, "a name that is no file"},
    };
    for (const Case &c : cases) {
        testbrowser::StartLog(L"helpview_viewer_test.log");
        Viewer viewer(files, c.arguments);
        HWND main = viewer.Window();
        ASSERT_NE(main, nullptr) << c.what << ": " << viewer.Problem();
        std::vector<std::wstring> urls = Navigations(viewer);
        ASSERT_EQ(urls.size(), 1u) << c.what;
        // The characters of the command line reach the control as they are.
        EXPECT_EQ(urls[0], Wide(c.address)) << c.what;
        EXPECT_EQ(ColourText(WaitForColour(main, 300, FrameWidth + 1, c.caption)), ColourText(c.caption)) << c.what;
        EXPECT_EQ(CloseViewer(viewer), 0u) << c.what;
    }
}

TEST_F(ViewerRun, CopyDataNavigatesAndRepliesOne)
{
    ViewerFiles files = PrepareViewer("copydata_navigate");
    Viewer viewer(files, "");
    HWND main = viewer.Window();
    ASSERT_NE(main, nullptr) << viewer.Problem();
    ASSERT_EQ(Navigations(viewer).size(), 1u) << "the start page";

    // One command at a time: a second one sent before the first is shown
    // replaces its address.
    struct Case {
        ULONG_PTR code;
        std::string text;
        WPARAM wParam;
        std::string navigated; // empty: nothing
        const char *what;
    } cases[] = {
        {3, "file://C:/Help/index.htm", 24, "file://C:/Help/index.htm", "text and lengths"},
        {3, "http://example.org/handle", WPARAM(GetDesktopWindow()), "http://example.org/handle",
         "the sender's window handle in wParam"},
        {3, "http://example.org/" + std::string(400, 'p'), 419, "http://example.org/" + std::string(236, 'p'),
         "longer than 255 bytes"},
        {3, std::string("http://example.org/zero\0tail", 28), 28, "http://example.org/zero", "a zero byte"},
        {3, std::string(100000, 'x'), 0x7FFFFFFF, std::string(255, 'x'), "a large payload"},
        {3, "", 0, "", "no text"},
        {3, "http://example.org/no-length", 0, "", "wParam 0"},
        {77, "http://example.org/unknown", 26, "", "an unknown code"},
    };
    size_t shown = 1;
    for (const Case &c : cases) {
        EXPECT_EQ(SendCommand(main, c.code, c.text, c.wParam), 1) << c.what;
        if (c.navigated.empty()) {
            Sleep(200);
            EXPECT_EQ(Navigations(viewer, 0).size(), shown) << c.what;
            continue;
        }
        std::vector<std::wstring> urls = Navigations(viewer, ++shown);
        ASSERT_EQ(urls.size(), shown) << c.what;
        EXPECT_EQ(urls.back(), Wide(c.navigated)) << c.what;
    }

    // Every navigation ran from the viewer's own posted message, after the
    // sender had its reply, never inside WM_COPYDATA.
    std::vector<testbrowser::Call> contexts = Calls(viewer, "NavigateContext");
    EXPECT_EQ(contexts.size(), shown);
    for (const testbrowser::Call &call : contexts)
        EXPECT_EQ(call.args, std::vector<std::wstring>{L"own message"});

    EXPECT_EQ(CloseViewer(viewer), 0u);
    EXPECT_EQ(Navigations(viewer).size(), shown);
    EXPECT_EQ(ReadWholeFile(PlacementPath()).size(), 8u) << "closing saved the placement";
    // The container let the control go at shutdown.
    EXPECT_EQ(Calls(viewer, "Destroyed").size(), 1u);
}

// Other programs drive the viewer at the same time, as fast as they can, a
// thousand navigate commands each, every seventh with a size that does not
// fit: every send is answered, the viewer keeps the handles it had, the last
// address sent is the one it shows, and its close command still ends it
// normally with its placement saved.
TEST_F(ViewerRun, ProgramsSendingAtOnceAreEachAnsweredAndTheViewerKeepsNothing)
{
    ViewerFiles files = PrepareViewer("copydata_endurance");
    Viewer viewer(files, "");
    HWND main = viewer.Window();
    ASSERT_NE(main, nullptr) << viewer.Problem();
    ASSERT_EQ(Navigations(viewer).size(), 1u) << "the start page";
    auto showsLast = [&](const std::string &address) {
        for (int waited = 0; waited < 10000; waited += 20) {
            std::vector<std::wstring> urls = Navigations(viewer, 1, 0);
            if (!urls.empty() && urls.back() == Wide(address))
                return true;
            Sleep(20);
        }
        return false;
    };
    const std::string peer = ExeFolder() + "helpview_copydata_peer.exe";
    EXPECT_EQ(SendFromPrograms(peer, main, 2, 50), 0u);
    EXPECT_EQ(SendCommand(main, 3, "http://example.org/settled"), 1);
    ASSERT_TRUE(showsLast("http://example.org/settled"));
    unsigned handlesBefore = processcounts::OpenHandlesOf(viewer.Process());
    size_t memoryBefore = processcounts::CommittedPrivateBytes(viewer.Process());

    EXPECT_EQ(SendFromPrograms(peer, main, 2, 1000), 0u) << "sends without an answer";
    EXPECT_EQ(SendCommand(main, 3, "http://example.org/last"), 1);
    EXPECT_TRUE(showsLast("http://example.org/last")) << "the last address sent is the one shown";

    EXPECT_EQ(processcounts::Settled([&] { return processcounts::OpenHandlesOf(viewer.Process()); }, handlesBefore),
              handlesBefore);
    // The test control keeps every address it was sent in its history, as
    // the platform's does: that much growth is the control's.
    size_t memoryAfter = processcounts::CommittedPrivateBytes(viewer.Process());
    EXPECT_LT(memoryAfter, memoryBefore + 8 * 1024 * 1024)
        << "the viewer's private memory grew from " << memoryBefore << " to " << memoryAfter;
    EXPECT_EQ(CloseViewer(viewer), 0u);
    EXPECT_EQ(ReadWholeFile(PlacementPath()).size(), 8u) << "closing saved the placement";
}

TEST_F(ViewerRun, APlacementFileThatCannotBeWrittenStillLetsTheViewerEndNormally)
{
    // A folder where the file would go: nothing can write it.
    ASSERT_TRUE(CreateDirectoryA(PlacementPath().c_str(), nullptr));
    ViewerFiles files = PrepareViewer("placement_unwritable");
    {
        Viewer viewer(files, "");
        ASSERT_NE(viewer.Window(), nullptr) << viewer.Problem();
        EXPECT_EQ(CloseViewer(viewer), 0u);
    }
    DWORD attributes = GetFileAttributesA(PlacementPath().c_str());
    EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        << "the folder in the file's place is left alone";
    RemoveDirectoryA(PlacementPath().c_str());
}

TEST_F(ViewerRun, BackPrintAndForwardButtonsDriveTheControl)
{
    SKIP_ON_WINDOWS_BECAUSE_IT_WOULD("change your default printer");
    ViewerFiles files = PrepareViewer("buttons");
    // A default printer, so printing reaches the control.
    char saved[256] = {};
    GetProfileStringA("windows", "device", "", saved, sizeof saved);
    WriteProfileStringA("windows", "device", "Test Printer,winspool,FILE:");
    Viewer viewer(files, "");
    HWND main = viewer.Window();
    ASSERT_NE(main, nullptr) << viewer.Problem();
    HWND holder = HolderOf(main);
    for (int id : {1, 3, 2, 1})
        PostMessageA(holder, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), LPARAM(GetDlgItem(holder, id)));
    // Identifiers of no button are ignored.
    PostMessageA(holder, WM_COMMAND, MAKEWPARAM(44, BN_CLICKED), 0);
    EXPECT_EQ(WaitForCalls(viewer, "GoBack", 2).size(), 2u);
    EXPECT_EQ(WaitForCalls(viewer, "GoForward", 1).size(), 1u);
    std::vector<testbrowser::Call> printed = WaitForCalls(viewer, "ExecWB", 1);
    ASSERT_EQ(printed.size(), 1u);
    ASSERT_EQ(printed[0].args.size(), 4u);
    // OLECMDID_PRINT with OLECMDEXECOPT_PROMPTUSER and two missing arguments.
    EXPECT_EQ(Narrow(printed[0].args[0]), "i4:6");
    EXPECT_EQ(Narrow(printed[0].args[1]), "i4:1");
    EXPECT_EQ(Narrow(printed[0].args[2]), "missing");
    EXPECT_EQ(Narrow(printed[0].args[3]), "missing");
    bool askedForBrowser = false;
    for (const testbrowser::Call &call : Calls(viewer, "QueryInterface"))
        askedForBrowser |= !call.args.empty() && Narrow(call.args[0]) == "{D30C1661-CDAF-11D0-8A3E-00C04FC9E26E}";
    EXPECT_TRUE(askedForBrowser) << "printing asks for IWebBrowser2";
    EXPECT_EQ(WaitForWindow(viewer.Id(), BoxClass, 0), nullptr);
    EXPECT_EQ(CloseViewer(viewer), 0u);
    WriteProfileStringA("windows", "device", saved[0] ? saved : nullptr);
}

TEST_F(ViewerRun, PrintingWithoutADefaultPrinterShowsTheSystemsMessage)
{
    SKIP_ON_WINDOWS_BECAUSE_IT_WOULD("change your default printer");
    ViewerFiles files = PrepareViewer("no_printer");
    char saved[256] = {};
    GetProfileStringA("windows", "device", "", saved, sizeof saved);
    WriteProfileStringA("windows", "device", nullptr);
    char device[256] = {};
    ASSERT_EQ(GetProfileStringA("windows", "device", ",,,", device, sizeof device), 3u);

    Viewer viewer(files, "");
    HWND main = viewer.Window();
    ASSERT_NE(main, nullptr) << viewer.Problem();
    // The box takes the caption the page title made.
    HWND view = testbrowser::FindView(main);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(testbrowser::Fire(view, testbrowser::TitleChange, L"Index"), 1);
    EXPECT_EQ(WaitForText(main, "Help - Index"), "Help - Index");
    HWND holder = HolderOf(main);
    PostMessageA(holder, WM_COMMAND, MAKEWPARAM(2, BN_CLICKED), LPARAM(GetDlgItem(holder, 2)));
    HWND box = WaitForWindow(viewer.Id(), BoxClass);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(GetWindow(box, GW_OWNER), main);
    UpdateWindow(box);
    Sleep(100);
    BoxPicture viewers = PictureOfBox(box);
    PostMessageA(GetDlgItem(box, 1), BM_CLICK, 0, 0);
    for (int i = 0; i < 500 && IsWindow(box); ++i)
        Sleep(10);
    EXPECT_FALSE(IsWindow(box));
    EXPECT_TRUE(Calls(viewer, "ExecWB").empty()) << "nothing printed";
    EXPECT_EQ(CloseViewer(viewer), 0u);
    WriteProfileStringA("windows", "device", saved[0] ? saved : nullptr);

    // The same box made here: the system's text for error 1797.
    THINITENGINE((files.base + ".skl").c_str());
    BSTR text = THWINERR(1797);
    std::string message(reinterpret_cast<const char *>(text), SysStringByteLen(text));
    SysFreeString(text);
    EXPECT_FALSE(message.empty());
    BoxPicture own = ShowOwnBox(nullptr, THCAPTIONFONT(), "Help - Index", message, BoxStyle(IDI_EXCLAMATION, true));
    ExpectSameBox(viewers, own);
}

// ==== Events ======================================================================================================

TEST_F(ViewerRun, TitleAndStatusEventsUpdateCaptionAndStatusLine)
{
    ViewerFiles files = PrepareViewer("events");
    Viewer viewer(files, "");
    HWND main = viewer.Window();
    ASSERT_NE(main, nullptr) << viewer.Problem();
    HWND view = testbrowser::FindView(main);
    ASSERT_NE(view, nullptr);
    HWND status = FindWindowExA(HolderOf(main), nullptr, "Static", nullptr);
    ASSERT_NE(status, nullptr);

    EXPECT_EQ(testbrowser::Fire(view, testbrowser::TitleChange, L"Index"), 1);
    EXPECT_EQ(WaitForText(main, "Help - Index"), "Help - Index");
    EXPECT_EQ(testbrowser::Fire(view, testbrowser::StatusTextChange, L"Done"), 1);
    EXPECT_EQ(WaitForText(status, " Done"), " Done");
    // The title's characters reach the caption: read here in code page
    // 1252, U+00E9 is the byte 0xE9 and U+20AC the byte 0x80.
    EXPECT_EQ(testbrowser::Fire(view, testbrowser::TitleChange, L"Caf\u00E9 \u20AC"), 1);
    EXPECT_EQ(WaitForText(main, "Help - Caf\xE9 \x80"), "Help - Caf\xE9 \x80");
    EXPECT_EQ(testbrowser::Fire(view, testbrowser::TitleChange, L""), 1);
    EXPECT_EQ(WaitForText(main, "Help - "), "Help - ");
    EXPECT_EQ(CloseViewer(viewer), 0u);
}

TEST_F(ViewerRun, ControlSitsAboveTheStatusLineAndFollowsTheWindowSize)
{
    ViewerFiles files = PrepareViewer("layout");
    ASSERT_TRUE(WriteWholeFile(PlacementPath(), Placement(50, 50, 500, 380)));
    Viewer viewer(files, "");
    HWND main = viewer.Window();
    ASSERT_NE(main, nullptr) << viewer.Problem();
    HWND holder = HolderOf(main);
    HWND view = testbrowser::FindView(main);
    HWND status = FindWindowExA(holder, nullptr, "Static", nullptr);
    ASSERT_TRUE(view && status);
    for (int size = 0; size < 2; ++size) {
        RECT client{};
        GetClientRect(holder, &client);
        RECT control = RectIn(view, holder);
        RECT line = RectIn(status, holder);
        int lineHeight = line.bottom - line.top;
        EXPECT_EQ(RectText(control), RectText(RECT{5, 30, client.right - 5, client.bottom - 5 - lineHeight}))
            << "size " << size;
        EXPECT_EQ(RectText(line), RectText(RECT{5, client.bottom - 5 - lineHeight, client.right - 5, client.bottom - 5}))
            << "size " << size;
        SetWindowPos(main, nullptr, 0, 0, 700, 520, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        Sleep(100);
    }
    EXPECT_EQ(CloseViewer(viewer), 0u);
}

// The window a document viewer would show: it records the system commands
// it receives.
std::vector<WPARAM> ReaderCommands;

LRESULT CALLBACK ReaderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SYSCOMMAND) {
        ReaderCommands.push_back(wParam);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateReaderWindow()
{
    WNDCLASSA record{};
    record.lpfnWndProc = ReaderProc;
    record.hInstance = GetModuleHandleA(nullptr);
    record.lpszClassName = "HelpviewTestReader";
    RegisterClassA(&record);
    return CreateWindowExA(0, "HelpviewTestReader", "Acrobat Reader", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                           nullptr, GetModuleHandleA(nullptr), nullptr);
}

TEST_F(ViewerRun, AfterAPdfTheDocumentViewerIsAskedToClose)
{
    if (OtherReaderIsOpen())
        GTEST_SKIP() << OtherReaderReason;
    ViewerFiles files = PrepareViewer("pdf");
    HWND reader = CreateReaderWindow();
    ASSERT_NE(reader, nullptr);
    for (bool pdf : {false, true}) {
        ReaderCommands.clear();
        Viewer viewer(files, pdf ? "C:\\Manual.pdf" : "");
        HWND main = viewer.Window();
        ASSERT_NE(main, nullptr) << viewer.Problem();
        // A later page elsewhere does not undo it.
        EXPECT_EQ(SendCommand(main, 3, "http://example.org/"), 1);
        EXPECT_EQ(Navigations(viewer, 2).size(), 2u);
        PostMessageA(main, WM_SYSCOMMAND, SC_CLOSE, 0);
        EXPECT_EQ(PumpUntilExit(viewer), 0u);
        std::vector<WPARAM> wanted;
        if (pdf)
            wanted.push_back(SC_CLOSE);
        EXPECT_EQ(ReaderCommands, wanted) << (pdf ? "after a PDF" : "no PDF shown");
    }
    DestroyWindow(reader);
}

// ==== Screenshot =============================================================================================

TEST_F(ViewerRun, ScreenshotShowsTheSkinnedCaptionAndTheThreeButtons)
{
    SKIP_ON_WINDOWS_UNLESS_THE_SCREEN_KEEPS_COLOURS();
    ViewerFiles files = PrepareViewer("screenshot");
    ASSERT_TRUE(WriteWholeFile(PlacementPath(), Placement(60, 60, 640, 420)));
    Viewer viewer(files, "");
    HWND main = viewer.Window();
    ASSERT_NE(main, nullptr) << viewer.Problem();
    HWND holder = HolderOf(main);
    ASSERT_NE(holder, nullptr);
    HWND view = testbrowser::FindView(main);
    ASSERT_NE(view, nullptr);
    testbrowser::Fire(view, testbrowser::TitleChange, L"Index");
    testbrowser::Fire(view, testbrowser::StatusTextChange, L"Done");
    WaitForText(main, "Help - Index");
    Sleep(300);
    RedrawWindow(main, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Sleep(200);
    Image shot = Capture(main);
    ASSERT_EQ(shot.width, 640);

    std::string name = "helpview_screenshot.png";
    EXPECT_TRUE(png_writer::WritePng(ExeFolder() + name, shot.width, shot.height, shot.rgb));
    if (const char *folder = std::getenv("TARN_SCREENSHOT_DIR")) {
        std::string target = WindowsPathOf(folder);
        CreateDirectoryA(target.c_str(), nullptr);
        EXPECT_TRUE(png_writer::WritePng(target + "\\" + name, shot.width, shot.height, shot.rgb)) << target;
    }

    // The caption band in the skin's colour, with its title drawn over it.
    EXPECT_EQ(ColourText(shot.At(320, FrameWidth + 1)), ColourText(CaptionColour));
    EXPECT_EQ(ColourText(shot.At(1, 200)), ColourText(FrameColour));
    int titlePixels = 0;
    for (int y = FrameWidth; y < FrameWidth + CaptionHeight; ++y)
        for (int x = FrameWidth; x < 200; ++x)
            titlePixels += shot.At(x, y) != CaptionColour;
    EXPECT_GT(titlePixels, 20) << "the caption's icon and title";
    // The three buttons' faces, and their glyphs or label in another colour.
    int top = FrameWidth + CaptionHeight;
    for (int id = 1; id <= 3; ++id) {
        RECT rect = RectIn(GetDlgItem(holder, id), main);
        EXPECT_EQ(rect.top, top + 5) << id;
        EXPECT_EQ(ColourText(shot.At(rect.left + 5, rect.top + 4)), ColourText(FaceColour)) << "button " << id;
        int ink = 0;
        for (int y = rect.top + 4; y < rect.bottom - 4; ++y)
            for (int x = rect.left + 4; x < rect.right - 4; ++x)
                ink += shot.At(x, y) != FaceColour;
        EXPECT_GT(ink, 5) << "button " << id << " shows its glyph";
    }
    // The child area's background beside the buttons.
    RECT back = RectIn(GetDlgItem(holder, 1), main);
    EXPECT_EQ(ColourText(shot.At(back.left - 10, back.top + 10)), ColourText(BackgroundColour));
    // The status line on that background, with its text.
    RECT line = RectIn(FindWindowExA(holder, nullptr, "Static", nullptr), main);
    EXPECT_EQ(ColourText(shot.At(line.right - 3, line.top + 2)), ColourText(BackgroundColour));
    int statusInk = 0;
    for (int y = line.top; y < line.bottom; ++y)
        for (int x = line.left; x < line.left + 60; ++x)
            statusInk += shot.At(x, y) != BackgroundColour;
    EXPECT_GT(statusInk, 10) << "the status text";
    EXPECT_EQ(CloseViewer(viewer), 0u);
}

} // namespace
