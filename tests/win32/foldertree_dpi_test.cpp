// The control at the screen's DPI, from its own pixels: the selected label
// is in the font for the DPI (at 96 the stock font, in its historical place)
// and sits in its band as the other labels sit in their rows; a drag scrolls
// within one scroll arrow of the edges at the DPI; a host's font is kept; the
// control follows its window to another DPI; the fonts it made go with the
// module.
//
// Wine and Windows fix the DPI when a program starts. The Wine test run
// starts this program at 96, 144 and 192 DPI, each in a prefix at that DPI
// (tools/wine-each-dpi), naming the DPI in TARN_EXPECT_DPI. Run alone (the
// test bundle, Windows) it tests the machine's DPI; what needs another skips.
#include "foldertree_test_support.h"

#include <cstdlib>
#include <cstring>

#include "machine_guard.h"

namespace {

using namespace fttest;

::testing::Environment *const com = ::testing::AddGlobalTestEnvironment(new ComEnvironment);

constexpr int kId = 12;
// WM_DPICHANGED_AFTERPARENT, in the headers for Windows 10 programs only.
constexpr UINT kDpiChangedAfterParent = 0x02E3;
const HANDLE kUnaware = reinterpret_cast<HANDLE>(-1);

template <typename Function>
Function User32(const char *name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void *>(GetProcAddress(GetModuleHandleA("user32.dll"), name)));
}

// The calling thread's DPI awareness for a scope (Windows 10): windows made
// in it without awareness are at 96 DPI on any screen.
class ThreadAwareness {
public:
    explicit ThreadAwareness(HANDLE context) : previous_(set_ ? set_(context) : nullptr) {}
    ~ThreadAwareness()
    {
        if (previous_)
            set_(previous_);
    }
    static bool Available() { return set_ != nullptr; }

private:
    using Set = HANDLE(WINAPI *)(HANDLE);
    static inline const Set set_ = User32<Set>("SetThreadDpiAwarenessContext");
    HANDLE previous_;
};

// Per-monitor aware, so that Windows shows the program the screen's DPI as
// Wine does every program.
const bool awareProcess = [] {
    auto perMonitor = User32<BOOL(WINAPI *)(HANDLE)>("SetProcessDpiAwarenessContext");
    auto aware = User32<BOOL(WINAPI *)()>("SetProcessDPIAware");
    return (perMonitor && perMonitor(reinterpret_cast<HANDLE>(-4))) || (aware && aware());
}();

UINT ScreenDpi()
{
    HDC screen = GetDC(nullptr);
    UINT dpi = UINT(GetDeviceCaps(screen, LOGPIXELSY));
    ReleaseDC(nullptr, screen);
    return dpi;
}

const auto DpiForWindow = User32<UINT(WINAPI *)(HWND)>("GetDpiForWindow");
UINT WindowDpi(HWND window)
{
    return DpiForWindow ? DpiForWindow(window) : ScreenDpi();
}

// One scroll arrow's height at a DPI, as the system gives it (Windows 10).
const auto MetricForDpi = User32<int(WINAPI *)(int, UINT)>("GetSystemMetricsForDpi");
int ArrowHeight(UINT dpi)
{
    return MetricForDpi(SM_CYHSCROLL, dpi);
}

HFONT StockFont()
{
    return static_cast<HFONT>(GetStockObject(ANSI_VAR_FONT));
}
HFONT FontOf(HWND window)
{
    return reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0));
}

// Where a rectangle holds pixels other than the ground (first and last
// row, first column), on a memory copy of a window's surface on which draw
// has drawn.
struct Ink {
    int top = -1, bottom = -1, left = -1;
    int Height() const { return top < 0 ? 0 : bottom - top + 1; }
};

template <typename Draw>
Ink InkOn(HWND window, const RECT &area, COLORREF ground, Draw draw)
{
    HDC dc = GetDC(window);
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, area.right, area.bottom);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    draw(dc, memory);
    Ink ink;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            if (GetPixel(memory, x, y) != ground) {
                ink.top = ink.top < 0 ? y : ink.top;
                ink.bottom = y;
                ink.left = ink.left < 0 || x < ink.left ? x : ink.left;
            }
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(window, dc);
    return ink;
}

// As the window shows it, painted anew.
Ink InkOfWindow(HWND window, const RECT &area, COLORREF ground)
{
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    return InkOn(window, area, ground,
                 [&](HDC dc, HDC memory) { BitBlt(memory, 0, 0, area.right, area.bottom, dc, 0, 0, SRCCOPY); });
}

// A text in a font at (0, 0) on the band.
Ink InkOfText(HWND like, const std::wstring &text, HFONT font)
{
    RECT area{0, 0, 400, 120};
    return InkOn(like, area, kBand, [&](HDC, HDC memory) {
        HGDIOBJ previous = SelectObject(memory, font);
        SetTextColor(memory, kInk);
        SetBkColor(memory, kBand);
        ExtTextOutW(memory, 0, 0, ETO_OPAQUE, &area, text.c_str(), UINT(text.size()), nullptr);
        SelectObject(memory, previous);
    });
}

// A shown control over forty sub-folders named alike ("folder 100" to
// "folder 139": their labels' ink spans the same rows), root expanded, the
// second sub-folder selected, in the control's colours.
class DpiTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        base_ = FreshFolder("ft_dpi");
        for (int i = 0; i < 40; ++i)
            MakeFolders(base_, {"folder " + std::to_string(100 + i)});
    }
    static void TearDownTestSuite() { RemoveTree(base_); }
    void SetUp() override
    {
        ShowWindow(host_.Get(), SW_SHOWNOACTIVATE);
        Make(host_.Get());
        ASSERT_NE(foldertree::TreeData(tree_), nullptr);
    }
    void TearDown() override { DestroyWindow(control_); }

    void Make(HWND parent)
    {
        control_ = foldertree::CreateTarnBrowser(0, "", WS_CHILD | WS_VISIBLE, 0, 0, 300, 320, parent, kId);
        tree_ = TreeOf(control_);
        Bff_SetProperty(control_, 1, kBackground);
        Bff_SetProperty(control_, 3, kBand);
        Bff_SetProperty(control_, 4, kInk);
        root_ = HTREEITEM(SendMessageA(control_, BFFM_SETROOTPATH, base_.size(), LPARAM(base_.c_str())));
        SendMessageA(control_, BFFM_EXPANDROOT, 1, 0);
        SendMessageA(tree_, TVM_SELECTITEM, TVGN_CARET, LPARAM(Child(1)));
        PumpMessages();
    }
    HTREEITEM Child(int index) { return Children(tree_, root_).at(size_t(index)); }
    RECT TextRect(int index)
    {
        RECT rect{};
        HTREEITEM item = Child(index);
        std::memcpy(&rect, &item, sizeof item);
        SendMessageA(tree_, TVM_GETITEMRECT, TRUE, LPARAM(&rect));
        return rect;
    }
    // As the system reports a change of DPI: to the control, then its tree.
    void ReportDpiChange()
    {
        SendMessageA(control_, kDpiChangedAfterParent, 0, 0);
        SendMessageA(tree_, kDpiChangedAfterParent, 0, 0);
    }
    // The first height from the top where a drag does not scroll, in the
    // thread's units (the system switches to a window's when it calls it).
    int AutoScrollZone()
    {
        SendMessageA(tree_, WM_VSCROLL, SB_BOTTOM, 0);
        NMTREEVIEWA start{};
        start.hdr = NMHDR{tree_, UINT_PTR(kId), UINT(TVN_BEGINDRAGA)};
        start.itemNew.hItem = Next(tree_, TVGN_FIRSTVISIBLE);
        SendMessageA(control_, WM_NOTIFY, kId, LPARAM(&start));
        int zone = 0;
        for (bool scrolls = true; scrolls && zone < 100; zone += scrolls) {
            POINT screen{100, zone};
            ClientToScreen(control_, &screen);
            SetCursorPos(screen.x, screen.y);
            SendMessageA(control_, WM_MOUSEMOVE, 0, MAKELPARAM(100, zone));
            scrolls = KillTimer(control_, 200);
        }
        SendMessageA(control_, WM_LBUTTONUP, 0, MAKELPARAM(100, 150));
        return zone;
    }

    static inline std::string base_;
    HostWindow host_;
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

TEST_F(DpiTest, SelectedLabelIsInTheFontForTheDpiAndSitsInItsBandAsTheOthersInTheirRows)
{
    SKIP_ON_WINDOWS_UNLESS_THE_SCREEN_KEEPS_COLOURS();
    UINT dpi = WindowDpi(control_);
    RECT band = TextRect(1);
    Ink selected = InkOfWindow(tree_, band, kBand);
    Ink stock = InkOfText(tree_, WideLabel(tree_, Child(1)), StockFont());
    ASSERT_GT(stock.Height(), 3);
    if (dpi == 96) {
        // The stock font two pixels in and one down, as always.
        EXPECT_EQ(FontOf(tree_), StockFont());
        EXPECT_EQ(selected.top - band.top, stock.top + 1);
        EXPECT_EQ(selected.left - band.left, stock.left + 2);
        EXPECT_EQ(selected.Height(), stock.Height());
    } else {
        int scaled = MulDiv(stock.Height(), int(dpi), 96); // within what hinting makes of it
        EXPECT_GE(selected.Height() * 5, scaled * 4) << "ink rows at " << dpi << " DPI; at 96: " << stock.Height();
        EXPECT_LE(selected.Height() * 4, scaled * 5 + 4) << "ink rows at " << dpi << " DPI; at 96: " << stock.Height();
    }
    // At 96 DPI the historical place is a pixel high beside the stand-in for
    // the stock face that the Wine runs draw.
    for (int index : {0, 2, 5}) {
        RECT row = TextRect(index);
        Ink ink = InkOfWindow(tree_, row, kBackground);
        EXPECT_NEAR(selected.top - band.top, ink.top - row.top, 1) << "from the top, beside label " << index;
        EXPECT_NEAR(band.bottom - selected.bottom, row.bottom - ink.bottom, 1) << "from the bottom, beside " << index;
        EXPECT_NEAR(selected.left - band.left, ink.left - row.left, 1) << "from the left, beside label " << index;
    }
}

TEST_F(DpiTest, DragScrollsWithinOneScrollArrowOfTheEdgeAtTheDpi)
{
    if (!MetricForDpi)
        GTEST_SKIP() << "this system gives no metrics for a DPI (Windows 10 and later)";
    EXPECT_EQ(AutoScrollZone(), ArrowHeight(WindowDpi(control_)));
}

TEST_F(DpiTest, HostsFontIsKeptAtAnyDpi)
{
    SKIP_ON_WINDOWS_UNLESS_THE_SCREEN_KEEPS_COLOURS();
    LOGFONTA face{};
    face.lfHeight = -MulDiv(15, int(ScreenDpi()), 96);
    lstrcpyA(face.lfFaceName, "Tahoma");
    HFONT font = CreateFontIndirectA(&face);
    SendMessageA(tree_, WM_SETFONT, WPARAM(font), TRUE);
    ReportDpiChange();
    EXPECT_EQ(FontOf(tree_), font);
    Ink label = InkOfWindow(tree_, TextRect(1), kBand);
    EXPECT_EQ(label.Height(), InkOfText(tree_, WideLabel(tree_, Child(1)), font).Height()) << "drawn in it";
    SendMessageA(tree_, WM_SETFONT, WPARAM(StockFont()), TRUE);
    ReportDpiChange();
    EXPECT_EQ(FontOf(tree_), StockFont()) << "even the stock font, once the host gives it";
    DestroyWindow(control_);
    DeleteObject(font);
}

// Needs a screen at another DPI than 96, where a window made without DPI
// awareness is at 96.
TEST_F(DpiTest, ControlIsAtItsWindowsDpiAndFollowsItToAnother)
{
    UINT dpi = WindowDpi(control_);
    if (!ThreadAwareness::Available() || !MetricForDpi || dpi == 96)
        GTEST_SKIP() << "needs windows at 96 and at another DPI in one program (Windows 10, a screen not at 96)";
    HFONT own = FontOf(tree_);
    EXPECT_NE(own, StockFont());
    HWND unaware;
    {
        ThreadAwareness scope(kUnaware);
        unaware = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 300, 320, nullptr, nullptr, nullptr, nullptr);
    }
    SetParent(control_, unaware);
    if (WindowDpi(control_) == 96) {
        ReportDpiChange();
        EXPECT_EQ(FontOf(tree_), StockFont()) << "at 96 DPI";
        SetParent(control_, host_.Get());
        ReportDpiChange();
        EXPECT_EQ(FontOf(tree_), own) << "the font made for " << dpi << " DPI before";
        EXPECT_EQ(AutoScrollZone(), ArrowHeight(dpi));
    }
    // Made in the host at 96 DPI, it is at 96 throughout.
    DestroyWindow(control_);
    ThreadAwareness scope(kUnaware);
    Make(unaware);
    EXPECT_EQ(FontOf(tree_), StockFont());
    EXPECT_EQ(AutoScrollZone(), ArrowHeight(96));
    DestroyWindow(unaware);
}

TEST_F(DpiTest, FontsMadeForTheDpiGoWithTheModule)
{
    if (WindowDpi(control_) == 96)
        GTEST_SKIP() << "at 96 DPI the control makes no font: it takes the stock one";
    HFONT made = FontOf(tree_);
    DestroyWindow(control_);
    EXPECT_EQ(GetObjectType(made), DWORD(OBJ_FONT)) << "kept for the next control at this DPI";
    foldertree::ReleaseModuleObjects(); // as when the host frees the module
    EXPECT_EQ(GetObjectType(made), 0u);
    Make(host_.Get());
    EXPECT_EQ(GetObjectType(FontOf(tree_)), DWORD(OBJ_FONT)) << "made again";
}

} // namespace
