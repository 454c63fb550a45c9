// The test browser control: an in-place ActiveX control with the browser's
// IWebBrowser2 slots and event interface, which records what it is asked to
// do and fires TitleChange, StatusTextChange and NavigateComplete2 when its
// window is told to.
#pragma once
#include <windows.h>
#include <exdisp.h>
#include <ocidl.h>
#include <ole2.h>
#include <olectl.h>

#include <string>
#include <utility>
#include <vector>

namespace testbrowser {

extern const CLSID CLSID_TestBrowser;
extern const wchar_t ViewClassName[];

HINSTANCE ModuleInstance();
void RegisterViewClass();
void UnregisterViewClass();

// Every control object of this module that is still alive, for the live
// counts tests read.
LONG LiveObjects();
LONG LiveReferences();

template <typename T>
class Ref {
public:
    Ref() = default;
    ~Ref() { Reset(); }
    Ref(const Ref &) = delete;
    Ref &operator=(const Ref &) = delete;
    void Share(T *pointer)
    {
        if (pointer)
            pointer->AddRef();
        Reset();
        pointer_ = pointer;
    }
    void Reset()
    {
        T *old = pointer_;
        pointer_ = nullptr;
        if (old)
            old->Release();
    }
    T **Out()
    {
        Reset();
        return &pointer_;
    }
    T *Get() const { return pointer_; }
    T *operator->() const { return pointer_; }
    explicit operator bool() const { return pointer_ != nullptr; }

private:
    T *pointer_ = nullptr;
};

class Browser final : public IWebBrowser2,
                      public IOleObject,
                      public IOleInPlaceObject,
                      public IOleInPlaceActiveObject,
                      public IConnectionPointContainer,
                      public IProvideClassInfo2,
                      public IPersistStreamInit {
public:
    Browser();

    // The view window's commands.
    LRESULT FireEvent(DISPID dispid, const std::wstring &text);
    void Paint(HDC dc, const RECT &area);
    void OnViewFocus();
    void OnViewDestroyed();

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void **object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IDispatch, through the platform's description of IWebBrowser2
    STDMETHODIMP GetTypeInfoCount(UINT *count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID locale, ITypeInfo **info) override;
    STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR *names, UINT count, LCID locale, DISPID *ids) override;
    STDMETHODIMP Invoke(DISPID member, REFIID iid, LCID locale, WORD flags, DISPPARAMS *params, VARIANT *result,
                        EXCEPINFO *exception, UINT *argumentError) override;

    // IWebBrowser
    STDMETHODIMP GoBack() override;
    STDMETHODIMP GoForward() override;
    STDMETHODIMP GoHome() override { return E_NOTIMPL; }
    STDMETHODIMP GoSearch() override { return E_NOTIMPL; }
    STDMETHODIMP Navigate(BSTR url, VARIANT *flags, VARIANT *targetFrame, VARIANT *postData,
                          VARIANT *headers) override;
    STDMETHODIMP Refresh() override { return E_NOTIMPL; }
    STDMETHODIMP Refresh2(VARIANT *) override { return E_NOTIMPL; }
    STDMETHODIMP Stop() override { return E_NOTIMPL; }
    STDMETHODIMP get_Application(IDispatch **) override { return E_NOTIMPL; }
    STDMETHODIMP get_Parent(IDispatch **) override { return E_NOTIMPL; }
    STDMETHODIMP get_Container(IDispatch **) override { return E_NOTIMPL; }
    STDMETHODIMP get_Document(IDispatch **) override { return E_NOTIMPL; }
    STDMETHODIMP get_TopLevelContainer(VARIANT_BOOL *) override { return E_NOTIMPL; }
    STDMETHODIMP get_Type(BSTR *) override { return E_NOTIMPL; }
    STDMETHODIMP get_Left(LONG *) override { return E_NOTIMPL; }
    STDMETHODIMP put_Left(LONG) override { return E_NOTIMPL; }
    STDMETHODIMP get_Top(LONG *) override { return E_NOTIMPL; }
    STDMETHODIMP put_Top(LONG) override { return E_NOTIMPL; }
    STDMETHODIMP get_Width(LONG *) override { return E_NOTIMPL; }
    STDMETHODIMP put_Width(LONG) override { return E_NOTIMPL; }
    STDMETHODIMP get_Height(LONG *) override { return E_NOTIMPL; }
    STDMETHODIMP put_Height(LONG) override { return E_NOTIMPL; }
    STDMETHODIMP get_LocationName(BSTR *) override { return E_NOTIMPL; }
    STDMETHODIMP get_LocationURL(BSTR *) override { return E_NOTIMPL; }
    STDMETHODIMP get_Busy(VARIANT_BOOL *) override { return E_NOTIMPL; }

    // IWebBrowserApp
    STDMETHODIMP Quit() override { return E_NOTIMPL; }
    STDMETHODIMP ClientToWindow(int *, int *) override { return E_NOTIMPL; }
    STDMETHODIMP PutProperty(BSTR, VARIANT) override { return E_NOTIMPL; }
    STDMETHODIMP GetProperty(BSTR, VARIANT *) override { return E_NOTIMPL; }
    STDMETHODIMP get_Name(BSTR *) override { return E_NOTIMPL; }
    STDMETHODIMP get_HWND(SHANDLE_PTR *) override { return E_NOTIMPL; }
    STDMETHODIMP get_FullName(BSTR *) override { return E_NOTIMPL; }
    STDMETHODIMP get_Path(BSTR *) override { return E_NOTIMPL; }
    STDMETHODIMP get_Visible(VARIANT_BOOL *) override { return E_NOTIMPL; }
    STDMETHODIMP put_Visible(VARIANT_BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP get_StatusBar(VARIANT_BOOL *) override { return E_NOTIMPL; }
    STDMETHODIMP put_StatusBar(VARIANT_BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP get_StatusText(BSTR *) override { return E_NOTIMPL; }
    STDMETHODIMP put_StatusText(BSTR) override { return E_NOTIMPL; }
    STDMETHODIMP get_ToolBar(int *) override { return E_NOTIMPL; }
    STDMETHODIMP put_ToolBar(int) override { return E_NOTIMPL; }
    STDMETHODIMP get_MenuBar(VARIANT_BOOL *) override { return E_NOTIMPL; }
    STDMETHODIMP put_MenuBar(VARIANT_BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP get_FullScreen(VARIANT_BOOL *) override { return E_NOTIMPL; }
    STDMETHODIMP put_FullScreen(VARIANT_BOOL) override { return E_NOTIMPL; }

    // IWebBrowser2
    STDMETHODIMP Navigate2(VARIANT *, VARIANT *, VARIANT *, VARIANT *, VARIANT *) override { return E_NOTIMPL; }
    STDMETHODIMP QueryStatusWB(OLECMDID, OLECMDF *) override { return E_NOTIMPL; }
    STDMETHODIMP ExecWB(OLECMDID command, OLECMDEXECOPT option, VARIANT *in, VARIANT *out) override;
    STDMETHODIMP ShowBrowserBar(VARIANT *, VARIANT *, VARIANT *) override { return E_NOTIMPL; }
    STDMETHODIMP get_ReadyState(READYSTATE *) override { return E_NOTIMPL; }
    STDMETHODIMP get_Offline(VARIANT_BOOL *) override { return E_NOTIMPL; }
    STDMETHODIMP put_Offline(VARIANT_BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP get_Silent(VARIANT_BOOL *) override { return E_NOTIMPL; }
    STDMETHODIMP put_Silent(VARIANT_BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP get_RegisterAsBrowser(VARIANT_BOOL *) override { return E_NOTIMPL; }
    STDMETHODIMP put_RegisterAsBrowser(VARIANT_BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP get_RegisterAsDropTarget(VARIANT_BOOL *) override { return E_NOTIMPL; }
    STDMETHODIMP put_RegisterAsDropTarget(VARIANT_BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP get_TheaterMode(VARIANT_BOOL *) override { return E_NOTIMPL; }
    STDMETHODIMP put_TheaterMode(VARIANT_BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP get_AddressBar(VARIANT_BOOL *) override { return E_NOTIMPL; }
    STDMETHODIMP put_AddressBar(VARIANT_BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP get_Resizable(VARIANT_BOOL *) override { return E_NOTIMPL; }
    STDMETHODIMP put_Resizable(VARIANT_BOOL) override { return E_NOTIMPL; }

    // IOleObject
    STDMETHODIMP SetClientSite(IOleClientSite *site) override;
    STDMETHODIMP GetClientSite(IOleClientSite **site) override;
    STDMETHODIMP SetHostNames(LPCOLESTR application, LPCOLESTR object) override;
    STDMETHODIMP Close(DWORD saveOption) override;
    STDMETHODIMP SetMoniker(DWORD, IMoniker *) override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker **) override { return E_NOTIMPL; }
    STDMETHODIMP InitFromData(IDataObject *, BOOL, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP GetClipboardData(DWORD, IDataObject **) override { return E_NOTIMPL; }
    STDMETHODIMP DoVerb(LONG verb, LPMSG message, IOleClientSite *activeSite, LONG index, HWND parent,
                        LPCRECT rect) override;
    STDMETHODIMP EnumVerbs(IEnumOLEVERB **) override { return E_NOTIMPL; }
    STDMETHODIMP Update() override { return S_OK; }
    STDMETHODIMP IsUpToDate() override { return S_OK; }
    STDMETHODIMP GetUserClassID(CLSID *clsid) override;
    STDMETHODIMP GetUserType(DWORD, LPOLESTR *) override { return OLE_S_USEREG; }
    STDMETHODIMP SetExtent(DWORD aspect, SIZEL *size) override;
    STDMETHODIMP GetExtent(DWORD aspect, SIZEL *size) override;
    STDMETHODIMP Advise(IAdviseSink *, DWORD *) override { return OLE_E_ADVISENOTSUPPORTED; }
    STDMETHODIMP Unadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    STDMETHODIMP EnumAdvise(IEnumSTATDATA **) override { return OLE_E_ADVISENOTSUPPORTED; }
    STDMETHODIMP GetMiscStatus(DWORD aspect, DWORD *status) override;
    STDMETHODIMP SetColorScheme(LOGPALETTE *) override { return E_NOTIMPL; }

    // IOleWindow, IOleInPlaceObject, IOleInPlaceActiveObject
    STDMETHODIMP GetWindow(HWND *window) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP InPlaceDeactivate() override;
    STDMETHODIMP UIDeactivate() override;
    STDMETHODIMP SetObjectRects(LPCRECT position, LPCRECT clip) override;
    STDMETHODIMP ReactivateAndUndo() override { return E_NOTIMPL; }
    STDMETHODIMP TranslateAccelerator(LPMSG) override { return S_FALSE; }
    STDMETHODIMP OnFrameWindowActivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnDocWindowActivate(BOOL) override { return S_OK; }
    STDMETHODIMP ResizeBorder(LPCRECT, IOleInPlaceUIWindow *, BOOL) override { return S_OK; }
    STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }

    // IConnectionPointContainer
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints **points) override;
    STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint **point) override;

    // IProvideClassInfo2
    STDMETHODIMP GetClassInfo(ITypeInfo **info) override;
    STDMETHODIMP GetGUID(DWORD kind, GUID *guid) override;

    // IPersist, IPersistStreamInit
    STDMETHODIMP GetClassID(CLSID *clsid) override;
    STDMETHODIMP IsDirty() override { return S_FALSE; }
    STDMETHODIMP Load(LPSTREAM) override { return E_NOTIMPL; }
    STDMETHODIMP Save(LPSTREAM, BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER *) override { return E_NOTIMPL; }
    STDMETHODIMP InitNew() override;

    LONG References() const { return references_; }

private:
    // The connection point for DWebBrowserEvents2; it lives and dies with the
    // control.
    class Events final : public IConnectionPoint {
    public:
        explicit Events(Browser &owner) : owner_(owner) {}
        ~Events();
        STDMETHODIMP QueryInterface(REFIID iid, void **object) override;
        STDMETHODIMP_(ULONG) AddRef() override { return owner_.AddRef(); }
        STDMETHODIMP_(ULONG) Release() override { return owner_.Release(); }
        STDMETHODIMP GetConnectionInterface(IID *iid) override;
        STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer **container) override;
        STDMETHODIMP Advise(IUnknown *sink, DWORD *cookie) override;
        STDMETHODIMP Unadvise(DWORD cookie) override;
        STDMETHODIMP EnumConnections(IEnumConnections **) override { return E_NOTIMPL; }

        std::vector<IDispatch *> Sinks() const; // each with a reference for the caller
        size_t Count() const { return sinks_.size(); }

    private:
        Browser &owner_;
        std::vector<std::pair<DWORD, IDispatch *>> sinks_;
        DWORD nextCookie_ = 1;
    };

    ~Browser();
    HRESULT LoadTypeLibrary();
    HRESULT InPlaceActivate(bool uiActivate);
    void QueryAmbients(IOleClientSite *site);

    LONG references_ = 1;
    unsigned serial_;
    Events events_{*this};
    Ref<ITypeLib> typeLibrary_;
    Ref<IOleClientSite> clientSite_;
    Ref<IOleInPlaceSite> inPlaceSite_;
    Ref<IOleInPlaceFrame> frame_;
    Ref<IOleInPlaceUIWindow> document_;
    HWND window_ = nullptr;
    bool uiActive_ = false;
    SIZEL extent_{};
    std::vector<std::wstring> history_;
    size_t current_ = 0; // index in history_ of the page shown
};

} // namespace testbrowser
