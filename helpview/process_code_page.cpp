#include "process_code_page.h"

#include <algorithm>
#include <climits>

#include "utf8_text.h"

namespace helpview {

namespace {

constexpr UINT WesternCodePage = 1252;

CodePageShape ShapeOf(UINT codePage)
{
    CodePageShape shape;
    shape.utf8 = codePage == CP_UTF8;
    CPINFO info{};
    if (!shape.utf8 && GetCPInfo(codePage, &info) && info.MaxCharSize == 2) {
        // Pairs of first and last lead byte, ended by a pair of zeros.
        for (int range = 0; range + 1 < MAX_LEADBYTES && info.LeadByte[range]; range += 2) {
            for (unsigned byte = info.LeadByte[range]; byte <= info.LeadByte[range + 1] && byte < 256; ++byte)
                shape.leadBytes[byte] = true;
        }
    }
    return shape;
}

// The conversions work on whole texts of known length, zero bytes and all.
// Their targets are sized by asking first: a target that is too small would
// make them fail outright rather than fill it.
std::wstring Widen(UINT codePage, std::string_view text)
{
    if (text.empty() || text.size() > INT_MAX)
        return {};
    int needed = MultiByteToWideChar(codePage, 0, text.data(), int(text.size()), nullptr, 0);
    if (needed <= 0)
        return {};
    std::wstring wide(size_t(needed), L'\0');
    int made = MultiByteToWideChar(codePage, 0, text.data(), int(text.size()), &wide[0], needed);
    wide.resize(size_t(std::max(made, 0)));
    return wide;
}

std::string Narrow(UINT codePage, std::wstring_view units)
{
    if (units.empty() || units.size() > INT_MAX)
        return {};
    // UTF-8 takes no flags; every other code page is told not to stand in a
    // look-alike for a character it lacks.
    DWORD flags = codePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    int needed = WideCharToMultiByte(codePage, flags, units.data(), int(units.size()), nullptr, 0, nullptr, nullptr);
    if (needed <= 0)
        return {};
    std::string text(size_t(needed), '\0');
    int made = WideCharToMultiByte(codePage, flags, units.data(), int(units.size()), &text[0], needed, nullptr,
                                   nullptr);
    text.resize(size_t(std::max(made, 0)));
    return text;
}

std::string Utf8FromCodePage(UINT codePage, std::string_view text)
{
    std::wstring wide = Widen(codePage, text);
    return Narrow(CP_UTF8, wide);
}

} // namespace

bool ProcessUsesUtf8()
{
    return GetACP() == CP_UTF8;
}

const CodePageShape &ProcessCodePageShape()
{
    static const CodePageShape shape = ShapeOf(GetACP());
    return shape;
}

UINT SystemEightBitCodePage()
{
    static const UINT codePage = [] {
        // The system's own, whatever the process's manifest says. Under a
        // UTF-8 manifest Wine answers this too (1252 on an English system).
        DWORD number = 0;
        int got = GetLocaleInfoW(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                                 reinterpret_cast<LPWSTR>(&number), sizeof number / sizeof(WCHAR));
        // 0 is a locale with no 8-bit code page of its own.
        if (!got || number == 0 || number == CP_UTF8 || !IsValidCodePage(UINT(number)))
            return WesternCodePage;
        return UINT(number);
    }();
    return codePage;
}

std::string TextFromOutside(std::string_view bytes, bool cut)
{
    if (!ProcessUsesUtf8())
        return std::string(bytes);
    if (cut) {
        static const CodePageShape utf8 = ShapeOf(CP_UTF8);
        std::string_view whole = bytes.substr(0, helpview::WholeCharacters(bytes, utf8, bytes.size(), bytes.size()));
        if (utf8::IsValid(whole))
            return std::string(whole);
    } else if (utf8::IsValid(bytes)) {
        return std::string(bytes);
    }
    UINT system = SystemEightBitCodePage();
    if (cut)
        bytes = bytes.substr(0, helpview::WholeCharacters(bytes, ShapeOf(system), bytes.size(), bytes.size()));
    return Utf8FromCodePage(system, bytes);
}

void LinesFromOutside(std::vector<std::string> &lines)
{
    if (!ProcessUsesUtf8() || lines.empty())
        return;
    // A file that says it is UTF-8 is; one that does not is UTF-8 when every
    // line is. One line of it cannot be in another code page than the rest.
    bool marked = std::string_view(lines[0]).substr(0, Utf8ByteOrderMark.size()) == Utf8ByteOrderMark;
    if (marked)
        lines[0].erase(0, Utf8ByteOrderMark.size());
    if (marked || std::all_of(lines.begin(), lines.end(), [](const std::string &line) { return utf8::IsValid(line); }))
        return;
    UINT system = SystemEightBitCodePage();
    for (std::string &line : lines)
        line = Utf8FromCodePage(system, line);
}

std::wstring WidenText(std::string_view text)
{
    return Widen(GetACP(), text);
}

std::string NarrowText(std::u16string_view units)
{
    return Narrow(GetACP(), std::wstring_view(reinterpret_cast<const wchar_t *>(units.data()), units.size()));
}

size_t WholeCharacters(std::string_view text, size_t maxBytes, size_t maxUnits)
{
    return helpview::WholeCharacters(text, ProcessCodePageShape(), maxBytes, maxUnits);
}

} // namespace helpview
