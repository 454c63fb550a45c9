// themekit's skinned windows, controls, drawing and message box on real
// windows: the window is built the way the viewer builds it, and what the
// skin draws is read back from the windows' own device contexts.
#include <gtest/gtest.h>

#include <themekit.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "machine_guard.h"
#include "png_writer.h"
#include "temp_folder.h"
#include "whole_file.h"

namespace {

// ---- The skin under test --------------------------------------------------------

constexpr COLORREF CaptionColour = RGB(0x1E, 0x5A, 0xA0);
constexpr COLORREF White = RGB(255, 255, 255);
constexpr COLORREF FrameColour = RGB(60, 60, 80);
constexpr COLORREF FaceColour = RGB(0xD2, 0xB4, 0x8C);
constexpr COLORREF BackgroundColour = RGB(0xE8, 0xE4, 0xD8);
constexpr COLORREF DialogFaceColour = RGB(0xF4, 0xF0, 0xE0);
constexpr COLORREF DialogTextColour = RGB(0x10, 0x20, 0x30);
constexpr int FrameWidth = 4;
constexpr int CaptionHeight = 26;

const char TestSkin[] = "themekit skin\r\n"
                        "# what the pixel checks look for\r\n"
                        "caption colour = #1E5AA0\r\n"
                        "caption text colour = #FFFFFF\r\n"
                        "frame colour = 60, 60, 80\r\n"
                        "face colour = #D2B48C\r\n"
                        "background colour = #E8E4D8\r\n"
                        "dialog face colour = #F4F0E0\r\n"
                        "dialog text colour = #102030\r\n"
                        "minimum width = 320\r\n"
                        "minimum height = 200\r\n"
                        "caption height = 26\r\n"
                        "frame width = 4\r\n"
                        "button margin = 9\r\n"
                        "no such key = 12\r\n";

// The files written to the temporary folder, removed when the program ends.
std::vector<std::string> &WrittenFiles()
{
    static std::vector<std::string> files;
    return files;
}

class RemoveWrittenFiles : public ::testing::Environment {
public:
    void TearDown() override
    {
        for (const std::string &file : WrittenFiles())
            DeleteFileA(file.c_str());
    }
};
const ::testing::Environment *const removeWrittenFiles = ::testing::AddGlobalTestEnvironment(new RemoveWrittenFiles);

std::string WriteTempFile(const std::string &name, const std::string &bytes)
{
    std::string path = tempfolder::TempPath() + "themekit_skin_test_" + name;
    wholefile::WriteWholeFile(path, bytes);
    WrittenFiles().push_back(path);
    return path;
}

const std::string &TestSkinPath()
{
    static const std::string path = WriteTempFile("test.skin", TestSkin);
    return path;
}

// ---- Helpers ------------------------------------------------------------------------

std::string TakeBytes(BSTR text)
{
    std::string bytes = text ? std::string(reinterpret_cast<const char *>(text), SysStringByteLen(text)) : "";
    SysFreeString(text);
    return bytes;
}

std::string ColourText(COLORREF colour)
{
    char text[16] = "invalid";
    if (colour != CLR_INVALID)
        std::snprintf(text, sizeof text, "#%02X%02X%02X", GetRValue(colour), GetGValue(colour), GetBValue(colour));
    return text;
}

int Brightness(COLORREF colour)
{
    return GetRValue(colour) + GetGValue(colour) + GetBValue(colour);
}

void Pump(DWORD milliseconds = 60)
{
    DWORD start = GetTickCount();
    do {
        MSG message{};
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        Sleep(5);
    } while (GetTickCount() - start < milliseconds);
}

// A DC without the window's WS_CLIPCHILDREN clipping, so the pixels of
// children read through the parent too.
COLORREF PixelOf(HWND window, int x, int y)
{
    HDC dc = GetDCEx(window, nullptr, DCX_CACHE | DCX_WINDOW);
    COLORREF colour = GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    return colour;
}

std::string RectText(int left, int top, int right, int bottom)
{
    return std::to_string(left) + "," + std::to_string(top) + "," + std::to_string(right) + "," +
           std::to_string(bottom);
}

std::string RectInParent(HWND child)
{
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT *>(&r), 2);
    return RectText(r.left, r.top, r.right, r.bottom);
}

SIZE SizeOf(HWND window)
{
    RECT rect{};
    GetWindowRect(window, &rect);
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

LRESULT HitTest(HWND window, int x, int y)
{
    POINT point{x, y};
    ClientToScreen(window, &point);
    return SendMessageA(window, WM_NCHITTEST, 0, MAKELPARAM(point.x, point.y));
}

// The caption buttons are what answers HTCLIENT inside the caption; their
// centres, right to left.
std::vector<POINT> CaptionButtonCentres(HWND window)
{
    RECT client{};
    GetClientRect(window, &client);
    int y = FrameWidth + CaptionHeight / 2;
    std::vector<POINT> centres;
    int runEnd = -1;
    for (int x = client.right - FrameWidth - 1; x >= FrameWidth - 1; --x) {
        bool inButton = x >= FrameWidth && HitTest(window, x, y) == HTCLIENT;
        if (inButton && runEnd < 0)
            runEnd = x;
        if (!inButton && runEnd >= 0) {
            centres.push_back(POINT{(x + 1 + runEnd) / 2, y});
            runEnd = -1;
        }
    }
    return centres;
}

void Click(HWND window, POINT point)
{
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(point.x, point.y));
    SendMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(point.x, point.y));
}

std::string TextOf(HWND window)
{
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

// ---- The viewer's window procedure and windows --------------------------------------

constexpr char ViewerClass[] = "TARNHELP";
constexpr char HolderClass[] = "THCLIP";

struct ViewerLog {
    std::vector<int> commands;
    std::vector<std::string> actions;
} Log;

LRESULT PaintHolder(HWND window)
{
    PAINTSTRUCT paint{};
    HDC dc = BeginPaint(window, &paint);
    RECT client{};
    GetClientRect(window, &client);
    THTILEBLT(dc, 0, 0, client.right, client.bottom, THCTLBACK());
    EndPaint(window, &paint);
    return 0;
}

LRESULT RecordCommand(int id)
{
    int work = 0;
    Log.commands.push_back(id);
    Log.actions.push_back(TakeBytes(THMACTE(id, &work)));
    return 0;
}

LRESULT CALLBACK ViewerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT handled = THGETMESSAGE(&window, &message, &wParam, &lParam);
    if (handled)
        return handled;
    switch (message) {
    case WM_PAINT:
        return PaintHolder(window);
    case WM_COMMAND:
        return RecordCommand(LOWORD(wParam));
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

ATOM ViewerAtom()
{
    static const ATOM atom = [] {
        WNDCLASSEXA record{};
        record.cbSize = sizeof(record);
        record.lpfnWndProc = ViewerProc;
        record.hInstance = GetModuleHandleA(nullptr);
        return THREGISTERCLASS(&record, ViewerClass);
    }();
    return atom;
}

constexpr int AllButtons = THWS_CAPTION | THWS_CLOSE | THWS_MINIMIZE | THWS_MAXIMIZE;

// A skinned window with its holder, made as the viewer makes it.
struct Viewer {
    HWND main = nullptr;
    HWND holder = nullptr;

    Viewer(int width, int height, int style = AllButtons, int dx = 0, int dy = 0)
    {
        THWINDOWSTYLE(style);
        THSETMAXSIZE(width, height, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
        main = CreateWindowExA(0, ViewerClass, "Skin test", WS_POPUP | WS_SYSMENU, 40, 40, width, height, nullptr,
                               nullptr, GetModuleHandleA(nullptr), nullptr);
        holder = THHOLDER(main, HolderClass, dx, dy, ViewerProc);
        ShowWindow(main, SW_SHOW);
        SetForegroundWindow(main);
        UpdateWindow(main);
        Pump();
        Log = ViewerLog{};
    }
    ~Viewer() { DestroyWindow(main); }
    Viewer(const Viewer &) = delete;
    Viewer &operator=(const Viewer &) = delete;
};

class Skinned : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(THINITENGINE(TestSkinPath().c_str()), 1) << TestSkinPath();
        ASSERT_NE(ViewerAtom(), 0);
        Log = ViewerLog{};
    }
};

// ---- Message boxes, driven by a timer -------------------------------------------------

std::function<void(HWND)> BoxAction;
int BoxTicks = 0;

void CALLBACK BoxTimer(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND box = FindWindowA(THMSGBOX_CLASS, nullptr);
    if ((!box || !IsWindowVisible(box)) && ++BoxTicks < 100)
        return;
    KillTimer(nullptr, timer);
    if (box && BoxAction)
        std::exchange(BoxAction, nullptr)(box);
}

// A box the action failed to close would hold the test for ever.
void CALLBACK BoxWatchdog(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    if (HWND box = FindWindowA(THMSGBOX_CLASS, nullptr)) {
        ADD_FAILURE() << "the message box was still open after 10 s";
        DestroyWindow(box);
    }
}

int RunBox(std::function<void(HWND box)> action, const std::function<int()> &show)
{
    BoxAction = std::move(action);
    BoxTicks = 0;
    UINT_PTR step = SetTimer(nullptr, 0, 30, BoxTimer);
    UINT_PTR watchdog = SetTimer(nullptr, 0, 10000, BoxWatchdog);
    int result = show();
    KillTimer(nullptr, step);
    KillTimer(nullptr, watchdog);
    return result;
}

// The record as the viewer fills it: as raw bytes.
THSTYLERECORD ViewerStyle()
{
    THSTYLERECORD style{};
    auto bytes = reinterpret_cast<std::uint8_t *>(&style);
    DWORD icon = THSTYLE_ICON(LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_INFORMATION)));
    COLORREF face = THGETSYSCOLOR(THCOLOR_DIALOGFACE), text = THGETSYSCOLOR(THCOLOR_DIALOGTEXT);
    LONG padding = 6;
    SHORT alert = -1;
    std::memcpy(bytes + 4, &icon, 4);
    std::memcpy(bytes + 8, &face, 4);
    std::memcpy(bytes + 12, &text, 4);
    std::memcpy(bytes + 16, &padding, 4);
    std::memcpy(bytes + 20, &alert, 2);
    bytes[22] = 3;
    bytes[25] = 3;
    return style;
}

// ==== The skin file ======================================================================

TEST(SkinFile, ReadFileSetsTheValuesAndAMissingOrBrokenOneGivesTheBuiltInSkin)
{
    ASSERT_EQ(THINITENGINE(nullptr), 0);
    int builtInWidth = THXMINI(), builtInHeight = THYMINI();
    COLORREF builtInFace = THGETSYSCOLOR(THCOLOR_DIALOGFACE);

    ASSERT_EQ(THINITENGINE(TestSkinPath().c_str()), 1);
    EXPECT_EQ(THXMINI(), 320);
    EXPECT_EQ(THYMINI(), 200);
    EXPECT_EQ(THBUTTONMARGIN(), 9);
    EXPECT_EQ(ColourText(THGETSYSCOLOR(THCOLOR_DIALOGFACE)), ColourText(DialogFaceColour));
    EXPECT_EQ(ColourText(THGETSYSCOLOR(THCOLOR_DIALOGTEXT)), ColourText(DialogTextColour));

    std::string missing = WriteTempFile("gone.skin", "") + ".not-there";
    std::string unsigned_ = WriteTempFile("unsigned.skin", "minimum width = 400\r\ncaption colour = #FF0000\r\n");
    std::string binary = WriteTempFile("binary.skin", std::string("themekit skin\nminimum width = 400\n\0\x01", 36));
    for (const std::string &file : {missing, unsigned_, binary}) {
        ASSERT_EQ(THINITENGINE(TestSkinPath().c_str()), 1);
        EXPECT_EQ(THINITENGINE(file.c_str()), 0) << file;
        EXPECT_EQ(THXMINI(), builtInWidth) << file;
        EXPECT_EQ(THYMINI(), builtInHeight) << file;
        EXPECT_EQ(THGETSYSCOLOR(THCOLOR_DIALOGFACE), builtInFace) << file;
    }
    ASSERT_NE(ViewerAtom(), 0);
    Viewer builtIn(400, 260);
    if (machineguard::WhyTheScreenChangesColours().empty()) {
        EXPECT_NE(ColourText(PixelOf(builtIn.main, 200, 8)), ColourText(CaptionColour));
        EXPECT_NE(PixelOf(builtIn.main, 200, 8), CLR_INVALID);
    }
}

// ==== Skinned windows =======================================================================

TEST_F(Skinned, CaptionFrameAndButtonsAreDrawnInTheSkinColours)
{
    SKIP_ON_WINDOWS_UNLESS_THE_SCREEN_KEEPS_COLOURS();
    Viewer viewer(480, 320);
    EXPECT_EQ(ColourText(PixelOf(viewer.main, 240, FrameWidth + 2)), ColourText(CaptionColour));
    EXPECT_EQ(ColourText(PixelOf(viewer.main, 1, 160)), ColourText(FrameColour));
    EXPECT_EQ(ColourText(PixelOf(viewer.main, 478, 160)), ColourText(FrameColour));
    // The holder tiles the control background under the caption.
    EXPECT_EQ(ColourText(PixelOf(viewer.main, 240, 200)), ColourText(BackgroundColour));
    // The close button's cross is in the caption text colour.
    POINT close = CaptionButtonCentres(viewer.main).at(0);
    int ink = 0;
    for (int dy = -2; dy <= 2; ++dy)
        for (int dx = -2; dx <= 2; ++dx)
            ink += PixelOf(viewer.main, close.x + dx, close.y + dy) == White;
    EXPECT_GE(ink, 5);
}

int CaptionTextPixels(HWND window)
{
    int count = 0;
    for (int y = FrameWidth; y < FrameWidth + CaptionHeight; ++y)
        for (int x = FrameWidth; x < 300; ++x)
            count += PixelOf(window, x, y) != CaptionColour;
    return count;
}

TEST_F(Skinned, CaptionTextIsDrawnAndRedrawnWhenTheTextChanges)
{
    SKIP_ON_WINDOWS_UNLESS_THE_SCREEN_KEEPS_COLOURS();
    Viewer viewer(480, 320);
    int shortTitle = CaptionTextPixels(viewer.main);
    EXPECT_GT(shortTitle, 20);

    EXPECT_EQ(THSETCTLTEXT(viewer.main, "A much longer caption for the skinned window"), 1);
    UpdateWindow(viewer.main);
    EXPECT_GT(CaptionTextPixels(viewer.main), shortTitle + 20);
    EXPECT_EQ(TakeBytes(THGETCTLTEXT(viewer.main)), "A much longer caption for the skinned window");

    SetWindowTextA(viewer.main, "");
    UpdateWindow(viewer.main);
    EXPECT_EQ(CaptionTextPixels(viewer.main), 0);
}

TEST_F(Skinned, HolderFillsTheAreaBelowTheCaptionAndFollowsResizes)
{
    Viewer viewer(480, 320);
    ASSERT_NE(viewer.holder, nullptr);
    EXPECT_EQ(RectInParent(viewer.holder), RectText(FrameWidth, FrameWidth + CaptionHeight, 476, 316));
    SetWindowPos(viewer.main, nullptr, 0, 0, 610, 430, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(RectInParent(viewer.holder), RectText(FrameWidth, FrameWidth + CaptionHeight, 606, 426));

    Viewer inset(480, 320, THWS_CAPTION | THWS_CLOSE, 5, 7);
    EXPECT_EQ(RectInParent(inset.holder), RectText(FrameWidth + 5, FrameWidth + CaptionHeight + 7, 471, 309));
    Viewer bare(480, 320, 0);
    EXPECT_EQ(RectInParent(bare.holder), RectText(FrameWidth, FrameWidth, 476, 316));
}

TEST_F(Skinned, MinMaxInfoHonoursTheSkinMinimumAndTheScreenSize)
{
    Viewer viewer(480, 320);
    THSETMAXSIZE(480, 320, 1000, 700);
    MINMAXINFO info{};
    SendMessageA(viewer.main, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, 320);
    EXPECT_EQ(info.ptMinTrackSize.y, 200);
    EXPECT_EQ(info.ptMaxTrackSize.x, 1000);
    EXPECT_EQ(info.ptMaxTrackSize.y, 700);
    EXPECT_LE(info.ptMaxSize.x, 1000);
}

TEST_F(Skinned, HitTestMovesByTheCaptionAndSizesByTheFrameOfResizableWindows)
{
    Viewer viewer(480, 320);
    EXPECT_EQ(CaptionButtonCentres(viewer.main).size(), 3u);
    EXPECT_EQ(HitTest(viewer.main, 150, FrameWidth + 10), HTCAPTION);
    EXPECT_EQ(HitTest(viewer.main, 240, 200), HTCLIENT);
    EXPECT_EQ(HitTest(viewer.main, 1, 160), HTLEFT);
    EXPECT_EQ(HitTest(viewer.main, 478, 160), HTRIGHT);
    EXPECT_EQ(HitTest(viewer.main, 240, 1), HTTOP);
    EXPECT_EQ(HitTest(viewer.main, 240, 318), HTBOTTOM);
    EXPECT_EQ(HitTest(viewer.main, 1, 1), HTTOPLEFT);
    EXPECT_EQ(HitTest(viewer.main, 478, 318), HTBOTTOMRIGHT);

    Viewer fixed(480, 320, THWS_CAPTION | THWS_CLOSE);
    EXPECT_EQ(CaptionButtonCentres(fixed.main).size(), 1u);
    EXPECT_EQ(HitTest(fixed.main, 478, 160), HTBORDER);
    EXPECT_EQ(HitTest(fixed.main, 150, FrameWidth + 10), HTCAPTION);
    Viewer bare(480, 320, 0);
    EXPECT_NE(HitTest(bare.main, 240, FrameWidth + 2), HTCAPTION);
    EXPECT_EQ(THWINDOWSTYLE(AllButtons), 0);
}

TEST_F(Skinned, CloseButtonPostsTheCloseCommandOnlyWhenReleasedOverIt)
{
    Viewer viewer(480, 320);
    POINT close = CaptionButtonCentres(viewer.main).at(0);
    SendMessageA(viewer.main, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(close.x, close.y));
    EXPECT_EQ(GetCapture(), viewer.main);
    SendMessageA(viewer.main, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(100, 100));
    SendMessageA(viewer.main, WM_LBUTTONUP, 0, MAKELPARAM(100, 100));
    Pump();
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_TRUE(Log.commands.empty());

    Click(viewer.main, close);
    Pump();
    EXPECT_EQ(Log.commands, std::vector<int>{THCMD_CLOSE});
    EXPECT_EQ(Log.actions, std::vector<std::string>{"END"});
}

TEST_F(Skinned, MaximiseAndMinimiseButtonsActAtOnce)
{
    Viewer viewer(480, 320);
    Click(viewer.main, CaptionButtonCentres(viewer.main).at(1));
    Pump();
    ASSERT_TRUE(IsZoomed(viewer.main));
    SIZE maximised = SizeOf(viewer.main);
    EXPECT_GT(maximised.cx, 480);
    EXPECT_EQ(RectInParent(viewer.holder), RectText(FrameWidth, FrameWidth + CaptionHeight,
                                                    maximised.cx - FrameWidth, maximised.cy - FrameWidth));

    Click(viewer.main, CaptionButtonCentres(viewer.main).at(1));
    Pump();
    EXPECT_FALSE(IsZoomed(viewer.main));
    EXPECT_EQ(SizeOf(viewer.main).cx, 480);

    Click(viewer.main, CaptionButtonCentres(viewer.main).at(2));
    Pump();
    EXPECT_TRUE(IsIconic(viewer.main));
    EXPECT_TRUE(Log.commands.empty());
}

TEST_F(Skinned, WindowCreatedMaximisedRestoresToTheGivenSize)
{
    THWINDOWSTYLE(AllButtons);
    THSETMAXSIZE(400, 300, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    HWND window = CreateWindowExA(0, ViewerClass, "Maximised", WS_POPUP | WS_SYSMENU | WS_MAXIMIZE | WS_VISIBLE, 10,
                                  10, 250, 210, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(IsZoomed(window));
    ShowWindow(window, SW_RESTORE);
    Pump();
    EXPECT_EQ(SizeOf(window).cx, 400);
    EXPECT_EQ(SizeOf(window).cy, 300);
    DestroyWindow(window);
}

struct ToolTipSearch {
    HWND owner;
    std::vector<HWND> tooltips;
};

BOOL CALLBACK CollectToolTip(HWND window, LPARAM data)
{
    auto search = reinterpret_cast<ToolTipSearch *>(data);
    char className[64] = {};
    GetClassNameA(window, className, sizeof className);
    if (lstrcmpiA(className, TOOLTIPS_CLASSA) == 0 && GetWindow(window, GW_OWNER) == search->owner)
        search->tooltips.push_back(window);
    return TRUE;
}

// The texts of the tools of the tooltip windows owned by owner.
std::vector<std::string> ToolTipTexts(HWND owner)
{
    ToolTipSearch search{owner, {}};
    EnumThreadWindows(GetCurrentThreadId(), CollectToolTip, reinterpret_cast<LPARAM>(&search));
    std::vector<std::string> texts;
    for (HWND tooltip : search.tooltips) {
        int count = int(SendMessageA(tooltip, TTM_GETTOOLCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            char text[128] = {};
            TOOLINFOA tool{};
            tool.cbSize = TTTOOLINFOA_V2_SIZE;
            if (!SendMessageA(tooltip, TTM_ENUMTOOLSA, i, reinterpret_cast<LPARAM>(&tool)))
                continue;
            tool.lpszText = text;
            SendMessageA(tooltip, TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&tool));
            texts.push_back(text);
        }
    }
    std::sort(texts.begin(), texts.end());
    return texts;
}

TEST_F(Skinned, CaptionButtonTips)
{
    Viewer viewer(480, 320);
    EXPECT_TRUE(ToolTipTexts(viewer.main).empty());
    EXPECT_EQ(THSETSYSBUTTONTIP(viewer.main, "Close the viewer, then exit"), 1);
    EXPECT_EQ(ToolTipTexts(viewer.main), std::vector<std::string>{"Close the viewer, then exit"});
    EXPECT_EQ(THSETSYSBUTTONTIP(viewer.main, "Close | Maximise|Minimise"), 1);
    EXPECT_EQ(ToolTipTexts(viewer.main), (std::vector<std::string>{"Close", "Maximise", "Minimise"}));

    EXPECT_EQ(THSETSYSTOOLTIP("Close", 0), 1);
    EXPECT_TRUE(ToolTipTexts(viewer.main).empty());
    EXPECT_EQ(THSETSYSTOOLTIP("Shut", 1), 1);
    Viewer second(400, 260);
    EXPECT_EQ(ToolTipTexts(second.main), std::vector<std::string>{"Shut"});
    THSETSYSTOOLTIP("", 1);
}

// ==== Messages ============================================================================

TEST_F(Skinned, MacteAndEvent)
{
    BSTR end = THMACTE(THCMD_CLOSE, nullptr);
    EXPECT_EQ(SysStringByteLen(end), 3u);
    EXPECT_EQ(TakeBytes(end), "END");
    BSTR unknown = THMACTE(1234, nullptr);
    ASSERT_NE(unknown, nullptr);
    EXPECT_EQ(TakeBytes(unknown), "");

    Viewer viewer(400, 260);
    PostMessageA(viewer.holder, WM_COMMAND, 555, 0);
    THEVENT();
    EXPECT_EQ(Log.commands, std::vector<int>{555});
    PostQuitMessage(3);
    THEVENT();
    MSG quit{};
    ASSERT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the quit is kept for the caller";
    EXPECT_EQ(quit.wParam, 3u);
}

void SetShift(bool down)
{
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_SHIFT] = down ? 0x80 : 0;
    SetKeyboardState(keys);
}

TEST_F(Skinned, DialogMessageMovesAmongTabStopsAndEnterPressesTheButton)
{
    Viewer viewer(480, 320);
    THSTYLERECORD zero{};
    HWND one = THBUT3D(viewer.holder, "One", THDEFAULTFONT(), 10, 5, 80, 20, 101, &zero);
    HWND two = THBUT3D(viewer.holder, "Two", THDEFAULTFONT(), 100, 5, 80, 20, 102, &zero);
    HWND off = THBUT3D(viewer.holder, "Off", THDEFAULTFONT(), 190, 5, 80, 20, 103, &zero);
    ASSERT_TRUE(one && two && off);
    EXPECT_EQ(THTABSTOP(one), 1);
    EXPECT_EQ(THTABSTOP(two), 1);
    SetFocus(one);
    ASSERT_EQ(GetFocus(), one);

    MSG tab{one, WM_KEYDOWN, VK_TAB, 0, 0, {}};
    EXPECT_EQ(THDIALOGMESSAGE(viewer.main, &tab), 1);
    EXPECT_EQ(GetFocus(), two);
    EXPECT_EQ(THDIALOGMESSAGE(viewer.main, &tab), 1);
    EXPECT_EQ(GetFocus(), one) << "past the last stop, skipping the button without one";
    SetShift(true);
    EXPECT_EQ(THDIALOGMESSAGE(viewer.main, &tab), 1);
    SetShift(false);
    EXPECT_EQ(GetFocus(), two);

    MSG enter{two, WM_KEYDOWN, VK_RETURN, 0, 0, {}};
    EXPECT_EQ(THDIALOGMESSAGE(viewer.main, &enter), 1);
    EXPECT_EQ(Log.commands, std::vector<int>{102});

    MSG letter{two, WM_KEYDOWN, 'A', 0, 0, {}};
    MSG character{two, WM_CHAR, '\t', 0, 0, {}};
    EXPECT_EQ(THDIALOGMESSAGE(viewer.main, &letter), 0);
    EXPECT_EQ(THDIALOGMESSAGE(viewer.main, &character), 0);
    Viewer other(300, 220);
    MSG elsewhere{other.main, WM_KEYDOWN, VK_TAB, 0, 0, {}};
    EXPECT_EQ(THDIALOGMESSAGE(viewer.main, &elsewhere), 0);
}

// ==== 3D buttons ====================================================================================

TEST_F(Skinned, ButtonFaceIsDrawnInTheSkinOrRecordColourAndSinksWhenPushed)
{
    SKIP_ON_WINDOWS_UNLESS_THE_SCREEN_KEEPS_COLOURS();
    Viewer viewer(480, 320);
    THSTYLERECORD zero{};
    HWND plain = THBUT3D(viewer.holder, "Plain", THDEFAULTFONT(), 10, 5, 90, 24, 201, &zero);
    THSTYLERECORD green{};
    green.faceColour = RGB(90, 160, 90);
    green.bevel = 3;
    HWND coloured = THBUT3D(viewer.holder, "Green", THDEFAULTFONT(), 110, 5, 90, 24, 202, &green);
    HWND noRecord = THBUT3D(viewer.holder, "None", nullptr, 210, 5, 90, 24, 203, nullptr);
    ASSERT_TRUE(plain && coloured && noRecord);
    UpdateWindow(viewer.main);

    EXPECT_EQ(ColourText(PixelOf(plain, 4, 12)), ColourText(FaceColour));
    EXPECT_EQ(ColourText(PixelOf(noRecord, 4, 12)), ColourText(FaceColour));
    EXPECT_EQ(ColourText(PixelOf(coloured, 5, 12)), ColourText(RGB(90, 160, 90)));
    EXPECT_GT(Brightness(PixelOf(plain, 0, 0)), Brightness(FaceColour));
    EXPECT_LT(Brightness(PixelOf(plain, 89, 23)), Brightness(FaceColour));

    SendMessageA(plain, BM_SETSTATE, TRUE, 0);
    EXPECT_LT(Brightness(PixelOf(plain, 0, 0)), Brightness(FaceColour));
    EXPECT_GT(Brightness(PixelOf(plain, 89, 23)), Brightness(FaceColour));
    SendMessageA(plain, BM_SETSTATE, FALSE, 0);
    EXPECT_GT(Brightness(PixelOf(plain, 0, 0)), Brightness(FaceColour));
}

TEST_F(Skinned, ButtonClickSendsItsCommandAndTipsAreReplaced)
{
    Viewer viewer(480, 320);
    HWND button = THBUT3D(viewer.holder, "Go", THDEFAULTFONT(), 10, 5, 60, 20, 301, nullptr);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(TakeBytes(THGETCTLTEXT(button)), "Go");
    SendMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageA(button, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(Log.commands, std::vector<int>{301});
    EXPECT_EQ(Log.actions, std::vector<std::string>{""});

    EXPECT_EQ(THBUTTONTIP(viewer.holder, button, "Opens a file"), 1);
    EXPECT_EQ(ToolTipTexts(viewer.main), std::vector<std::string>{"Opens a file"});
    EXPECT_EQ(THBUTTONTIP(viewer.holder, button, "Opens another file"), 1);
    EXPECT_EQ(ToolTipTexts(viewer.main), std::vector<std::string>{"Opens another file"});
    EXPECT_EQ(THBUTTONTIP(viewer.holder, button, ""), 1);
    EXPECT_TRUE(ToolTipTexts(viewer.main).empty());
}

// ==== Ordinary controls of the effects dialog ===================================================

class OrdinaryControls : public ::testing::Test {
protected:
    void SetUp() override
    {
        INITCOMMONCONTROLSEX controls{};
        controls.dwSize = sizeof(controls);
        controls.dwICC = ICC_BAR_CLASSES;
        InitCommonControlsEx(&controls);
        dialog_ = CreateWindowExA(0, "STATIC", "Effects", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr, nullptr,
                                  nullptr);
        ASSERT_NE(dialog_, nullptr);
    }
    void TearDown() override { DestroyWindow(dialog_); }

    HWND Child(const char *className, DWORD style)
    {
        return CreateWindowExA(0, className, "", WS_CHILD | WS_VISIBLE | style, 0, 0, 150, 30, dialog_, nullptr,
                               nullptr, nullptr);
    }
    HWND TrackBar(int lowest, int highest, int position)
    {
        HWND bar = Child(TRACKBAR_CLASSA, 0);
        SendMessageA(bar, TBM_SETRANGEMIN, FALSE, lowest);
        SendMessageA(bar, TBM_SETRANGEMAX, FALSE, highest);
        SendMessageA(bar, TBM_SETPOS, TRUE, position);
        return bar;
    }
    static LRESULT PositionOf(HWND bar) { return SendMessageA(bar, TBM_GETPOS, 0, 0); }

    HWND dialog_ = nullptr;
};

TEST_F(OrdinaryControls, CheckOfCheckBoxesAndRadioButtons)
{
    HWND box = Child("BUTTON", BS_AUTOCHECKBOX);
    HWND radio = Child("BUTTON", BS_AUTORADIOBUTTON);
    HWND three = Child("BUTTON", BS_AUTO3STATE);
    EXPECT_EQ(THGETCHECK(box), 0);
    SendMessageA(box, BM_CLICK, 0, 0);
    EXPECT_NE(THGETCHECK(box), 0);
    SendMessageA(radio, BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_NE(THGETCHECK(radio), 0);
    SendMessageA(three, BM_SETCHECK, BST_INDETERMINATE, 0);
    EXPECT_EQ(THGETCHECK(three), 0);
    EXPECT_EQ(THGETCHECK(nullptr), 0);
}

TEST_F(OrdinaryControls, TrackPositionsAreScaledToHundredWhateverTheRange)
{
    int position = -5;
    HWND percent = TrackBar(0, 100, 37);
    EXPECT_EQ(THGETTRACKPOS(percent, &position), 37);
    EXPECT_EQ(position, 37);
    EXPECT_EQ(THSETTRACKPOS(percent, 80), 80);
    EXPECT_EQ(PositionOf(percent), 80);

    HWND fine = TrackBar(0, 10000, 2500);
    EXPECT_EQ(THGETTRACKPOS(fine, &position), 25);
    EXPECT_EQ(THSETTRACKPOS(fine, 60), 60);
    EXPECT_EQ(PositionOf(fine), 6000);
    EXPECT_EQ(THSETTRACKPOS(fine, 150), 100);
    EXPECT_EQ(PositionOf(fine), 10000);
    EXPECT_EQ(THSETTRACKPOS(fine, -20), 0);
    EXPECT_EQ(PositionOf(fine), 0);

    HWND centred = TrackBar(-50, 50, 0);
    EXPECT_EQ(THGETTRACKPOS(centred, nullptr), 50);
    THSETTRACKPOS(centred, 0);
    EXPECT_EQ(PositionOf(centred), -50);

    HWND coarse = TrackBar(0, 3, 1);
    EXPECT_EQ(THGETTRACKPOS(coarse, nullptr), 33);
    EXPECT_EQ(THSETTRACKPOS(coarse, 33), 33) << "a position read and set again stays";
    EXPECT_EQ(PositionOf(coarse), 1);

    HWND box = Child("BUTTON", BS_AUTOCHECKBOX);
    EXPECT_EQ(THGETTRACKPOS(box, &position), -1) << "not a track bar";
    EXPECT_EQ(position, 25) << "nothing stored";
    EXPECT_EQ(THSETTRACKPOS(box, 50), -1);
    EXPECT_EQ(THSETTRACKPOS(reinterpret_cast<HWND>(0x1234), 50), -1);
}

// ==== Drawing ===============================================================================================

TEST_F(Skinned, TextExtentGrowsWithTheTextAndItsLines)
{
    int width = 0, height = 0, longer = 0, twoLines = 0, empty = -1, emptyHeight = 0;
    ASSERT_EQ(THGETTEXTEXTENT(nullptr, THDEFAULTFONT(), "Hello", &width, &height), 1);
    EXPECT_GT(width, 10);
    EXPECT_GT(height, 5);
    EXPECT_LT(height, 40);
    THGETTEXTEXTENT(nullptr, THDEFAULTFONT(), "Hello, world", &longer, nullptr);
    EXPECT_GT(longer, width);
    THGETTEXTEXTENT(nullptr, THDEFAULTFONT(), "Hello\r\nworld", nullptr, &twoLines);
    EXPECT_GE(twoLines, 2 * height - 2);
    THGETTEXTEXTENT(nullptr, nullptr, "", &empty, &emptyHeight);
    EXPECT_EQ(empty, 0);
    EXPECT_GT(emptyHeight, 0);

    // A Marlett font belongs to the caller, the default font to the library.
    HFONT marlett = THMARLETT(40);
    int marlettHeight = 0;
    THGETTEXTEXTENT(nullptr, marlett, "r", nullptr, &marlettHeight);
    EXPECT_GE(marlettHeight, 40);
    EXPECT_EQ(THDELETEOBJECT(reinterpret_cast<HGDIOBJ *>(&marlett)), 1);
    EXPECT_EQ(marlett, nullptr);
    HGDIOBJ library = THDEFAULTFONT();
    EXPECT_EQ(THDELETEOBJECT(&library), 0);
    EXPECT_EQ(library, nullptr);
    EXPECT_EQ(GetObjectType(THDEFAULTFONT()), DWORD(OBJ_FONT));
}

TEST_F(Skinned, TileBltRepeatsThePatternFromTheCorner)
{
    SKIP_ON_WINDOWS_UNLESS_THE_SCREEN_KEEPS_COLOURS();
    HDC screen = GetDC(nullptr);
    HDC target = CreateCompatibleDC(screen), source = CreateCompatibleDC(screen);
    HBITMAP canvas = CreateCompatibleBitmap(screen, 40, 30), pattern = CreateCompatibleBitmap(screen, 2, 2);
    HGDIOBJ oldCanvas = SelectObject(target, canvas);
    PatBlt(target, 0, 0, 40, 30, BLACKNESS);
    HGDIOBJ oldPattern = SelectObject(source, pattern);
    const COLORREF colours[4] = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255), White};
    for (int i = 0; i < 4; ++i)
        SetPixel(source, i % 2, i / 2, colours[i]);
    SelectObject(source, oldPattern);

    EXPECT_EQ(THTILEBLT(target, 3, 5, 20, 10, pattern), 1);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(ColourText(GetPixel(target, 3 + 10 + i % 2, 5 + 4 + i / 2)), ColourText(colours[i])) << i;
    EXPECT_EQ(GetPixel(target, 2, 5), 0u) << "left of the rectangle";
    EXPECT_EQ(GetPixel(target, 23, 5), 0u) << "right of it";
    EXPECT_EQ(GetPixel(target, 3, 15), 0u) << "below it";
    // The skin's control background is a pattern of its background colour.
    EXPECT_EQ(THTILEBLT(target, 0, 0, 40, 30, THCTLBACK()), 1);
    EXPECT_EQ(ColourText(GetPixel(target, 39, 29)), ColourText(BackgroundColour));

    SelectObject(target, oldCanvas);
    DeleteObject(pattern);
    DeleteObject(canvas);
    DeleteDC(source);
    DeleteDC(target);
    ReleaseDC(nullptr, screen);
}

// ==== Bad input ================================================================================================

TEST_F(Skinned, BadInputIsRefusedSafely)
{
    EXPECT_EQ(THREGISTERCLASS(nullptr, "X"), 0);
    WNDCLASSEXA noProcedure{};
    noProcedure.cbSize = sizeof(noProcedure);
    EXPECT_EQ(THREGISTERCLASS(&noProcedure, "NoProcedure"), 0);
    EXPECT_EQ(THHOLDER(nullptr, HolderClass, 0, 0, ViewerProc), nullptr);
    EXPECT_EQ(THHOLDER(reinterpret_cast<HWND>(0x4321), HolderClass, 0, 0, ViewerProc), nullptr);
    EXPECT_EQ(THGETMESSAGE(nullptr, nullptr, nullptr, nullptr), 0);
    HWND none = nullptr;
    UINT paint = WM_PAINT;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    EXPECT_EQ(THGETMESSAGE(&none, &paint, &wParam, &lParam), 0);
    EXPECT_EQ(THDIALOGMESSAGE(nullptr, nullptr), 0);
    EXPECT_EQ(THBUT3D(nullptr, "x", nullptr, 0, 0, 10, 10, 1, nullptr), nullptr);
    EXPECT_EQ(THBUTTONTIP(nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(THTABSTOP(nullptr), 0);
    EXPECT_EQ(THSETSYSBUTTONTIP(nullptr, "tip"), 0);
    EXPECT_EQ(THSETCTLTEXT(nullptr, "text"), 0);
    BSTR text = THGETCTLTEXT(nullptr);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(TakeBytes(text), "");
    EXPECT_EQ(THDELETEOBJECT(nullptr), 0);
    EXPECT_EQ(THMARLETT(0), nullptr);
    EXPECT_EQ(THTILEBLT(nullptr, 0, 0, 10, 10, THCTLBACK()), 0);
    EXPECT_EQ(THGETSYSCOLOR(-1), 0u);
    EXPECT_EQ(THGETTEXTEXTENT(nullptr, nullptr, nullptr, nullptr, nullptr), 1);

    Viewer viewer(400, 260);
    HWND nullText = THBUT3D(viewer.holder, nullptr, reinterpret_cast<HFONT>(0x5555), 5, 5, 40, 20, 7, nullptr);
    ASSERT_NE(nullText, nullptr);
    UpdateWindow(nullText);
    EXPECT_EQ(THSETCTLTEXT(viewer.main, nullptr), 1);
    EXPECT_EQ(TakeBytes(THGETCTLTEXT(viewer.main)), "");
}

// ==== Message boxes ===============================================================================================

TEST_F(Skinned, MessageBoxReturnsThePressedButtonAndDisablesItsOwner)
{
    Viewer viewer(480, 320);
    bool ownerEnabledDuring = true;
    std::vector<std::string> labels;
    int result = RunBox(
        [&](HWND box) {
            ownerEnabledDuring = IsWindowEnabled(viewer.main) != FALSE;
            EXPECT_EQ(GetWindow(box, GW_OWNER), viewer.main) << "the holder's top-level window";
            for (int id = 1; id <= 4; ++id)
                labels.push_back(GetDlgItem(box, id) ? TextOf(GetDlgItem(box, id)) : "(none)");
            SendMessageA(GetDlgItem(box, 2), BM_CLICK, 0, 0);
        },
        [&] { return THMSGBOX(viewer.holder, nullptr, "Question", "Save the file?", "Yes, No,Cancel", nullptr, 0); });
    EXPECT_EQ(result, 2);
    EXPECT_FALSE(ownerEnabledDuring);
    EXPECT_TRUE(IsWindowEnabled(viewer.main));
    EXPECT_EQ(labels, (std::vector<std::string>{"Yes", "No", "Cancel", "(none)"}));
    EXPECT_EQ(FindWindowA(THMSGBOX_CLASS, nullptr), nullptr);
}

TEST_F(Skinned, MessageBoxKeysAndItsOneOkButton)
{
    std::string label;
    int enter = RunBox(
        [&](HWND box) {
            label = TextOf(GetDlgItem(box, 1));
            EXPECT_EQ(GetDlgItem(box, 2), nullptr);
            PostMessageA(box, WM_KEYDOWN, VK_RETURN, 0);
        },
        [] { return THMSGBOX(nullptr, nullptr, "Note", "Done.", "", nullptr, 0); });
    EXPECT_EQ(enter, 1);
    EXPECT_EQ(label, "OK");

    int escape = RunBox([](HWND box) { PostMessageA(GetDlgItem(box, 1), WM_KEYDOWN, VK_ESCAPE, 0); },
                        [] { return THMSGBOX(nullptr, nullptr, "Keys", "Escape", "A,B", nullptr, 0); });
    EXPECT_EQ(escape, 0);

    int tabEnter = RunBox(
        [](HWND box) {
            SetFocus(GetDlgItem(box, 1));
            PostMessageA(GetDlgItem(box, 1), WM_KEYDOWN, VK_TAB, 0);
            PostMessageA(box, WM_KEYDOWN, VK_RETURN, 0);
        },
        [] { return THMSGBOX(nullptr, nullptr, "Keys", "Tab, Enter", "A,B,C", nullptr, 0); });
    EXPECT_EQ(tabEnter, 2);
}

TEST_F(Skinned, MessageBoxDestroyedOrQuitGivesZero)
{
    Viewer viewer(400, 260);
    int destroyed = RunBox([](HWND box) { DestroyWindow(box); },
                           [&] { return THMSGBOX(viewer.main, nullptr, "Gone", "Destroyed", "OK", nullptr, 0); });
    EXPECT_EQ(destroyed, 0);
    EXPECT_TRUE(IsWindowEnabled(viewer.main));

    int quit = RunBox([](HWND) { PostQuitMessage(7); },
                      [&] { return THMSGBOX(viewer.main, nullptr, "Quit", "Quit", "OK", nullptr, 0); });
    EXPECT_EQ(quit, 0);
    EXPECT_EQ(FindWindowA(THMSGBOX_CLASS, nullptr), nullptr);
    MSG message{};
    ASSERT_TRUE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the quit is passed on";
    EXPECT_EQ(message.wParam, 7u);
}

TEST_F(Skinned, MessageBoxPressedFromAnotherThread)
{
    std::thread presser([] {
        for (int i = 0; i < 500; ++i) {
            HWND box = FindWindowA(THMSGBOX_CLASS, nullptr);
            if (box && IsWindowVisible(box) && GetDlgItem(box, 3)) {
                SendMessageA(GetDlgItem(box, 3), BM_CLICK, 0, 0);
                return;
            }
            Sleep(10);
        }
    });
    int result = THMSGBOX(nullptr, nullptr, nullptr, nullptr, "One,Two,Three", nullptr, 0);
    presser.join();
    EXPECT_EQ(result, 3);
}

// ==== Screenshot ===================================================================================================

// Pixels of a window or of a composition of windows, as COLORREFs.
struct Image {
    int width;
    int height;
    std::vector<COLORREF> pixels;

    Image(int w, int h) : width(w), height(h), pixels(size_t(w) * size_t(h), RGB(128, 128, 128)) {}
    COLORREF At(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
    void Paste(const Image &image, int left, int top)
    {
        for (int y = 0; y < image.height; ++y)
            for (int x = 0; x < image.width; ++x)
                if (left + x >= 0 && top + y >= 0 && left + x < width && top + y < height)
                    pixels[size_t(top + y) * size_t(width) + size_t(left + x)] = image.At(x, y);
    }
    std::vector<std::uint8_t> Rgb() const
    {
        std::vector<std::uint8_t> rgb;
        for (COLORREF c : pixels)
            rgb.insert(rgb.end(), {GetRValue(c), GetGValue(c), GetBValue(c)});
        return rgb;
    }
};

Image Capture(HWND window)
{
    SIZE size = SizeOf(window);
    Image image(size.cx, size.cy);
    HDC dc = GetDCEx(window, nullptr, DCX_CACHE | DCX_WINDOW);
    for (int y = 0; y < size.cy; ++y)
        for (int x = 0; x < size.cx; ++x)
            image.pixels[size_t(y) * size_t(size.cx) + size_t(x)] = GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    return image;
}

// Wine takes a Unix path as a file on drive Z:.
std::string WindowsPathOf(std::string path)
{
    if (!path.empty() && path[0] == '/')
        path = "Z:" + path;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

TEST_F(Skinned, ScreenshotOfASkinnedWindowWithButtonsAndAMessageBox)
{
    SKIP_ON_WINDOWS_UNLESS_THE_SCREEN_KEEPS_COLOURS();
    Viewer viewer(560, 360);
    THSETSYSBUTTONTIP(viewer.main, "Close");
    THSETCTLTEXT(viewer.main, "Skinned viewer");
    THSTYLERECORD zero{};
    int x = 5;
    for (const char *label : {"Back", "Forward", "Print", "Close"}) {
        int width = 0, height = 0;
        THGETTEXTEXTENT(viewer.holder, THDEFAULTFONT(), label, &width, &height);
        width += 2 * THBUTTONMARGIN();
        HWND button = THBUT3D(viewer.holder, label, THDEFAULTFONT(), x, 5, width, 20, 500 + x, &zero);
        THBUTTONTIP(viewer.holder, button, label);
        THTABSTOP(button);
        x += width + 4;
    }
    UpdateWindow(viewer.main);

    THSTYLERECORD style = ViewerStyle();
    Image shot(1, 1);
    RECT mainRect{}, boxRect{};
    int result = RunBox(
        [&](HWND box) {
            UpdateWindow(box);
            GetWindowRect(viewer.main, &mainRect);
            GetWindowRect(box, &boxRect);
            RECT all{};
            UnionRect(&all, &mainRect, &boxRect);
            InflateRect(&all, 10, 10);
            shot = Image(all.right - all.left, all.bottom - all.top);
            OffsetRect(&mainRect, -all.left, -all.top);
            OffsetRect(&boxRect, -all.left, -all.top);
            shot.Paste(Capture(viewer.main), mainRect.left, mainRect.top);
            shot.Paste(Capture(box), boxRect.left, boxRect.top);
            SendMessageA(GetDlgItem(box, 1), BM_CLICK, 0, 0);
        },
        [&] {
            return THMSGBOX(viewer.main, THDEFAULTFONT(), "Skinned viewer",
                            "The skin draws this box: its caption, frame,\nicon, text and bevelled buttons.",
                            "OK,Cancel", &style, 0);
        });
    EXPECT_EQ(result, 1);
    ASSERT_GT(shot.width, 100);

    const std::string name = "themekit_skin_screenshot.png";
    EXPECT_TRUE(png_writer::WritePng(name, shot.width, shot.height, shot.Rgb()));
    if (const char *folder = std::getenv("TARN_SCREENSHOT_DIR")) {
        std::string target = WindowsPathOf(folder);
        CreateDirectoryA(target.c_str(), nullptr);
        EXPECT_TRUE(png_writer::WritePng(target + "\\" + name, shot.width, shot.height, shot.Rgb())) << target;
    }

    // The window's caption and frame, the first button's face, the box's
    // caption, body (the record's face) and frame of three pixels.
    EXPECT_EQ(ColourText(shot.At(mainRect.left + 300, mainRect.top + FrameWidth + 2)), ColourText(CaptionColour));
    EXPECT_EQ(ColourText(shot.At(mainRect.left + 1, mainRect.top + 200)), ColourText(FrameColour));
    int buttonTop = mainRect.top + FrameWidth + CaptionHeight + 5;
    EXPECT_EQ(ColourText(shot.At(mainRect.left + FrameWidth + 8, buttonTop + 10)), ColourText(FaceColour));
    EXPECT_EQ(ColourText(shot.At((boxRect.left + boxRect.right) / 2, boxRect.top + 5)), ColourText(CaptionColour));
    EXPECT_EQ(ColourText(shot.At(boxRect.left + 4, boxRect.bottom - 5)), ColourText(DialogFaceColour));
    EXPECT_NE(ColourText(shot.At(boxRect.left + 2, boxRect.bottom - 5)), ColourText(DialogFaceColour));
}

} // namespace
