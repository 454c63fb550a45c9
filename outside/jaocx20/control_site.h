// One hosted control and the site that holds it.
//
// The site is the control's client site, in-place site, control site and
// source of ambient properties; the in-place frame is a member object that
// shares the site's reference count (IOleInPlaceFrame and IOleInPlaceSite
// both have GetWindow, with different answers). The site window, a child of
// the caller's parent, is the control's in-place parent.
#pragma once
#include <windows.h>
#include <ole2.h>
#include <oleauto.h>
#include <olectl.h>

#include <string>
#include <vector>

#include "com_holders.h"
#include "jaocx20.h"

namespace jaocx20 {

class EventSink;

class ControlSite final : public IOleClientSite,
                          public IOleInPlaceSite,
                          public IOleControlSite,
                          public IDispatch {
public:
    explicit ControlSite(const std::string &name);

    // Creates the site window and the control in it. On failure the caller
    // ends the site with Delete.
    HRESULT Host(HWND parent, const RECT &rect, const CLSID &clsid, const wchar_t *licence, bool visible);
    // Closes the control and drops every reference, the handed-out one too.
    void Delete();

    const std::string &Name() const { return name_; }
    HWND Window() const { return window_; }
    IDispatch *Control() const { return dispatch_.Get(); }
    IUnknown *Identity() const { return identity_.Get(); }

    // Site window (site_window.cpp).
    void OnSiteSize();
    void OnSiteShown();
    void OnSiteFocus();
    void OnSiteDestroyed();
    bool CoversSite() const { return inPlaceObject_ && !ended_; }
    HRESULT FollowSize(HWND reference, DWORD style);
    void OnReferenceSize();
    void StopFollowing();

    // Events (control_events.cpp).
    HRESULT Subscribe(JAEventProc callback, LONG_PTR user);
    void Unsubscribe();
    void DeliverEvent(DISPID dispid, DISPPARAMS *params);
    std::string EventName(DISPID dispid) const;
    HRESULT EventParameter(DISPID dispid, const DISPPARAMS *params, const char *name, VARIANT *value,
                           VARTYPE type) const;

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void **object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IOleClientSite
    STDMETHODIMP SaveObject() override;
    STDMETHODIMP GetMoniker(DWORD assign, DWORD which, IMoniker **moniker) override;
    STDMETHODIMP GetContainer(IOleContainer **container) override;
    STDMETHODIMP ShowObject() override;
    STDMETHODIMP OnShowWindow(BOOL show) override;
    STDMETHODIMP RequestNewObjectLayout() override;

    // IOleWindow, IOleInPlaceSite
    STDMETHODIMP GetWindow(HWND *window) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL enter) override;
    STDMETHODIMP CanInPlaceActivate() override;
    STDMETHODIMP OnInPlaceActivate() override;
    STDMETHODIMP OnUIActivate() override;
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame **frame, IOleInPlaceUIWindow **document, RECT *position,
                                  RECT *clip, OLEINPLACEFRAMEINFO *info) override;
    STDMETHODIMP Scroll(SIZE extent) override;
    STDMETHODIMP OnUIDeactivate(BOOL undoable) override;
    STDMETHODIMP OnInPlaceDeactivate() override;
    STDMETHODIMP DiscardUndoState() override;
    STDMETHODIMP DeactivateAndUndo() override;
    STDMETHODIMP OnPosRectChange(const RECT *position) override;

    // IOleControlSite
    STDMETHODIMP OnControlInfoChanged() override;
    STDMETHODIMP LockInPlaceActive(BOOL lock) override;
    STDMETHODIMP GetExtendedControl(IDispatch **control) override;
    STDMETHODIMP TransformCoords(POINTL *himetric, POINTF *container, DWORD flags) override;
    STDMETHODIMP TranslateAccelerator(MSG *message, DWORD modifiers) override;
    STDMETHODIMP OnFocus(BOOL gotFocus) override;
    STDMETHODIMP ShowPropertyFrame() override;

    // IDispatch: the ambient properties
    STDMETHODIMP GetTypeInfoCount(UINT *count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID locale, ITypeInfo **info) override;
    STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR *names, UINT count, LCID locale, DISPID *ids) override;
    STDMETHODIMP Invoke(DISPID member, REFIID iid, LCID locale, WORD flags, DISPPARAMS *params, VARIANT *result,
                        EXCEPINFO *exception, UINT *argumentError) override;

private:
    class Frame final : public IOleInPlaceFrame {
    public:
        explicit Frame(ControlSite &site) : site_(site) {}
        STDMETHODIMP QueryInterface(REFIID iid, void **object) override;
        STDMETHODIMP_(ULONG) AddRef() override { return site_.AddRef(); }
        STDMETHODIMP_(ULONG) Release() override { return site_.Release(); }
        STDMETHODIMP GetWindow(HWND *window) override;
        STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
        STDMETHODIMP GetBorder(RECT *) override { return INPLACE_E_NOTOOLSPACE; }
        STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
        STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
        STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject *object, LPCOLESTR) override;
        STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return S_OK; }
        STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
        STDMETHODIMP RemoveMenus(HMENU) override { return S_OK; }
        STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
        STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
        STDMETHODIMP TranslateAccelerator(MSG *, WORD) override { return S_FALSE; }

    private:
        ControlSite &site_;
    };

    ~ControlSite();
    HRESULT CreateSiteWindow(HWND parent, const RECT &rect);
    HRESULT Instantiate(const CLSID &clsid, const wchar_t *licence);
    HRESULT Initialise(const CLSID &clsid);
    void Activate();
    void EndHosting();
    RECT SiteRect() const;

    LONG references_ = 1;
    std::string name_;
    HWND window_ = nullptr;
    Frame frame_{*this};
    bool clientSiteSet_ = false;
    bool ended_ = false;

    ComRef<IUnknown> identity_;
    ComRef<IDispatch> dispatch_; // the reference handed out by JACreateControl
    ComRef<IOleObject> oleObject_;
    ComRef<IOleInPlaceObject> inPlaceObject_;
    ComRef<IOleInPlaceActiveObject> activeObject_;
    ComRef<ITypeInfo> classInfo_;

    // Following the size of a reference window.
    HWND reference_ = nullptr;
    DWORD style_ = 0;
    RECT margins_{}; // distances to the reference's client edges

    // Events.
    IID sourceIid_{};
    ComRef<ITypeInfo> sourceInfo_;
    ComRef<IConnectionPoint> connectionPoint_;
    ComRef<EventSink> sink_;
    DWORD cookie_ = 0;
    JAEventProc callback_ = nullptr;
    LONG_PTR user_ = 0;
};

// The controls in existence, each holding one reference of its site.
std::vector<ControlSite *> &Sites();
// The site of a pointer handed out by JACreateControl (or the control's
// identity), without calling into the pointer; nullptr when unknown.
ControlSite *FindSite(IUnknown *control);
// Also compares COM identities, for any interface of one of our controls.
ControlSite *FindSiteByIdentity(IUnknown *control);

// Site window (site_window.cpp).
bool RegisterSiteClass();
void UnregisterSiteClass();
extern const wchar_t SiteClassName[];
HINSTANCE ModuleInstance();
void SetModuleInstance(HINSTANCE instance);

// Type information (control_events.cpp).
HRESULT FindClassInfo(IUnknown *control, const CLSID &clsid, ITypeInfo **classInfo);
HRESULT FindDefaultDispatch(IUnknown *control, ITypeInfo *classInfo, IDispatch **dispatch);

} // namespace jaocx20
