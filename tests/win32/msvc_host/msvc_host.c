/*
 * A host built with the platform's own compiler and linker (MSVC-style:
 * clang-cl and lld-link here), compiled once as C and once as C++ against
 * the public headers as they ship, and linked against the shipped .lib
 * files alone, with /SAFESEH on at 32 bits. Each check goes through a
 * header's declaration to its export and looks at what came back, so a
 * name, a decoration, a calling convention or an argument that does not
 * reach the module fails here.
 *
 * There is no C runtime in this link (the test machine has no Visual C++
 * libraries): the program starts at HostMain, prints with the system's
 * wvsprintfA and takes the string functions from the system's msvcrt.dll.
 */
#include <windows.h>
#include <oleauto.h>
#include <string.h>

#include <audiolink.h>
#include <foldertree.h>
#include <helpview.h>

static int failures = 0;

static void Say(const char *format, ...)
{
    char line[1024];
    DWORD written = 0;
    va_list arguments;
    va_start(arguments, format);
    wvsprintfA(line, format, arguments);
    va_end(arguments);
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), line, (DWORD)strlen(line), &written, NULL);
}

#define CHECK(condition)                                                \
    do {                                                                \
        if (!(condition)) {                                             \
            Say("msvc_host.c:%d: failed: %s\r\n", __LINE__, #condition); \
            ++failures;                                                 \
        }                                                               \
    } while (0)

/* Compares a byte string result with a text, ignoring case when asked, and
   frees it. */
static int TakeEquals(BSTR result, const char *wanted, int ignoreCase)
{
    char text[MAX_PATH + 1];
    UINT length = SysStringByteLen(result);
    int same = 0;
    if (length < sizeof text) {
        memcpy(text, result ? (const char *)result : "", length);
        text[length] = 0;
        same = (ignoreCase ? lstrcmpiA(text, wanted) : strcmp(text, wanted)) == 0;
    }
    if (!same)
        Say("  got \"%s\" (%u bytes), wanted \"%s\"\r\n", length < sizeof text ? text : "", length, wanted);
    SysFreeString(result);
    return same;
}

/* What the host's own windows were sent by WM_COPYDATA. */
static ULONG_PTR copiedCode = 0;
static char copiedText[64];
static DWORD copiedLength = 0;
static WPARAM copiedWParam = 0;

static LRESULT CALLBACK ReceiverProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COPYDATA) {
        const COPYDATASTRUCT *data = (const COPYDATASTRUCT *)lParam;
        copiedCode = data->dwData;
        copiedWParam = wParam;
        copiedLength = data->cbData;
        memset(copiedText, 0, sizeof copiedText);
        if (data->cbData < sizeof copiedText && data->lpData)
            memcpy(copiedText, data->lpData, data->cbData);
        return 1;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

static HWND NewWindow(const char *className)
{
    WNDCLASSA windowClass;
    memset(&windowClass, 0, sizeof windowClass);
    windowClass.lpfnWndProc = ReceiverProcedure;
    windowClass.hInstance = GetModuleHandleA(NULL);
    windowClass.lpszClassName = className;
    RegisterClassA(&windowClass);
    return CreateWindowExA(0, className, "msvc host", WS_OVERLAPPEDWINDOW, 0, 0, 400, 500, NULL, NULL,
                           GetModuleHandleA(NULL), NULL);
}

static void AudioLinkCalls(void)
{
    BSTR version;
    CHECK(TakeEquals(BASSSTRINGFROMPTR("  padded text  "), "padded text", 0));
    CHECK(TakeEquals(BASSERRORDESCRIPTION(2), "Can't Open the File.", 0));
    version = BASSGETVERSION();
    CHECK((SysStringByteLen(version) > 0) == (BASSAVAILABLE() != 0));
    SysFreeString(version);
    CHECK(BASSMEDIATYPE() == MEDIAKIND_NONE);
}

static void FolderTreeCalls(HWND host)
{
    char windows[MAX_PATH];
    HWND control;
    HWND tree;
    UINT length = GetWindowsDirectoryA(windows, MAX_PATH);
    CHECK(length > 0 && length < MAX_PATH);

    /* Nine arguments in, and the folder comes back through the tree. */
    control = TarnBrowser(0, windows, WS_CHILD | WS_VISIBLE, 0, 0, 380, 460, host, 77);
    CHECK(control != NULL);
    tree = GetDlgItem(control, 77);
    CHECK(tree != NULL);
    CHECK(TakeEquals(Bff_GetPath(tree), windows, 1));
    Bff_SetProperty(control, BFFP_USER1, 12345);
    CHECK(Bff_GetProperty(control, BFFP_USER1) == 12345);
    CHECK(TakeEquals(RTRIM("folder\\\\", "\\"), "folder", 0));

    copiedCode = 0;
    CHECK(Bff_SendPrivateMsg(host, 42, "sent") == 1);
    CHECK(copiedCode == 42 && copiedLength == 4 && copiedWParam == 4 && strcmp(copiedText, "sent") == 0);
    DestroyWindow(control);
}

static void ViewerCommandCalls(void)
{
    /* A window of the viewer's class stands for a running viewer. */
    HWND viewer = NewWindow(HELPVIEW_CLASS);
    CHECK(viewer != NULL);
    CHECK(HelpViewFind() == viewer);
    CHECK(HelpViewNavigate("file://C:/help/index.htm") == HELPVIEW_SENT);
    CHECK(copiedCode == HELPVIEW_NAVIGATE && copiedLength == 24 && copiedWParam == 24 &&
          strcmp(copiedText, "file://C:/help/index.htm") == 0);
    CHECK(HelpViewSendTo(viewer, HELPVIEW_CLOSE, NULL, 0) == HELPVIEW_SENT);
    CHECK(copiedCode == HELPVIEW_CLOSE && copiedLength == 0);
    DestroyWindow(viewer);
    CHECK(HelpViewSendTo(viewer, HELPVIEW_CLOSE, NULL, 0) == HELPVIEW_NO_VIEWER);
}

#ifdef __cplusplus
extern "C"
#endif
    int __stdcall HostMain(void)
{
    HWND host;
    OleInitialize(NULL);
    host = NewWindow("MsvcHostWindow");
    CHECK(host != NULL);
    AudioLinkCalls();
    FolderTreeCalls(host);
    ViewerCommandCalls();
    DestroyWindow(host);
    OleUninitialize();
    Say("%s host (%d-bit): %d failed\r\n",
#ifdef __cplusplus
           "C++",
#else
           "C",
#endif
           (int)(sizeof(void *) * 8), failures);
    ExitProcess(failures == 0 ? 0 : 1);
}
