// The module around the test browser control: its entry point, the view
// window class, the class factory and the counting exports.
#include "browser_control.h"

#include <new>

namespace testbrowser {

// {B4BDA95B-513C-4EB5-8673-24BD8EE42854}
const CLSID CLSID_TestBrowser = {0xb4bda95b, 0x513c, 0x4eb5, {0x86, 0x73, 0x24, 0xbd, 0x8e, 0xe4, 0x28, 0x54}};
const wchar_t ViewClassName[] = L"TestBrowserView";

namespace {

HINSTANCE Instance = nullptr;
ATOM ViewClass = 0;
LONG ServerLocks = 0;

Browser *BrowserOf(HWND window)
{
    return reinterpret_cast<Browser *>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

// The view is where a test, in this process or another, tells the control to
// fire an event: WM_COPYDATA with the event's dispid in dwData and its text
// in UTF-16 in lpData. The reply is the number of sinks called.
LRESULT CALLBACK ViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_NCCREATE: {
        auto *create = reinterpret_cast<CREATESTRUCTW *>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        break;
    }
    case WM_COPYDATA: {
        auto *data = reinterpret_cast<const COPYDATASTRUCT *>(lParam);
        Browser *browser = BrowserOf(window);
        if (!browser || !data || (data->cbData && !data->lpData))
            return 0;
        std::wstring text;
        if (data->cbData >= sizeof(wchar_t))
            text.assign(static_cast<const wchar_t *>(data->lpData), data->cbData / sizeof(wchar_t));
        return browser->FireEvent(DISPID(data->dwData), text);
    }
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        RECT area;
        GetClientRect(window, &area);
        if (Browser *browser = BrowserOf(window))
            browser->Paint(dc, area);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_LBUTTONDOWN:
        SetFocus(window);
        return 0;
    case WM_SETFOCUS:
        if (Browser *browser = BrowserOf(window))
            browser->OnViewFocus();
        return 0;
    case WM_NCDESTROY:
        if (Browser *browser = BrowserOf(window))
            browser->OnViewDestroyed();
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

class Factory final : public IClassFactory {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void **object) override
    {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        if (iid != IID_IUnknown && iid != IID_IClassFactory)
            return E_NOINTERFACE;
        *object = static_cast<IClassFactory *>(this);
        return S_OK;
    }
    // One static factory for the module's lifetime.
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP CreateInstance(IUnknown *outer, REFIID iid, void **object) override
    {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        auto *browser = new (std::nothrow) Browser;
        if (!browser)
            return E_OUTOFMEMORY;
        HRESULT hr = browser->QueryInterface(iid, object);
        browser->Release();
        return hr;
    }
    STDMETHODIMP LockServer(BOOL lock) override
    {
        if (lock)
            InterlockedIncrement(&ServerLocks);
        else
            InterlockedDecrement(&ServerLocks);
        return S_OK;
    }
};

Factory TheFactory;

} // namespace

HINSTANCE ModuleInstance()
{
    return Instance;
}

void RegisterViewClass()
{
    if (ViewClass)
        return;
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = ViewProc;
    windowClass.hInstance = Instance;
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.lpszClassName = ViewClassName;
    ViewClass = RegisterClassExW(&windowClass);
}

void UnregisterViewClass()
{
    if (ViewClass)
        UnregisterClassW(ViewClassName, Instance);
    ViewClass = 0;
}

} // namespace testbrowser

using namespace testbrowser;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    if (reason == DLL_PROCESS_ATTACH) {
        Instance = instance;
        DisableThreadLibraryCalls(instance);
    } else if (reason == DLL_PROCESS_DETACH && !reserved) {
        UnregisterViewClass();
    }
    return TRUE;
}

extern "C" HRESULT __stdcall DllGetClassObject(REFCLSID clsid, REFIID iid, void **object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (clsid != CLSID_TestBrowser)
        return CLASS_E_CLASSNOTAVAILABLE;
    return TheFactory.QueryInterface(iid, object);
}

extern "C" HRESULT __stdcall DllCanUnloadNow(void)
{
    return LiveObjects() == 0 && ServerLocks == 0 ? S_OK : S_FALSE;
}

extern "C" LONG __stdcall TestBrowserLiveObjects(void)
{
    return LiveObjects();
}

extern "C" LONG __stdcall TestBrowserLiveReferences(void)
{
    return LiveReferences();
}
