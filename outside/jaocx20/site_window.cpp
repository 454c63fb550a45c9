// The site window each control lives in, and keeping it sized with a
// reference window.
#include <algorithm>

#include "control_site.h"

#include <commctrl.h>

namespace jaocx20 {

const wchar_t SiteClassName[] = L"JAControlSite";

namespace {

HINSTANCE Instance = nullptr;
ATOM SiteClass = 0;

ControlSite *SiteOf(HWND window)
{
    return reinterpret_cast<ControlSite *>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

LRESULT CALLBACK SiteProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_NCCREATE: {
        auto *create = reinterpret_cast<CREATESTRUCTW *>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        break;
    }
    case WM_SIZE:
        if (ControlSite *site = SiteOf(window))
            NoThrow(0, [&] { return site->OnSiteSize(), 0; });
        return 0;
    case WM_SHOWWINDOW:
    case WM_WINDOWPOSCHANGED:
        // The control is activated when the site is first shown. ShowWindow
        // sends WM_SHOWWINDOW, but inside a hidden parent it only sets the
        // style; SetWindowPos sends only WM_WINDOWPOSCHANGED.
        if (message == WM_SHOWWINDOW ? wParam != 0
                                     : (reinterpret_cast<const WINDOWPOS *>(lParam)->flags & SWP_SHOWWINDOW) != 0)
            if (ControlSite *site = SiteOf(window))
                NoThrow(0, [&] { return site->OnSiteShown(), 0; });
        break; // DefWindowProc makes WM_SIZE and WM_MOVE of WM_WINDOWPOSCHANGED
    case WM_SETFOCUS:
        if (ControlSite *site = SiteOf(window))
            NoThrow(0, [&] { return site->OnSiteFocus(), 0; });
        return 0;
    case WM_ERASEBKGND:
        // The control's window covers the whole site; erasing under it flickers.
        if (ControlSite *site = SiteOf(window); site && site->CoversSite())
            return 1;
        break;
    case WM_DESTROY:
        // The parent went before JADeleteControl: end the hosting now, while
        // the control's window still exists.
        if (ControlSite *site = SiteOf(window)) {
            SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            NoThrow(0, [&] { return site->OnSiteDestroyed(), 0; });
        }
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// Installed on the reference window; id is the site.
LRESULT CALLBACK FollowSubclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR)
{
    auto *site = reinterpret_cast<ControlSite *>(id);
    switch (message) {
    case WM_SIZE: {
        LRESULT result = DefSubclassProc(window, message, wParam, lParam);
        if (wParam != SIZE_MINIMIZED)
            NoThrow(0, [&] { return site->OnReferenceSize(), 0; });
        return result;
    }
    case WM_NCDESTROY:
        NoThrow(0, [&] { return site->StopFollowing(), 0; });
        break;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

RECT ClientRectOnScreen(HWND window)
{
    RECT rect{};
    GetClientRect(window, &rect);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT *>(&rect), 2);
    return rect;
}

constexpr DWORD ResizeBits = JA_RESIZE_MOVE_X | JA_RESIZE_SIZE_X | JA_RESIZE_MOVE_Y | JA_RESIZE_SIZE_Y;

} // namespace

HINSTANCE ModuleInstance()
{
    return Instance;
}

bool RegisterSiteClass()
{
    if (SiteClass)
        return true;
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = SiteProc;
    windowClass.hInstance = Instance;
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = SiteClassName;
    SiteClass = RegisterClassExW(&windowClass);
    return SiteClass != 0;
}

void UnregisterSiteClass()
{
    if (SiteClass)
        UnregisterClassW(SiteClassName, Instance);
    SiteClass = 0;
}

void SetModuleInstance(HINSTANCE instance)
{
    Instance = instance;
}

void ControlSite::OnSiteSize()
{
    if (!inPlaceObject_ || ended_)
        return;
    RECT rect = SiteRect();
    inPlaceObject_->SetObjectRects(&rect, &rect);
}

void ControlSite::OnSiteFocus()
{
    if (!inPlaceObject_ || ended_)
        return;
    HWND control = nullptr;
    if (SUCCEEDED(inPlaceObject_->GetWindow(&control)) && control && IsChild(window_, control))
        SetFocus(control);
}

// The distances to the reference's client edges are measured now and kept.
HRESULT ControlSite::FollowSize(HWND reference, DWORD style)
{
    if (!window_ || ended_)
        return E_UNEXPECTED;
    if (!reference)
        reference = GetParent(window_);
    if (!reference || !IsWindow(reference))
        return E_INVALIDARG;
    if (GetWindowThreadProcessId(reference, nullptr) != GetCurrentThreadId())
        return E_INVALIDARG; // a subclass belongs to the window's own thread
    StopFollowing();
    style &= ResizeBits;
    if (!style)
        return S_OK;
    RECT area = ClientRectOnScreen(reference), site{};
    GetWindowRect(window_, &site);
    margins_ = RECT{site.left - area.left, site.top - area.top, area.right - site.right, area.bottom - site.bottom};
    if (!SetWindowSubclass(reference, FollowSubclass, reinterpret_cast<UINT_PTR>(this), 0))
        return E_FAIL;
    reference_ = reference;
    style_ = style;
    return S_OK;
}

// Growing wins over moving when a style asks for both on one axis.
void ControlSite::OnReferenceSize()
{
    if (!reference_ || !window_)
        return;
    RECT area = ClientRectOnScreen(reference_), site{};
    GetWindowRect(window_, &site);
    LONG width = site.right - site.left, height = site.bottom - site.top;
    if (style_ & JA_RESIZE_SIZE_X)
        width = std::max(0L, area.right - margins_.right - site.left);
    else if (style_ & JA_RESIZE_MOVE_X)
        site.left = area.right - margins_.right - width;
    if (style_ & JA_RESIZE_SIZE_Y)
        height = std::max(0L, area.bottom - margins_.bottom - site.top);
    else if (style_ & JA_RESIZE_MOVE_Y)
        site.top = area.bottom - margins_.bottom - height;
    POINT origin{site.left, site.top};
    if (HWND parent = GetParent(window_))
        ScreenToClient(parent, &origin);
    SetWindowPos(window_, nullptr, origin.x, origin.y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void ControlSite::StopFollowing()
{
    if (reference_)
        RemoveWindowSubclass(reference_, FollowSubclass, reinterpret_cast<UINT_PTR>(this));
    reference_ = nullptr;
    style_ = 0;
}

} // namespace jaocx20
