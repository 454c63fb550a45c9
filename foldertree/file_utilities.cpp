// Small utilities for applications that host the control: recycling files,
// testing for a path, sending text to another window and trimming text.
#include <windows.h>
#include <shellapi.h>

#include <cstring>
#include <string>
#include <vector>

#include "byte_string.h"
#include "foldertree.h"
#include "text_trim.h"

namespace {

// The recycle bin takes only fully qualified paths: the shell deletes a
// relative one for good. Each name of the list is qualified in a private
// wide copy, which ends with the list's extra zero; empty when a name cannot
// be qualified. A folder's trailing backslash (as the tree's paths end) is
// dropped: the shell would report success and recycle nothing. A short (8.3)
// name, as the tree gives for folders named outside the code page, is
// recycled under its long name, so that it comes back with it.
std::wstring QualifiedFileList(const char *files)
{
    std::wstring list;
    for (const char *name = files; *name; name += strlen(name) + 1) {
        int wideSize = MultiByteToWideChar(CP_ACP, 0, name, -1, nullptr, 0);
        if (wideSize <= 1)
            return std::wstring();
        std::vector<WCHAR> wide(size_t(wideSize), 0);
        MultiByteToWideChar(CP_ACP, 0, name, -1, wide.data(), wideSize);
        DWORD size = GetFullPathNameW(wide.data(), 0, nullptr, nullptr);
        if (size == 0)
            return std::wstring();
        std::vector<WCHAR> full(size + 1, 0);
        DWORD length = GetFullPathNameW(wide.data(), size + 1, full.data(), nullptr);
        if (length == 0 || length > size)
            return std::wstring();
        std::wstring path(full.data(), length);
        while (path.size() > 3 && path.back() == L'\\')
            path.pop_back();
        DWORD longSize = GetLongPathNameW(path.c_str(), nullptr, 0);
        if (longSize > 1) {
            std::vector<WCHAR> longPath(longSize, 0);
            DWORD longLength = GetLongPathNameW(path.c_str(), longPath.data(), longSize);
            if (longLength > 0 && longLength < longSize)
                path.assign(longPath.data(), longLength);
        }
        list += path;
        list += L'\0';
    }
    if (!list.empty())
        list += L'\0';
    return list;
}

int MoveToRecycleBin(const char *files)
{
    if (!files || !files[0])
        return ERROR_INVALID_PARAMETER;
    std::wstring list = QualifiedFileList(files);
    if (list.empty())
        return ERROR_INVALID_PARAMETER;
    SHFILEOPSTRUCTW operation{};
    operation.wFunc = FO_DELETE;
    operation.pFrom = list.c_str();
    operation.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_ALLOWUNDO;
    return SHFileOperationW(&operation);
}

int FileExists(const char *path)
{
    if (!path || !path[0])
        return 0;
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA(path, &found);
    if (search == INVALID_HANDLE_VALUE) {
        // A search never finds a drive's root ("C:\") or a folder named with
        // a trailing backslash, though both exist. Without wildcards the
        // path names one thing, so ask for its attributes instead.
        if (std::strpbrk(path, "*?"))
            return 0;
        return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES ? -1 : 0;
    }
    FindClose(search);
    return -1;
}

int SendTextCopy(HWND window, int data, const char *text)
{
    std::string_view bytes = foldertree::TextArgument(text);
    // wParam carries the text's length, not a window handle; the copy holds
    // no terminator.
    std::vector<char> buffer(bytes.begin(), bytes.end());
    COPYDATASTRUCT copy{};
    copy.dwData = static_cast<ULONG_PTR>(data);
    copy.cbData = static_cast<DWORD>(buffer.size());
    copy.lpData = buffer.empty() ? nullptr : buffer.data();
    return static_cast<int>(
        SendMessageA(window, WM_COPYDATA, static_cast<WPARAM>(buffer.size()), reinterpret_cast<LPARAM>(&copy)));
}

} // namespace

extern "C" int WINAPI Bff_MoveToTray(const char *files)
{
    try {
        return MoveToRecycleBin(files);
    } catch (...) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

extern "C" int WINAPI Bff_FileExist(const char *path)
{
    return FileExists(path);
}

extern "C" int WINAPI Bff_SendPrivateMsg(HWND window, int data, const char *text)
{
    try {
        return SendTextCopy(window, data, text);
    } catch (...) {
        return 0;
    }
}

extern "C" BSTR WINAPI LTRIM(const char *text, const char *set)
{
    return foldertree::MakeByteString(
        foldertree::TrimLeft(foldertree::TextArgument(text), foldertree::TextArgument(set)));
}

extern "C" BSTR WINAPI RTRIM(const char *text, const char *set)
{
    return foldertree::MakeByteString(
        foldertree::TrimRight(foldertree::TextArgument(text), foldertree::TextArgument(set)));
}
