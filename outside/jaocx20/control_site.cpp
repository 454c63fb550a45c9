// What the site answers its control: client site, in-place site and frame,
// control site, and the ambient properties.
#include "control_site.h"

namespace jaocx20 {

STDMETHODIMP ControlSite::QueryInterface(REFIID iid, void **object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (iid == IID_IUnknown || iid == IID_IOleClientSite)
        *object = static_cast<IOleClientSite *>(this);
    else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceSite)
        *object = static_cast<IOleInPlaceSite *>(this);
    else if (iid == IID_IOleControlSite)
        *object = static_cast<IOleControlSite *>(this);
    else if (iid == IID_IDispatch)
        *object = static_cast<IDispatch *>(this);
    else if (iid == IID_IOleInPlaceFrame || iid == IID_IOleInPlaceUIWindow)
        *object = static_cast<IOleInPlaceFrame *>(&frame_);
    else
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) ControlSite::AddRef()
{
    return ULONG(InterlockedIncrement(&references_));
}

STDMETHODIMP_(ULONG) ControlSite::Release()
{
    LONG left = InterlockedDecrement(&references_);
    if (left == 0)
        delete this;
    return ULONG(left);
}

// --- IOleClientSite ----------------------------------------------------------

STDMETHODIMP ControlSite::SaveObject()
{
    return S_OK; // nothing is stored
}

STDMETHODIMP ControlSite::GetMoniker(DWORD, DWORD, IMoniker **moniker)
{
    if (moniker)
        *moniker = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP ControlSite::GetContainer(IOleContainer **container)
{
    if (container)
        *container = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP ControlSite::ShowObject()
{
    return S_OK;
}

STDMETHODIMP ControlSite::OnShowWindow(BOOL)
{
    return S_OK;
}

STDMETHODIMP ControlSite::RequestNewObjectLayout()
{
    return E_NOTIMPL;
}

// --- IOleInPlaceSite ---------------------------------------------------------

STDMETHODIMP ControlSite::GetWindow(HWND *window)
{
    if (!window)
        return E_POINTER;
    *window = window_;
    return window_ ? S_OK : E_FAIL;
}

STDMETHODIMP ControlSite::ContextSensitiveHelp(BOOL)
{
    return E_NOTIMPL;
}

STDMETHODIMP ControlSite::CanInPlaceActivate()
{
    return window_ && !ended_ ? S_OK : S_FALSE;
}

STDMETHODIMP ControlSite::OnInPlaceActivate()
{
    if (ended_)
        return E_UNEXPECTED;
    return inPlaceObject_.QueryFrom(oleObject_.Get(), IID_IOleInPlaceObject);
}

STDMETHODIMP ControlSite::OnUIActivate()
{
    return S_OK;
}

RECT ControlSite::SiteRect() const
{
    RECT rect{};
    if (window_)
        GetClientRect(window_, &rect);
    return rect;
}

STDMETHODIMP ControlSite::GetWindowContext(IOleInPlaceFrame **frame, IOleInPlaceUIWindow **document, RECT *position,
                                           RECT *clip, OLEINPLACEFRAMEINFO *info)
{
    if (!frame || !document || !position || !clip || !info)
        return E_POINTER;
    // The control keeps the frame it is given; it gives it back when it is
    // deactivated. There is no document window between site and frame.
    *frame = &frame_;
    frame_.AddRef();
    *document = nullptr;
    *position = *clip = SiteRect();
    info->fMDIApp = FALSE;
    info->hwndFrame = window_ ? GetAncestor(window_, GA_ROOT) : nullptr;
    info->haccel = nullptr;
    info->cAccelEntries = 0;
    return S_OK;
}

STDMETHODIMP ControlSite::Scroll(SIZE)
{
    return E_NOTIMPL;
}

STDMETHODIMP ControlSite::OnUIDeactivate(BOOL)
{
    activeObject_.Reset();
    return S_OK;
}

STDMETHODIMP ControlSite::OnInPlaceDeactivate()
{
    activeObject_.Reset();
    inPlaceObject_.Reset();
    return S_OK;
}

STDMETHODIMP ControlSite::DiscardUndoState()
{
    return S_OK;
}

STDMETHODIMP ControlSite::DeactivateAndUndo()
{
    if (inPlaceObject_)
        inPlaceObject_->UIDeactivate();
    return S_OK;
}

// The site window decides where the control sits; a control asking for
// another rectangle is put back into the site's client area.
STDMETHODIMP ControlSite::OnPosRectChange(const RECT *)
{
    if (inPlaceObject_) {
        RECT rect = SiteRect();
        inPlaceObject_->SetObjectRects(&rect, &rect);
    }
    return S_OK;
}

// --- IOleControlSite ---------------------------------------------------------

STDMETHODIMP ControlSite::OnControlInfoChanged()
{
    return S_OK;
}

STDMETHODIMP ControlSite::LockInPlaceActive(BOOL)
{
    return S_OK;
}

STDMETHODIMP ControlSite::GetExtendedControl(IDispatch **control)
{
    if (control)
        *control = nullptr;
    return E_NOTIMPL;
}

// HIMETRIC (0.01 mm) to and from the container's unit, the pixel.
STDMETHODIMP ControlSite::TransformCoords(POINTL *himetric, POINTF *container, DWORD flags)
{
    if (!himetric || !container)
        return E_POINTER;
    HDC screen = GetDC(nullptr);
    int dpiX = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
    int dpiY = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen)
        ReleaseDC(nullptr, screen);
    if (flags & XFORMCOORDS_HIMETRICTOCONTAINER) {
        container->x = float(himetric->x) * float(dpiX) / 2540.0f;
        container->y = float(himetric->y) * float(dpiY) / 2540.0f;
    } else if (flags & XFORMCOORDS_CONTAINERTOHIMETRIC) {
        himetric->x = LONG(container->x * 2540.0f / float(dpiX) + (container->x < 0 ? -0.5f : 0.5f));
        himetric->y = LONG(container->y * 2540.0f / float(dpiY) + (container->y < 0 ? -0.5f : 0.5f));
    } else {
        return E_INVALIDARG;
    }
    return S_OK;
}

STDMETHODIMP ControlSite::TranslateAccelerator(MSG *, DWORD)
{
    return S_FALSE;
}

STDMETHODIMP ControlSite::OnFocus(BOOL)
{
    return S_OK;
}

STDMETHODIMP ControlSite::ShowPropertyFrame()
{
    return E_NOTIMPL;
}

// --- ambient properties ------------------------------------------------------

STDMETHODIMP ControlSite::GetTypeInfoCount(UINT *count)
{
    if (!count)
        return E_POINTER;
    *count = 0;
    return S_OK;
}

STDMETHODIMP ControlSite::GetTypeInfo(UINT, LCID, ITypeInfo **info)
{
    if (info)
        *info = nullptr;
    return DISP_E_BADINDEX;
}

STDMETHODIMP ControlSite::GetIDsOfNames(REFIID, LPOLESTR *, UINT count, LCID, DISPID *ids)
{
    for (UINT i = 0; ids && i < count; ++i)
        ids[i] = DISPID_UNKNOWN;
    return DISP_E_UNKNOWNNAME;
}

namespace {

void SetBool(VARIANT *result, bool value)
{
    result->vt = VT_BOOL;
    result->boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
}

void SetLong(VARIANT *result, LONG value)
{
    result->vt = VT_I4;
    result->lVal = value;
}

} // namespace

// A control reads these when it gets its client site, and again after
// IOleControl::OnAmbientPropertyChange.
STDMETHODIMP ControlSite::Invoke(DISPID member, REFIID, LCID, WORD flags, DISPPARAMS *, VARIANT *result,
                                 EXCEPINFO *, UINT *)
{
    if (!(flags & DISPATCH_PROPERTYGET))
        return DISP_E_MEMBERNOTFOUND;
    if (!result)
        return E_POINTER;
    VariantInit(result);
    switch (member) {
    case DISPID_AMBIENT_USERMODE:
    case DISPID_AMBIENT_AUTOCLIP:
        SetBool(result, true);
        return S_OK;
    case DISPID_AMBIENT_UIDEAD:
    case DISPID_AMBIENT_SHOWGRABHANDLES:
    case DISPID_AMBIENT_SHOWHATCHING:
    case DISPID_AMBIENT_MESSAGEREFLECT:
    case DISPID_AMBIENT_SUPPORTSMNEMONICS:
        SetBool(result, false);
        return S_OK;
    case DISPID_AMBIENT_DISPLAYNAME: {
        std::wstring name = Widen(name_.c_str());
        result->bstrVal = SysAllocStringLen(name.data(), UINT(name.size()));
        if (!result->bstrVal)
            return E_OUTOFMEMORY;
        result->vt = VT_BSTR;
        return S_OK;
    }
    case DISPID_AMBIENT_LOCALEID:
        SetLong(result, LONG(GetUserDefaultLCID()));
        return S_OK;
    case DISPID_AMBIENT_BACKCOLOR: // OLE_COLOR of a system colour
        SetLong(result, LONG(0x80000000u | COLOR_WINDOW));
        return S_OK;
    case DISPID_AMBIENT_FORECOLOR:
        SetLong(result, LONG(0x80000000u | COLOR_WINDOWTEXT));
        return S_OK;
    default:
        return DISP_E_MEMBERNOTFOUND;
    }
}

// --- the in-place frame ------------------------------------------------------

STDMETHODIMP ControlSite::Frame::QueryInterface(REFIID iid, void **object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (iid == IID_IUnknown || iid == IID_IOleWindow || iid == IID_IOleInPlaceUIWindow ||
        iid == IID_IOleInPlaceFrame) {
        *object = static_cast<IOleInPlaceFrame *>(this);
        AddRef();
        return S_OK;
    }
    return E_NOINTERFACE;
}

STDMETHODIMP ControlSite::Frame::GetWindow(HWND *window)
{
    if (!window)
        return E_POINTER;
    *window = site_.window_ ? GetAncestor(site_.window_, GA_ROOT) : nullptr;
    return *window ? S_OK : E_FAIL;
}

// A UI-active control registers itself here and withdraws with NULL when it
// is UI-deactivated; the site drops what is left when the control goes.
STDMETHODIMP ControlSite::Frame::SetActiveObject(IOleInPlaceActiveObject *object, LPCOLESTR)
{
    site_.activeObject_.Share(object);
    return S_OK;
}

} // namespace jaocx20
