// The object the container advises on a control's default source interface,
// and the record of an event while its callback runs.
#pragma once
#include <windows.h>
#include <oleauto.h>

#include "jaocx20.h"

namespace jaocx20 {

class ControlSite;

// Answers IDispatch and the source interface's IID. It knows its site only
// until the site unsubscribes: a control may keep a sink after Unadvise.
class EventSink final : public IDispatch {
public:
    EventSink(ControlSite *site, const IID &source) : site_(site), source_(source) {}
    void Detach() { site_ = nullptr; }

    STDMETHODIMP QueryInterface(REFIID iid, void **object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP GetTypeInfoCount(UINT *count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID locale, ITypeInfo **info) override;
    STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR *names, UINT count, LCID locale, DISPID *ids) override;
    STDMETHODIMP Invoke(DISPID member, REFIID iid, LCID locale, WORD flags, DISPPARAMS *params, VARIANT *result,
                        EXCEPINFO *exception, UINT *argumentError) override;

private:
    ~EventSink() = default;
    LONG references_ = 1;
    ControlSite *site_;
    IID source_;
};

} // namespace jaocx20

// What a JAEVENT points at. Only records on the stack of a running callback
// are valid; LiveEvent checks a handle before anything reads it.
struct JAEventRecord {
    jaocx20::ControlSite *site;
    DISPID dispid;
    DISPPARAMS *params;
};

namespace jaocx20 {
const JAEventRecord *LiveEvent(JAEVENT event);
}
