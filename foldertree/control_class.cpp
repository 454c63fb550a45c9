// The TARNBFF class, its instances and properties, and the creation of the
// tree child that does the control's work.
#include "folder_tree.h"

#include <cstring>
#include <string>

#include "byte_string.h"
#include "foldertree.h"
#include "text_trim.h"

namespace foldertree {

HWND TreeWindow = nullptr;

namespace {

constexpr int kPropertyCount = 10;
constexpr char kTreeClassName[] = "SysTreeView32";

// Property 2, the text and line colour, cannot be white: the tree's
// background is white.
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kNearWhite = RGB(250, 250, 250);

bool IsPropertyNumber(int number)
{
    return number >= 1 && number <= kPropertyCount;
}

int PropertyOffset(int number)
{
    return (number - 1) * 4;
}

// The folder the system image list is asked about: the Windows directory, or
// the current directory when that is blank, in its short form when it has one.
std::string IconSourceDirectory()
{
    char directory[261] = {};
    GetWindowsDirectoryA(directory, sizeof directory);
    if (foldertree::TrimSpaces(directory).empty())
        GetCurrentDirectoryA(sizeof directory, directory);
    char shortForm[261] = {};
    if (GetShortPathNameA(directory, shortForm, sizeof shortForm) > 0 && shortForm[0])
        return shortForm;
    return directory;
}

} // namespace

BffTreeData *TreeData(HWND tree)
{
    if (!tree)
        return nullptr;
    return static_cast<BffTreeData *>(GetPropA(tree, kTreeDataProperty));
}

HINSTANCE ControlInstance()
{
    // The class belongs to the executable, not to this library, so that
    // applications create controls with their own instance handle.
    return GetModuleHandleA(nullptr);
}

int RegisterBffClass()
{
    WNDCLASSEXA existing{};
    existing.cbSize = sizeof existing;
    if (BOOL found = GetClassInfoExA(ControlInstance(), kControlClassName, &existing))
        return found;

    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    windowClass.lpfnWndProc = ControlWindowProc;
    windowClass.cbWndExtra = kPropertyCount * 4;
    windowClass.hInstance = ControlInstance();
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kControlClassName;
    return RegisterClassExA(&windowClass) ? 1 : 0;
}

BOOL WINAPI DLLMAIN(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    if (reason == DLL_PROCESS_ATTACH)
        RegisterBffClass();
    else if (reason == DLL_PROCESS_DETACH)
        UnregisterClassA(kControlClassName, ControlInstance());
    return TRUE;
}

void ReleaseModuleObjects()
{
    FreeCursorImages();
    DesktopSnapshot(2);
    FreeScaledFonts();
}

HWND CreateTarnBrowser(DWORD exStyle, const char *startPath, DWORD style, int x, int y, int width, int height,
                       HWND parent, int id)
{
    if (!RegisterBffClass())
        return nullptr;
    style |= WS_TABSTOP | WS_CLIPCHILDREN;
    HWND control = CreateWindowExA(exStyle, kControlClassName, "", style, x, y, width, height, parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ControlInstance(), nullptr);
    if (!control)
        return nullptr;
    // A start path too long for the buffer is not selected: cut short, it
    // could name another folder.
    if (startPath && startPath[0] && strnlen(startPath, 260) < 260) {
        char buffer[260] = {};
        strncpy(buffer, startPath, sizeof buffer - 1);
        SendMessageA(control, BFFM_SELECTPATH, sizeof buffer, reinterpret_cast<LPARAM>(buffer));
    }
    return control;
}

HWND CreateFolderTree(DWORD exStyle, HWND parent, DWORD style, int x, int y, int width, int height, int id,
                      int expand)
{
    if (!parent || !id)
        return nullptr;
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_TREEVIEW_CLASSES};
    InitCommonControlsEx(&classes);

    style |= WS_CHILD | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT;
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(parent, GWLP_HINSTANCE));
    HWND tree = CreateWindowExA(exStyle, kTreeClassName, "", style, x, y, width, height, parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    if (!tree)
        return nullptr;

    // The font for the DPI of the control's window: the stock font at 96.
    UINT dpi = WindowDpi(parent);
    SendMessageA(tree, WM_SETFONT, reinterpret_cast<WPARAM>(DefaultFontForDpi(dpi)), 0);
    COLORREF ink = static_cast<COLORREF>(GetWindowLongA(parent, PropertyOffset(2)));
    if (ink == kWhite)
        ink = kNearWhite;
    SendMessageA(tree, TVM_SETBKCOLOR, 0, kWhite);
    SendMessageA(tree, TVM_SETTEXTCOLOR, 0, ink);
    SendMessageA(tree, TVM_SETLINECOLOR, 0, ink);

    auto *data = static_cast<BffTreeData *>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(BffTreeData)));
    if (!data)
        return tree;
    data->OldTreeProc = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(tree, GWLP_WNDPROC));

    SHFILEINFOA info{};
    std::string iconSource = IconSourceDirectory();
    data->SystemImages = reinterpret_cast<HIMAGELIST>(
        SHGetFileInfoA(iconSource.c_str(), 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
    if (data->SystemImages) {
        ImageList_SetBkColor(data->SystemImages, CLR_NONE);
        SendMessageA(tree, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(data->SystemImages));
    }

    // The subclass procedure relies on the record, so it is installed only
    // once the record is attached.
    if (!SetPropA(tree, kTreeDataProperty, data)) {
        HeapFree(GetProcessHeap(), 0, data);
        return tree;
    }
    SetTreeDpi(tree, dpi);
    SetWindowLongPtrA(tree, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(TreeSubclassProc));

    FillFolderTree(tree, "", 0, expand);
    return tree;
}

int ClearFolderTree(HWND tree)
{
    BffTreeData *data = TreeData(tree);
    if (!data)
        return 0;
    // Each item's record is freed by the deletion notification.
    SendMessageA(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    data->RootItem = nullptr;
    data->NamespaceMode = 0;
    return 0;
}

} // namespace foldertree

// The entry point the C runtime calls once it has started.
// --- exports -------------------------------------------------------------------

// The entry routine, exported as well: the runtime's DllMain below calls it,
// so a host that calls it again gets exactly what the loader got.
extern "C" BOOL WINAPI DLLMAIN(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    try {
        return foldertree::DLLMAIN(instance, reason, reserved);
    } catch (...) {
        return TRUE;
    }
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    if (reason == DLL_PROCESS_ATTACH)
        DisableThreadLibraryCalls(instance);
    BOOL result = DLLMAIN(instance, reason, reserved);
    // Only when the host frees the module: at process exit nothing is kept.
    if (reason == DLL_PROCESS_DETACH && !reserved)
        foldertree::ReleaseModuleObjects();
    return result;
}

extern "C" int WINAPI RegisterBFFClass(void)
{
    try {
        return foldertree::RegisterBffClass();
    } catch (...) {
        return 0;
    }
}

extern "C" HINSTANCE WINAPI TarnInstance(void)
{
    return foldertree::ControlInstance();
}

extern "C" BSTR WINAPI Bff_Version(void)
{
    return foldertree::MakeByteString("1.0");
}

extern "C" HWND WINAPI TarnBrowser(DWORD exStyle, const char *startPath, DWORD style, int x, int y, int width,
                                   int height, HWND parent, int id)
{
    try {
        return foldertree::CreateTarnBrowser(exStyle, startPath, style, x, y, width, height, parent, id);
    } catch (...) {
        return nullptr;
    }
}

extern "C" int WINAPI Bff_GetProperty(HWND control, int number)
{
    if (!foldertree::IsPropertyNumber(number) || !IsWindow(control))
        return 0;
    return GetWindowLongA(control, foldertree::PropertyOffset(number));
}

extern "C" void WINAPI Bff_SetProperty(HWND control, int number, int value)
{
    if (foldertree::IsPropertyNumber(number) && IsWindow(control))
        SetWindowLongA(control, foldertree::PropertyOffset(number), value);
}
