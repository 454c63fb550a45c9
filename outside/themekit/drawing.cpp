// Fonts, colours and patterns of the skin, the drawing of faces, frames and
// captions, and the drawing exports.
#include <algorithm>
#include <climits>
#include <mutex>
#include <vector>

#include "byte_string.h"
#include "skin_state.h"

namespace themekit {

namespace {

struct Resources {
    unsigned generation = UINT_MAX;
    HFONT defaultFont = nullptr;
    HFONT captionFont = nullptr;
    HBITMAP controlBack = nullptr;
};

std::mutex ResourceLock;
Resources Current;
// Objects of earlier skins: still selected into windows that took them.
std::vector<HGDIOBJ> Retired;

int PointsToPixels(int points)
{
    WindowDc screen(nullptr);
    int dpi = screen.get() ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 96;
    return MulDiv(points, dpi > 0 ? dpi : 96, 72);
}

HFONT MakeFont(const std::string &face, int pixelHeight, int weight, BYTE charset)
{
    LOGFONTA font{};
    font.lfHeight = -pixelHeight;
    font.lfWeight = weight;
    font.lfCharSet = charset;
    font.lfOutPrecision = OUT_DEFAULT_PRECIS;
    font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    font.lfQuality = DEFAULT_QUALITY;
    font.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    lstrcpynA(font.lfFaceName, face.c_str(), LF_FACESIZE);
    return CreateFontIndirectA(&font);
}

HBITMAP MakeSolidPattern(COLORREF colour)
{
    constexpr int side = 16;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = side;
    info.bmiHeader.biHeight = -side;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void *bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap || !bits)
        return bitmap;
    // DIB pixels are stored blue first, the reverse of a COLORREF.
    DWORD pixel = (DWORD(GetRValue(colour)) << 16) | (DWORD(GetGValue(colour)) << 8) | GetBValue(colour);
    std::fill_n(static_cast<DWORD *>(bits), side * side, pixel);
    GdiFlush();
    return bitmap;
}

HBITMAP LoadPattern(const Skin &skin)
{
    if (!skin.backgroundImage.empty()) {
        std::string path = skin.backgroundImage;
        bool absolute = path.size() > 1 && (path[1] == ':' || path[0] == '\\' || path[0] == '/');
        if (!absolute)
            path = CurrentSkinFolder() + path;
        auto image = static_cast<HBITMAP>(
            LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
        if (image)
            return image;
    }
    return MakeSolidPattern(skin.backgroundColour);
}

void RetireLocked(HGDIOBJ object)
{
    if (object)
        Retired.push_back(object);
}

// Remakes the objects when the skin changed since they were made.
const Resources &ResourcesLocked()
{
    unsigned generation = SkinGeneration();
    if (Current.generation == generation)
        return Current;
    RetireLocked(Current.defaultFont);
    RetireLocked(Current.captionFont);
    RetireLocked(Current.controlBack);
    Skin skin = CurrentSkin();
    Current.generation = generation;
    Current.defaultFont = MakeFont(skin.fontName, PointsToPixels(skin.fontSize), FW_NORMAL, DEFAULT_CHARSET);
    Current.captionFont = MakeFont(skin.fontName, PointsToPixels(skin.captionFontSize), FW_BOLD, DEFAULT_CHARSET);
    Current.controlBack = LoadPattern(skin);
    return Current;
}

template <class Handle>
Handle Resource(Handle Resources::*field, Handle fallback)
{
    Handle handle = NoThrow<Handle>(nullptr, [field] {
        std::lock_guard<std::mutex> lock(ResourceLock);
        return ResourcesLocked().*field;
    });
    return handle ? handle : fallback;
}

HFONT FontOrDefault(HFONT font)
{
    return font && GetObjectType(font) == OBJ_FONT ? font : LibraryDefaultFont();
}

} // namespace

HFONT LibraryDefaultFont()
{
    return Resource(&Resources::defaultFont, static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
}

HFONT LibraryCaptionFont()
{
    return Resource(&Resources::captionFont, static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
}

HBITMAP LibraryControlBack()
{
    return Resource<HBITMAP>(&Resources::controlBack, nullptr);
}

void ReleaseLibraryResources()
{
    std::lock_guard<std::mutex> lock(ResourceLock);
    for (HGDIOBJ object : {static_cast<HGDIOBJ>(Current.defaultFont), static_cast<HGDIOBJ>(Current.captionFont),
                           static_cast<HGDIOBJ>(Current.controlBack)})
        if (object)
            DeleteObject(object);
    for (HGDIOBJ object : Retired)
        DeleteObject(object);
    Retired.clear();
    Current = Resources{};
}

bool IsLibraryObject(HGDIOBJ object)
{
    if (!object)
        return false;
    return NoThrow(false, [object] {
        std::lock_guard<std::mutex> lock(ResourceLock);
        const Resources &now = Current;
        if (object == now.defaultFont || object == now.captionFont || object == now.controlBack)
            return true;
        return std::find(Retired.begin(), Retired.end(), object) != Retired.end();
    });
}

int CaptionButtonSide(const Skin &skin)
{
    return std::max(8, skin.captionHeight - 6);
}

COLORREF ShadeColour(COLORREF colour, int percent)
{
    percent = std::clamp(percent, -100, 100);
    auto shade = [percent](int channel) {
        int target = percent > 0 ? 255 : 0;
        return channel + (target - channel) * (percent > 0 ? percent : -percent) / 100;
    };
    return RGB(shade(GetRValue(colour)), shade(GetGValue(colour)), shade(GetBValue(colour)));
}

COLORREF MixColours(COLORREF a, COLORREF b)
{
    return RGB((GetRValue(a) + GetRValue(b)) / 2, (GetGValue(a) + GetGValue(b)) / 2,
               (GetBValue(a) + GetBValue(b)) / 2);
}

void FillColour(HDC dc, const RECT &rect, COLORREF colour)
{
    GdiObject<HBRUSH> brush(CreateSolidBrush(colour));
    if (brush.get())
        FillRect(dc, &rect, brush.get());
}

void DrawBevel(HDC dc, const RECT &rect, COLORREF face, int depth, bool sunken)
{
    COLORREF light = ShadeColour(face, 55);
    COLORREF dark = ShadeColour(face, -45);
    if (sunken)
        std::swap(light, dark);
    RECT edge = rect;
    for (int i = 0; i < depth && edge.right - edge.left > 1 && edge.bottom - edge.top > 1; ++i) {
        FillColour(dc, RECT{edge.left, edge.top, edge.right, edge.top + 1}, light);
        FillColour(dc, RECT{edge.left, edge.top, edge.left + 1, edge.bottom}, light);
        FillColour(dc, RECT{edge.left, edge.bottom - 1, edge.right, edge.bottom}, dark);
        FillColour(dc, RECT{edge.right - 1, edge.top, edge.right, edge.bottom}, dark);
        InflateRect(&edge, -1, -1);
    }
}

bool TileBitmap(HDC dc, const RECT &rect, HBITMAP pattern)
{
    if (!dc || !pattern || GetObjectType(pattern) != OBJ_BITMAP)
        return false;
    if (rect.right <= rect.left || rect.bottom <= rect.top)
        return true;
    GdiObject<HBRUSH> brush(CreatePatternBrush(pattern));
    if (!brush.get())
        return false;
    // The brush origin is in device units; the tiles start at the
    // rectangle's corner whatever the mapping of the DC.
    POINT origin{rect.left, rect.top};
    LPtoDP(dc, &origin, 1);
    POINT oldOrigin{};
    SetBrushOrgEx(dc, origin.x, origin.y, &oldOrigin);
    FillRect(dc, &rect, brush.get());
    SetBrushOrgEx(dc, oldOrigin.x, oldOrigin.y, nullptr);
    return true;
}

void DrawButtonFace(HDC dc, const RECT &rect, const ButtonLook &look, HFONT font, std::string_view text,
                    unsigned state)
{
    bool pushed = (state & ButtonPushed) != 0;
    FillColour(dc, rect, look.face);
    DrawBevel(dc, rect, look.face, look.bevel, pushed);

    RECT textRect = rect;
    InflateRect(&textRect, -look.bevel, -look.bevel);
    if (pushed)
        OffsetRect(&textRect, 1, 1);
    COLORREF colour = state & ButtonDisabled ? MixColours(look.text, look.face) : look.text;
    {
        Selection selectFont(dc, FontOrDefault(font));
        TextLook textLook(dc, colour);
        DrawTextA(dc, text.data(), int(std::min<size_t>(text.size(), INT_MAX)), &textRect,
                  DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
    if (state & ButtonFocused) {
        RECT focus = rect;
        InflateRect(&focus, -(look.bevel + 2), -(look.bevel + 2));
        if (focus.right > focus.left && focus.bottom > focus.top) {
            TextLook focusLook(dc, look.text);
            DrawFocusRect(dc, &focus);
        }
    }
}

void DrawCaptionBand(HDC dc, const RECT &band, int titleRight, const Skin &skin, bool active, HICON icon,
                     std::string_view title)
{
    FillColour(dc, band, active ? skin.captionColour : skin.inactiveCaptionColour);
    int x = band.left + 5;
    if (icon) {
        int side = std::min(16, int(band.bottom - band.top));
        DrawIconEx(dc, x, band.top + (band.bottom - band.top - side) / 2, icon, side, side, 0, nullptr,
                   DI_NORMAL);
        x += side + 4;
    }
    RECT titleRect{x, band.top, std::max<LONG>(x, titleRight - 4), band.bottom};
    Selection selectFont(dc, LibraryCaptionFont());
    TextLook textLook(dc, skin.captionTextColour);
    DrawTextA(dc, title.data(), int(std::min<size_t>(title.size(), INT_MAX)), &titleRect,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
}

void DrawSkinFrame(HDC dc, const RECT &outer, const Skin &skin, int width)
{
    RECT ring = outer;
    for (int i = 0; i < width; ++i) {
        COLORREF colour = skin.frameColour;
        if (width >= 2 && i == 0)
            colour = ShadeColour(skin.frameColour, -40);
        else if (width >= 3 && i == width - 1)
            colour = ShadeColour(skin.frameColour, 25);
        if (ring.right - ring.left < 1 || ring.bottom - ring.top < 1)
            break;
        FillColour(dc, RECT{ring.left, ring.top, ring.right, ring.top + 1}, colour);
        FillColour(dc, RECT{ring.left, ring.bottom - 1, ring.right, ring.bottom}, colour);
        FillColour(dc, RECT{ring.left, ring.top, ring.left + 1, ring.bottom}, colour);
        FillColour(dc, RECT{ring.right - 1, ring.top, ring.right, ring.bottom}, colour);
        InflateRect(&ring, -1, -1);
    }
}

namespace {

// An outline of the rectangle, thicker at the top like a window's caption.
void DrawWindowGlyph(HDC dc, const RECT &box, COLORREF colour)
{
    FillColour(dc, RECT{box.left, box.top, box.right, box.top + 2}, colour);
    FillColour(dc, RECT{box.left, box.bottom - 1, box.right, box.bottom}, colour);
    FillColour(dc, RECT{box.left, box.top, box.left + 1, box.bottom}, colour);
    FillColour(dc, RECT{box.right - 1, box.top, box.right, box.bottom}, colour);
}

} // namespace

// The glyphs are drawn rather than taken from a symbol font: the platform
// may have no such font, and a substitute would show letters.
void DrawCaptionButton(HDC dc, const RECT &rect, const Skin &skin, CaptionButton button, bool pushed,
                       bool maximised)
{
    COLORREF face = ShadeColour(skin.captionColour, 22);
    FillColour(dc, rect, face);
    DrawBevel(dc, rect, face, 1, pushed);

    int width = rect.right - rect.left, height = rect.bottom - rect.top;
    int size = std::max(6, std::min(width, height) / 2);
    int left = rect.left + (width - size) / 2 + (pushed ? 1 : 0);
    int top = rect.top + (height - size) / 2 + (pushed ? 1 : 0);
    COLORREF ink = skin.captionTextColour;
    switch (button) {
    case CaptionButton::Close:
        // Two diagonals, two pixels wide.
        for (int i = 0; i < size; ++i) {
            FillColour(dc, RECT{left + i, top + i, left + i + 2, top + i + 1}, ink);
            FillColour(dc, RECT{left + size - 2 - i, top + i, left + size - i, top + i + 1}, ink);
        }
        break;
    case CaptionButton::Maximise:
        if (maximised) {
            int small = size * 3 / 4;
            DrawWindowGlyph(dc, RECT{left + size - small, top, left + size, top + small}, ink);
            RECT front{left, top + size - small, left + small, top + size};
            FillColour(dc, front, face);
            DrawWindowGlyph(dc, front, ink);
        } else {
            DrawWindowGlyph(dc, RECT{left, top, left + size, top + size}, ink);
        }
        break;
    case CaptionButton::Minimise:
        FillColour(dc, RECT{left, top + size - 2, left + size - 1, top + size}, ink);
        break;
    }
}

std::string WindowText(HWND window)
{
    if (!window || !IsWindow(window))
        return {};
    int length = GetWindowTextLengthA(window);
    if (length <= 0)
        return {};
    std::string text(size_t(length) + 1, '\0');
    int copied = GetWindowTextA(window, &text[0], length + 1);
    text.resize(size_t(std::clamp(copied, 0, length)));
    return text;
}

namespace {

// THGETTEXTEXTENT: one line high for a text without line ends, even an
// empty one; with line ends, every line counts.
int TextExtent(HWND window, HFONT font, const char *text, int *width, int *height)
{
    WindowDc dc(window && IsWindow(window) ? window : nullptr);
    if (!dc.get())
        return 0;
    std::string_view bytes = TextArgument(text);
    int length = int(std::min<size_t>(bytes.size(), INT_MAX));
    Selection selectFont(dc.get(), FontOrDefault(font));
    SIZE extent{};
    if (bytes.find_first_of("\r\n") == std::string_view::npos) {
        TEXTMETRICA metrics{};
        GetTextMetricsA(dc.get(), &metrics);
        if (length > 0 && !GetTextExtentPoint32A(dc.get(), bytes.data(), length, &extent))
            return 0;
        extent.cy = metrics.tmHeight;
    } else {
        RECT box{};
        DrawTextA(dc.get(), bytes.data(), length, &box, DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS);
        extent.cx = box.right - box.left;
        extent.cy = box.bottom - box.top;
    }
    if (width)
        *width = extent.cx;
    if (height)
        *height = extent.cy;
    return 1;
}

} // namespace

} // namespace themekit

using namespace themekit;

extern "C" {

HFONT __stdcall THDEFAULTFONT(void)
{
    return LibraryDefaultFont();
}

HFONT __stdcall THCAPTIONFONT(void)
{
    return LibraryCaptionFont();
}

HFONT __stdcall THMARLETT(int size)
{
    if (size <= 0 || size > 1000)
        return nullptr;
    return MakeFont("Marlett", size, FW_NORMAL, SYMBOL_CHARSET);
}

int __stdcall THDELETEOBJECT(HGDIOBJ *object)
{
    if (!object || !*object)
        return 0;
    HGDIOBJ doomed = *object;
    *object = nullptr;
    // The library's own fonts and pattern stay: other windows use them.
    if (IsLibraryObject(doomed))
        return 0;
    return DeleteObject(doomed) ? 1 : 0;
}

int __stdcall THGETTEXTEXTENT(HWND window, HFONT font, const char *text, int *width, int *height)
{
    return NoThrow(0, [&] { return TextExtent(window, font, text, width, height); });
}

int __stdcall THBUTTONMARGIN(void)
{
    return NoThrow(0, [] { return CurrentSkin().buttonMargin; });
}

COLORREF __stdcall THGETSYSCOLOR(int index)
{
    if (index == THCOLOR_DIALOGTEXT)
        return NoThrow<COLORREF>(0, [] { return CurrentSkin().dialogTextColour; });
    if (index == THCOLOR_DIALOGFACE)
        return NoThrow<COLORREF>(0, [] { return CurrentSkin().dialogFaceColour; });
    if (index < 0)
        return 0;
    return GetSysColor(index);
}
int __stdcall THTILEBLT(HDC dc, int x, int y, int width, int height, HBITMAP pattern)
{
    if (width < 0 || height < 0)
        return 0;
    RECT rect{x, y, LONG(std::min<long long>(LONG_MAX, 0LL + x + width)),
              LONG(std::min<long long>(LONG_MAX, 0LL + y + height))};
    return TileBitmap(dc, rect, pattern) ? 1 : 0;
}

HBITMAP __stdcall THCTLBACK(void)
{
    return LibraryControlBack();
}

} // extern "C"
