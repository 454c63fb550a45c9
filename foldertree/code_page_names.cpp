// Folder names and the ANSI code page. The records and every path the
// control hands out are ANSI text; the file system and the shell name
// folders in wide characters. A name goes into a path only when it converts
// exactly (no best-fit character, no default character): otherwise the
// folder's short (8.3) form, which is plain ASCII and names the same folder,
// stands in, and where there is none the path stays empty, as a virtual
// folder's does. A lossy conversion would name another folder, or none.
#include "folder_tree.h"

#ifndef WC_ERR_INVALID_CHARS
#define WC_ERR_INVALID_CHARS 0x00000080 // Windows Vista and later
#endif

namespace foldertree {

namespace {

// The platform's own conversion, characters outside the code page replaced.
std::string Narrow(UINT codePage, std::wstring_view wide)
{
    if (wide.empty())
        return std::string();
    int length = int(wide.size());
    int size = WideCharToMultiByte(codePage, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
    if (size <= 0)
        return std::string();
    std::string text(size_t(size), '\0');
    WideCharToMultiByte(codePage, 0, wide.data(), length, &text[0], size, nullptr, nullptr);
    return text;
}

} // namespace

bool ExactAnsi(std::wstring_view wide, std::string &ansi)
{
    ansi.clear();
    if (wide.empty())
        return true;
    UINT codePage = GetACP();
    // UTF-8 takes neither flag, and holds every valid name.
    bool utf8 = codePage == CP_UTF8;
    DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL *used = utf8 ? nullptr : &usedDefault;
    int length = int(wide.size());
    int size = WideCharToMultiByte(codePage, flags, wide.data(), length, nullptr, 0, nullptr, used);
    if (size <= 0 || usedDefault)
        return false;
    std::string converted(size_t(size), '\0');
    if (WideCharToMultiByte(codePage, flags, wide.data(), length, &converted[0], size, nullptr, used) != size ||
        usedDefault)
        return false;
    // The way back must give the same name: no code page maps two names to
    // one text.
    if (WideFromAnsi(converted) != wide)
        return false;
    ansi.swap(converted);
    return true;
}

std::wstring WideFromAnsi(std::string_view ansi)
{
    if (ansi.empty())
        return std::wstring();
    int length = int(ansi.size());
    int size = MultiByteToWideChar(CP_ACP, 0, ansi.data(), length, nullptr, 0);
    if (size <= 0)
        return std::wstring();
    std::wstring wide(size_t(size), L'\0');
    MultiByteToWideChar(CP_ACP, 0, ansi.data(), length, &wide[0], size);
    return wide;
}

std::string AnsiText(std::wstring_view wide)
{
    return Narrow(CP_ACP, wide);
}

std::string Utf8(std::wstring_view wide)
{
    return Narrow(CP_UTF8, wide);
}

std::string AnsiPathOf(const std::wstring &widePath)
{
    std::string ansi;
    if (widePath.empty() || ExactAnsi(widePath, ansi))
        return ansi;
    WCHAR shortPath[MAX_PATH + 1] = {};
    DWORD length = GetShortPathNameW(widePath.c_str(), shortPath, MAX_PATH + 1);
    if (length == 0 || length > MAX_PATH || !ExactAnsi(std::wstring_view(shortPath, length), ansi))
        return std::string();
    return ansi;
}

std::string AnsiTextWithin(std::wstring_view wide, size_t maxBytes)
{
    std::string text = AnsiText(wide);
    if (text.size() <= maxBytes)
        return text;
    // The longest leading run of whole characters that fits: a character's
    // bytes are never parted, nor the two halves of a surrogate pair.
    size_t low = 0, high = wide.size();
    std::string best;
    while (low < high) {
        size_t middle = low + (high - low + 1) / 2;
        size_t units = middle;
        if (units < wide.size() && IS_LOW_SURROGATE(wide[units]))
            --units;
        std::string candidate = AnsiText(wide.substr(0, units));
        if (candidate.size() <= maxBytes) {
            best.swap(candidate);
            low = middle;
        } else {
            high = middle - 1;
        }
    }
    return best;
}

} // namespace foldertree
