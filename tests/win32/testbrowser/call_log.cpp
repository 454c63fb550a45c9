// Writing the call record. Each line goes out in one append, one process at a
// time, so that lines of several controls and processes sharing a file never
// mix or go missing.
#include "call_log.h"

#include <cstdio>

namespace testbrowser {

namespace {

// Printable ASCII stays; the escape character, the separator and everything
// else become \\ and \uXXXX.
void AppendEscaped(std::string &line, const std::wstring &text)
{
    for (wchar_t c : text) {
        if (c == L'\\') {
            line += "\\\\";
        } else if (c >= 0x20 && c < 0x7F) {
            line += char(c);
        } else {
            char escape[8];
            snprintf(escape, sizeof escape, "\\u%04X", unsigned(c));
            line += escape;
        }
    }
}

const char *VariantTypeName(VARTYPE type)
{
    switch (type) {
    case VT_I2: return "i2";
    case VT_I4: return "i4";
    case VT_UI4: return "ui4";
    case VT_INT: return "int";
    case VT_R8: return "r8";
    default: return nullptr;
    }
}

} // namespace

std::wstring TextArgument(const wchar_t *text, size_t length)
{
    return L"bstr:" + std::wstring(text ? text : L"", text ? length : 0);
}

std::wstring NumberArgument(long value)
{
    return L"i4:" + std::to_wstring(value);
}

std::wstring VariantArgument(const VARIANT *value)
{
    if (!value)
        return L"null";
    switch (V_VT(value)) {
    case VT_EMPTY:
        return L"empty";
    case VT_ERROR:
        if (V_ERROR(value) == DISP_E_PARAMNOTFOUND)
            return L"missing";
        wchar_t code[24];
        swprintf(code, 24, L"error:0x%08lX", static_cast<unsigned long>(V_ERROR(value)));
        return code;
    case VT_BSTR:
        return TextArgument(V_BSTR(value));
    case VT_BOOL: // as a number: the text form depends on the locale
        return L"bool:" + std::to_wstring(V_BOOL(value));
    case VT_BYREF | VT_VARIANT:
        return L"ref:" + VariantArgument(V_VARIANTREF(value));
    }
    std::wstring text;
    VARIANT converted;
    VariantInit(&converted);
    if (SUCCEEDED(VariantChangeType(&converted, const_cast<VARIANT *>(value), 0, VT_BSTR)))
        text.assign(V_BSTR(&converted), SysStringLen(V_BSTR(&converted)));
    VariantClear(&converted);
    const char *name = VariantTypeName(V_VT(value));
    std::wstring prefix = name ? std::wstring(name, name + strlen(name)) : L"vt" + std::to_wstring(V_VT(value));
    return prefix + L":" + text;
}

std::wstring GuidArgument(REFGUID guid)
{
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, 40);
    return text;
}

std::wstring RectArgument(const RECT &rect)
{
    return L"rect:" + std::to_wstring(rect.left) + L"," + std::to_wstring(rect.top) + L"," +
           std::to_wstring(rect.right) + L"," + std::to_wstring(rect.bottom);
}

void Record(unsigned control, const char *method, std::initializer_list<std::wstring> arguments)
{
    wchar_t path[MAX_PATH];
    DWORD length = GetEnvironmentVariableW(L"TESTBROWSER_LOG", path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return;
    std::string line = std::to_string(GetCurrentProcessId()) + "\t" + std::to_string(control) + "\t" + method;
    for (const std::wstring &argument : arguments) {
        line += '\t';
        AppendEscaped(line, argument);
    }
    line += "\r\n";
    // Wine appends in two steps (to the end, then the write): lines that two
    // processes append at once overwrite each other there, and one is lost
    // (about 1 in 80 with three writers). The lock takes turns; a process
    // that died holding it leaves it abandoned, which is a turn too.
    static HANDLE turns = CreateMutexW(nullptr, FALSE, L"Local\\testbrowser call record");
    DWORD waited = turns ? WaitForSingleObject(turns, 10000) : WAIT_FAILED;
    HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(file, line.data(), DWORD(line.size()), &written, nullptr);
        CloseHandle(file);
    }
    if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED)
        ReleaseMutex(turns);
}

} // namespace testbrowser
