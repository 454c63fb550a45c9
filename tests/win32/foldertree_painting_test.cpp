// The tree's own painting: the control's colours behind the tree, the
// selection band across the whole width, the selected text, the transparent
// copy it is built from, the desktop snapshot, and that no paint and no
// control leaves a GDI object behind. Pixels are read from the windows' own
// device contexts.
#include "foldertree_test_support.h"

#include <cstdlib>
#include <cstring>

#include "machine_guard.h"
#include "png_writer.h"
#include "process_counts.h"

namespace {

using namespace fttest;

::testing::Environment *const com = ::testing::AddGlobalTestEnvironment(new ComEnvironment);


int LiveGdiObjects()
{
    return int(processcounts::LiveGdiObjects());
}

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<COLORREF> pixels;
    COLORREF At(int x, int y) const { return pixels[size_t(y) * width + x]; }
    int Count(COLORREF colour, int top = 0, int bottom = -1) const
    {
        if (bottom < 0)
            bottom = height;
        int count = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = 0; x < width; ++x)
                count += At(x, y) == colour;
        return count;
    }
    std::vector<std::uint8_t> Rgb() const
    {
        std::vector<std::uint8_t> rgb;
        for (COLORREF pixel : pixels) {
            rgb.push_back(GetRValue(pixel));
            rgb.push_back(GetGValue(pixel));
            rgb.push_back(GetBValue(pixel));
        }
        return rgb;
    }
};

// The window's pixels, read from its own device context after it has
// painted itself.
Picture Capture(HWND window)
{
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    RECT client{};
    GetClientRect(window, &client);
    Picture picture;
    picture.width = client.right;
    picture.height = client.bottom;
    HDC window_dc = GetDC(window);
    HDC memory = CreateCompatibleDC(window_dc);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = picture.width;
    info.bmiHeader.biHeight = -picture.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void *bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(window_dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, picture.width, picture.height, window_dc, 0, 0, SRCCOPY);
    GdiFlush();
    const auto *words = static_cast<const DWORD *>(bits);
    for (int i = 0; i < picture.width * picture.height; ++i)
        picture.pixels.push_back(RGB((words[i] >> 16) & 0xFF, (words[i] >> 8) & 0xFF, words[i] & 0xFF));
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(window, window_dc);
    return picture;
}

void SaveScreenshot(const Picture &picture, const std::string &name)
{
    EXPECT_TRUE(png_writer::WritePng(name, picture.width, picture.height, picture.Rgb()));
    if (const char *folder = std::getenv("TARN_SCREENSHOT_DIR")) {
        CreateDirectoryA(folder, nullptr);
        EXPECT_TRUE(png_writer::WritePng(std::string(folder) + "\\" + name, picture.width, picture.height,
                                         picture.Rgb()));
    }
}

std::string Hex(COLORREF colour)
{
    char text[16];
    wsprintfA(text, "%06X", colour);
    return text;
}

// One shown control for the painting checks, whose tree holds a folder with
// a few sub-folders; each check starts from its colours, its size, no
// selection and the top of the tree.
class PaintingTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        host_ = new HostWindow;
        base_ = FreshFolder("ft_painting");
        std::vector<std::string> folders;
        for (int i = 0; i < 40; ++i)
            folders.push_back("folder " + std::to_string(100 + i));
        MakeFolders(base_, folders);
        ShowWindow(host_->Get(), SW_SHOWNOACTIVATE);
        control_ = foldertree::CreateTarnBrowser(0, "", WS_CHILD | WS_VISIBLE, 0, 0, kWidth, kHeight, host_->Get(), 12);
        PumpMessages();
        tree_ = TreeOf(control_);
        if (!foldertree::TreeData(tree_))
            return;
        foldertree::ClearFolderTree(tree_);
        root_ = foldertree::FillFolderTree(tree_, base_.c_str(), -1, 0);
        if (root_)
            Expand(tree_, root_);
        PumpMessages();
    }
    static void TearDownTestSuite()
    {
        DestroyWindow(control_);
        delete host_;
        host_ = nullptr;
        RemoveTree(base_);
    }
    void SetUp() override
    {
        ASSERT_NE(foldertree::TreeData(tree_), nullptr);
        ASSERT_NE(root_, nullptr);
        SetWindowPos(control_, nullptr, 0, 0, kWidth, kHeight, SWP_NOMOVE | SWP_NOZORDER);
        SendMessageA(tree_, TVM_SELECTITEM, TVGN_CARET, 0);
        SendMessageA(tree_, WM_VSCROLL, SB_TOP, 0);
        Bff_SetProperty(control_, 1, kBackground);
        Bff_SetProperty(control_, 3, kBand);
        Bff_SetProperty(control_, 4, kInk);
        PumpMessages();
    }

    static HTREEITEM Child(int index) { return Children(tree_, root_).at(size_t(index)); }
    static RECT TextRect(HTREEITEM item)
    {
        RECT rect{};
        std::memcpy(&rect, &item, sizeof item);
        SendMessageA(tree_, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&rect));
        return rect;
    }

    static constexpr int kWidth = 300;
    static constexpr int kHeight = 320;
    static inline HostWindow *host_ = nullptr;
    static inline std::string base_;
    static inline HWND control_ = nullptr;
    static inline HWND tree_ = nullptr;
    static inline HTREEITEM root_ = nullptr;
};

TEST_F(PaintingTest, SelectedRowIsABandAcrossTheWholeWidthOverTheControlsBackground)
{
    SKIP_ON_WINDOWS_UNLESS_THE_SCREEN_KEEPS_COLOURS();
    HTREEITEM second = Child(1);
    SendMessageA(tree_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(second));
    RECT text = TextRect(second);
    Picture shot = Capture(tree_);
    ASSERT_GT(shot.width, 100);
    SaveScreenshot(shot, "foldertree_painting_screenshot.png");

    int middle = (text.top + text.bottom) / 2;
    EXPECT_EQ(Hex(shot.At(1, middle)), Hex(kBand)) << "left edge of the selected row";
    EXPECT_EQ(Hex(shot.At(shot.width - 2, middle)), Hex(kBand)) << "right edge of the selected row";
    EXPECT_EQ(Hex(shot.At(text.right + 4, middle)), Hex(kBand)) << "after the selected text";
    EXPECT_GT(shot.Count(kInk, text.top, text.bottom), 5) << "selected text in the ink colour";
    EXPECT_EQ(shot.Count(kInk, 0, text.top), 0);

    RECT first = TextRect(Child(0));
    int firstMiddle = (first.top + first.bottom) / 2;
    EXPECT_EQ(Hex(shot.At(shot.width - 2, firstMiddle)), Hex(kBackground)) << "an unselected row";
    EXPECT_EQ(Hex(shot.At(first.right + 4, firstMiddle)), Hex(kBackground));
    EXPECT_EQ(shot.Count(RGB(255, 255, 255)), 0) << "the tree's white is transparent";
    for (int x = 0; x < shot.width; ++x)
        EXPECT_NE(shot.At(x, text.top - 1), kBand) << "band higher than the row at x " << x;
}

TEST_F(PaintingTest, NoBandWithoutSelectionOrWithTheSelectionOutOfView)
{
    SKIP_ON_WINDOWS_UNLESS_THE_SCREEN_KEEPS_COLOURS();
    Picture plain = Capture(tree_);
    EXPECT_EQ(plain.Count(kBand), 0);
    EXPECT_EQ(Hex(plain.At(plain.width - 2, plain.height - 2)), Hex(kBackground));

    std::vector<HTREEITEM> children = Children(tree_, root_);
    SendMessageA(tree_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(children.back()));
    EXPECT_GT(Capture(tree_).Count(kBand), 0);
    SendMessageA(tree_, WM_VSCROLL, SB_TOP, 0);
    PumpMessages();
    Picture scrolled = Capture(tree_);
    EXPECT_EQ(scrolled.Count(kBand), 0) << "the selection is scrolled out of view";
    EXPECT_EQ(scrolled.Count(kInk), 0);
}

TEST_F(PaintingTest, BandInTheTreesOwnWhiteStillCoversTheRow)
{
    SKIP_ON_WINDOWS_UNLESS_THE_SCREEN_KEEPS_COLOURS();
    Bff_SetProperty(control_, 3, RGB(255, 255, 255));
    HTREEITEM first = Child(0);
    SendMessageA(tree_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(first));
    RECT text = TextRect(first);
    Picture shot = Capture(tree_);
    int middle = (text.top + text.bottom) / 2;
    // White is the tree's transparent colour: the band drawn on the surface
    // shows through the text's background.
    EXPECT_EQ(Hex(shot.At(shot.width - 2, middle)), "FFFFFF");
    EXPECT_EQ(Hex(shot.At(text.left + 1, middle)), "FFFFFF");
}

TEST_F(PaintingTest, PaintsAndControlsLeaveNoGdiObjectBehind)
{
    SKIP_ON_WINDOWS_UNLESS_THE_SCREEN_KEEPS_COLOURS();
    Capture(tree_);
    int before = LiveGdiObjects();
    // A bitmap, which the system never keeps in a cache of its own as it
    // may keep solid brushes.
    HBITMAP leak = CreateBitmap(1, 1, 1, 1, nullptr);
    EXPECT_EQ(LiveGdiObjects(), before + 1) << "the counter sees a leaked bitmap";
    DeleteObject(leak);
    EXPECT_EQ(LiveGdiObjects(), before);

    // Small, so that the paints cost little; every paint still has the
    // selection band and the selected text in view.
    SetWindowPos(control_, nullptr, 0, 0, 160, 40, SWP_NOMOVE | SWP_NOZORDER);
    SendMessageA(tree_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(Child(0)));
    Picture small = Capture(tree_);
    ASSERT_GT(small.Count(kBand), 0);
    ASSERT_GT(small.Count(kInk), 0);
    before = LiveGdiObjects();
    // A thousand paints composed into a memory context (WM_PAINT with the
    // context in wParam, as in a print), and a hundred through BeginPaint
    // with the background erased: the same composition, both ways in.
    HDC window = GetDC(tree_);
    HDC memory = CreateCompatibleDC(window);
    HBITMAP bitmap = CreateCompatibleBitmap(window, 160, 40);
    ReleaseDC(tree_, window);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    int withPaints = LiveGdiObjects();
    for (int i = 0; i < 1000; ++i)
        SendMessageA(tree_, WM_PAINT, reinterpret_cast<WPARAM>(memory), 0);
    EXPECT_EQ(processcounts::Settled(LiveGdiObjects, withPaints), withPaints) << "after 1,000 paints into a memory context";
    EXPECT_EQ(Hex(GetPixel(memory, 1, TextRect(Child(0)).top + 1)), Hex(kBand)) << "they did paint";
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    for (int i = 0; i < 100; ++i)
        RedrawWindow(tree_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    EXPECT_EQ(processcounts::Settled(LiveGdiObjects, before), before) << "after the window's own paints";

    // Each control fills and expands its desktop and paints once into a
    // memory context; the window's paints were counted above.
    HDC screen = GetDC(nullptr);
    HDC canvas = CreateCompatibleDC(screen);
    HBITMAP picture = CreateCompatibleBitmap(screen, 60, 40);
    ReleaseDC(nullptr, screen);
    HGDIOBJ previousPicture = SelectObject(canvas, picture);
    auto createAndDestroy = [&] {
        HWND control = foldertree::CreateTarnBrowser(0, "", WS_CHILD, kWidth + 10, 0, 60, 40, host_->Get(), 13);
        PumpMessages(); // the posted expansion
        SendMessageA(TreeOf(control), WM_PAINT, reinterpret_cast<WPARAM>(canvas), 0);
        DestroyWindow(control);
    };
    // The window manager keeps a few regions of its own once the second
    // child window has come and gone.
    for (int i = 0; i < 3; ++i)
        createAndDestroy();
    before = LiveGdiObjects();
    int records = LiveRecords();
    processcounts::Counts held = processcounts::Now();
    for (int i = 0; i < 100; ++i)
        createAndDestroy();
    EXPECT_EQ(processcounts::Settled(LiveGdiObjects, before), before) << "after 100 controls";
    EXPECT_EQ(processcounts::Settled(LiveRecords, records), records);
    // Nor anything else the process holds.
    processcounts::Counts now = processcounts::SettledNow(held);
    EXPECT_EQ(now.handles, held.handles) << "after 100 controls";
    EXPECT_EQ(now.windows, held.windows) << "after 100 controls";
    EXPECT_EQ(now.freeSlots, held.freeSlots) << "after 100 controls";
    EXPECT_LT(now.heapBytes, held.heapBytes + 64 * 1024)
        << "heap bytes in use grew from " << held.heapBytes << " to " << now.heapBytes;
    SelectObject(canvas, previousPicture);
    DeleteObject(picture);
    DeleteDC(canvas);
}

// A host changes the colours, then asks for a refresh: the tree, which
// covers the whole control, must be painted again, not just the outer
// window beneath it.
TEST_F(PaintingTest, RefreshRepaintsTheTreeToo)
{
    UpdateWindow(control_);
    UpdateWindow(tree_);
    PumpMessages();
    ValidateRect(tree_, nullptr);
    RECT pending{};
    ASSERT_FALSE(GetUpdateRect(tree_, &pending, FALSE));
    EXPECT_EQ(SendMessageA(control_, BFFM_REFRESH, 0, 0), 1);
    EXPECT_TRUE(GetUpdateRect(tree_, &pending, FALSE)) << "the tree is left as it was painted";
    UpdateWindow(tree_);
}

TEST_F(PaintingTest, PartialInvalidationRepaintsTheWholeTree)
{
    SKIP_ON_WINDOWS_UNLESS_THE_SCREEN_KEEPS_COLOURS();
    Capture(tree_);
    Bff_SetProperty(control_, 1, RGB(0x10, 0x90, 0x10));
    RECT corner{0, 0, 4, 4};
    InvalidateRect(tree_, &corner, TRUE);
    UpdateWindow(tree_);
    PumpMessages();
    UpdateWindow(tree_);
    HDC dc = GetDC(tree_);
    RECT client{};
    GetClientRect(tree_, &client);
    COLORREF corner_far = GetPixel(dc, client.right - 2, client.bottom - 2);
    ReleaseDC(tree_, dc);
    EXPECT_EQ(Hex(corner_far), Hex(RGB(0x10, 0x90, 0x10)));
}

// A memory context holding a bitmap of the given colours, row by row.
class Canvas {
public:
    Canvas(int width, int height, COLORREF fill) : width_(width), height_(height)
    {
        HDC screen = GetDC(nullptr);
        dc_ = CreateCompatibleDC(screen);
        bitmap_ = CreateCompatibleBitmap(screen, width, height);
        ReleaseDC(nullptr, screen);
        previous_ = SelectObject(dc_, bitmap_);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                SetPixel(dc_, x, y, fill);
    }
    ~Canvas()
    {
        SelectObject(dc_, previous_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    HDC Get() const { return dc_; }
    COLORREF At(int x, int y) const { return GetPixel(dc_, x, y); }

private:
    int width_, height_;
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ previous_;
};

TEST(TransparentCopy, LeavesTheTransparentColourUnpainted)
{
    SKIP_ON_WINDOWS_UNLESS_THE_SCREEN_KEEPS_COLOURS();
    const COLORREF red = RGB(255, 0, 0), blue = RGB(0, 0, 255), green = RGB(0, 255, 0);
    Canvas source(4, 4, red);
    SetPixel(source.Get(), 1, 1, blue);
    SetPixel(source.Get(), 2, 3, blue);
    Canvas explicitTarget(6, 6, green);
    foldertree::TransparentBlit(explicitTarget.Get(), 1, 1, 4, 4, source.Get(), 0, 0, red);
    Canvas negativeTarget(6, 6, green);
    foldertree::TransparentBlit(negativeTarget.Get(), 1, 1, 4, 4, source.Get(), 0, 0, COLORREF(-1));
    for (const Canvas *target : {&explicitTarget, &negativeTarget}) {
        EXPECT_EQ(Hex(target->At(2, 2)), Hex(blue));
        EXPECT_EQ(Hex(target->At(3, 4)), Hex(blue));
        EXPECT_EQ(Hex(target->At(1, 1)), Hex(green)) << "the top-left pixel's colour is left out";
        EXPECT_EQ(Hex(target->At(4, 4)), Hex(green));
        EXPECT_EQ(Hex(target->At(0, 0)), Hex(green)) << "outside the copy";
    }

    Canvas clipped(6, 6, green);
    int before = LiveGdiObjects();
    foldertree::TransparentBlit(clipped.Get(), 0, 0, 0, 4, source.Get(), 0, 0, red);
    foldertree::TransparentBlit(clipped.Get(), 0, 0, -3, -3, source.Get(), 0, 0, red);
    foldertree::TransparentBlit(nullptr, 0, 0, 4, 4, source.Get(), 0, 0, red);
    foldertree::TransparentBlit(clipped.Get(), 0, 0, 4, 4, source.Get(), 0, 0, blue);
    EXPECT_EQ(LiveGdiObjects(), before);
    EXPECT_EQ(Hex(clipped.At(0, 0)), Hex(red));
    EXPECT_EQ(Hex(clipped.At(1, 1)), Hex(green));
}

TEST(TransparentCopy, FillAndTextRestoreTheContext)
{
    SKIP_ON_WINDOWS_UNLESS_THE_SCREEN_KEEPS_COLOURS();
    Canvas canvas(40, 20, RGB(0, 0, 0));
    HDC dc = canvas.Get();
    SetTextColor(dc, RGB(1, 1, 1));
    SetBkColor(dc, RGB(2, 2, 2));
    SetBkMode(dc, TRANSPARENT);
    HGDIOBJ brush = GetCurrentObject(dc, OBJ_BRUSH);
    HGDIOBJ font = GetCurrentObject(dc, OBJ_FONT);
    int before = LiveGdiObjects();
    foldertree::FillRectColor(dc, 2, 2, 10, 5, RGB(9, 8, 7));
    foldertree::DrawTextColor(dc, "Wg", 12, 0, RGB(250, 0, 0), RGB(0, 0, 250),
                              static_cast<HFONT>(GetStockObject(ANSI_VAR_FONT)), OPAQUE);
    foldertree::DrawTextColor(dc, static_cast<const char *>(nullptr), 0, 0, 0, 0, nullptr, OPAQUE);
    EXPECT_EQ(LiveGdiObjects(), before);
    EXPECT_EQ(Hex(canvas.At(2, 2)), Hex(RGB(9, 8, 7)));
    EXPECT_EQ(Hex(canvas.At(11, 6)), Hex(RGB(9, 8, 7)));
    EXPECT_EQ(Hex(canvas.At(5, 8)), Hex(RGB(0, 0, 0)));
    EXPECT_EQ(Hex(canvas.At(13, 1)), Hex(RGB(0, 0, 250))) << "opaque text background";
    EXPECT_EQ(GetTextColor(dc), RGB(1, 1, 1));
    EXPECT_EQ(GetBkColor(dc), RGB(2, 2, 2));
    EXPECT_EQ(GetBkMode(dc), TRANSPARENT);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), brush);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), font);
}

TEST(TransparentCopy, OffscreenSurfaceReachesItsTargetInOneCopy)
{
    SKIP_ON_WINDOWS_UNLESS_THE_SCREEN_KEEPS_COLOURS();
    Canvas target(20, 20, RGB(0, 0, 0));
    int before = LiveGdiObjects();
    HDC surface = foldertree::OffscreenDC(target.Get(), 8, 6, 1);
    ASSERT_NE(surface, nullptr);
    foldertree::FillRectColor(surface, 0, 0, 8, 6, RGB(0, 200, 0));
    EXPECT_EQ(Hex(target.At(5, 5)), "000000") << "nothing reaches the target before the end";
    EXPECT_EQ(foldertree::OffscreenDC(nullptr, 4, 5, 0), nullptr);
    EXPECT_EQ(Hex(target.At(4, 5)), Hex(RGB(0, 200, 0)));
    EXPECT_EQ(Hex(target.At(11, 10)), Hex(RGB(0, 200, 0)));
    EXPECT_EQ(Hex(target.At(12, 10)), "000000");
    EXPECT_EQ(Hex(target.At(3, 5)), "000000");
    EXPECT_EQ(LiveGdiObjects(), before);
    EXPECT_EQ(foldertree::OffscreenDC(nullptr, 0, 0, 0), nullptr) << "an end without a begin";
}

TEST(DesktopSnapshot, TakenRetakenAndFreed)
{
    EXPECT_EQ(TarnDCDesktop(0), nullptr) << "no snapshot before the first";
    int before = LiveGdiObjects();
    HDC first = TarnDCDesktop(1);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(GetObjectType(first), DWORD(OBJ_MEMDC));
    EXPECT_EQ(TarnDCDesktop(0), first);
    int taken = LiveGdiObjects();
    EXPECT_EQ(taken, before + 2) << "a context and its bitmap";
    HDC second = TarnDCDesktop(1);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(LiveGdiObjects(), taken) << "the first snapshot is freed before the second";
    BITMAP picture{};
    GetObjectA(GetCurrentObject(second, OBJ_BITMAP), sizeof picture, &picture);
    RECT desktop{};
    GetWindowRect(GetDesktopWindow(), &desktop);
    EXPECT_EQ(picture.bmWidth, desktop.right - desktop.left);
    EXPECT_EQ(picture.bmHeight, desktop.bottom - desktop.top);
    EXPECT_EQ(TarnDCDesktop(2), nullptr);
    EXPECT_EQ(TarnDCDesktop(0), nullptr);
    EXPECT_EQ(LiveGdiObjects(), before);
    EXPECT_EQ(TarnDCDesktop(-7), nullptr);
}

} // namespace
