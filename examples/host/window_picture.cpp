// Pictures of windows, read from each window's own device context: the
// screen's device context does not hold other windows' pixels everywhere
// (not under Wine, for one).
#include "host_app.h"

#include "png_writer.h"

#include <cstdint>

namespace host {

bool SaveWindowPicture(HWND window, const std::string &path)
{
    RECT rect{};
    if (!IsWindow(window) || !GetWindowRect(window, &rect))
        return false;
    int width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0)
        return false;
    // Let the window finish painting before it is read.
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void *bits = nullptr;
    HDC source = GetDCEx(window, nullptr, DCX_CACHE | DCX_WINDOW);
    if (!source)
        return false;
    HDC memory = CreateCompatibleDC(source);
    HBITMAP bitmap = CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    std::vector<std::uint8_t> rgb;
    if (memory && bitmap && bits) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, width, height, source, 0, 0, SRCCOPY);
        GdiFlush();
        const auto *pixels = static_cast<const std::uint8_t *>(bits);
        rgb.resize(size_t(width) * size_t(height) * 3);
        for (size_t i = 0; i < size_t(width) * size_t(height); ++i) {
            rgb[i * 3] = pixels[i * 4 + 2];
            rgb[i * 3 + 1] = pixels[i * 4 + 1];
            rgb[i * 3 + 2] = pixels[i * 4];
        }
        SelectObject(memory, old);
    }
    if (bitmap)
        DeleteObject(bitmap);
    if (memory)
        DeleteDC(memory);
    ReleaseDC(window, source);
    return !rgb.empty() && png_writer::WritePng(path, width, height, rgb);
}

} // namespace host
