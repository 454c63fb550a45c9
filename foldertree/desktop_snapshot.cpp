// The process's one snapshot of the desktop, from which a control paints the
// background behind its tree while the tree is hidden.
#include "folder_tree.h"

namespace foldertree {

namespace {

struct Snapshot {
    HDC memory;
    HBITMAP bitmap;
    HGDIOBJ previousBitmap;
    int width;
    int height;
};
Snapshot Desktop{};

void FreeSnapshot()
{
    if (!Desktop.memory)
        return;
    SelectObject(Desktop.memory, Desktop.previousBitmap);
    DeleteObject(Desktop.bitmap);
    DeleteDC(Desktop.memory);
    Desktop = Snapshot{};
}

void TakeSnapshot()
{
    HWND desktopWindow = GetDesktopWindow();
    RECT area{};
    GetWindowRect(desktopWindow, &area);
    int width = area.right - area.left;
    int height = area.bottom - area.top;
    HDC screen = GetWindowDC(desktopWindow);
    if (!screen)
        return;
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = memory ? CreateCompatibleBitmap(screen, width, height) : nullptr;
    if (bitmap) {
        Desktop.memory = memory;
        Desktop.bitmap = bitmap;
        Desktop.previousBitmap = SelectObject(memory, bitmap);
        Desktop.width = width;
        Desktop.height = height;
        BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
    } else if (memory) {
        DeleteDC(memory);
    }
    ReleaseDC(desktopWindow, screen);
}

} // namespace

HDC DesktopSnapshot(int mode)
{
    if (mode != 0)
        FreeSnapshot();
    if (mode == 1)
        TakeSnapshot();
    return Desktop.memory;
}

} // namespace foldertree

extern "C" HDC WINAPI TarnDCDesktop(int mode)
{
    try {
        return foldertree::DesktopSnapshot(mode);
    } catch (...) {
        return nullptr;
    }
}
