// A host program in C++: the full platform headers, the audio library's
// declarations and a callback type named DOWNLOADPROC (as the audio library's
// own header names one) beside the public headers, linked against the import
// libraries. Prints each failed check and exits non-zero.
#undef WIN32_LEAN_AND_MEAN
#include <windows.h>

// The audio library's header declares its download callback type under this
// name; our header must not collide with it.
typedef void(CALLBACK DOWNLOADPROC)(const void *buffer, DWORD length, void *user);

#include "bass.h"

#include <audiolink.h>
#include <foldertree.h>
#include <helpview.h>

#include <cstdio>
#include <memory>
#include <string>

namespace {

int failures = 0;

#define CHECK(condition)                                                                   \
    do {                                                                                   \
        if (!(condition)) {                                                                \
            std::printf("%s:%d: failed: %s\n", __FILE__, __LINE__, #condition);            \
            ++failures;                                                                    \
        }                                                                                  \
    } while (0)

// A byte string result, freed when it goes.
struct ByteString {
    explicit ByteString(BSTR text) : text_(text) {}
    ~ByteString() { SysFreeString(text_); }
    ByteString(const ByteString &) = delete;
    ByteString &operator=(const ByteString &) = delete;
    std::string Text() const
    {
        return text_ ? std::string(reinterpret_cast<const char *>(text_), SysStringByteLen(text_)) : std::string();
    }

private:
    BSTR text_;
};

// What a window received by WM_COPYDATA.
struct CopyData {
    WPARAM wParam = 0;
    ULONG_PTR code = 0;
    std::string bytes;
    int count = 0;
};
CopyData received;

LRESULT CALLBACK ReceiverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COPYDATA) {
        const auto *data = reinterpret_cast<const COPYDATASTRUCT *>(lParam);
        received.wParam = wParam;
        received.code = data->dwData;
        received.bytes.assign(static_cast<const char *>(data->lpData), data->cbData);
        ++received.count;
        return 1;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void AudioLinkCalls()
{
    CHECK(ByteString(BASSSTRINGFROMPTR(" trimmed ")).Text() == "trimmed");
    CHECK(ByteString(BASSERRORDESCRIPTION(BASS_ERROR_HANDLE)).Text() == "Invalid Handle.");
    // The export that collides with the callback type, by its address.
    FARPROC byName = GetProcAddress(GetModuleHandleA("audiolink.dll"), AUDIOLINK_DOWNLOADPROC_NAME);
    CHECK(byName != nullptr);
    CHECK(reinterpret_cast<void *>(AudioLinkDownloadProc()) == reinterpret_cast<void *>(byName));
    // The name argument is taken over whatever the answer.
    BASSOPEN(nullptr, SysAllocStringByteLen("nodot", 5));
    CHECK(BASSHANDLEINUSE() == 0);
    CHECK(BASSCLOSECHANNEL(0) == 0);
    CHECK(BASSFXWINDOW(nullptr, 0) == nullptr);
}

void FolderTreeCalls()
{
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = ReceiverProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "HostCppReceiver";
    RegisterClassA(&windowClass);
    HWND receiver = CreateWindowExA(0, "HostCppReceiver", "", WS_OVERLAPPEDWINDOW, 0, 0, 300, 300, nullptr,
                                    nullptr, GetModuleHandleA(nullptr), nullptr);
    CHECK(receiver != nullptr);

    // Bff_SendPrivateMsg and the viewer helper send the same message form.
    CHECK(Bff_SendPrivateMsg(receiver, HELPVIEW_NAVIGATE, "file://C:/Help/index.htm") == 1);
    CHECK(received.wParam == 24 && received.code == HELPVIEW_NAVIGATE);
    CHECK(received.bytes == "file://C:/Help/index.htm");
    CHECK(HelpViewSendTo(receiver, HELPVIEW_CLOSE, nullptr, 0) == HELPVIEW_SENT);
    CHECK(received.count == 2 && received.wParam == 0 && received.code == HELPVIEW_CLOSE && received.bytes.empty());

    // A control made with CreateWindowEx and the class name, as a dialog
    // template would.
    CHECK(RegisterBFFClass() != 0);
    HWND control = CreateWindowExA(0, TARNBFF_CLASS, "", WS_CHILD | WS_VISIBLE, 0, 0, 250, 250, receiver,
                                   reinterpret_cast<HMENU>(9), TarnInstance(), nullptr);
    CHECK(control != nullptr);
    HWND tree = GetDlgItem(control, 9);
    CHECK(tree != nullptr);
    char className[32] = {};
    GetClassNameA(tree, className, sizeof className);
    CHECK(std::string(className) == WC_TREEVIEWA);
    // The drive list: an item per drive, nothing selected.
    SendMessageA(control, BFFM_SETROOTFOLDER, static_cast<WPARAM>(-1), 0);
    CHECK(SendMessageA(tree, TVM_GETCOUNT, 0, 0) > 0);
    CHECK(SendMessageA(control, BFFM_EXPANDROOT, 1, 0) == 1);
    CHECK(ByteString(Bff_GetPath(tree)).Text().empty());
    CHECK(SendMessageA(control, BFFM_SETBKCOLOR, 0, RGB(1, 2, 3)) != static_cast<LRESULT>(RGB(1, 2, 3)));
    CHECK(SendMessageA(control, BFFM_SETBKCOLOR, 0, RGB(4, 5, 6)) == static_cast<LRESULT>(RGB(1, 2, 3)));
    BffDropPair pair{};
    CHECK(pair.dragged == nullptr && pair.target == nullptr);
    DestroyWindow(receiver);
}

// A text of a module's version resource, as installers read it.
std::string VersionText(const std::string &file, const char *name)
{
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(file.c_str(), &ignored);
    if (!size)
        return "(no version resource)";
    std::unique_ptr<char[]> block(new char[size]);
    if (!GetFileVersionInfoA(file.c_str(), 0, size, block.get()))
        return "(unreadable)";
    std::string key = std::string("\\StringFileInfo\\040904E4\\") + name;
    char *text = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.get(), key.c_str(), reinterpret_cast<void **>(&text), &length) || !text)
        return "(none)";
    return text;
}

// The file version of a module's fixed version information, as major.minor.patch.
std::string FixedVersion(const std::string &file)
{
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(file.c_str(), &ignored);
    std::unique_ptr<char[]> block(new char[size ? size : 1]);
    VS_FIXEDFILEINFO *fixed = nullptr;
    UINT length = 0;
    if (!size || !GetFileVersionInfoA(file.c_str(), 0, size, block.get()) ||
        !VerQueryValueA(block.get(), "\\", reinterpret_cast<void **>(&fixed), &length) || !fixed)
        return "(none)";
    return std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." + std::to_string(LOWORD(fixed->dwFileVersionMS)) +
           "." + std::to_string(HIWORD(fixed->dwFileVersionLS));
}

void VersionResources()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(GetModuleHandleA("audiolink.dll"), path, MAX_PATH);
    std::string folder(path);
    folder.resize(folder.find_last_of("\\/") + 1);
    for (const char *module : {"audiolink.dll", "foldertree.dll", "helpview.exe", "helpview-send.exe"}) {
        std::string file = folder + module;
        CHECK(VersionText(file, "OriginalFilename") == module);
        CHECK(VersionText(file, "FileVersion") == VersionText(file, "ProductVersion"));
        CHECK(VersionText(file, "FileVersion").find('.') != std::string::npos);
        CHECK(VersionText(file, "LegalCopyright").compare(0, 14, "Copyright (C) ") == 0);
        CHECK(!VersionText(file, "FileDescription").empty());
        // The headers' version is the modules'.
        CHECK(FixedVersion(file) == TARN_SUPPORT_VERSION_TEXT);
        CHECK(VersionText(file, "FileVersion").compare(0, sizeof TARN_SUPPORT_VERSION_TEXT - 1,
                                                       TARN_SUPPORT_VERSION_TEXT) == 0);
    }
    static_assert(TARN_SUPPORT_VERSION == TARN_SUPPORT_VERSION_MAJOR * 10000 + TARN_SUPPORT_VERSION_MINOR * 100 +
                                              TARN_SUPPORT_VERSION_PATCH,
                  "one number to compare");
}

} // namespace

int main()
{
    AudioLinkCalls();
    FolderTreeCalls();
    VersionResources();
    if (failures)
        std::printf("%d check(s) failed\n", failures);
    else
        std::printf("host in C++: every check passed\n");
    return failures ? 1 : 0;
}
