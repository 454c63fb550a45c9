// The skin in force for the whole module, and what the skin's files share:
// GDI guards, drawing of faces and captions, the 3D button, dialog keys.
#pragma once
#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "skin_file.h"
#include "themekit.h"

namespace themekit {

HINSTANCE LibraryInstance();

// The items between separators, blanks at their ends removed; an empty text
// is one empty item.
std::vector<std::string> SplitList(std::string_view text, char separator);

// Runs body; an exception becomes fallback. Nothing may unwind into the
// caller's code or through the system's window-procedure frames.
template <class Result, class Body>
Result NoThrow(Result fallback, Body &&body) noexcept
{
    try {
        return body();
    } catch (...) {
        return fallback;
    }
}

// ---- Module-wide state (skin_window.cpp) -------------------------------

// A copy of the skin in force: the built-in skin until THINITENGINE reads a
// file. Safe from any thread.
Skin CurrentSkin();
// The folder of the skin file in force (with its separator), or empty.
std::string CurrentSkinFolder();
// Reads the skin file; false (and the built-in skin) when it cannot be read.
bool LoadSkin(const char *file);
// Counts the skin changes, so cached GDI objects know when to be remade.
unsigned SkinGeneration();

// ---- GDI resources of the skin (drawing.cpp) ---------------------------

// Owned by the library and never deleted while the module is loaded: windows
// may hold these fonts (WM_SETFONT) long after a new skin replaced them.
HFONT LibraryDefaultFont();
HFONT LibraryCaptionFont();
HBITMAP LibraryControlBack();
bool IsLibraryObject(HGDIOBJ object);
// Deletes the library's fonts and patterns, current and earlier: the library
// is being freed.
void ReleaseLibraryResources();

// ---- GDI guards --------------------------------------------------------

class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~WindowDc()
    {
        if (dc_)
            ReleaseDC(window_, dc_);
    }
    WindowDc(const WindowDc &) = delete;
    WindowDc &operator=(const WindowDc &) = delete;
    HDC get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

class MemoryDc {
public:
    explicit MemoryDc(HDC compatible) : dc_(CreateCompatibleDC(compatible)) {}
    ~MemoryDc()
    {
        if (dc_)
            DeleteDC(dc_);
    }
    MemoryDc(const MemoryDc &) = delete;
    MemoryDc &operator=(const MemoryDc &) = delete;
    HDC get() const { return dc_; }

private:
    HDC dc_;
};

// Selects an object for the guard's lifetime.
class Selection {
public:
    Selection(HDC dc, HGDIOBJ object) : dc_(dc), old_(dc && object ? SelectObject(dc, object) : nullptr) {}
    ~Selection()
    {
        if (old_)
            SelectObject(dc_, old_);
    }
    Selection(const Selection &) = delete;
    Selection &operator=(const Selection &) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

// Sole owner of a GDI object the code created.
template <class Handle>
class GdiObject {
public:
    explicit GdiObject(Handle handle = nullptr) : handle_(handle) {}
    ~GdiObject()
    {
        if (handle_)
            DeleteObject(handle_);
    }
    GdiObject(const GdiObject &) = delete;
    GdiObject &operator=(const GdiObject &) = delete;
    Handle get() const { return handle_; }

private:
    Handle handle_;
};

class PaintGuard {
public:
    explicit PaintGuard(HWND window) : window_(window), dc_(BeginPaint(window, &paint_)) {}
    ~PaintGuard() { EndPaint(window_, &paint_); }
    PaintGuard(const PaintGuard &) = delete;
    PaintGuard &operator=(const PaintGuard &) = delete;
    HDC get() const { return dc_; }

private:
    HWND window_;
    PAINTSTRUCT paint_{};
    HDC dc_;
};

// Transparent text in one colour for the guard's lifetime.
class TextLook {
public:
    TextLook(HDC dc, COLORREF colour) : dc_(dc), colour_(SetTextColor(dc, colour)), mode_(SetBkMode(dc, TRANSPARENT)) {}
    ~TextLook()
    {
        SetBkMode(dc_, mode_);
        SetTextColor(dc_, colour_);
    }
    TextLook(const TextLook &) = delete;
    TextLook &operator=(const TextLook &) = delete;

private:
    HDC dc_;
    COLORREF colour_;
    int mode_;
};

// ---- Drawing (drawing.cpp) ---------------------------------------------

// percent > 0 moves towards white, < 0 towards black.
COLORREF ShadeColour(COLORREF colour, int percent);
COLORREF MixColours(COLORREF a, COLORREF b);
void FillColour(HDC dc, const RECT &rect, COLORREF colour);
// Light top and left edges, dark bottom and right ones (reversed when sunken).
void DrawBevel(HDC dc, const RECT &rect, COLORREF face, int depth, bool sunken);
// Copies of pattern from the rectangle's top left corner on.
bool TileBitmap(HDC dc, const RECT &rect, HBITMAP pattern);

struct ButtonLook {
    COLORREF face;
    COLORREF text;
    int bevel;
};

enum ButtonState : unsigned {
    ButtonPushed = 1,
    ButtonFocused = 2,
    ButtonDisabled = 4,
};

void DrawButtonFace(HDC dc, const RECT &rect, const ButtonLook &look, HFONT font, std::string_view text,
                    unsigned state);

// The caption band: colour, small icon, title in the caption font up to
// titleRight (the caption buttons lie beyond).
void DrawCaptionBand(HDC dc, const RECT &band, int titleRight, const Skin &skin, bool active, HICON icon,
                     std::string_view title);

// A frame of the skin's frame colour around the outside of rect.
void DrawSkinFrame(HDC dc, const RECT &outer, const Skin &skin, int width);

enum class CaptionButton { Close, Maximise, Minimise };
// Height of the square caption buttons.
int CaptionButtonSide(const Skin &skin);
void DrawCaptionButton(HDC dc, const RECT &rect, const Skin &skin, CaptionButton button, bool pushed,
                       bool maximised);

std::string WindowText(HWND window);

// ---- Controls (controls.cpp) -------------------------------------------

// Zero fields of the record (or no record) mean the skin's values.
ButtonLook LookFromStyle(const THSTYLERECORD *style, const Skin &skin);
HWND Create3DButton(HWND parent, const char *text, HFONT font, const RECT &rect, int id, const ButtonLook &look);
// The tooltip window that serves the controls of parent, made on first use.
HWND ToolTipFor(HWND parent);
void EnsureCommonControls();

// ---- Skinned windows (skin_window.cpp) ---------------------------------

bool IsSkinnedWindow(HWND window);
void InvalidateCaption(HWND window);
// Tips of the caption buttons: texts for close, maximise and minimise,
// separated by "|". The module-wide tips serve windows without tips of their own.
void SetCaptionTips(std::string_view tips, bool enable);
bool SetWindowCaptionTips(HWND window, std::string_view tips);
// Tab, Shift+Tab and Enter among the tab stops below root; true when used.
bool HandleDialogKey(HWND root, const MSG &message);

} // namespace themekit
