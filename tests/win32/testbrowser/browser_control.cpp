// The test browser control.
#include "browser_control.h"

#include <algorithm>

#include "call_log.h"

namespace testbrowser {

namespace {

std::vector<Browser *> &LiveBrowsers()
{
    static std::vector<Browser *> browsers;
    return browsers;
}

unsigned LastSerial = 0;

constexpr DISPID DispidStatusTextChange = 0x66;
constexpr DISPID DispidTitleChange = 0x71;
constexpr DISPID DispidNavigateComplete2 = 0xFC;

std::wstring Flag(const char *name, bool on)
{
    return std::wstring(name, name + strlen(name)) + (on ? L":held" : L":none");
}

// The type of IWebBrowser2 that ITypeInfo::Invoke can call through a vtable:
// the library describes the dual interface by its dispatch half first.
HRESULT InterfaceTypeInfo(ITypeLib *library, ITypeInfo **info)
{
    Ref<ITypeInfo> described;
    HRESULT hr = library->GetTypeInfoOfGuid(IID_IWebBrowser2, described.Out());
    if (FAILED(hr))
        return hr;
    HREFTYPE vtablePart = 0;
    if (SUCCEEDED(described->GetRefTypeOfImplType(UINT(-1), &vtablePart)))
        return described->GetRefTypeInfo(vtablePart, info);
    *info = described.Get();
    (*info)->AddRef();
    return S_OK;
}

} // namespace

LONG LiveObjects()
{
    return LONG(LiveBrowsers().size());
}

LONG LiveReferences()
{
    LONG total = 0;
    for (const Browser *browser : LiveBrowsers())
        total += browser->References();
    return total;
}

Browser::Browser() : serial_(++LastSerial)
{
    LiveBrowsers().push_back(this);
    Record(serial_, "Created");
}

Browser::~Browser()
{
    Record(serial_, "Destroyed",
           {L"sinks:" + std::to_wstring(events_.Count()), Flag("site", bool(clientSite_)),
            Flag("inplace", bool(inPlaceSite_)), Flag("frame", bool(frame_))});
    if (window_) {
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
    auto &live = LiveBrowsers();
    live.erase(std::remove(live.begin(), live.end(), this), live.end());
}

// --- IUnknown ----------------------------------------------------------------

STDMETHODIMP Browser::QueryInterface(REFIID iid, void **object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IWebBrowser || iid == IID_IWebBrowserApp ||
        iid == IID_IWebBrowser2)
        *object = static_cast<IWebBrowser2 *>(this);
    else if (iid == IID_IOleObject)
        *object = static_cast<IOleObject *>(this);
    else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceObject)
        *object = static_cast<IOleInPlaceObject *>(this);
    else if (iid == IID_IOleInPlaceActiveObject)
        *object = static_cast<IOleInPlaceActiveObject *>(this);
    else if (iid == IID_IConnectionPointContainer)
        *object = static_cast<IConnectionPointContainer *>(this);
    else if (iid == IID_IProvideClassInfo || iid == IID_IProvideClassInfo2)
        *object = static_cast<IProvideClassInfo2 *>(this);
    else if (iid == IID_IPersist || iid == IID_IPersistStreamInit)
        *object = static_cast<IPersistStreamInit *>(this);
    if (*object)
        AddRef();
    HRESULT hr = *object ? S_OK : E_NOINTERFACE;
    Record(serial_, "QueryInterface", {GuidArgument(iid), hr == S_OK ? L"S_OK" : L"E_NOINTERFACE"});
    return hr;
}

STDMETHODIMP_(ULONG) Browser::AddRef()
{
    return ULONG(InterlockedIncrement(&references_));
}

STDMETHODIMP_(ULONG) Browser::Release()
{
    LONG left = InterlockedDecrement(&references_);
    if (left == 0)
        delete this;
    return ULONG(left);
}

// --- IDispatch ---------------------------------------------------------------

HRESULT Browser::LoadTypeLibrary()
{
    if (typeLibrary_)
        return S_OK;
    HRESULT hr = LoadRegTypeLib(LIBID_SHDocVw, 1, 1, LOCALE_NEUTRAL, typeLibrary_.Out());
    if (FAILED(hr))
        hr = LoadTypeLibEx(L"ieframe.dll", REGKIND_NONE, typeLibrary_.Out());
    if (FAILED(hr))
        hr = LoadTypeLibEx(L"shdocvw.dll", REGKIND_NONE, typeLibrary_.Out());
    return hr;
}

STDMETHODIMP Browser::GetTypeInfoCount(UINT *count)
{
    if (!count)
        return E_POINTER;
    *count = 1;
    return S_OK;
}

STDMETHODIMP Browser::GetTypeInfo(UINT index, LCID, ITypeInfo **info)
{
    if (!info)
        return E_POINTER;
    *info = nullptr;
    if (index != 0)
        return DISP_E_BADINDEX;
    HRESULT hr = LoadTypeLibrary();
    return FAILED(hr) ? hr : typeLibrary_->GetTypeInfoOfGuid(IID_IWebBrowser2, info);
}

STDMETHODIMP Browser::GetIDsOfNames(REFIID, LPOLESTR *names, UINT count, LCID, DISPID *ids)
{
    Ref<ITypeInfo> info;
    HRESULT hr = GetTypeInfo(0, 0, info.Out());
    return FAILED(hr) ? hr : DispGetIDsOfNames(info.Get(), names, count, ids);
}

STDMETHODIMP Browser::Invoke(DISPID member, REFIID, LCID, WORD flags, DISPPARAMS *params, VARIANT *result,
                             EXCEPINFO *exception, UINT *argumentError)
{
    Ref<ITypeInfo> info;
    HRESULT hr = LoadTypeLibrary();
    if (SUCCEEDED(hr))
        hr = InterfaceTypeInfo(typeLibrary_.Get(), info.Out());
    if (FAILED(hr))
        return hr;
    return DispInvoke(static_cast<IWebBrowser2 *>(this), info.Get(), member, flags, params, result, exception,
                      argumentError);
}

// --- IWebBrowser2 ------------------------------------------------------------

STDMETHODIMP Browser::Navigate(BSTR url, VARIANT *flags, VARIANT *targetFrame, VARIANT *postData, VARIANT *headers)
{
    // Whether the host navigates while another thread or process waits in
    // SendMessage for it, or from a message of its own.
    Record(serial_, "NavigateContext", {InSendMessage() ? L"inside a sent message" : L"own message"});
    Record(serial_, "Navigate",
           {TextArgument(url), VariantArgument(flags), VariantArgument(targetFrame), VariantArgument(postData),
            VariantArgument(headers)});
    if (!history_.empty())
        history_.resize(current_ + 1);
    history_.emplace_back(url ? url : L"", url ? SysStringLen(url) : 0);
    current_ = history_.size() - 1;
    if (window_)
        InvalidateRect(window_, nullptr, TRUE);
    return S_OK;
}

// At either end of the history the real control fails too.
STDMETHODIMP Browser::GoBack()
{
    Record(serial_, "GoBack");
    if (history_.empty() || current_ == 0)
        return E_FAIL;
    --current_;
    if (window_)
        InvalidateRect(window_, nullptr, TRUE);
    return S_OK;
}

STDMETHODIMP Browser::GoForward()
{
    Record(serial_, "GoForward");
    if (current_ + 1 >= history_.size())
        return E_FAIL;
    ++current_;
    if (window_)
        InvalidateRect(window_, nullptr, TRUE);
    return S_OK;
}

STDMETHODIMP Browser::ExecWB(OLECMDID command, OLECMDEXECOPT option, VARIANT *in, VARIANT *out)
{
    Record(serial_, "ExecWB",
           {NumberArgument(command), NumberArgument(option), VariantArgument(in), VariantArgument(out)});
    return command == OLECMDID_PRINT ? S_OK : OLECMDERR_E_NOTSUPPORTED;
}

// --- IOleObject --------------------------------------------------------------

void Browser::QueryAmbients(IOleClientSite *site)
{
    Ref<IDispatch> ambients;
    if (FAILED(site->QueryInterface(IID_IDispatch, reinterpret_cast<void **>(ambients.Out())))) {
        Record(serial_, "Ambients", {L"none", L"none"});
        return;
    }
    DISPPARAMS none{};
    VARIANT userMode, displayName;
    VariantInit(&userMode);
    VariantInit(&displayName);
    ambients->Invoke(DISPID_AMBIENT_USERMODE, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &userMode,
                     nullptr, nullptr);
    ambients->Invoke(DISPID_AMBIENT_DISPLAYNAME, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none,
                     &displayName, nullptr, nullptr);
    Record(serial_, "Ambients", {VariantArgument(&userMode), VariantArgument(&displayName)});
    VariantClear(&userMode);
    VariantClear(&displayName);
}

STDMETHODIMP Browser::SetClientSite(IOleClientSite *site)
{
    Record(serial_, "SetClientSite", {site ? L"site" : L"null"});
    clientSite_.Share(site);
    if (site)
        QueryAmbients(site);
    return S_OK;
}

STDMETHODIMP Browser::GetClientSite(IOleClientSite **site)
{
    if (!site)
        return E_POINTER;
    *site = clientSite_.Get();
    if (*site)
        (*site)->AddRef();
    return S_OK;
}

STDMETHODIMP Browser::SetHostNames(LPCOLESTR application, LPCOLESTR object)
{
    Record(serial_, "SetHostNames",
           {TextArgument(application, application ? wcslen(application) : 0),
            TextArgument(object, object ? wcslen(object) : 0)});
    return S_OK;
}

STDMETHODIMP Browser::Close(DWORD saveOption)
{
    Record(serial_, "Close", {NumberArgument(LONG(saveOption))});
    InPlaceDeactivate();
    return S_OK;
}

STDMETHODIMP Browser::DoVerb(LONG verb, LPMSG, IOleClientSite *, LONG, HWND, LPCRECT rect)
{
    Record(serial_, "DoVerb", {NumberArgument(verb), rect ? RectArgument(*rect) : L"null"});
    switch (verb) {
    case OLEIVERB_PRIMARY:
    case OLEIVERB_SHOW:
    case OLEIVERB_INPLACEACTIVATE:
        return InPlaceActivate(false);
    case OLEIVERB_UIACTIVATE:
        return InPlaceActivate(true);
    case OLEIVERB_HIDE:
        UIDeactivate();
        if (window_)
            ShowWindow(window_, SW_HIDE);
        return S_OK;
    default:
        return OLEOBJ_S_INVALIDVERB;
    }
}

STDMETHODIMP Browser::GetUserClassID(CLSID *clsid)
{
    return GetClassID(clsid);
}

STDMETHODIMP Browser::SetExtent(DWORD aspect, SIZEL *size)
{
    if (!size)
        return E_POINTER;
    Record(serial_, "SetExtent", {NumberArgument(size->cx), NumberArgument(size->cy)});
    if (aspect != DVASPECT_CONTENT)
        return DV_E_DVASPECT;
    extent_ = *size;
    return S_OK;
}

STDMETHODIMP Browser::GetExtent(DWORD aspect, SIZEL *size)
{
    if (!size)
        return E_POINTER;
    if (aspect != DVASPECT_CONTENT)
        return DV_E_DVASPECT;
    *size = extent_;
    return S_OK;
}

STDMETHODIMP Browser::GetMiscStatus(DWORD, DWORD *status)
{
    if (!status)
        return E_POINTER;
    *status = OLEMISC_SETCLIENTSITEFIRST | OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_INSIDEOUT |
              OLEMISC_CANTLINKINSIDE | OLEMISC_RECOMPOSEONRESIZE;
    return S_OK;
}

// --- in-place activation -----------------------------------------------------

HRESULT Browser::InPlaceActivate(bool uiActivate)
{
    if (!clientSite_)
        return E_UNEXPECTED;
    if (!inPlaceSite_) {
        Ref<IOleInPlaceSite> site;
        if (FAILED(clientSite_->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void **>(site.Out()))))
            return E_NOINTERFACE;
        if (site->CanInPlaceActivate() != S_OK)
            return E_FAIL;
        HWND parent = nullptr;
        if (FAILED(site->GetWindow(&parent)) || !parent)
            return E_FAIL;
        site->OnInPlaceActivate();
        inPlaceSite_.Share(site.Get());
        RECT position{}, clip{};
        OLEINPLACEFRAMEINFO info{};
        info.cb = sizeof info;
        inPlaceSite_->GetWindowContext(frame_.Out(), document_.Out(), &position, &clip, &info);
        RegisterViewClass();
        window_ = CreateWindowExW(0, ViewClassName, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, position.left,
                                  position.top, position.right - position.left, position.bottom - position.top,
                                  parent, nullptr, ModuleInstance(), this);
        Record(serial_, "InPlaceActivate", {RectArgument(position)});
    }
    if (uiActivate && !uiActive_) {
        uiActive_ = true;
        inPlaceSite_->OnUIActivate();
        if (frame_)
            frame_->SetActiveObject(static_cast<IOleInPlaceActiveObject *>(this), L"TestBrowser");
        if (document_)
            document_->SetActiveObject(static_cast<IOleInPlaceActiveObject *>(this), L"TestBrowser");
        Record(serial_, "UIActivate");
        if (window_ && GetFocus() != window_)
            SetFocus(window_);
    }
    return S_OK;
}

STDMETHODIMP Browser::GetWindow(HWND *window)
{
    if (!window)
        return E_POINTER;
    *window = window_;
    return window_ ? S_OK : E_FAIL;
}

STDMETHODIMP Browser::UIDeactivate()
{
    Record(serial_, "UIDeactivate");
    if (!uiActive_)
        return S_OK;
    uiActive_ = false;
    if (frame_)
        frame_->SetActiveObject(nullptr, nullptr);
    if (document_)
        document_->SetActiveObject(nullptr, nullptr);
    if (inPlaceSite_)
        inPlaceSite_->OnUIDeactivate(FALSE);
    return S_OK;
}

STDMETHODIMP Browser::InPlaceDeactivate()
{
    Record(serial_, "InPlaceDeactivate");
    if (!inPlaceSite_)
        return S_OK;
    UIDeactivate();
    if (window_) {
        HWND window = window_;
        window_ = nullptr;
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        DestroyWindow(window);
    }
    frame_.Reset();
    document_.Reset();
    Ref<IOleInPlaceSite> site;
    site.Share(inPlaceSite_.Get());
    inPlaceSite_.Reset();
    site->OnInPlaceDeactivate();
    return S_OK;
}

STDMETHODIMP Browser::SetObjectRects(LPCRECT position, LPCRECT)
{
    if (!position)
        return E_POINTER;
    Record(serial_, "SetObjectRects", {RectArgument(*position)});
    if (window_)
        MoveWindow(window_, position->left, position->top, position->right - position->left,
                   position->bottom - position->top, TRUE);
    return S_OK;
}

// --- events ------------------------------------------------------------------

STDMETHODIMP Browser::EnumConnectionPoints(IEnumConnectionPoints **points)
{
    if (points)
        *points = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP Browser::FindConnectionPoint(REFIID iid, IConnectionPoint **point)
{
    if (!point)
        return E_POINTER;
    *point = nullptr;
    Record(serial_, "FindConnectionPoint", {GuidArgument(iid)});
    if (iid != DIID_DWebBrowserEvents2)
        return CONNECT_E_NOCONNECTION;
    *point = &events_;
    events_.AddRef();
    return S_OK;
}

STDMETHODIMP Browser::GetClassInfo(ITypeInfo **info)
{
    if (!info)
        return E_POINTER;
    *info = nullptr;
    Record(serial_, "GetClassInfo");
    HRESULT hr = LoadTypeLibrary();
    return FAILED(hr) ? hr : typeLibrary_->GetTypeInfoOfGuid(CLSID_WebBrowser, info);
}

STDMETHODIMP Browser::GetGUID(DWORD kind, GUID *guid)
{
    if (!guid)
        return E_POINTER;
    if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID)
        return E_INVALIDARG;
    *guid = DIID_DWebBrowserEvents2;
    return S_OK;
}

STDMETHODIMP Browser::GetClassID(CLSID *clsid)
{
    if (!clsid)
        return E_POINTER;
    *clsid = CLSID_TestBrowser;
    return S_OK;
}

STDMETHODIMP Browser::InitNew()
{
    Record(serial_, "InitNew");
    return S_OK;
}

// Fires TitleChange or StatusTextChange (text is their "Text"), or
// NavigateComplete2 (this control and text as the address, by reference, as
// the real control passes it) at every connected sink; the result is the
// number of sinks called. A sink may unadvise, or its owner delete this
// control, while the event runs.
LRESULT Browser::FireEvent(DISPID dispid, const std::wstring &text)
{
    if (dispid != DispidTitleChange && dispid != DispidStatusTextChange && dispid != DispidNavigateComplete2)
        return 0;
    AddRef();
    std::vector<IDispatch *> sinks = events_.Sinks();
    Record(serial_, "Fire",
           {NumberArgument(dispid), TextArgument(text.c_str(), text.size()), NumberArgument(LONG(sinks.size()))});
    for (IDispatch *sink : sinks) {
        VARIANT value;
        VariantInit(&value);
        V_VT(&value) = VT_BSTR;
        V_BSTR(&value) = SysAllocStringLen(text.data(), UINT(text.size()));
        VARIANT arguments[2]; // last parameter first
        VariantInit(&arguments[0]);
        VariantInit(&arguments[1]);
        DISPPARAMS params{arguments, nullptr, 1, 0};
        if (dispid == DispidNavigateComplete2) {
            V_VT(&arguments[0]) = VT_BYREF | VT_VARIANT;
            V_VARIANTREF(&arguments[0]) = &value;
            V_VT(&arguments[1]) = VT_DISPATCH;
            V_DISPATCH(&arguments[1]) = static_cast<IWebBrowser2 *>(this);
            params.cArgs = 2;
        } else {
            arguments[0] = value;
        }
        sink->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
        VariantClear(&value); // the arguments only borrow it and this control
        sink->Release();
    }
    Release();
    return LRESULT(sinks.size());
}

Browser::Events::~Events()
{
    for (auto &sink : sinks_)
        sink.second->Release();
}

STDMETHODIMP Browser::Events::QueryInterface(REFIID iid, void **object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (iid != IID_IUnknown && iid != IID_IConnectionPoint)
        return E_NOINTERFACE;
    *object = static_cast<IConnectionPoint *>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP Browser::Events::GetConnectionInterface(IID *iid)
{
    if (!iid)
        return E_POINTER;
    *iid = DIID_DWebBrowserEvents2;
    return S_OK;
}

STDMETHODIMP Browser::Events::GetConnectionPointContainer(IConnectionPointContainer **container)
{
    if (!container)
        return E_POINTER;
    *container = static_cast<IConnectionPointContainer *>(&owner_);
    owner_.AddRef();
    return S_OK;
}

// Like the real control, the sink must answer the event interface itself.
STDMETHODIMP Browser::Events::Advise(IUnknown *sink, DWORD *cookie)
{
    if (!sink || !cookie)
        return E_POINTER;
    *cookie = 0;
    IDispatch *events = nullptr;
    HRESULT hr = sink->QueryInterface(DIID_DWebBrowserEvents2, reinterpret_cast<void **>(&events));
    Record(owner_.serial_, "Advise", {SUCCEEDED(hr) && events ? L"S_OK" : L"CONNECT_E_CANNOTCONNECT"});
    if (FAILED(hr) || !events)
        return CONNECT_E_CANNOTCONNECT;
    *cookie = nextCookie_++;
    sinks_.emplace_back(*cookie, events);
    return S_OK;
}

STDMETHODIMP Browser::Events::Unadvise(DWORD cookie)
{
    Record(owner_.serial_, "Unadvise", {NumberArgument(LONG(cookie))});
    auto found = std::find_if(sinks_.begin(), sinks_.end(), [&](const auto &sink) { return sink.first == cookie; });
    if (found == sinks_.end())
        return CONNECT_E_NOCONNECTION;
    IDispatch *sink = found->second;
    sinks_.erase(found);
    sink->Release();
    return S_OK;
}

std::vector<IDispatch *> Browser::Events::Sinks() const
{
    std::vector<IDispatch *> sinks;
    for (const auto &sink : sinks_) {
        sink.second->AddRef();
        sinks.push_back(sink.second);
    }
    return sinks;
}

// --- the view window ---------------------------------------------------------

void Browser::Paint(HDC dc, const RECT &area)
{
    FillRect(dc, &area, reinterpret_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    if (history_.empty())
        return;
    RECT text = area;
    InflateRect(&text, -4, -4);
    int oldMode = SetBkMode(dc, TRANSPARENT);
    COLORREF oldColour = SetTextColor(dc, RGB(96, 96, 96));
    DrawTextW(dc, history_[current_].c_str(), int(history_[current_].size()), &text,
              DT_LEFT | DT_TOP | DT_NOPREFIX | DT_WORDBREAK);
    SetTextColor(dc, oldColour);
    SetBkMode(dc, oldMode);
}

void Browser::OnViewFocus()
{
    InPlaceActivate(true);
}

void Browser::OnViewDestroyed()
{
    window_ = nullptr;
}

} // namespace testbrowser
