/*
 * A host program in plain C, as an application developer writes one: the
 * full platform headers, the public headers, the import libraries, and a
 * few calls into audiolink.dll and foldertree.dll. Prints each failed check
 * and exits non-zero.
 */
#undef WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include <audiolink.h>
#include <foldertree.h>
#include <helpview.h>

static int failures = 0;

#define CHECK(condition)                                                        \
    do {                                                                        \
        if (!(condition)) {                                                     \
            printf("%s:%d: failed: %s\n", __FILE__, __LINE__, #condition);       \
            ++failures;                                                         \
        }                                                                       \
    } while (0)

/* Compares a byte string result with a text and frees it. */
static int TakeEquals(BSTR result, const char *wanted)
{
    UINT length = SysStringByteLen(result);
    int same = length == strlen(wanted) && memcmp(result ? (const char *)result : "", wanted, length) == 0;
    if (!same)
        printf("  got \"%.*s\", wanted \"%s\"\n", (int)length, result ? (const char *)result : "", wanted);
    SysFreeString(result);
    return same;
}

static BSTR ByteString(const char *text)
{
    return SysAllocStringByteLen(text, (UINT)strlen(text));
}

static void AudioLinkCalls(void)
{
    char folder[MAX_PATH];
    BSTR version;
    DWORD attributes;

    CHECK(TakeEquals(BASSSTRINGFROMPTR("  padded text  "), "padded text"));
    CHECK(TakeEquals(BASSSTRINGFROMPTR(NULL), ""));
    CHECK(TakeEquals(BASSERRORDESCRIPTION(2), "Can't Open the File."));
    CHECK(TakeEquals(BASSERRORDESCRIPTION(11), ""));

    /* The version text is there exactly when the audio library is. */
    version = BASSGETVERSION();
    CHECK((SysStringByteLen(version) > 0) == (BASSAVAILABLE() != 0));
    SysFreeString(version);

    CHECK(BASSMEDIATYPE() == MEDIAKIND_NONE);
    CHECK(BASSFXCHANNEL(FXSLOT_ROTATE) == 0);
    CHECK(BASSFXCHANNEL(99) == 0);

    /* The folder argument is taken over; the folder comes back created. */
    GetTempPathA(sizeof folder, folder);
    strcat(folder, "host_c_downloads");
    RemoveDirectoryA(folder);
    BASSSETDOWNLOADPATH(ByteString(folder));
    CHECK(TakeEquals(BASSGETDOWNLOADPATH(), folder));
    attributes = GetFileAttributesA(folder);
    CHECK(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY));
    RemoveDirectoryA(folder);
}

static int createdNotices = 0;

static LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND && LOWORD(wParam) == 7 && HIWORD(wParam) == BFFN_CREATED)
        ++createdNotices;
    return DefWindowProcA(window, message, wParam, lParam);
}

static void FolderTreeCalls(void)
{
    WNDCLASSA windowClass;
    HWND parent, control, tree;
    HTREEITEM root;
    char folder[MAX_PATH], inside[MAX_PATH], program[MAX_PATH], copied[MAX_PATH];
    LRESULT length, count;
    BSTR path;
    MSG message;

    CHECK(TakeEquals(Bff_Version(), "1.0"));
    CHECK(TakeEquals(LTRIM("xxabcxx", "x"), "abcxx"));
    CHECK(TakeEquals(RTRIM("xxabcxx", "xa"), "xxabc"));
    GetModuleFileNameA(NULL, program, sizeof program);
    CHECK(Bff_FileExist(program) == -1);
    CHECK(Bff_FileExist("C:\\no such folder\\no such file") == 0);
    CHECK(TarnInstance() == GetModuleHandleA(NULL));

    memset(&windowClass, 0, sizeof windowClass);
    windowClass.lpfnWndProc = ParentProc;
    windowClass.hInstance = GetModuleHandleA(NULL);
    windowClass.lpszClassName = "HostCParent";
    RegisterClassA(&windowClass);
    parent = CreateWindowExA(0, "HostCParent", "host", WS_OVERLAPPEDWINDOW, 0, 0, 320, 400, NULL, NULL,
                             GetModuleHandleA(NULL), NULL);
    CHECK(parent != NULL);
    control = TarnBrowser(0, "", WS_CHILD | WS_VISIBLE, 0, 0, 300, 360, parent, 7);
    CHECK(control != NULL);
    if (!control)
        return;
    while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE))
        DispatchMessageA(&message);
    CHECK(createdNotices == 1);

    Bff_SetProperty(control, BFFP_SELBKCOLOR, RGB(10, 20, 30));
    CHECK(Bff_GetProperty(control, BFFP_SELBKCOLOR) == RGB(10, 20, 30));
    CHECK(Bff_GetProperty(control, BFFP_LAST + 1) == 0);

    /* A folder of our own at the root; selecting the root makes its path
       the control's path. */
    GetTempPathA(sizeof folder, folder);
    strcat(folder, "host_c_tree");
    strcpy(inside, folder);
    strcat(inside, "\\inner");
    CreateDirectoryA(folder, NULL);
    CreateDirectoryA(inside, NULL);
    root = (HTREEITEM)SendMessageA(control, BFFM_SETROOTPATH, strlen(folder), (LPARAM)folder);
    CHECK(root != NULL);
    tree = GetDlgItem(control, 7);
    SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, (LPARAM)root);
    path = Bff_GetPath(tree);
    length = SendMessageA(control, BFFM_GETPATHLEN, 0, 0);
    CHECK(length == (LRESULT)SysStringByteLen(path));
    CHECK(length > 0 && _strnicmp((const char *)path, folder, strlen(folder)) == 0);
    memset(copied, 0, sizeof copied);
    count = SendMessageA(control, BFFM_GETPATH, 3, (LPARAM)copied);
    CHECK(count == 3 && copied[3] == 0 && memcmp(copied, path, 3) == 0);
    SysFreeString(path);
    CHECK(SendMessageA(control, BFFM_CLEAR, 0, 0) == 1);
    CHECK(SendMessageA(control, BFFM_GETPATHLEN, 0, 0) == 0);

    DestroyWindow(parent);
    RemoveDirectoryA(inside);
    RemoveDirectoryA(folder);
}

int main(void)
{
    AudioLinkCalls();
    FolderTreeCalls();
    /* The helpers of helpview.h compile in C; a viewer window is not ours. */
    CHECK(HelpViewSendTo(NULL, HELPVIEW_NAVIGATE, "x", 1) == HELPVIEW_NO_VIEWER);
    if (failures)
        printf("%d check(s) failed\n", failures);
    else
        printf("host in C: every check passed\n");
    return failures ? 1 : 0;
}
