// The test browser control as a test sees it: a COM control that stands in
// for the platform's browser control, records every call it receives, and
// fires TitleChange, StatusTextChange and NavigateComplete2 when told to. How to use it is in
// outside/jaocx20/README.md.
//
//   #include "testbrowser/test_browser.h"
#pragma once
#include <windows.h>
#include <oleauto.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace testbrowser {

constexpr wchar_t ProgId[] = L"TestBrowser.Control";
constexpr char CreationText[] = "ProgID:TestBrowser.Control"; // for JACreateControl
constexpr wchar_t ViewClass[] = L"TestBrowserView";           // the control's window
constexpr wchar_t LogVariable[] = L"TESTBROWSER_LOG";
constexpr DWORD AsWebBrowser = 1; // Register: also answer to "Shell.Explorer.2"
constexpr DISPID TitleChange = 0x71;
constexpr DISPID StatusTextChange = 0x66;
constexpr DISPID NavigateComplete2 = 0xFC; // pDisp: the control; URL: the text, by reference

// One recorded call. args are texts: "bstr:<text>" for a string, "i4:<n>"
// for a number, "missing" (VT_ERROR with DISP_E_PARAMNOTFOUND), "empty",
// "null" (no VARIANT at all), "ref:<arg>" for VT_BYREF|VT_VARIANT, "i2:",
// "bool:", "r8:" ... for other VARIANTs, "{GUID}", "rect:l,t,r,b".
struct Call {
    DWORD process = 0;
    unsigned control = 0; // numbered from 1 in each process, in order of creation
    std::string method;
    std::vector<std::wstring> args;
};

// The module, loaded from <build>/testbrowser/ beside the test programs'
// <build>/tests/.
class Library {
public:
    Library()
    {
        module_ = LoadLibraryW(Path().c_str());
        register_ = Find<HRESULT(__stdcall *)(DWORD)>("TestBrowserRegister");
        unregister_ = Find<HRESULT(__stdcall *)()>("TestBrowserUnregister");
        liveObjects_ = Find<LONG(__stdcall *)()>("TestBrowserLiveObjects");
        liveReferences_ = Find<LONG(__stdcall *)()>("TestBrowserLiveReferences");
    }
    ~Library()
    {
        if (module_)
            FreeLibrary(module_);
    }
    Library(const Library &) = delete;
    Library &operator=(const Library &) = delete;

    bool Loaded() const { return register_ && unregister_ && liveObjects_ && liveReferences_; }
    // Writes the registration into the test prefix (and nowhere else:
    // E_ACCESSDENIED outside a prefix of the build tree).
    HRESULT Register(DWORD flags = 0) const { return register_ ? register_(flags) : E_FAIL; }
    // Gives "Shell.Explorer.2" back once no running test program holds it.
    HRESULT Unregister() const { return unregister_ ? unregister_() : E_FAIL; }
    // Control objects alive in this process, and the references they hold.
    LONG LiveObjects() const { return liveObjects_ ? liveObjects_() : -1; }
    LONG LiveReferences() const { return liveReferences_ ? liveReferences_() : -1; }

    static std::wstring Path()
    {
        wchar_t path[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, path, MAX_PATH);
        std::wstring folder(path);
        folder.resize(folder.find_last_of(L"\\/") + 1);
        return folder + L"..\\testbrowser\\testbrowser.dll";
    }

private:
    template <typename F>
    F Find(const char *name) const
    {
        return module_ ? reinterpret_cast<F>(reinterpret_cast<void *>(GetProcAddress(module_, name))) : nullptr;
    }

    HMODULE module_ = nullptr;
    HRESULT(__stdcall *register_)(DWORD) = nullptr;
    HRESULT(__stdcall *unregister_)() = nullptr;
    LONG(__stdcall *liveObjects_)() = nullptr;
    LONG(__stdcall *liveReferences_)() = nullptr;
};

// Points the recording at a new, empty file in the temporary folder, for
// controls in this process and in the processes it starts from now on.
inline std::wstring StartLog(const std::wstring &name)
{
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    std::wstring path = std::wstring(folder) + name;
    DeleteFileW(path.c_str());
    SetEnvironmentVariableW(LogVariable, path.c_str());
    return path;
}

inline void StopLog()
{
    SetEnvironmentVariableW(LogVariable, nullptr);
}

namespace detail {

inline std::wstring Unescape(const std::string &field)
{
    std::wstring text;
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 1 < field.size() && field[i + 1] == '\\') {
            text += L'\\';
            ++i;
        } else if (field[i] == '\\' && i + 5 < field.size() && field[i + 1] == 'u') {
            text += wchar_t(strtoul(field.substr(i + 2, 4).c_str(), nullptr, 16));
            i += 5;
        } else {
            text += wchar_t(static_cast<unsigned char>(field[i]));
        }
    }
    return text;
}

} // namespace detail

// The calls recorded in path so far; a line still being written is left out.
inline std::vector<Call> ReadLog(const std::wstring &path)
{
    std::vector<Call> calls;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return calls;
    std::string bytes;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read)
        bytes.append(buffer, read);
    CloseHandle(file);

    size_t start = 0;
    for (size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2) {
        std::vector<std::string> fields;
        std::string line = bytes.substr(start, end - start);
        for (size_t from = 0;;) {
            size_t tab = line.find('\t', from);
            fields.push_back(line.substr(from, tab == std::string::npos ? std::string::npos : tab - from));
            if (tab == std::string::npos)
                break;
            from = tab + 1;
        }
        if (fields.size() < 3)
            continue;
        Call call;
        call.process = DWORD(strtoul(fields[0].c_str(), nullptr, 10));
        call.control = unsigned(strtoul(fields[1].c_str(), nullptr, 10));
        call.method = fields[2];
        for (size_t i = 3; i < fields.size(); ++i)
            call.args.push_back(detail::Unescape(fields[i]));
        calls.push_back(call);
    }
    return calls;
}

// The calls of one method, in order.
inline std::vector<Call> CallsOf(const std::vector<Call> &calls, const std::string &method)
{
    std::vector<Call> found;
    for (const Call &call : calls)
        if (call.method == method)
            found.push_back(call);
    return found;
}

// The control's window below top (any depth), or NULL.
inline HWND FindView(HWND top)
{
    struct Search {
        static BOOL CALLBACK Visit(HWND window, LPARAM found)
        {
            wchar_t name[64] = {};
            GetClassNameW(window, name, 64);
            if (lstrcmpW(name, ViewClass) != 0)
                return TRUE;
            *reinterpret_cast<HWND *>(found) = window;
            return FALSE;
        }
    };
    HWND found = nullptr;
    if (top)
        EnumChildWindows(top, Search::Visit, reinterpret_cast<LPARAM>(&found));
    return found;
}

// Makes the control behind view fire TitleChange or StatusTextChange with
// text as its "Text" parameter, or NavigateComplete2 with text as its "URL",
// on the control's own thread (view may be in another process). Returns the number of connected sinks that were called;
// -1 when the window did not answer within five seconds.
inline LRESULT Fire(HWND view, DISPID dispid, const std::wstring &text)
{
    COPYDATASTRUCT data{};
    data.dwData = ULONG_PTR(dispid);
    data.cbData = DWORD(text.size() * sizeof(wchar_t));
    data.lpData = const_cast<wchar_t *>(text.data());
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(view, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, 5000,
                             &result))
        return -1;
    return LRESULT(result);
}

} // namespace testbrowser
