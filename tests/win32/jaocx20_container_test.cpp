// The ActiveX control container under Wine: jaocx20.dll hosting the test
// browser control in real windows (and, once, the platform's own browser
// control), checked through the windows it makes, the calls the control
// records, and the control's count of live objects.
#include <gtest/gtest.h>

#include <windows.h>
#include <exdisp.h>
#include <ocidl.h>

#include <string>
#include <vector>

#include "jaocx20.h"
#include "machine_guard.h"
#include "testbrowser/test_browser.h"

namespace {

testbrowser::Library &TestControls()
{
    static testbrowser::Library library;
    return library;
}

constexpr wchar_t ClaimAndExit[] = L"CONTAINER_TEST_CLAIM_AND_EXIT";

// Started as a child by the registration test: takes "Shell.Explorer.2" and
// ends without giving it back, as a crashed test program would.
const bool ClaimingChild = [] {
    if (!GetEnvironmentVariableW(ClaimAndExit, nullptr, 0))
        return false;
    ExitProcess(TestControls().Register(testbrowser::AsWebBrowser) == S_OK ? 0 : 1);
}();

CLSID ClassOfProgId(const wchar_t *progId)
{
    CLSID clsid = CLSID_NULL;
    CLSIDFromProgID(progId, &clsid);
    return clsid;
}

// Programs other than this one that hold "Shell.Explorer.2" (tests running
// in parallel).
DWORD OtherClaims()
{
    HKEY claims = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, L"TestBrowser.Control\\WebBrowserClaims", 0, KEY_READ, &claims))
        return 0;
    DWORD values = 0;
    RegQueryInfoKeyW(claims, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                     nullptr, nullptr);
    RegCloseKey(claims);
    return values > 0 ? values - 1 : 0; // one value keeps the platform's class
}

void Pump(DWORD milliseconds)
{
    DWORD start = GetTickCount();
    do {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        Sleep(5);
    } while (GetTickCount() - start < milliseconds);
}

// A window's rectangle in the client coordinates of another.
RECT RectIn(HWND window, HWND reference)
{
    RECT rect{};
    GetWindowRect(window, &rect);
    MapWindowPoints(nullptr, reference, reinterpret_cast<POINT *>(&rect), 2);
    return rect;
}

RECT ClientOf(HWND window)
{
    RECT rect{};
    GetClientRect(window, &rect);
    return rect;
}

std::string Text(const RECT &rect)
{
    return std::to_string(rect.left) + "," + std::to_string(rect.top) + "," + std::to_string(rect.right) + "," +
           std::to_string(rect.bottom);
}

void SetSize(HWND window, int width, int height)
{
    SetWindowPos(window, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// What a callback saw of one event.
struct SeenEvent {
    DISPID dispid = 0;
    JAEVENT event = nullptr;
    LONG_PTR user = 0;
    DWORD thread = 0;
    std::string name;
    std::string shortName; // through a 6-byte buffer
    int nameLength = 0;
    HRESULT textResult = E_FAIL;
    VARTYPE textType = VT_EMPTY;
    std::wstring text;
    HRESULT lowerCaseResult = E_FAIL;
    HRESULT asNumberResult = E_FAIL;
    LONG asNumber = 0;
    HRESULT unknownResult = S_OK;
    VARTYPE unknownType = VT_NULL;
    VARTYPE urlType = VT_NULL;
    std::wstring url;
    VARTYPE senderType = VT_NULL;
    IUnknown *senderParameter = nullptr; // compared only
    IDispatch *sender = nullptr; // compared only, not used
    std::string senderName;
    HRESULT deleteResult = E_FAIL;
};

struct EventContext {
    std::vector<SeenEvent> seen;
    bool deleteSender = false;
};

LONG __stdcall RecordEvent(DISPID dispid, JAEVENT event, LONG_PTR user)
{
    auto *context = reinterpret_cast<EventContext *>(user);
    SeenEvent seen;
    seen.dispid = dispid;
    seen.event = event;
    seen.user = user;
    seen.thread = GetCurrentThreadId();
    char buffer[JA_NAME_SIZE] = "garbage";
    seen.nameLength = JAGetEventName(event, buffer, JA_NAME_SIZE);
    seen.name = buffer;
    char small[6] = "xxxxx";
    JAGetEventName(event, small, sizeof small);
    seen.shortName = small;

    VARIANT value;
    VariantInit(&value);
    seen.textResult = JAGetEventNamedParameterValue(event, "Text", &value, VT_EMPTY);
    seen.textType = V_VT(&value);
    if (V_VT(&value) == VT_BSTR)
        seen.text.assign(V_BSTR(&value), SysStringLen(V_BSTR(&value)));
    seen.lowerCaseResult = JAGetEventNamedParameterValue(event, "text", &value, VT_BSTR);
    seen.asNumberResult = JAGetEventNamedParameterValue(event, "Text", &value, VT_I4);
    if (V_VT(&value) == VT_I4)
        seen.asNumber = V_I4(&value);
    seen.unknownResult = JAGetEventNamedParameterValue(event, "Title", &value, VT_EMPTY);
    seen.unknownType = V_VT(&value);
    JAGetEventNamedParameterValue(event, "URL", &value, VT_EMPTY);
    seen.urlType = V_VT(&value);
    if (V_VT(&value) == VT_BSTR)
        seen.url.assign(V_BSTR(&value), SysStringLen(V_BSTR(&value)));
    JAGetEventNamedParameterValue(event, "pDisp", &value, VT_EMPTY);
    seen.senderType = V_VT(&value);
    if (V_VT(&value) == VT_DISPATCH)
        seen.senderParameter = V_DISPATCH(&value);
    VariantClear(&value);

    IDispatch *sender = JAGetEventSenderDispatch(event);
    seen.sender = sender;
    char name[JA_NAME_SIZE] = "garbage";
    JAGetControlName(sender, nullptr, name);
    seen.senderName = name;
    if (context->deleteSender)
        seen.deleteResult = JADeleteControl(sender);
    JAReleaseDispatch(sender);
    context->seen.push_back(seen);
    return 0;
}

LONG __stdcall CountEvent(DISPID, JAEVENT, LONG_PTR user)
{
    ++*reinterpret_cast<int *>(user);
    return 0;
}

// Each test works in a child window of one top-level window: under Wine
// without a window manager, destroying a visible top-level window waits two
// seconds for the X server, which a child window does not.
class Container : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"ContainerTestWindow";
        RegisterClassW(&windowClass);
        frame_ = CreateWindowExW(0, L"ContainerTestWindow", L"container test",
                                 WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, 20, 20, 700, 600, nullptr,
                                 nullptr, GetModuleHandleW(nullptr), nullptr);
    }

    // The frame goes with the process: destroying it would cost the two
    // seconds again.
    static void TearDownTestSuite() { CoUninitialize(); }

    void SetUp() override
    {
        ASSERT_TRUE(TestControls().Loaded()) << "cannot load " << std::string(testbrowser::Library::Path().begin(),
                                                                                testbrowser::Library::Path().end());
        ASSERT_EQ(S_OK, TestControls().Register());
        log_ = testbrowser::StartLog(L"jaocx20_container_test.log");
        ASSERT_EQ(S_OK, JAInitializePBClient());
        ASSERT_EQ(S_OK, JAInitializePBClient()) << "a second call";
        ASSERT_TRUE(frame_);
        parent_ = NewWindow(frame_, 400, 300);
        ASSERT_TRUE(parent_);
    }

    void TearDown() override
    {
        if (parent_)
            DestroyWindow(parent_);
        testbrowser::StopLog();
    }

    static HWND NewWindow(HWND parent, int width, int height)
    {
        return CreateWindowExW(0, L"ContainerTestWindow", L"", WS_CHILD | WS_CLIPCHILDREN | WS_VISIBLE, 0, 0, width,
                               height, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
    }

    IDispatch *Create(const char *name, int x, int y, int width, int height, DWORD flags = JA_CREATE_VISIBLE,
                      HWND parent = nullptr)
    {
        IDispatch *control = nullptr;
        HRESULT hr = JACreateControl(parent ? parent : parent_, name, x, y, width, height,
                                     testbrowser::CreationText, flags, &control, nullptr, 0);
        EXPECT_EQ(S_OK, hr) << std::hex << hr;
        EXPECT_TRUE(control);
        return control;
    }

    std::vector<testbrowser::Call> Calls(const std::string &method) const
    {
        return testbrowser::CallsOf(testbrowser::ReadLog(log_), method);
    }

    // Index of the first recorded call of method, -1 when there is none.
    int FirstIndexOf(const std::string &method) const
    {
        std::vector<testbrowser::Call> calls = testbrowser::ReadLog(log_);
        for (size_t i = 0; i < calls.size(); ++i)
            if (calls[i].method == method)
                return int(i);
        return -1;
    }

    static HWND frame_;
    std::wstring log_;
    HWND parent_ = nullptr;
};

HWND Container::frame_ = nullptr;

TEST_F(Container, HostsTheControlInPlaceAtTheRectangle)
{
    IDispatch *control = Create("Explorer1", 5, 30, 200, 100);
    ASSERT_TRUE(control);

    // The handed-out pointer is the control's default interface, the browser's.
    IWebBrowser2 *browser = nullptr;
    ASSERT_EQ(S_OK, control->QueryInterface(IID_IWebBrowser2, reinterpret_cast<void **>(&browser)));
    EXPECT_EQ(static_cast<IDispatch *>(browser), control);
    browser->Release();

    HWND site = GetWindow(parent_, GW_CHILD);
    ASSERT_TRUE(site);
    EXPECT_TRUE(IsWindowVisible(site));
    EXPECT_EQ("5,30,205,130", Text(RectIn(site, parent_)));
    HWND view = testbrowser::FindView(parent_);
    ASSERT_TRUE(view) << "the control made no window of its own";
    EXPECT_EQ(site, GetParent(view));
    EXPECT_EQ("0,0,200,100", Text(ClientOf(view)));

    char name[JA_NAME_SIZE] = "garbage";
    EXPECT_EQ(9, JAGetControlName(control, nullptr, name));
    EXPECT_STREQ("Explorer1", name);
    EXPECT_EQ(9, JAGetControlName(control, parent_, name));
    IUnknown *identity = nullptr;
    control->QueryInterface(IID_IUnknown, reinterpret_cast<void **>(&identity));
    EXPECT_EQ(9, JAGetControlName(reinterpret_cast<IDispatch *>(identity), nullptr, name)) << "by COM identity";
    identity->Release();
    HWND elsewhere = NewWindow(frame_, 100, 100);
    EXPECT_EQ(0, JAGetControlName(control, elsewhere, name));
    EXPECT_STREQ("", name);
    DestroyWindow(elsewhere);

    // The protocol a control expects: client site before initialisation
    // (it asks for that), ambient properties, activation in place.
    int siteSet = FirstIndexOf("SetClientSite"), initialised = FirstIndexOf("InitNew");
    EXPECT_GE(siteSet, 0);
    EXPECT_GT(initialised, siteSet);
    std::vector<testbrowser::Call> ambients = Calls("Ambients");
    ASSERT_EQ(1u, ambients.size());
    EXPECT_EQ((std::vector<std::wstring>{L"bool:-1", L"bstr:Explorer1"}), ambients[0].args);
    std::vector<testbrowser::Call> verbs = Calls("DoVerb");
    ASSERT_EQ(1u, verbs.size());
    EXPECT_EQ(L"i4:-5", verbs[0].args.at(0)) << "OLEIVERB_INPLACEACTIVATE";

    // The pointer's vtable is the browser's: slot 11 is Navigate.
    VARIANT missing;
    VariantInit(&missing);
    V_VT(&missing) = VT_ERROR;
    V_ERROR(&missing) = DISP_E_PARAMNOTFOUND;
    BSTR url = SysAllocString(L"file://C:/Help/index.htm");
    EXPECT_EQ(S_OK, reinterpret_cast<IWebBrowser2 *>(control)->Navigate(url, &missing, &missing, &missing, &missing));
    SysFreeString(url);
    std::vector<testbrowser::Call> navigations = Calls("Navigate");
    ASSERT_EQ(1u, navigations.size());
    EXPECT_EQ((std::vector<std::wstring>{L"bstr:file://C:/Help/index.htm", L"missing", L"missing", L"missing",
                                         L"missing"}),
              navigations[0].args);

    EXPECT_EQ(S_OK, JADeleteControl(control));
    EXPECT_FALSE(IsWindow(site));
    EXPECT_FALSE(IsWindow(view));
    EXPECT_EQ(0, TestControls().LiveObjects());
    std::vector<testbrowser::Call> destroyed = Calls("Destroyed");
    ASSERT_EQ(1u, destroyed.size());
    EXPECT_EQ((std::vector<std::wstring>{L"sinks:0", L"site:none", L"inplace:none", L"frame:none"}),
              destroyed[0].args);
}

TEST_F(Container, HiddenControlIsActivatedWhenItsSiteIsShown)
{
    IDispatch *control = Create("Hidden", 10, 10, 120, 80, 0);
    ASSERT_TRUE(control);
    HWND site = GetWindow(parent_, GW_CHILD);
    ASSERT_TRUE(site);
    EXPECT_FALSE(IsWindowVisible(site));
    EXPECT_FALSE(testbrowser::FindView(parent_));
    EXPECT_TRUE(Calls("InPlaceActivate").empty());

    SetWindowPos(site, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
    HWND view = testbrowser::FindView(parent_);
    ASSERT_TRUE(view);
    EXPECT_EQ("0,0,120,80", Text(ClientOf(view)));
    EXPECT_EQ(S_OK, JADeleteControl(control));

    // Asked to be visible inside a parent not yet shown: active at once.
    ShowWindow(parent_, SW_HIDE);
    control = Create("Early", 10, 10, 120, 80);
    EXPECT_TRUE(testbrowser::FindView(parent_));
    EXPECT_EQ(S_OK, JADeleteControl(control));
    EXPECT_EQ(0, TestControls().LiveObjects());
}

TEST_F(Container, ResizeStyleKeepsTheDistancesToTheReferenceEdges)
{
    IDispatch *grower = Create("Explorer1", 5, 30, 390, 265);
    IDispatch *corner = Create("Corner", 300, 250, 90, 40);
    ASSERT_TRUE(grower && corner);
    HWND growerSite = GetParent(testbrowser::FindView(parent_));
    HWND cornerSite = nullptr;
    for (HWND child = GetWindow(parent_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (child != growerSite)
            cornerSite = child;
    ASSERT_TRUE(growerSite && cornerSite);

    EXPECT_EQ(S_OK, JASetControlResizeStyle(grower, nullptr, JA_RESIZE_SIZE_X | JA_RESIZE_SIZE_Y));
    EXPECT_EQ(S_OK, JASetControlResizeStyle(corner, parent_, JA_RESIZE_MOVE_X | JA_RESIZE_MOVE_Y));
    SetSize(parent_, 600, 500);
    EXPECT_EQ("5,30,595,495", Text(RectIn(growerSite, parent_)));
    EXPECT_EQ("500,450,590,490", Text(RectIn(cornerSite, parent_)));
    // The control inside follows its site.
    HWND view = nullptr;
    for (HWND child = GetWindow(growerSite, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        view = child;
    ASSERT_TRUE(view);
    EXPECT_EQ("0,0,590,465", Text(ClientOf(view)));
    std::vector<testbrowser::Call> rects = Calls("SetObjectRects");
    ASSERT_FALSE(rects.empty());
    bool growerToldItsSize = false;
    for (const testbrowser::Call &call : rects)
        growerToldItsSize |= call.args.at(0) == L"rect:0,0,590,465";
    EXPECT_TRUE(growerToldItsSize);

    // Style 0 stops following; the other control still follows.
    EXPECT_EQ(S_OK, JASetControlResizeStyle(grower, nullptr, 0));
    SetSize(parent_, 400, 300);
    EXPECT_EQ("5,30,595,495", Text(RectIn(growerSite, parent_)));
    EXPECT_EQ("300,250,390,290", Text(RectIn(cornerSite, parent_)));

    EXPECT_EQ(E_INVALIDARG, JASetControlResizeStyle(grower, reinterpret_cast<HWND>(0x1234), JA_RESIZE_SIZE_X));
    EXPECT_EQ(S_OK, JADeleteControl(grower));
    EXPECT_EQ(S_OK, JADeleteControl(corner));
    SetSize(parent_, 500, 400); // the subclasses went with the controls
    EXPECT_EQ(0, TestControls().LiveObjects());
}

TEST_F(Container, ResizeStyleMeasuresAgainstAnotherWindowThanTheParent)
{
    HWND holder = NewWindow(parent_, 400, 300);
    IDispatch *control = Create("Explorer1", 5, 30, 390, 265, JA_CREATE_VISIBLE, holder);
    ASSERT_TRUE(control);
    HWND site = GetWindow(holder, GW_CHILD);
    EXPECT_EQ(S_OK, JASetControlResizeStyle(control, parent_, JA_RESIZE_SIZE_X | JA_RESIZE_SIZE_Y));
    SetSize(parent_, 600, 500); // the holder keeps its size
    EXPECT_EQ("5,30,595,495", Text(RectIn(site, holder)));
    EXPECT_EQ(S_OK, JADeleteControl(control));
}

TEST_F(Container, EventsReachTheCallbackWithTheirNameAndText)
{
    IDispatch *control = Create("Explorer1", 5, 30, 200, 100);
    ASSERT_TRUE(control);
    EventContext context;
    ASSERT_EQ(S_OK, JASubscribeEvents(control, RecordEvent, reinterpret_cast<LONG_PTR>(&context)));
    HWND view = testbrowser::FindView(parent_);
    ASSERT_TRUE(view);

    EXPECT_EQ(1, testbrowser::Fire(view, testbrowser::TitleChange, L"Index"));
    EXPECT_EQ(1, testbrowser::Fire(view, testbrowser::StatusTextChange, L"42"));
    EXPECT_EQ(1, testbrowser::Fire(view, testbrowser::NavigateComplete2, L"file://C:/Help/page.htm"));
    ASSERT_EQ(3u, context.seen.size());

    const SeenEvent &title = context.seen[0];
    EXPECT_EQ(0x71, title.dispid);
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(&context), title.user);
    EXPECT_EQ(GetCurrentThreadId(), title.thread);
    EXPECT_EQ("TitleChange", title.name);
    EXPECT_EQ(11, title.nameLength);
    EXPECT_EQ("Title", title.shortName) << "cut to the buffer";
    EXPECT_EQ(S_OK, title.textResult);
    EXPECT_EQ(VT_BSTR, title.textType);
    EXPECT_EQ(L"Index", title.text);
    EXPECT_EQ(S_OK, title.lowerCaseResult) << "parameter names ignore case";
    EXPECT_NE(S_OK, title.asNumberResult) << "\"Index\" is no number";
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, title.unknownResult);
    EXPECT_EQ(VT_EMPTY, title.unknownType);
    EXPECT_EQ(control, title.sender);
    EXPECT_EQ("Explorer1", title.senderName);

    const SeenEvent &status = context.seen[1];
    EXPECT_EQ(0x66, status.dispid);
    EXPECT_EQ("StatusTextChange", status.name);
    EXPECT_EQ(L"42", status.text);
    EXPECT_EQ(S_OK, status.asNumberResult);
    EXPECT_EQ(42, status.asNumber);

    // Two parameters, which arrive last first; the address by reference,
    // handed out as the value it refers to.
    const SeenEvent &navigated = context.seen[2];
    EXPECT_EQ("NavigateComplete2", navigated.name);
    EXPECT_EQ(VT_BSTR, navigated.urlType);
    EXPECT_EQ(L"file://C:/Help/page.htm", navigated.url);
    EXPECT_EQ(VT_DISPATCH, navigated.senderType);
    EXPECT_EQ(static_cast<IUnknown *>(control), navigated.senderParameter);
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, navigated.textResult) << "NavigateComplete2 has no \"Text\"";

    // A handle is good only during its callback.
    char buffer[JA_NAME_SIZE] = "garbage";
    EXPECT_EQ(0, JAGetEventName(title.event, buffer, JA_NAME_SIZE));
    EXPECT_STREQ("", buffer);
    EXPECT_EQ(nullptr, JAGetEventSenderDispatch(title.event));
    VARIANT value;
    VariantInit(&value);
    EXPECT_NE(S_OK, JAGetEventNamedParameterValue(title.event, "Text", &value, VT_EMPTY));
    EXPECT_EQ(VT_EMPTY, V_VT(&value));

    // A second subscription replaces the callback on the same connection;
    // NULL disconnects; subscribing again connects anew.
    int counted = 0;
    EXPECT_EQ(S_OK, JASubscribeEvents(control, CountEvent, reinterpret_cast<LONG_PTR>(&counted)));
    EXPECT_EQ(1, testbrowser::Fire(view, testbrowser::TitleChange, L"Again"));
    EXPECT_EQ(1, counted);
    EXPECT_EQ(3u, context.seen.size());
    EXPECT_EQ(1u, Calls("Advise").size());
    EXPECT_EQ(S_OK, JASubscribeEvents(control, nullptr, 0));
    EXPECT_EQ(0, testbrowser::Fire(view, testbrowser::TitleChange, L"Nobody"));
    EXPECT_EQ(1u, Calls("Unadvise").size());
    EXPECT_EQ(S_OK, JASubscribeEvents(control, CountEvent, reinterpret_cast<LONG_PTR>(&counted)));
    EXPECT_EQ(1, testbrowser::Fire(view, testbrowser::StatusTextChange, L"Back"));
    EXPECT_EQ(2, counted);

    EXPECT_EQ(S_OK, JADeleteControl(control));
    EXPECT_EQ(0, TestControls().LiveObjects());
}

TEST_F(Container, DeletingReleasesEveryReference)
{
    // One control UI-active (the frame holds it as the active object),
    // subscribed and following its parent; deleted the ordinary way.
    IDispatch *first = Create("First", 5, 5, 150, 100);
    ASSERT_TRUE(first);
    HWND firstView = testbrowser::FindView(parent_);
    ASSERT_TRUE(firstView);
    SetFocus(firstView);
    EXPECT_EQ(1u, Calls("UIActivate").size());
    int counted = 0;
    EXPECT_EQ(S_OK, JASubscribeEvents(first, CountEvent, reinterpret_cast<LONG_PTR>(&counted)));
    EXPECT_EQ(S_OK, JASetControlResizeStyle(first, nullptr, JA_RESIZE_SIZE_X));
    EXPECT_EQ(1, TestControls().LiveObjects());
    EXPECT_EQ(S_OK, JADeleteControl(first));
    EXPECT_EQ(0, TestControls().LiveObjects()) << TestControls().LiveReferences() << " references left";
    EXPECT_EQ(E_INVALIDARG, JADeleteControl(first)) << "deleted twice";

    // Another deleted by its subscriber from inside its own event.
    IDispatch *second = Create("Second", 5, 5, 150, 100);
    ASSERT_TRUE(second);
    EventContext context;
    context.deleteSender = true;
    EXPECT_EQ(S_OK, JASubscribeEvents(second, RecordEvent, reinterpret_cast<LONG_PTR>(&context)));
    EXPECT_EQ(S_OK, JASetControlResizeStyle(second, nullptr, JA_RESIZE_SIZE_X | JA_RESIZE_SIZE_Y));
    HWND secondView = testbrowser::FindView(parent_);
    ASSERT_TRUE(secondView);
    EXPECT_EQ(1, testbrowser::Fire(secondView, testbrowser::TitleChange, L"Last"));
    ASSERT_EQ(1u, context.seen.size());
    EXPECT_EQ(S_OK, context.seen[0].deleteResult);
    EXPECT_EQ(0, TestControls().LiveObjects()) << TestControls().LiveReferences() << " references left";
    EXPECT_FALSE(GetWindow(parent_, GW_CHILD)) << "the site window is left";
    SetSize(parent_, 420, 320);

    for (const testbrowser::Call &call : Calls("Destroyed"))
        EXPECT_EQ((std::vector<std::wstring>{L"sinks:0", L"site:none", L"inplace:none", L"frame:none"}), call.args)
            << "control " << call.control;
}

TEST_F(Container, ParentDestroyedFirstEndsTheHostingButNotThePointer)
{
    IDispatch *control = Create("Explorer1", 5, 30, 200, 100);
    ASSERT_TRUE(control);
    int counted = 0;
    EXPECT_EQ(S_OK, JASubscribeEvents(control, CountEvent, reinterpret_cast<LONG_PTR>(&counted)));
    DestroyWindow(parent_);
    parent_ = nullptr;
    EXPECT_EQ(1u, Calls("Close").size());
    EXPECT_EQ(1u, Calls("Unadvise").size());
    EXPECT_EQ(1, TestControls().LiveObjects()) << "the caller's pointer stays good until JADeleteControl";
    EXPECT_EQ(E_FAIL, reinterpret_cast<IWebBrowser2 *>(control)->GoBack());
    char name[JA_NAME_SIZE];
    EXPECT_EQ(9, JAGetControlName(control, nullptr, name));
    EXPECT_NE(S_OK, JASetControlResizeStyle(control, nullptr, JA_RESIZE_SIZE_X));
    EXPECT_EQ(S_OK, JADeleteControl(control));
    EXPECT_EQ(0, TestControls().LiveObjects());
}

TEST_F(Container, BadArgumentsFailCleanly)
{
    auto create = [&](HWND parent, const char *creation, IDispatch **out) {
        return JACreateControl(parent, "Bad", 0, 0, 50, 50, creation, JA_CREATE_VISIBLE, out, nullptr, 0);
    };
    IDispatch *control = reinterpret_cast<IDispatch *>(0x1);
    EXPECT_EQ(E_INVALIDARG, create(nullptr, testbrowser::CreationText, &control));
    EXPECT_EQ(nullptr, control);
    control = reinterpret_cast<IDispatch *>(0x1);
    EXPECT_EQ(E_INVALIDARG, create(reinterpret_cast<HWND>(0x1234), testbrowser::CreationText, &control));
    EXPECT_EQ(nullptr, control);
    EXPECT_EQ(E_POINTER, create(parent_, testbrowser::CreationText, nullptr));
    EXPECT_EQ(CO_E_CLASSSTRING, create(parent_, "ProgID:No.Such.Control", &control));
    EXPECT_EQ(CO_E_CLASSSTRING, create(parent_, "CLSID:{not a class", &control));
    EXPECT_EQ(REGDB_E_CLASSNOTREG, create(parent_, "CLSID:{00000000-1111-2222-3333-444444444444}", &control));
    EXPECT_EQ(E_INVALIDARG, create(parent_, "ProgID:", &control));
    EXPECT_EQ(E_INVALIDARG, create(parent_, "", &control));
    EXPECT_EQ(E_INVALIDARG, create(parent_, nullptr, &control));
    // A class that is no control: made, found wanting, released.
    EXPECT_EQ(E_NOINTERFACE, create(parent_, "CLSID:{0BE35203-8F91-11CE-9DE3-00AA004BB851}", &control));
    EXPECT_EQ(nullptr, control);
    EXPECT_FALSE(GetWindow(parent_, GW_CHILD)) << "a failed creation left its site window";
    EXPECT_EQ(0, TestControls().LiveObjects());

    // A name is kept to 255 characters.
    std::string longName(300, 'n');
    control = Create(longName.c_str(), 0, 0, 50, 50);
    ASSERT_TRUE(control);
    char name[JA_NAME_SIZE];
    EXPECT_EQ(255, JAGetControlName(control, nullptr, name));
    EXPECT_EQ(std::string(255, 'n'), name);
    EXPECT_EQ(0, JAGetControlName(control, nullptr, nullptr));

    IDispatch *unknown = reinterpret_cast<IDispatch *>(&longName); // never called into
    for (IDispatch *bad : {static_cast<IDispatch *>(nullptr), unknown}) {
        EXPECT_EQ(E_INVALIDARG, JASetControlResizeStyle(bad, nullptr, JA_RESIZE_SIZE_X));
        EXPECT_EQ(E_INVALIDARG, JASubscribeEvents(bad, CountEvent, 0));
        EXPECT_EQ(E_INVALIDARG, JADeleteControl(bad));
    }
    strcpy(name, "garbage");
    EXPECT_EQ(0, JAGetControlName(nullptr, nullptr, name));
    EXPECT_STREQ("", name);

    auto badEvent = reinterpret_cast<JAEVENT>(&longName);
    for (JAEVENT event : {JAEVENT(nullptr), badEvent}) {
        strcpy(name, "garbage");
        EXPECT_EQ(0, JAGetEventName(event, name, JA_NAME_SIZE));
        EXPECT_STREQ("", name);
        VARIANT value;
        VariantInit(&value);
        EXPECT_NE(S_OK, JAGetEventNamedParameterValue(event, "Text", &value, VT_EMPTY));
        EXPECT_EQ(VT_EMPTY, V_VT(&value));
        EXPECT_EQ(nullptr, JAGetEventSenderDispatch(event));
    }
    EXPECT_EQ(E_POINTER, JAGetEventNamedParameterValue(badEvent, "Text", nullptr, VT_EMPTY));
    EXPECT_EQ(0, JAGetEventName(badEvent, nullptr, 10));
    EXPECT_EQ(0, JAGetEventName(badEvent, name, 0));
    JAReleaseDispatch(nullptr);

    EXPECT_EQ(S_OK, JADeleteControl(control));
    EXPECT_EQ(0, TestControls().LiveObjects());
}

TEST_F(Container, BrowserProgIdIsLentOnlyWhileItsClaimantRuns)
{
    ASSERT_EQ(S_OK, TestControls().Register(testbrowser::AsWebBrowser));
    CLSID testClass = ClassOfProgId(testbrowser::ProgId);
    EXPECT_EQ(testClass, ClassOfProgId(L"Shell.Explorer.2"));
    IDispatch *control = nullptr;
    ASSERT_EQ(S_OK, JACreateControl(parent_, "Explorer1", 5, 30, 200, 100, JA_CREATE_PROGID "Shell.Explorer.2",
                                    JA_CREATE_VISIBLE, &control, nullptr, 0));
    EXPECT_TRUE(testbrowser::FindView(parent_)) << "the viewer's ProgID gives the test control";
    EXPECT_EQ(S_OK, JADeleteControl(control));
    EXPECT_EQ(S_OK, TestControls().Unregister());
    if (OtherClaims() == 0) {
        EXPECT_EQ(CLSID_WebBrowser, ClassOfProgId(L"Shell.Explorer.2")) << "given back";
    }

    // A claimant that ends without giving the ProgID back loses it at the
    // next registration anyone makes.
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    SetEnvironmentVariableW(ClaimAndExit, L"1");
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    BOOL started = CreateProcessW(self, nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process);
    SetEnvironmentVariableW(ClaimAndExit, nullptr);
    ASSERT_TRUE(started);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.hProcess, 20000));
    DWORD exitCode = 1;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    EXPECT_EQ(0u, exitCode);
    EXPECT_EQ(testClass, ClassOfProgId(L"Shell.Explorer.2")) << "taken by the child";
    ASSERT_EQ(S_OK, TestControls().Register());
    if (OtherClaims() == 0) {
        EXPECT_EQ(CLSID_WebBrowser, ClassOfProgId(L"Shell.Explorer.2")) << "the ended child's claim was dropped";
    }

    // Under Wine only ever into a prefix of the build tree that holds the
    // control (on Windows it registers for the current user alone).
    if (machineguard::UnderWine()) {
        wchar_t prefix[1024] = {};
        GetEnvironmentVariableW(L"WINEPREFIX", prefix, 1024);
        SetEnvironmentVariableW(L"WINEPREFIX", L"/tmp/elsewhere/wineprefix");
        EXPECT_EQ(E_ACCESSDENIED, TestControls().Register(testbrowser::AsWebBrowser));
        SetEnvironmentVariableW(L"WINEPREFIX", nullptr);
        EXPECT_EQ(E_ACCESSDENIED, TestControls().Register(testbrowser::AsWebBrowser));
        SetEnvironmentVariableW(L"WINEPREFIX", prefix);
        EXPECT_EQ(S_OK, TestControls().Register());
    }
}

// The platform's browser control cannot render here, but it must come and go
// through the container without waiting on anything.
TEST_F(Container, PlatformBrowserIsHostedWithoutWaiting)
{
    IDispatch *control = nullptr;
    DWORD start = GetTickCount();
    HRESULT hr = JACreateControl(parent_, "Explorer1", 5, 30, 300, 200, "CLSID:{8856F961-340A-11D0-A96B-00C04FD705A2}",
                                 JA_CREATE_VISIBLE, &control, nullptr, 0);
    ASSERT_EQ(S_OK, hr) << std::hex << hr;
    ASSERT_TRUE(control);
    HWND site = GetWindow(parent_, GW_CHILD);
    ASSERT_TRUE(site);
    EXPECT_TRUE(GetWindow(site, GW_CHILD)) << "the browser made no window in its site";

    IWebBrowser2 *browser = nullptr;
    ASSERT_EQ(S_OK, control->QueryInterface(IID_IWebBrowser2, reinterpret_cast<void **>(&browser)));
    EXPECT_EQ(static_cast<IDispatch *>(browser), control);
    browser->Release();

    int counted = 0;
    EXPECT_EQ(S_OK, JASubscribeEvents(control, CountEvent, reinterpret_cast<LONG_PTR>(&counted)))
        << "connecting to the browser's events through its own type information";
    EXPECT_EQ(S_OK, JASetControlResizeStyle(control, nullptr, JA_RESIZE_SIZE_X | JA_RESIZE_SIZE_Y));
    BSTR url = SysAllocString(L"about:blank");
    EXPECT_EQ(S_OK, reinterpret_cast<IWebBrowser2 *>(control)->Navigate(url, nullptr, nullptr, nullptr, nullptr));
    SysFreeString(url);
    Pump(200);
    SetSize(parent_, 500, 400);
    EXPECT_EQ("5,30,405,330", Text(RectIn(site, parent_)));
    EXPECT_EQ(S_OK, JADeleteControl(control));
    EXPECT_FALSE(IsWindow(site));
    EXPECT_LT(GetTickCount() - start, 20000u);
}

} // namespace
