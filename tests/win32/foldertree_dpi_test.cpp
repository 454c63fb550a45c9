// The control at the screen's DPI, read from its own pixels: the selected
// label's font grows with the DPI and the label sits in its band as the
// tree's other labels sit in their rows; at 96 DPI the selected row is
// painted exactly as it always was; a drag scrolls within one scroll
// arrow's height of the edges at the DPI; a font the host sets is kept; a
// control follows its window to another DPI; the fonts it makes go with the
// module.
//
// One DPI per process: Wine and Windows read it when a program starts. The
// Wine test run starts this program once at 96, 144 and 192 DPI, each in a
// prefix at that DPI (tools/wine-each-dpi), and names the DPI it should find
// in TARN_EXPECT_DPI. Run alone (the test bundle, Windows), it tests the
// DPI of the machine, and the cases that need another one say so and skip.
#include "foldertree_test_support.h"

#include <cstdlib>
#include <cstring>

#include "machine_guard.h"

namespace {

using namespace fttest;

::testing::Environment *const com = ::testing::AddGlobalTestEnvironment(new ComEnvironment);

constexpr COLORREF kBackground = RGB(0x20, 0x40, 0x60);
constexpr COLORREF kBand = RGB(0xC8, 0x1E, 0x1E);
constexpr COLORREF kInk = RGB(0xFA, 0xFA, 0x00);
constexpr int kControlId = 12;
constexpr int kWidth = 300;
constexpr int kHeight = 320;
// WM_DPICHANGED_AFTERPARENT, which the headers give only to programs for
// Windows 10.
constexpr UINT kDpiChangedAfterParent = 0x02E3;

// The system's functions for windows at several DPIs (Windows 10), found
// at run time like the module finds them.
template <typename Function>
Function User32(const char *name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void *>(GetProcAddress(GetModuleHandleA("user32.dll"), name)));
}
using DpiForWindowFunction = UINT(WINAPI *)(HWND);
using MetricForDpiFunction = int(WINAPI *)(int, UINT);
using AwarenessFunction = HANDLE(WINAPI *)(HANDLE);
const HANDLE kUnaware = reinterpret_cast<HANDLE>(-1);
const HANDLE kPerMonitorAware2 = reinterpret_cast<HANDLE>(-4);

// The program is a per-monitor aware host, so that on Windows it sees the
// screen's real DPI (Wine gives it to every program).
class DpiAwareHost : public ::testing::Environment {
public:
    void SetUp() override
    {
        using ProcessAwareness = BOOL(WINAPI *)(HANDLE);
        using Aware = BOOL(WINAPI *)();
        auto perMonitor = User32<ProcessAwareness>("SetProcessDpiAwarenessContext");
        if (!perMonitor || !perMonitor(kPerMonitorAware2))
            if (auto aware = User32<Aware>("SetProcessDPIAware"))
                aware();
    }
};
::testing::Environment *const aware = ::testing::AddGlobalTestEnvironment(new DpiAwareHost);

UINT ScreenDpi()
{
    HDC screen = GetDC(nullptr);
    UINT dpi = UINT(GetDeviceCaps(screen, LOGPIXELSY));
    ReleaseDC(nullptr, screen);
    return dpi;
}

// One scroll arrow's height at a DPI, as the system gives it.
int ScrollArrowHeight(UINT dpi)
{
    if (auto forDpi = User32<MetricForDpiFunction>("GetSystemMetricsForDpi"))
        return forDpi(SM_CYHSCROLL, dpi);
    return dpi == ScreenDpi() ? GetSystemMetrics(SM_CYHSCROLL) : -1;
}

HFONT StockFont()
{
    return static_cast<HFONT>(GetStockObject(ANSI_VAR_FONT));
}

HFONT FontOf(HWND window)
{
    return reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0));
}

int CellHeight(HFONT font)
{
    HDC screen = GetDC(nullptr);
    HGDIOBJ previous = SelectObject(screen, font);
    TEXTMETRICA metrics{};
    GetTextMetricsA(screen, &metrics);
    SelectObject(screen, previous);
    ReleaseDC(nullptr, screen);
    return metrics.tmHeight;
}

// Pixels of a rectangle, top-down rows of COLORREFs.
struct Picture {
    RECT area{};
    std::vector<COLORREF> pixels;
    COLORREF At(int x, int y) const
    {
        return pixels[size_t(y - area.top) * size_t(area.right - area.left) + size_t(x - area.left)];
    }
};

Picture Read(HDC source, const RECT &area)
{
    Picture picture;
    picture.area = area;
    int width = area.right - area.left, height = area.bottom - area.top;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void *bits = nullptr;
    HDC memory = CreateCompatibleDC(source);
    HBITMAP bitmap = CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, source, area.left, area.top, SRCCOPY);
    GdiFlush();
    for (int i = 0; i < width * height; ++i) {
        DWORD word = static_cast<const DWORD *>(bits)[i];
        picture.pixels.push_back(RGB((word >> 16) & 0xFF, (word >> 8) & 0xFF, word & 0xFF));
    }
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    return picture;
}

// A window's pixels, from its own device context once it has painted.
Picture Capture(HWND window, const RECT &area)
{
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    HDC dc = GetDC(window);
    Picture picture = Read(dc, area);
    ReleaseDC(window, dc);
    return picture;
}

// What a font draws of a text on a ground, the text's cell at (x, y) of an
// area the size of the rectangle; made on a memory surface like the
// window's.
Picture Drawn(HWND like, const RECT &rect, const WCHAR *text, HFONT font, int x, int y)
{
    RECT area{0, 0, rect.right - rect.left, rect.bottom - rect.top};
    HDC window = GetDC(like);
    HDC memory = CreateCompatibleDC(window);
    HBITMAP bitmap = CreateCompatibleBitmap(window, area.right, area.bottom);
    HGDIOBJ previousBitmap = SelectObject(memory, bitmap);
    HBRUSH ground = CreateSolidBrush(kBand);
    FillRect(memory, &area, ground);
    DeleteObject(ground);
    HGDIOBJ previousFont = SelectObject(memory, font);
    SetTextColor(memory, kInk);
    SetBkColor(memory, kBand);
    SetBkMode(memory, OPAQUE);
    TextOutW(memory, x, y, text, lstrlenW(text));
    SelectObject(memory, previousFont);
    Picture picture = Read(memory, area);
    SelectObject(memory, previousBitmap);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(like, window);
    return picture;
}

// Where a rectangle holds ink, pixels other than the ground: its first
// and last rows and its first column.
struct Ink {
    int top = -1;
    int bottom = -1;
    int left = -1;
    int Height() const { return top < 0 ? 0 : bottom - top + 1; }
};

Ink InkIn(const Picture &picture, const RECT &rect, COLORREF ground)
{
    Ink ink;
    for (int y = rect.top; y < rect.bottom; ++y)
        for (int x = rect.left; x < rect.right; ++x)
            if (picture.At(x, y) != ground) {
                if (ink.top < 0)
                    ink.top = y;
                ink.bottom = y;
                if (ink.left < 0 || x < ink.left)
                    ink.left = x;
            }
    return ink;
}

std::string Hex(COLORREF colour)
{
    char text[16];
    wsprintfA(text, "%06X", colour);
    return text;
}

int CursorCount()
{
    int count = ShowCursor(TRUE);
    ShowCursor(FALSE);
    return count - 1;
}

// A shown host of its own class, made in the thread's DPI awareness or in
// the awareness given (the system's windows then are at 96 DPI).
class Host {
public:
    explicit Host(HANDLE awareness = nullptr)
    {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "FolderTreeDpiHost";
        RegisterClassA(&windowClass);
        auto setAwareness = User32<AwarenessFunction>("SetThreadDpiAwarenessContext");
        HANDLE previous = awareness && setAwareness ? setAwareness(awareness) : nullptr;
        window_ = CreateWindowExA(0, "FolderTreeDpiHost", "dpi host", WS_POPUP | WS_VISIBLE, 20, 20, kWidth + 20,
                                  kHeight + 20, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        if (previous)
            setAwareness(previous);
    }
    ~Host() { DestroyWindow(window_); }
    Host(const Host &) = delete;
    Host &operator=(const Host &) = delete;
    HWND Get() const { return window_; }

private:
    HWND window_ = nullptr;
};

// A shown control over a folder of forty sub-folders named alike ("folder
// 100" to "folder 139": their labels' ink spans the same rows), its root
// expanded, the second sub-folder selected, in the control's colours.
class DpiTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        base_ = FreshFolder("ft_dpi");
        std::vector<std::string> folders;
        for (int i = 0; i < 40; ++i)
            folders.push_back("folder " + std::to_string(100 + i));
        MakeFolders(base_, folders);
    }
    static void TearDownTestSuite() { RemoveTree(base_); }

    void SetUp() override
    {
        control_ = MakeControl(host_.Get());
        ASSERT_NE(foldertree::TreeData(tree_), nullptr);
    }
    void TearDown() override { DestroyWindow(control_); }

    HWND MakeControl(HWND parent)
    {
        HWND control = foldertree::CreateTarnBrowser(0, "", WS_CHILD | WS_VISIBLE, 0, 0, kWidth, kHeight, parent,
                                                     kControlId);
        tree_ = TreeOf(control);
        if (!foldertree::TreeData(tree_))
            return control;
        Bff_SetProperty(control, 1, kBackground);
        Bff_SetProperty(control, 3, kBand);
        Bff_SetProperty(control, 4, kInk);
        root_ = reinterpret_cast<HTREEITEM>(SendMessageA(control, BFFM_SETROOTPATH, base_.size(), LPARAM(base_.c_str())));
        SendMessageA(control, BFFM_EXPANDROOT, 1, 0);
        SendMessageA(tree_, TVM_SELECTITEM, TVGN_CARET, LPARAM(Child(1)));
        PumpMessages();
        return control;
    }

    HTREEITEM Child(int index) { return Children(tree_, root_).at(size_t(index)); }
    RECT TextRect(HTREEITEM item)
    {
        RECT rect{};
        std::memcpy(&rect, &item, sizeof item);
        SendMessageA(tree_, TVM_GETITEMRECT, TRUE, LPARAM(&rect));
        return rect;
    }
    // The selected label's ink, and the rectangle it was read in.
    Ink SelectedInk(RECT *rect = nullptr)
    {
        RECT text = TextRect(Child(1));
        if (rect)
            *rect = text;
        return InkIn(Capture(tree_, text), text, kBand);
    }
    // The ink of the same text in the font given, as a memory surface draws it.
    Ink InkOfLabelIn(HFONT font)
    {
        RECT area{0, 0, 200, 100};
        return InkIn(Drawn(tree_, area, WideLabel(tree_, Child(1)).c_str(), font, 10, 10), area, kBand);
    }

    // The DPI of the control's window.
    UINT ControlDpi()
    {
        auto dpiForWindow = User32<DpiForWindowFunction>("GetDpiForWindow");
        return dpiForWindow ? dpiForWindow(control_) : ScreenDpi();
    }

    // What a drag does with the cursor at a height of the tree: whether the
    // scroll timer runs there.
    bool ScrollsAt(int y)
    {
        POINT client{100, y};
        POINT screen = client;
        ClientToScreen(control_, &screen);
        SetCursorPos(screen.x, screen.y);
        SendMessageA(control_, WM_MOUSEMOVE, 0, MAKELPARAM(client.x, client.y));
        return KillTimer(control_, 200) != FALSE;
    }
    // The height from the edge within which a drag scrolls: the first
    // height from the top where it does not. Measured in the units of the
    // control's window, as the system switches a thread to the window's DPI
    // awareness when it calls the window.
    int AutoScrollZone(HANDLE awareness = nullptr)
    {
        auto setAwareness = User32<AwarenessFunction>("SetThreadDpiAwarenessContext");
        HANDLE previous = awareness && setAwareness ? setAwareness(awareness) : nullptr;
        SendMessageA(tree_, WM_VSCROLL, SB_BOTTOM, 0);
        HTREEITEM dragged = Next(tree_, TVGN_FIRSTVISIBLE);
        NMTREEVIEWA start{};
        start.hdr = NMHDR{tree_, UINT_PTR(kControlId), UINT(TVN_BEGINDRAGA)};
        start.itemNew.hItem = dragged;
        start.itemNew.mask = TVIF_HANDLE;
        start.ptDrag = POINT{100, 100};
        int cursors = CursorCount();
        SendMessageA(control_, WM_NOTIFY, kControlId, LPARAM(&start));
        int zone = 0;
        while (zone < kHeight / 2 && ScrollsAt(zone))
            ++zone;
        SendMessageA(control_, WM_LBUTTONUP, 0, MAKELPARAM(100, kHeight / 2));
        EXPECT_EQ(CursorCount(), cursors) << "the drag ended";
        SendMessageA(tree_, WM_VSCROLL, SB_TOP, 0);
        if (previous)
            setAwareness(previous);
        return zone;
    }

    static inline std::string base_;
    Host host_;
    HWND control_ = nullptr;
    HWND tree_ = nullptr;
    HTREEITEM root_ = nullptr;
};

TEST(Screen, IsAtTheDpiTheTestRunNames)
{
    char wanted[16] = {};
    if (!GetEnvironmentVariableA("TARN_EXPECT_DPI", wanted, sizeof wanted))
        GTEST_SKIP() << "run alone: the cases test the screen's DPI, " << ScreenDpi();
    EXPECT_EQ(ScreenDpi(), UINT(std::atoi(wanted))) << "the Wine prefix of this run is not at its DPI";
}

TEST_F(DpiTest, LabelFontIsTheStockFaceAtTheWindowsDpi)
{
    SKIP_ON_WINDOWS_UNLESS_THE_SCREEN_KEEPS_COLOURS();
    UINT dpi = ControlDpi();
    HFONT font = FontOf(tree_);
    Ink stock = InkOfLabelIn(StockFont());
    Ink selected = SelectedInk();
    ASSERT_GT(stock.Height(), 3);
    if (dpi == 96) {
        EXPECT_EQ(font, StockFont()) << "the stock font itself";
        EXPECT_EQ(selected.Height(), stock.Height());
        return;
    }
    LOGFONTA face{}, stockFace{};
    GetObjectA(font, sizeof face, &face);
    GetObjectA(StockFont(), sizeof stockFace, &stockFace);
    EXPECT_STREQ(face.lfFaceName, stockFace.lfFaceName);
    // The ink grows with the DPI, within what hinting makes of it.
    int scaled = MulDiv(stock.Height(), int(dpi), 96);
    EXPECT_GE(selected.Height() * 5, scaled * 4) << "ink rows at " << dpi << " DPI; at 96: " << stock.Height();
    EXPECT_LE(selected.Height() * 4, scaled * 5 + 4) << "ink rows at " << dpi << " DPI; at 96: " << stock.Height();
}

TEST_F(DpiTest, SelectedLabelSitsInItsBandAsTheOtherLabelsSitInTheirRows)
{
    SKIP_ON_WINDOWS_UNLESS_THE_SCREEN_KEEPS_COLOURS();
    RECT band{};
    Ink selected = SelectedInk(&band);
    ASSERT_GT(selected.Height(), 3);
    for (int index : {0, 2, 5}) {
        RECT row = TextRect(Child(index));
        Ink ink = InkIn(Capture(tree_, row), row, kBackground);
        ASSERT_GT(ink.Height(), 3) << "label " << index;
        // At 96 DPI the label keeps the place it always had, which the test
        // run's stand-in for the stock face leaves a pixel high.
        EXPECT_NEAR(selected.top - band.top, ink.top - row.top, 1) << "from the top, beside label " << index;
        EXPECT_NEAR(band.bottom - selected.bottom, row.bottom - ink.bottom, 1)
            << "from the bottom, beside label " << index;
        EXPECT_NEAR(selected.left - band.left, ink.left - row.left, 1) << "from the left, beside label " << index;
    }
}

TEST_F(DpiTest, At96DpiTheSelectedRowIsPaintedAsBefore)
{
    SKIP_ON_WINDOWS_UNLESS_THE_SCREEN_KEEPS_COLOURS();
    if (ControlDpi() != 96)
        GTEST_SKIP() << "the control is at " << ControlDpi() << " DPI, and this case needs 96";
    // The band over the label's rectangle, the label two pixels in and one
    // down in the stock font.
    RECT text = TextRect(Child(1));
    Picture shown = Capture(tree_, text);
    Picture before = Drawn(tree_, text, WideLabel(tree_, Child(1)).c_str(), StockFont(), 2, 1);
    int differing = 0;
    std::string first;
    for (int y = text.top; y < text.bottom; ++y)
        for (int x = text.left; x < text.right; ++x)
            if (shown.At(x, y) != before.At(x - text.left, y - text.top) && !differing++)
                first = "at (" + std::to_string(x) + ", " + std::to_string(y) + "): " + Hex(shown.At(x, y)) +
                        " for " + Hex(before.At(x - text.left, y - text.top));
    EXPECT_EQ(differing, 0) << first;
}

TEST_F(DpiTest, DragScrollsWithinOneScrollArrowOfTheEdgeAtTheWindowsDpi)
{
    UINT dpi = ControlDpi();
    int arrow = ScrollArrowHeight(dpi);
    if (arrow < 0)
        GTEST_SKIP() << "this system gives no metrics for other DPIs than the screen's";
    EXPECT_EQ(AutoScrollZone(), arrow) << "at " << dpi << " DPI";
    if (dpi != 96) {
        EXPECT_GT(arrow, ScrollArrowHeight(96));
    }
}

TEST_F(DpiTest, HostsFontIsKeptAtAnyDpi)
{
    SKIP_ON_WINDOWS_UNLESS_THE_SCREEN_KEEPS_COLOURS();
    LOGFONTA face{};
    face.lfHeight = -MulDiv(15, int(ScreenDpi()), 96);
    lstrcpyA(face.lfFaceName, "Tahoma");
    HFONT font = CreateFontIndirectA(&face);
    ASSERT_NE(font, nullptr);
    // Given to the control, it reaches the tree.
    SendMessageA(control_, WM_SETFONT, WPARAM(font), TRUE);
    EXPECT_EQ(FontOf(tree_), font);
    EXPECT_EQ(FontOf(control_), font);
    // A DPI change, as the system reports it to each child window.
    SendMessageA(control_, kDpiChangedAfterParent, 0, 0);
    SendMessageA(tree_, kDpiChangedAfterParent, 0, 0);
    EXPECT_EQ(FontOf(tree_), font);
    EXPECT_EQ(SelectedInk().Height(), InkOfLabelIn(font).Height()) << "the label is in the host's font";
    // Given to the tree, too.
    SendMessageA(tree_, WM_SETFONT, WPARAM(StockFont()), TRUE);
    SendMessageA(tree_, kDpiChangedAfterParent, 0, 0);
    EXPECT_EQ(FontOf(tree_), StockFont());
    DestroyWindow(control_);
    control_ = nullptr;
    DeleteObject(font);
}

// Needs windows at two DPIs in one process: a screen at another DPI than
// 96, where a window made without DPI awareness is at 96.
TEST_F(DpiTest, ControlIsAtItsWindowsDpiAndFollowsItToAnother)
{
    auto setAwareness = User32<AwarenessFunction>("SetThreadDpiAwarenessContext");
    if (!setAwareness)
        GTEST_SKIP() << "this system has no windows at several DPIs in one program (Windows 10 and later)";
    if (ControlDpi() == 96)
        GTEST_SKIP() << "the screen is at 96 DPI, and this case needs another";
    UINT dpi = ControlDpi();
    HFONT own = FontOf(tree_);
    EXPECT_GT(CellHeight(own), CellHeight(StockFont()));
    Host unaware(kUnaware);
    SetParent(control_, unaware.Get());
    if (ControlDpi() != 96)
        GTEST_SKIP() << "the system kept the control at " << ControlDpi() << " DPI in a host at 96";

    // As the system reports a change of DPI: to the control, then its tree.
    auto reportDpiChange = [&] {
        SendMessageA(control_, kDpiChangedAfterParent, 0, 0);
        SendMessageA(tree_, kDpiChangedAfterParent, 0, 0);
    };
    reportDpiChange();
    EXPECT_EQ(FontOf(tree_), StockFont()) << "at 96 DPI";
    SetParent(control_, host_.Get());
    reportDpiChange();
    EXPECT_EQ(ControlDpi(), dpi);
    EXPECT_EQ(FontOf(tree_), own) << "the font made for " << dpi << " DPI before";
    EXPECT_EQ(AutoScrollZone(), ScrollArrowHeight(dpi));

    // Made in the host at 96 DPI, it is at 96 throughout.
    DestroyWindow(control_);
    HANDLE previous = setAwareness(kUnaware);
    control_ = MakeControl(unaware.Get());
    setAwareness(previous);
    EXPECT_EQ(FontOf(tree_), StockFont());
    EXPECT_EQ(AutoScrollZone(kUnaware), ScrollArrowHeight(96));
}

TEST_F(DpiTest, FontsMadeForTheDpiGoWithTheModule)
{
    if (ControlDpi() == 96)
        GTEST_SKIP() << "at 96 DPI the control makes no font: it takes the stock one";
    HFONT made = FontOf(tree_);
    DestroyWindow(control_);
    EXPECT_EQ(GetObjectType(made), DWORD(OBJ_FONT)) << "kept for the next control at this DPI";
    // What the module does when the host frees it.
    foldertree::ReleaseModuleObjects();
    EXPECT_EQ(GetObjectType(made), 0u) << "freed";
    control_ = MakeControl(host_.Get());
    EXPECT_EQ(GetObjectType(FontOf(tree_)), DWORD(OBJ_FONT)) << "made again";
    EXPECT_NE(FontOf(tree_), StockFont());
}

} // namespace
