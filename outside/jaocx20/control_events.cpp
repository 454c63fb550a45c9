// A control's type information, and its events: connecting to the default
// source interface, delivering each call to the subscriber, and resolving
// the event's name and parameters by name.
#include <algorithm>

#include "control_site.h"
#include "event_sink.h"

namespace jaocx20 {

namespace {

// Records of the events whose callbacks are running, innermost last.
std::vector<const JAEventRecord *> &RunningEvents()
{
    static std::vector<const JAEventRecord *> running;
    return running;
}

class RunningEvent {
public:
    explicit RunningEvent(const JAEventRecord *record) : record_(record) { RunningEvents().push_back(record_); }
    ~RunningEvent()
    {
        auto &running = RunningEvents();
        running.erase(std::remove(running.begin(), running.end(), record_), running.end());
    }
    RunningEvent(const RunningEvent &) = delete;
    RunningEvent &operator=(const RunningEvent &) = delete;

private:
    const JAEventRecord *record_;
};

// The coclass's interface with the default flag, either the outgoing one
// (source) or the incoming one.
HRESULT DefaultInterface(ITypeInfo *classInfo, bool source, ITypeInfo **found)
{
    *found = nullptr;
    TypeAttributes attributes(classInfo);
    if (!attributes || attributes->typekind != TKIND_COCLASS)
        return E_NOINTERFACE;
    for (UINT i = 0; i < attributes->cImplTypes; ++i) {
        INT flags = 0;
        if (FAILED(classInfo->GetImplTypeFlags(i, &flags)) || !(flags & IMPLTYPEFLAG_FDEFAULT) ||
            bool(flags & IMPLTYPEFLAG_FSOURCE) != source)
            continue;
        HREFTYPE reference = 0;
        if (FAILED(classInfo->GetRefTypeOfImplType(i, &reference)))
            continue;
        return classInfo->GetRefTypeInfo(reference, found);
    }
    return E_NOINTERFACE;
}

// Callable through IDispatch: a dispinterface, or a dual interface.
bool IsDispatchInterface(ITypeInfo *info)
{
    TypeAttributes attributes(info);
    return attributes &&
           (attributes->typekind == TKIND_DISPATCH ||
            (attributes->typekind == TKIND_INTERFACE && (attributes->wTypeFlags & TYPEFLAG_FDUAL)));
}

// The IID and the type information of the control's default source
// interface: from the coclass, or failing that from IProvideClassInfo2.
HRESULT FindSourceInterface(IUnknown *control, ITypeInfo *classInfo, IID *iid, ITypeInfo **info)
{
    *info = nullptr;
    ComRef<ITypeInfo> source;
    if (classInfo && SUCCEEDED(DefaultInterface(classInfo, true, source.Out()))) {
        TypeAttributes attributes(source.Get());
        if (attributes) {
            *iid = attributes->guid;
            *info = source.Detach();
            return S_OK;
        }
    }
    ComRef<IProvideClassInfo2> provider;
    if (SUCCEEDED(provider.QueryFrom(control, IID_IProvideClassInfo2)) &&
        SUCCEEDED(provider->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, iid)))
        return S_OK; // events without names
    return CONNECT_E_NOCONNECTION;
}

// Owns the names ITypeInfo::GetNames hands out.
class MemberNames {
public:
    MemberNames(ITypeInfo *info, DISPID member)
    {
        if (info && FAILED(info->GetNames(member, names_, MaxNames, &count_)))
            count_ = 0;
    }
    ~MemberNames()
    {
        for (UINT i = 0; i < count_; ++i)
            SysFreeString(names_[i]);
    }
    MemberNames(const MemberNames &) = delete;
    MemberNames &operator=(const MemberNames &) = delete;
    UINT Count() const { return count_; }
    BSTR operator[](UINT i) const { return names_[i]; }

private:
    static constexpr UINT MaxNames = 64; // the member and its parameters
    BSTR names_[MaxNames] = {};
    UINT count_ = 0;
};

} // namespace

const JAEventRecord *LiveEvent(JAEVENT event)
{
    if (!event)
        return nullptr;
    for (const JAEventRecord *record : RunningEvents())
        if (record == event)
            return record;
    return nullptr;
}

HRESULT FindClassInfo(IUnknown *control, const CLSID &clsid, ITypeInfo **classInfo)
{
    *classInfo = nullptr;
    ComRef<IProvideClassInfo> provider;
    if (SUCCEEDED(provider.QueryFrom(control, IID_IProvideClassInfo)) &&
        SUCCEEDED(provider->GetClassInfo(classInfo)) && *classInfo)
        return S_OK;
    // A control without IProvideClassInfo: its class in the type library
    // that describes its dispatch interface.
    ComRef<IDispatch> dispatch;
    ComRef<ITypeInfo> info;
    ComRef<ITypeLib> library;
    UINT index = 0;
    HRESULT hr = dispatch.QueryFrom(control, IID_IDispatch);
    if (SUCCEEDED(hr))
        hr = dispatch->GetTypeInfo(0, LOCALE_USER_DEFAULT, info.Out());
    if (SUCCEEDED(hr) && info)
        hr = info->GetContainingTypeLib(library.Out(), &index);
    if (SUCCEEDED(hr) && library)
        hr = library->GetTypeInfoOfGuid(clsid, classInfo);
    return SUCCEEDED(hr) && *classInfo ? S_OK : E_NOINTERFACE;
}

HRESULT FindDefaultDispatch(IUnknown *control, ITypeInfo *classInfo, IDispatch **dispatch)
{
    *dispatch = nullptr;
    ComRef<ITypeInfo> incoming;
    if (classInfo && SUCCEEDED(DefaultInterface(classInfo, false, incoming.Out())) &&
        IsDispatchInterface(incoming.Get())) {
        TypeAttributes attributes(incoming.Get());
        // Both kinds begin with IDispatch's slots.
        if (attributes && SUCCEEDED(control->QueryInterface(attributes->guid, reinterpret_cast<void **>(dispatch))))
            return S_OK;
    }
    return control->QueryInterface(IID_IDispatch, reinterpret_cast<void **>(dispatch));
}

// --- subscription ------------------------------------------------------------

HRESULT ControlSite::Subscribe(JAEventProc callback, LONG_PTR user)
{
    if (!callback) {
        Unsubscribe();
        return S_OK;
    }
    if (ended_ || !identity_)
        return E_UNEXPECTED;
    if (!sink_) {
        ComRef<IConnectionPointContainer> container;
        HRESULT hr = container.QueryFrom(identity_.Get(), IID_IConnectionPointContainer);
        if (SUCCEEDED(hr))
            hr = FindSourceInterface(identity_.Get(), classInfo_.Get(), &sourceIid_, sourceInfo_.Out());
        if (SUCCEEDED(hr))
            hr = container->FindConnectionPoint(sourceIid_, connectionPoint_.Out());
        if (SUCCEEDED(hr) && !connectionPoint_)
            hr = CONNECT_E_NOCONNECTION;
        if (FAILED(hr)) {
            sourceInfo_.Reset();
            connectionPoint_.Reset();
            return hr;
        }
        sink_.Attach(new EventSink(this, sourceIid_));
        hr = connectionPoint_->Advise(static_cast<IDispatch *>(sink_.Get()), &cookie_);
        if (FAILED(hr)) {
            sink_->Detach();
            sink_.Reset();
            sourceInfo_.Reset();
            connectionPoint_.Reset();
            cookie_ = 0;
            return hr;
        }
    }
    callback_ = callback;
    user_ = user;
    return S_OK;
}

void ControlSite::Unsubscribe()
{
    callback_ = nullptr;
    user_ = 0;
    if (!sink_)
        return;
    sink_->Detach();
    if (connectionPoint_)
        connectionPoint_->Unadvise(cookie_);
    cookie_ = 0;
    connectionPoint_.Reset();
    sink_.Reset();
    sourceInfo_.Reset();
}

void ControlSite::DeliverEvent(DISPID dispid, DISPPARAMS *params)
{
    if (!callback_)
        return;
    JAEventRecord record{this, dispid, params};
    RunningEvent running(&record);
    try {
        callback_(dispid, &record, user_);
    } catch (...) {
        // The subscriber's failure is not the control's business.
    }
}

std::string ControlSite::EventName(DISPID dispid) const
{
    MemberNames names(sourceInfo_.Get(), dispid);
    if (names.Count() == 0 || !names[0])
        return std::string();
    return Narrow(names[0], SysStringLen(names[0]));
}

// The arguments arrive last parameter first; named ones (rare in events)
// come before the positional ones and carry the parameter's position.
HRESULT ControlSite::EventParameter(DISPID dispid, const DISPPARAMS *params, const char *name, VARIANT *value,
                                    VARTYPE type) const
{
    std::wstring wanted = Widen(name);
    if (wanted.empty())
        return DISP_E_MEMBERNOTFOUND;
    MemberNames names(sourceInfo_.Get(), dispid);
    UINT position = 0;
    bool known = false;
    for (UINT i = 1; i < names.Count() && !known; ++i) {
        if (names[i] && CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, names[i], -1, wanted.c_str(), -1) ==
                            CSTR_EQUAL) {
            position = i - 1;
            known = true;
        }
    }
    if (!known)
        return DISP_E_MEMBERNOTFOUND;

    const VARIANT *argument = nullptr;
    if (params && params->rgvarg) {
        UINT named = params->rgdispidNamedArgs ? std::min(params->cNamedArgs, params->cArgs) : 0;
        for (UINT i = 0; i < named && !argument; ++i)
            if (params->rgdispidNamedArgs[i] == DISPID(position))
                argument = &params->rgvarg[i];
        UINT positional = params->cArgs - named;
        if (!argument && position < positional)
            argument = &params->rgvarg[params->cArgs - 1 - position];
    }
    if (!argument)
        return DISP_E_PARAMNOTFOUND;

    Variant referred;
    HRESULT hr = VariantCopyInd(referred.Get(), const_cast<VARIANT *>(argument));
    if (FAILED(hr))
        return hr;
    if (type == VT_EMPTY)
        return VariantCopy(value, referred.Get());
    return VariantChangeType(value, referred.Get(), 0, type);
}

// --- the sink ----------------------------------------------------------------

STDMETHODIMP EventSink::QueryInterface(REFIID iid, void **object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (iid != IID_IUnknown && iid != IID_IDispatch && iid != source_)
        return E_NOINTERFACE;
    *object = static_cast<IDispatch *>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) EventSink::AddRef()
{
    return ULONG(InterlockedIncrement(&references_));
}

STDMETHODIMP_(ULONG) EventSink::Release()
{
    LONG left = InterlockedDecrement(&references_);
    if (left == 0)
        delete this;
    return ULONG(left);
}

STDMETHODIMP EventSink::GetTypeInfoCount(UINT *count)
{
    if (!count)
        return E_POINTER;
    *count = 0;
    return S_OK;
}

STDMETHODIMP EventSink::GetTypeInfo(UINT, LCID, ITypeInfo **info)
{
    if (info)
        *info = nullptr;
    return DISP_E_BADINDEX;
}

STDMETHODIMP EventSink::GetIDsOfNames(REFIID, LPOLESTR *, UINT count, LCID, DISPID *ids)
{
    for (UINT i = 0; ids && i < count; ++i)
        ids[i] = DISPID_UNKNOWN;
    return DISP_E_UNKNOWNNAME;
}

// The subscriber may delete the control from inside its callback: the site
// is held for the length of the call.
STDMETHODIMP EventSink::Invoke(DISPID member, REFIID, LCID, WORD, DISPPARAMS *params, VARIANT *result, EXCEPINFO *,
                               UINT *)
{
    if (result)
        VariantInit(result);
    if (!site_)
        return S_OK;
    ComRef<ControlSite> site;
    site.Share(site_);
    site->DeliverEvent(member, params);
    return S_OK;
}

} // namespace jaocx20
