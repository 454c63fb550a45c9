// Registering the test browser control, and lending it the browser's ProgID
// "Shell.Explorer.2" while a test program runs.
//
// Wine's COM reads classes from HKEY_CLASSES_ROOT only (a class registered
// under HKCU\Software\Classes is not found), so under Wine the registration
// lives there, and it is only ever written to a Wine prefix beside this
// module (the build tree's, or the test bundle's): a user's own prefix is
// never touched. On Windows it goes to the current user's classes
// (HKCU\Software\Classes), which COM reads before the machine's; nothing is
// written for the machine or for other users, and DllUnregisterServer
// removes all of it.
//
// Several test programs may run at once. Each program that takes the ProgID
// leaves a claim (a value named by its process id); the platform's class
// comes back when the last claimant lets go or is found dead.
#include "browser_control.h"
#include "../machine_guard.h"

#include <string>
#include <vector>

namespace testbrowser {

namespace {

constexpr wchar_t ProgId[] = L"TestBrowser.Control";
constexpr wchar_t WebBrowserProgIdClass[] = L"Shell.Explorer.2\\CLSID";
constexpr wchar_t ClaimsKey[] = L"TestBrowser.Control\\WebBrowserClaims";
constexpr wchar_t SavedValue[] = L"SavedCLSID"; // the platform's class, while claimed
constexpr DWORD AsWebBrowser = 1;

std::wstring ClsidText()
{
    wchar_t text[40] = {};
    StringFromGUID2(CLSID_TestBrowser, text, 40);
    return text;
}

std::wstring PlatformClsidText()
{
    wchar_t text[40] = {};
    StringFromGUID2(CLSID_WebBrowser, text, 40);
    return text;
}

std::wstring ModulePath()
{
    wchar_t path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameW(ModuleInstance(), path, MAX_PATH);
    return std::wstring(path, length < MAX_PATH ? length : 0);
}

std::string Utf8(const wchar_t *text)
{
    int bytes = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (bytes <= 1)
        return std::string();
    std::string result(size_t(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, &result[0], bytes, nullptr, nullptr);
    result.resize(size_t(bytes) - 1);
    return result;
}

// Under Wine, with WINEPREFIX naming a prefix whose folder also holds this
// module: <build>/wineprefix beside <build>/testbrowser/testbrowser.dll, or
// the test bundle's <bundle>/wineprefix beside <bundle>/<arch>/testbrowser.
bool InBuildTreePrefix()
{
    using UnixName = char *(CDECL *)(LPCWSTR);
    auto unixName = reinterpret_cast<UnixName>(
        reinterpret_cast<void *>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    wchar_t prefix[1024];
    DWORD length = GetEnvironmentVariableW(L"WINEPREFIX", prefix, 1024);
    if (!unixName || length == 0 || length >= 1024)
        return false;
    std::string tree = Utf8(prefix);
    while (tree.size() > 1 && tree.back() == '/')
        tree.pop_back();
    size_t slash = tree.rfind('/');
    if (tree.empty() || tree[0] != '/' || slash == std::string::npos || slash == 0)
        return false;
    tree.resize(slash + 1);

    std::wstring module = ModulePath();
    char *name = module.empty() ? nullptr : unixName(module.c_str());
    if (!name)
        return false;
    bool inside = std::string(name).compare(0, tree.size(), tree) == 0;
    HeapFree(GetProcessHeap(), 0, name);
    return inside;
}

// Whether this process may register the control: on Windows always (the
// current user's classes), under Wine only in a prefix beside the module.
bool RegistrationAllowed()
{
    return machineguard::UnderWine() ? InBuildTreePrefix() : true;
}

// The key the registration is written under (see the top of this file).
HKEY Classes()
{
    static HKEY user = nullptr;
    if (machineguard::UnderWine())
        return HKEY_CLASSES_ROOT;
    if (!user && RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Classes", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                 &user, nullptr) != ERROR_SUCCESS)
        user = nullptr;
    return user ? user : HKEY_CURRENT_USER;
}

// Deletes the key when it holds neither keys nor values: what a claim left
// of a key it had to create.
void DeleteIfEmpty(HKEY root, const wchar_t *key)
{
    HKEY opened = nullptr;
    if (RegOpenKeyExW(root, key, 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return;
    DWORD keys = 0, values = 0;
    bool empty = RegQueryInfoKeyW(opened, nullptr, nullptr, nullptr, &keys, nullptr, nullptr, &values, nullptr,
                                  nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
                 keys == 0 && values == 0;
    RegCloseKey(opened);
    if (empty)
        RegDeleteKeyW(root, key);
}

LSTATUS SetText(HKEY root, const wchar_t *key, const wchar_t *value, const std::wstring &text)
{
    HKEY opened = nullptr;
    LSTATUS status = RegCreateKeyExW(root, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &opened, nullptr);
    if (status != ERROR_SUCCESS)
        return status;
    status = RegSetValueExW(opened, value, 0, REG_SZ, reinterpret_cast<const BYTE *>(text.c_str()),
                            DWORD((text.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(opened);
    return status;
}

void DeleteTree(HKEY root, const std::wstring &key)
{
    HKEY opened = nullptr;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return;
    std::vector<std::wstring> children;
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
        DWORD length = 256;
        if (RegEnumKeyExW(opened, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        children.emplace_back(name, length);
    }
    RegCloseKey(opened);
    for (const std::wstring &child : children)
        DeleteTree(root, key + L"\\" + child);
    RegDeleteKeyW(root, key.c_str());
}

bool GetText(HKEY root, const wchar_t *key, const wchar_t *value, std::wstring *text)
{
    wchar_t buffer[256] = {};
    DWORD size = sizeof buffer - sizeof(wchar_t);
    if (RegGetValueW(root, key, value, RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS)
        return false;
    *text = buffer;
    return true;
}

HRESULT RegisterControlClass()
{
    std::wstring clsidKey = L"CLSID\\" + ClsidText();
    LSTATUS status = SetText(Classes(), clsidKey.c_str(), nullptr, L"Test browser control");
    if (status == ERROR_SUCCESS)
        status = SetText(Classes(), (clsidKey + L"\\InprocServer32").c_str(), nullptr, ModulePath());
    if (status == ERROR_SUCCESS)
        status = SetText(Classes(), (clsidKey + L"\\InprocServer32").c_str(), L"ThreadingModel",
                         L"Apartment");
    if (status == ERROR_SUCCESS)
        status = SetText(Classes(), (clsidKey + L"\\ProgID").c_str(), nullptr, ProgId);
    if (status == ERROR_SUCCESS)
        status = SetText(Classes(), (clsidKey + L"\\Control").c_str(), nullptr, L"");
    if (status == ERROR_SUCCESS)
        status = SetText(Classes(), ProgId, nullptr, L"Test browser control");
    if (status == ERROR_SUCCESS)
        status = SetText(Classes(), (std::wstring(ProgId) + L"\\CLSID").c_str(), nullptr, ClsidText());
    return HRESULT_FROM_WIN32(status);
}

// The claims of processes that have ended are dropped.
std::vector<std::wstring> LiveClaims(HKEY claims)
{
    std::vector<std::wstring> names;
    wchar_t name[64];
    for (DWORD i = 0;; ++i) {
        DWORD length = 64;
        if (RegEnumValueW(claims, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names.emplace_back(name, length);
    }
    std::vector<std::wstring> live;
    for (const std::wstring &claim : names) {
        if (claim == SavedValue)
            continue;
        DWORD process = wcstoul(claim.c_str(), nullptr, 10);
        HANDLE handle = process ? OpenProcess(SYNCHRONIZE, FALSE, process) : nullptr;
        bool alive = handle && WaitForSingleObject(handle, 0) == WAIT_TIMEOUT;
        if (handle)
            CloseHandle(handle);
        if (alive)
            live.push_back(claim);
        else
            RegDeleteValueW(claims, claim.c_str());
    }
    return live;
}

// Gives "Shell.Explorer.2" back to the class it named before the first claim.
HRESULT RestoreWebBrowser()
{
    std::wstring saved, current;
    if (!GetText(Classes(), ClaimsKey, SavedValue, &saved)) {
        // Taken without a record of what it named before: the platform's
        // (on Windows the machine's own, which shows again once the user's
        // key is gone).
        if (!GetText(Classes(), WebBrowserProgIdClass, nullptr, &current) || current != ClsidText())
            return S_OK;
        saved = machineguard::UnderWine() ? PlatformClsidText() : std::wstring();
    }
    LSTATUS status = saved.empty() ? RegDeleteKeyW(Classes(), WebBrowserProgIdClass)
                                   : SetText(Classes(), WebBrowserProgIdClass, nullptr, saved);
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
        return HRESULT_FROM_WIN32(status);
    RegDeleteKeyW(Classes(), ClaimsKey);
    if (!machineguard::UnderWine())
        DeleteIfEmpty(Classes(), L"Shell.Explorer.2");
    return S_OK;
}

// Adds or removes this process's claim, then lends or restores the ProgID.
HRESULT UpdateClaims(bool claim)
{
    HKEY claims = nullptr;
    LSTATUS status = claim ? RegCreateKeyExW(Classes(), ClaimsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                             &claims, nullptr)
                           : RegOpenKeyExW(Classes(), ClaimsKey, 0, KEY_ALL_ACCESS, &claims);
    if (status == ERROR_FILE_NOT_FOUND && !claim)
        return RestoreWebBrowser();
    if (status != ERROR_SUCCESS)
        return HRESULT_FROM_WIN32(status);
    std::wstring own = std::to_wstring(GetCurrentProcessId());
    DWORD process = GetCurrentProcessId();
    if (claim)
        RegSetValueExW(claims, own.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE *>(&process), sizeof process);
    else
        RegDeleteValueW(claims, own.c_str());
    bool claimed = !LiveClaims(claims).empty();
    std::wstring saved;
    bool hasSaved = GetText(claims, nullptr, SavedValue, &saved);
    RegCloseKey(claims);

    if (!claimed)
        return RestoreWebBrowser();
    if (!hasSaved) {
        std::wstring platform;
        if (!GetText(Classes(), WebBrowserProgIdClass, nullptr, &platform))
            platform.clear();
        if (platform == ClsidText())
            platform = PlatformClsidText();
        SetText(Classes(), ClaimsKey, SavedValue, platform);
    }
    return HRESULT_FROM_WIN32(SetText(Classes(), WebBrowserProgIdClass, nullptr, ClsidText()));
}

class RegistrationLock {
public:
    RegistrationLock() : mutex_(CreateMutexW(nullptr, FALSE, L"TestBrowserRegistration"))
    {
        DWORD wait = mutex_ ? WaitForSingleObject(mutex_, 10000) : WAIT_FAILED;
        held_ = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
    }
    ~RegistrationLock()
    {
        if (held_)
            ReleaseMutex(mutex_);
        if (mutex_)
            CloseHandle(mutex_);
    }
    RegistrationLock(const RegistrationLock &) = delete;
    RegistrationLock &operator=(const RegistrationLock &) = delete;
    bool Held() const { return held_; }

private:
    HANDLE mutex_;
    bool held_ = false;
};

} // namespace

} // namespace testbrowser

using namespace testbrowser;

// Registers the control under its own ProgID; with flags 1 it also takes
// "Shell.Explorer.2" for as long as this process runs or until
// TestBrowserUnregister. Without flag 1 it still drops the claims of ended
// processes.
extern "C" HRESULT __stdcall TestBrowserRegister(DWORD flags)
{
    if (!RegistrationAllowed())
        return E_ACCESSDENIED;
    RegistrationLock lock;
    if (!lock.Held())
        return HRESULT_FROM_WIN32(ERROR_TIMEOUT);
    HRESULT hr = RegisterControlClass();
    if (SUCCEEDED(hr))
        hr = UpdateClaims((flags & AsWebBrowser) != 0);
    return hr;
}

// Lets go of this process's claim on "Shell.Explorer.2". The control's own
// registration stays: other test programs may be using it.
extern "C" HRESULT __stdcall TestBrowserUnregister(void)
{
    if (!RegistrationAllowed())
        return E_ACCESSDENIED;
    RegistrationLock lock;
    if (!lock.Held())
        return HRESULT_FROM_WIN32(ERROR_TIMEOUT);
    return UpdateClaims(false);
}

extern "C" HRESULT __stdcall DllRegisterServer(void)
{
    return TestBrowserRegister(0);
}

// Removes everything, the claims of running programs included.
extern "C" HRESULT __stdcall DllUnregisterServer(void)
{
    if (!RegistrationAllowed())
        return E_ACCESSDENIED;
    RegistrationLock lock;
    if (!lock.Held())
        return HRESULT_FROM_WIN32(ERROR_TIMEOUT);
    HRESULT hr = RestoreWebBrowser();
    DeleteTree(Classes(), ProgId);
    DeleteTree(Classes(), L"CLSID\\" + ClsidText());
    return hr;
}
