// Flicker-free painting of the tree child: the standard tree view paints into
// a memory bitmap, which is laid over the control's own background with the
// tree's background colour left out, and the whole client area reaches the
// window in one copy.
#include "folder_tree.h"

#include <cstring>

namespace foldertree {

namespace {

// The one drawing surface of OffscreenDC, between its begin and its end.
struct OffscreenSurface {
    HDC memory;
    HBITMAP bitmap;
    HGDIOBJ previousBitmap;
    int width;
    int height;
    HDC target;
};
OffscreenSurface Surface{};

// A memory context with a bitmap selected into it, both freed on scope exit
// after the previous bitmap is selected back.
class MemoryCanvas {
public:
    MemoryCanvas(HDC compatible, HBITMAP bitmap) : dc_(CreateCompatibleDC(compatible)), bitmap_(bitmap)
    {
        if (dc_ && bitmap_)
            previous_ = SelectObject(dc_, bitmap_);
    }
    ~MemoryCanvas()
    {
        if (previous_)
            SelectObject(dc_, previous_);
        if (bitmap_)
            DeleteObject(bitmap_);
        if (dc_)
            DeleteDC(dc_);
    }
    MemoryCanvas(const MemoryCanvas &) = delete;
    MemoryCanvas &operator=(const MemoryCanvas &) = delete;

    HDC Get() const { return dc_; }
    bool Ready() const { return previous_ != nullptr; }

private:
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ previous_ = nullptr;
};

COLORREF ControlColour(HWND control, int number)
{
    return static_cast<COLORREF>(Bff_GetProperty(control, number));
}

// The selected item's text rectangle and text, when the selection is in view.
bool VisibleSelection(HWND tree, RECT &textRect, WCHAR (&text)[260])
{
    HTREEITEM selected = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    if (!selected)
        return false;
    // TVM_GETITEMRECT takes the item's handle in the rectangle it fills.
    textRect = RECT{};
    std::memcpy(&textRect, &selected, sizeof selected);
    if (!SendMessageA(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&textRect)))
        return false;
    // Wide: the label is the folder's own name, in any script.
    TVITEMW item{};
    item.mask = TVIF_TEXT;
    item.hItem = selected;
    item.pszText = text;
    item.cchTextMax = 260;
    text[0] = L'\0';
    if (!SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)))
        return false;
    text[259] = L'\0';
    return true;
}

// Where the selected label goes in its text rectangle, which the tree makes
// as wide as the label plus its margin on either side and as tall as the
// row: centred both ways, as the tree centres its other labels. At 96 DPI
// the label keeps its historical place, two pixels in and one down, which
// is where the system's tree view centres the stock font in its 16-pixel
// rows (Wine's, whose stand-in for that face is two pixels shorter, draws it
// a pixel lower).
POINT LabelOrigin(HDC hdc, HFONT font, const RECT &textRect, const WCHAR *text, UINT dpi)
{
    if (dpi == 96)
        return POINT{textRect.left + 2, textRect.top + 1};
    SIZE extent{};
    HGDIOBJ previousFont = font ? SelectObject(hdc, font) : nullptr;
    GetTextExtentPoint32W(hdc, text, lstrlenW(text), &extent);
    if (previousFont)
        SelectObject(hdc, previousFont);
    int across = (textRect.right - textRect.left - extent.cx) / 2;
    int down = (textRect.bottom - textRect.top - extent.cy) / 2;
    return POINT{textRect.left + (across > 0 ? across : 0), textRect.top + (down > 0 ? down : 0)};
}

void ComposeTree(HWND tree, BffTreeData *data, HDC target, int width, int height, LPARAM lParam)
{
    if (width <= 0 || height <= 0)
        return;
    HWND control = GetParent(tree);
    HDC surface = OffscreenDC(target, width, height, 1);
    if (!surface)
        return;
    {
        MemoryCanvas treeImage(surface, CreateCompatibleBitmap(surface, width, height));
        if (treeImage.Ready()) {
            CallWindowProcA(data->OldTreeProc, tree, WM_PAINT, reinterpret_cast<WPARAM>(treeImage.Get()), lParam);
            FillRectColor(surface, 0, 0, width, height, ControlColour(control, 1));
            RECT textRect{};
            WCHAR text[260];
            if (VisibleSelection(tree, textRect, text)) {
                COLORREF band = ControlColour(control, 3);
                COLORREF ink = ControlColour(control, 4);
                int itemWidth = textRect.right - textRect.left;
                int itemHeight = textRect.bottom - textRect.top;
                FillRectColor(surface, 0, textRect.top, width, itemHeight, band);
                FillRectColor(treeImage.Get(), textRect.left, textRect.top, itemWidth, itemHeight, band);
                HFONT font = reinterpret_cast<HFONT>(SendMessageA(tree, WM_GETFONT, 0, 0));
                POINT origin = LabelOrigin(treeImage.Get(), font, textRect, text, ControlDpi(tree));
                DrawTextColor(treeImage.Get(), text, origin.x, origin.y, ink, band, font, OPAQUE);
            }
            COLORREF transparent = static_cast<COLORREF>(SendMessageA(tree, TVM_GETBKCOLOR, 0, 0));
            TransparentBlit(surface, 0, 0, width, height, treeImage.Get(), 0, 0, transparent);
        }
    }
    OffscreenDC(nullptr, 0, 0, 0);
}

} // namespace

HDC OffscreenDC(HDC hdc, int a, int b, int begin)
{
    if (begin) {
        Surface = OffscreenSurface{};
        Surface.memory = CreateCompatibleDC(hdc);
        Surface.bitmap = CreateCompatibleBitmap(hdc, a, b);
        if (!Surface.memory || !Surface.bitmap) {
            if (Surface.bitmap)
                DeleteObject(Surface.bitmap);
            if (Surface.memory)
                DeleteDC(Surface.memory);
            Surface = OffscreenSurface{};
            return nullptr;
        }
        Surface.previousBitmap = SelectObject(Surface.memory, Surface.bitmap);
        Surface.width = a;
        Surface.height = b;
        Surface.target = hdc;
        return Surface.memory;
    }
    if (!Surface.memory)
        return nullptr;
    BitBlt(Surface.target, a, b, Surface.width, Surface.height, Surface.memory, 0, 0, SRCCOPY);
    SelectObject(Surface.memory, Surface.previousBitmap);
    DeleteObject(Surface.bitmap);
    DeleteDC(Surface.memory);
    Surface = OffscreenSurface{};
    return nullptr;
}

void TransparentBlit(HDC hdcDest, int xDest, int yDest, int width, int height, HDC hdcSrc, int xSrc, int ySrc,
                     COLORREF transparent)
{
    if (!hdcDest || !hdcSrc || width <= 0 || height <= 0)
        return;
    if (static_cast<LONG>(transparent) < 0)
        transparent = GetPixel(hdcSrc, 0, 0);
    MemoryCanvas image(hdcDest, CreateCompatibleBitmap(hdcDest, width, height));
    MemoryCanvas mask(hdcDest, CreateBitmap(width, height, 1, 1, nullptr));
    MemoryCanvas inverseMask(hdcDest, CreateBitmap(width, height, 1, 1, nullptr));
    MemoryCanvas mix(hdcDest, CreateCompatibleBitmap(hdcDest, width, height));
    if (!image.Ready() || !mask.Ready() || !inverseMask.Ready() || !mix.Ready())
        return;
    // A colour-to-monochrome copy turns pixels of the background colour white
    // and all others black.
    COLORREF previousBackground = SetBkColor(hdcSrc, transparent);
    BitBlt(mask.Get(), 0, 0, width, height, hdcSrc, xSrc, ySrc, SRCCOPY);
    SetBkColor(hdcSrc, previousBackground);
    BitBlt(inverseMask.Get(), 0, 0, width, height, mask.Get(), 0, 0, NOTSRCCOPY);
    // Monochrome-to-colour copies map white to the background colour and
    // black to the text colour of the destination; keep them plain.
    COLORREF mixBackground = SetBkColor(mix.Get(), RGB(255, 255, 255));
    COLORREF mixText = SetTextColor(mix.Get(), RGB(0, 0, 0));
    COLORREF imageBackground = SetBkColor(image.Get(), RGB(255, 255, 255));
    COLORREF imageText = SetTextColor(image.Get(), RGB(0, 0, 0));
    BitBlt(mix.Get(), 0, 0, width, height, hdcDest, xDest, yDest, SRCCOPY);
    BitBlt(mix.Get(), 0, 0, width, height, mask.Get(), 0, 0, SRCAND);
    BitBlt(image.Get(), 0, 0, width, height, hdcSrc, xSrc, ySrc, SRCCOPY);
    BitBlt(image.Get(), 0, 0, width, height, inverseMask.Get(), 0, 0, SRCAND);
    BitBlt(mix.Get(), 0, 0, width, height, image.Get(), 0, 0, SRCINVERT);
    BitBlt(hdcDest, xDest, yDest, width, height, mix.Get(), 0, 0, SRCCOPY);
    SetTextColor(image.Get(), imageText);
    SetBkColor(image.Get(), imageBackground);
    SetTextColor(mix.Get(), mixText);
    SetBkColor(mix.Get(), mixBackground);
}

void FillRectColor(HDC hdc, int x, int y, int width, int height, COLORREF colour)
{
    RECT area{x, y, x + width, y + height};
    HBRUSH brush = CreateSolidBrush(colour);
    if (!brush)
        return;
    HGDIOBJ previous = SelectObject(hdc, brush);
    FillRect(hdc, &area, brush);
    if (previous)
        SelectObject(hdc, previous);
    DeleteObject(brush);
}

namespace {

// Draws with the colours, mode and font given, and puts the context's own
// back.
template <typename Draw>
void WithTextColours(HDC hdc, COLORREF ink, COLORREF background, HFONT font, int mode, Draw draw)
{
    HGDIOBJ previousFont = font ? SelectObject(hdc, font) : nullptr;
    COLORREF previousInk = SetTextColor(hdc, ink);
    COLORREF previousBackground = SetBkColor(hdc, background);
    int previousMode = SetBkMode(hdc, mode);
    draw();
    SetBkMode(hdc, previousMode);
    SetTextColor(hdc, previousInk);
    SetBkColor(hdc, previousBackground);
    if (previousFont)
        SelectObject(hdc, previousFont);
}

} // namespace

void DrawTextColor(HDC hdc, const char *text, int x, int y, COLORREF ink, COLORREF background, HFONT font, int mode)
{
    if (text)
        WithTextColours(hdc, ink, background, font, mode, [&] { TextOutA(hdc, x, y, text, lstrlenA(text)); });
}

void DrawTextColor(HDC hdc, const WCHAR *text, int x, int y, COLORREF ink, COLORREF background, HFONT font, int mode)
{
    if (text)
        WithTextColours(hdc, ink, background, font, mode, [&] { TextOutW(hdc, x, y, text, lstrlenW(text)); });
}

LRESULT PaintTree(HWND tree, BffTreeData *data, WPARAM wParam, LPARAM lParam)
{
    RECT client{};
    GetClientRect(tree, &client);
    // WM_PAINT with a device context in wParam (a print into a memory
    // context) composes into that context without BeginPaint.
    if (HDC given = reinterpret_cast<HDC>(wParam)) {
        ComposeTree(tree, data, given, client.right, client.bottom, lParam);
        return 0;
    }
    PAINTSTRUCT paint{};
    HDC hdc = BeginPaint(tree, &paint);
    if (hdc)
        ComposeTree(tree, data, hdc, client.right, client.bottom, lParam);
    EndPaint(tree, &paint);
    return 0;
}

LRESULT EraseTreeBackground(HWND tree)
{
    // Nothing is erased: the next paint composes the whole client area.
    if (IsWindowVisible(tree))
        InvalidateRect(tree, nullptr, FALSE);
    return 1;
}

} // namespace foldertree
