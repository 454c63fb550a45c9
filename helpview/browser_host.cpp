// The hosted browser control: navigation, history, printing, and the events
// that keep the caption and the status line up to date.
#include <windows.h>

#include <exdisp.h>

#include <cstring>
#include <new>
#include <string>

#include "address_rules.h"
#include "variant_text.h"
#include "viewer_state.h"

namespace helpview {

namespace {

// {D30C1661-CDAF-11D0-8A3E-00C04FC9E26E}
constexpr IID WebBrowser2Interface = {0xD30C1661, 0xCDAF, 0x11D0, {0x8A, 0x3E, 0x00, 0xC0, 0x4F, 0xC9, 0xE2, 0x6E}};
constexpr int UnknownPrinterDriver = 1797; // ERROR_UNKNOWN_PRINTER_DRIVER

using FlashWindowExProc = BOOL(WINAPI *)(PFLASHWINFO);
HMODULE User32Module = nullptr;
FlashWindowExProc FlashWindowExAddress = nullptr;

// The control's default interface is its IWebBrowser2.
IWebBrowser2 *Browser()
{
    return reinterpret_cast<IWebBrowser2 *>(BrowserControl);
}

// Stops a flashing task-bar button; FlashWindowEx is not on every system.
void StopFlashing()
{
    if (!User32Module) {
        User32Module = LoadLibraryA("USER32.DLL");
        if (User32Module)
            FlashWindowExAddress = reinterpret_cast<FlashWindowExProc>(
                reinterpret_cast<void *>(GetProcAddress(User32Module, "FlashWindowEx")));
    }
    if (!FlashWindowExAddress)
        return;
    FLASHWINFO info{};
    info.cbSize = sizeof(info); // 20
    info.hwnd = MainWindow;
    info.dwFlags = FLASHW_STOP;
    Sleep(50);
    FlashWindowExAddress(&info);
}

bool HasDefaultPrinter()
{
    char device[256] = {};
    DWORD length = GetProfileStringA("WINDOWS", "DEVICE", ",,,", device, sizeof device);
    return std::string(device, length) != ",,,";
}

std::string ParameterText(JAEVENT event, VARIANT &value)
{
    JAGetEventNamedParameterValue(event, "Text", &value, VT_EMPTY);
    return VariantToText(value);
}

void OnEvent(IDispatch *sender, JAEVENT event, VARIANT &value)
{
    char name[JA_NAME_SIZE] = {};
    JAGetControlName(sender, nullptr, name);
    if (std::strcmp(name, ControlName) != 0)
        return;
    char eventName[JA_NAME_SIZE] = {};
    JAGetEventName(event, eventName, sizeof eventName);
    if (std::strcmp(eventName, "StatusTextChange") == 0) {
        std::string status = " " + ParameterText(event, value);
        THSETCTLTEXT(StatusWindow, status.c_str());
    } else if (std::strcmp(eventName, "TitleChange") == 0) {
        std::string caption = TitleCaption(UiText(1), ParameterText(event, value));
        THSETCTLTEXT(MainWindow, caption.c_str());
    }
}

} // namespace

void NavigateTo(const char *address)
{
    if (!address || !*address)
        return;
    // A copy: the caller's buffer may be refilled by messages handled below.
    std::string text(address);
    if (BrowserControl) {
        BSTR url = AnsiToBstr(text.c_str());
        VARIANT flags, target, postData, headers;
        for (VARIANT *missing : {&flags, &target, &postData, &headers}) {
            VariantInit(missing);
            SetMissing(*missing);
        }
        Browser()->Navigate(url, &flags, &target, &postData, &headers);
        THEVENT();
        SysFreeString(url);
        if (!PdfShown)
            PdfShown = PdfPosition(text);
    }
    StopFlashing();
}

void GoBack()
{
    if (BrowserControl)
        Browser()->GoBack();
}

void GoForward()
{
    if (BrowserControl)
        Browser()->GoForward();
}

void PrintPage()
{
    if (!BrowserControl)
        return;
    if (!HasDefaultPrinter()) {
        FillMessageBoxStyle(IDI_EXCLAMATION, -1);
        std::string title = TakeByteString(THGETCTLTEXT(MainWindow));
        std::string text = TakeByteString(THWINERR(UnknownPrinterDriver));
        THMSGBOX(MainWindow, THCAPTIONFONT(), title.c_str(), text.c_str(), "", &StyleRecord, 0);
        return;
    }
    IWebBrowser2 *browser = nullptr;
    BrowserControl->QueryInterface(WebBrowser2Interface, reinterpret_cast<void **>(&browser));
    if (!browser)
        return;
    VARIANT in, out;
    VariantInit(&in);
    VariantInit(&out);
    SetMissing(in);
    SetMissing(out);
    // The control shows the platform's print dialog.
    browser->ExecWB(OLECMDID_PRINT, OLECMDEXECOPT_PROMPTUSER, &in, &out);
    browser->Release();
    VariantClear(&in);
    VariantClear(&out);
}

} // namespace helpview

using namespace helpview;

extern "C" LONG __stdcall JAEVENTCALLBACK(DISPID, JAEVENT event, LONG_PTR)
{
    VARIANT value;
    VariantInit(&value);
    IDispatch *sender = JAGetEventSenderDispatch(event);
    try {
        OnEvent(sender, event, value);
    } catch (const std::bad_alloc &) {
    }
    JAReleaseDispatch(sender);
    VariantClear(&value);
    return 0;
}
