// Creating a control in its site and ending it; the list of controls.
#include <algorithm>
#include <cwctype>

#include "control_site.h"
#include "event_sink.h"

namespace jaocx20 {

std::vector<ControlSite *> &Sites()
{
    static std::vector<ControlSite *> sites;
    return sites;
}

ControlSite *FindSite(IUnknown *control)
{
    if (!control)
        return nullptr;
    for (ControlSite *site : Sites())
        if (control == site->Control() || control == site->Identity())
            return site;
    return nullptr;
}

ControlSite *FindSiteByIdentity(IUnknown *control)
{
    if (ControlSite *site = FindSite(control))
        return site;
    if (!control)
        return nullptr;
    ComRef<IUnknown> identity;
    if (FAILED(identity.QueryFrom(control, IID_IUnknown)))
        return nullptr;
    for (ControlSite *site : Sites())
        if (identity.Get() == site->Identity())
            return site;
    return nullptr;
}

ControlSite::ControlSite(const std::string &name) : name_(name) {}

ControlSite::~ControlSite()
{
    if (window_) {
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
}

HRESULT ControlSite::Host(HWND parent, const RECT &rect, const CLSID &clsid, const wchar_t *licence, bool visible)
{
    HRESULT hr = CreateSiteWindow(parent, rect);
    if (SUCCEEDED(hr))
        hr = Instantiate(clsid, licence);
    if (SUCCEEDED(hr))
        hr = Initialise(clsid);
    if (FAILED(hr))
        return hr;
    if (visible)
        ShowWindow(window_, SW_SHOWNA); // activates the control (OnSiteShown)
    return S_OK;
}

// Created hidden: the control is activated when the site is first shown.
HRESULT ControlSite::CreateSiteWindow(HWND parent, const RECT &rect)
{
    std::wstring title = Widen(name_.c_str());
    DWORD style = WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    window_ = CreateWindowExW(0, SiteClassName, title.c_str(), style, rect.left, rect.top, rect.right - rect.left,
                              rect.bottom - rect.top, parent, nullptr, ModuleInstance(), this);
    if (!window_) {
        DWORD error = GetLastError();
        return error ? HRESULT_FROM_WIN32(error) : E_FAIL;
    }
    return S_OK;
}

HRESULT ControlSite::Instantiate(const CLSID &clsid, const wchar_t *licence)
{
    if (!licence)
        return CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, identity_.OutVoid());
    ComRef<IClassFactory2> factory;
    HRESULT hr = CoGetClassObject(clsid, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory2, factory.OutVoid());
    if (FAILED(hr))
        return hr;
    Bstr key(licence);
    return factory->CreateInstanceLic(nullptr, nullptr, IID_IUnknown, key.Get(), identity_.OutVoid());
}

// The order a control may ask for in its miscellaneous status: the client
// site before or after initialisation; then names, extent, the interfaces.
HRESULT ControlSite::Initialise(const CLSID &clsid)
{
    HRESULT hr = oleObject_.QueryFrom(identity_.Get(), IID_IOleObject);
    if (FAILED(hr))
        return hr;
    DWORD status = 0;
    if (FAILED(oleObject_->GetMiscStatus(DVASPECT_CONTENT, &status)))
        status = 0;
    if (status & OLEMISC_SETCLIENTSITEFIRST) {
        if (FAILED(hr = oleObject_->SetClientSite(this)))
            return hr;
        clientSiteSet_ = true;
    }
    ComRef<IPersistStreamInit> persist;
    if (SUCCEEDED(persist.QueryFrom(identity_.Get(), IID_IPersistStreamInit)) && FAILED(hr = persist->InitNew()))
        return hr;
    if (!clientSiteSet_) {
        if (FAILED(hr = oleObject_->SetClientSite(this)))
            return hr;
        clientSiteSet_ = true;
    }
    std::wstring name = Widen(name_.c_str());
    oleObject_->SetHostNames(L"jaocx20", name.c_str());

    RECT rect = SiteRect();
    POINTL pixels{rect.right, rect.bottom};
    POINTF size{float(pixels.x), float(pixels.y)};
    POINTL himetric{};
    if (SUCCEEDED(TransformCoords(&himetric, &size, XFORMCOORDS_CONTAINERTOHIMETRIC | XFORMCOORDS_SIZE))) {
        SIZEL extent{himetric.x, himetric.y};
        oleObject_->SetExtent(DVASPECT_CONTENT, &extent);
    }

    if (FAILED(FindClassInfo(identity_.Get(), clsid, classInfo_.Out())))
        classInfo_.Reset();
    return FindDefaultDispatch(identity_.Get(), classInfo_.Get(), dispatch_.Out());
}

void ControlSite::Activate()
{
    if (inPlaceObject_ || ended_ || !oleObject_ || !window_)
        return;
    RECT rect = SiteRect();
    oleObject_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, this, 0, window_, &rect);
}

// Everything but the handed-out reference and the identity, which stay until
// Delete so that the caller's pointer keeps working (and failing politely)
// after its window has gone.
void ControlSite::EndHosting()
{
    if (ended_)
        return;
    ended_ = true;
    ComRef<IOleInPlaceObject> inPlace;
    inPlace.Share(inPlaceObject_.Get());
    if (inPlace) {
        inPlace->UIDeactivate();
        inPlace->InPlaceDeactivate(); // the control calls OnInPlaceDeactivate
    }
    inPlace.Reset();
    Unsubscribe();
    StopFollowing();
    if (oleObject_ && clientSiteSet_) {
        oleObject_->Close(OLECLOSE_NOSAVE);
        oleObject_->SetClientSite(nullptr);
        clientSiteSet_ = false;
    }
    activeObject_.Reset();
    inPlaceObject_.Reset();
    oleObject_.Reset();
    classInfo_.Reset();
}

// Gives up the owner's reference: the list's, or the creator's for a site
// that never made it into the list.
void ControlSite::Delete()
{
    AddRef(); // the site lives to the end of this, whatever the control releases
    auto &sites = Sites();
    auto listed = std::find(sites.begin(), sites.end(), this);
    if (listed != sites.end())
        sites.erase(listed);
    EndHosting();
    dispatch_.Reset();
    identity_.Reset();
    if (window_) {
        HWND window = window_;
        window_ = nullptr;
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        DestroyWindow(window);
    }
    Release();
    Release();
}

void ControlSite::OnSiteShown()
{
    Activate();
}

void ControlSite::OnSiteDestroyed()
{
    EndHosting();
    window_ = nullptr;
}

namespace {

bool StartsWithNoCase(const std::wstring &text, const wchar_t *prefix, size_t length)
{
    return text.size() >= length && _wcsnicmp(text.c_str(), prefix, length) == 0;
}

std::wstring Trimmed(const std::wstring &text)
{
    size_t first = 0, last = text.size();
    while (first < last && iswspace(text[first]))
        ++first;
    while (last > first && iswspace(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

} // namespace

// "ProgID:Name" or "CLSID:{...}"; without a prefix a text in braces is a
// class identifier and anything else a ProgID.
HRESULT ParseCreation(const char *creation, CLSID *clsid)
{
    *clsid = CLSID_NULL;
    std::wstring text = Trimmed(Widen(creation));
    static const wchar_t progIdPrefix[] = L"" JA_CREATE_PROGID, clsidPrefix[] = L"" JA_CREATE_CLSID;
    bool byClsid = false;
    if (StartsWithNoCase(text, progIdPrefix, wcslen(progIdPrefix))) {
        text = Trimmed(text.substr(wcslen(progIdPrefix)));
    } else if (StartsWithNoCase(text, clsidPrefix, wcslen(clsidPrefix))) {
        text = Trimmed(text.substr(wcslen(clsidPrefix)));
        byClsid = true;
    } else {
        byClsid = !text.empty() && text[0] == L'{';
    }
    if (text.empty())
        return E_INVALIDARG;
    HRESULT hr = byClsid ? IIDFromString(text.c_str(), clsid) : CLSIDFromProgID(text.c_str(), clsid);
    return FAILED(hr) ? CO_E_CLASSSTRING : hr;
}

HRESULT CreateControl(HWND parent, const char *name, const RECT &rect, const char *creation, DWORD flags,
                      const char *licenceKey, IDispatch **control)
{
    if (!control)
        return E_POINTER;
    *control = nullptr;
    if (!parent || !IsWindow(parent))
        return E_INVALIDARG;
    CLSID clsid;
    HRESULT hr = ParseCreation(creation, &clsid);
    if (FAILED(hr))
        return hr;
    if (!RegisterSiteClass())
        return HRESULT_FROM_WIN32(GetLastError());

    std::string shortName = name ? std::string(name).substr(0, JA_NAME_SIZE - 1) : std::string();
    auto *site = new ControlSite(shortName);
    std::wstring licence = Widen(licenceKey);
    hr = site->Host(parent, rect, clsid, licenceKey ? licence.c_str() : nullptr, flags & JA_CREATE_VISIBLE);
    if (FAILED(hr)) {
        site->Delete();
        return hr;
    }
    Sites().push_back(site); // the list takes the site's first reference
    *control = site->Control();
    return S_OK;
}

} // namespace jaocx20
