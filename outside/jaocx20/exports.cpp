// The exports: argument checks, then the container's own functions. No
// exception leaves here.
#include "control_site.h"
#include "event_sink.h"

namespace jaocx20 {
HRESULT CreateControl(HWND parent, const char *name, const RECT &rect, const char *creation, DWORD flags,
                      const char *licenceKey, IDispatch **control);
}

using namespace jaocx20;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(instance);
        SetModuleInstance(instance);
    } else if (reason == DLL_PROCESS_DETACH && !reserved) {
        UnregisterSiteClass();
    }
    return TRUE;
}

extern "C" HRESULT __stdcall JAInitializePBClient(void)
{
    return NoThrow(E_UNEXPECTED, [] { return RegisterSiteClass() ? S_OK : HRESULT_FROM_WIN32(GetLastError()); });
}

extern "C" HRESULT __stdcall JACreateControl(HWND parent, const char *name, int x, int y, int width, int height,
                                             const char *creation, DWORD flags, IDispatch **control,
                                             const char *licenseKey, DWORD reserved)
{
    if (control)
        *control = nullptr;
    return NoThrow(E_UNEXPECTED, [&] {
        RECT rect{x, y, x + (width > 0 ? width : 0), y + (height > 0 ? height : 0)};
        return CreateControl(parent, name, rect, creation, flags, licenseKey, control);
    });
}

extern "C" HRESULT __stdcall JASetControlResizeStyle(IDispatch *control, HWND reference, DWORD style)
{
    return NoThrow(E_UNEXPECTED, [&] {
        ControlSite *site = FindSite(control);
        return site ? site->FollowSize(reference, style) : E_INVALIDARG;
    });
}

extern "C" HRESULT __stdcall JASubscribeEvents(IDispatch *control, JAEventProc callback, LONG_PTR user)
{
    return NoThrow(E_UNEXPECTED, [&] {
        ControlSite *site = FindSite(control);
        return site ? site->Subscribe(callback, user) : E_INVALIDARG;
    });
}

extern "C" HRESULT __stdcall JADeleteControl(IDispatch *control)
{
    return NoThrow(E_UNEXPECTED, [&] {
        ControlSite *site = FindSite(control);
        if (!site)
            return E_INVALIDARG;
        site->Delete();
        return S_OK;
    });
}

extern "C" IDispatch *__stdcall JAGetEventSenderDispatch(JAEVENT event)
{
    return NoThrow<IDispatch *>(nullptr, [&]() -> IDispatch * {
        const JAEventRecord *record = LiveEvent(event);
        IDispatch *sender = record ? record->site->Control() : nullptr;
        if (sender)
            sender->AddRef();
        return sender;
    });
}

extern "C" void __stdcall JAReleaseDispatch(IDispatch *sender)
{
    NoThrow(0, [&] {
        if (sender)
            sender->Release();
        return 0;
    });
}

extern "C" int __stdcall JAGetControlName(IDispatch *control, HWND parent, char *name)
{
    return NoThrow(0, [&] {
        if (!name)
            return 0;
        name[0] = '\0';
        ControlSite *site = FindSiteByIdentity(control);
        if (!site || (parent && !(site->Window() && IsChild(parent, site->Window()))))
            return 0;
        return CopyOut(site->Name(), name, JA_NAME_SIZE);
    });
}

extern "C" int __stdcall JAGetEventName(JAEVENT event, char *buffer, int size)
{
    return NoThrow(0, [&] {
        if (!buffer || size <= 0)
            return 0;
        buffer[0] = '\0';
        const JAEventRecord *record = LiveEvent(event);
        return record ? CopyOut(record->site->EventName(record->dispid), buffer, size_t(size)) : 0;
    });
}

extern "C" HRESULT __stdcall JAGetEventNamedParameterValue(JAEVENT event, const char *name, VARIANT *value,
                                                           VARTYPE type)
{
    if (!value)
        return E_POINTER;
    return NoThrow(E_UNEXPECTED, [&] {
        if (FAILED(VariantClear(value)))
            VariantInit(value); // it held no valid value to free
        const JAEventRecord *record = LiveEvent(event);
        if (!record)
            return E_INVALIDARG;
        HRESULT hr = record->site->EventParameter(record->dispid, record->params, name, value, type);
        if (FAILED(hr))
            VariantInit(value);
        return hr;
    });
}
