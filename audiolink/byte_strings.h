// The string convention of the exports: byte strings are BSTRs made with
// SysAllocStringByteLen that hold 8-bit text with an exact byte length; the
// null string is the empty string. A string argument is taken over and freed
// before the export returns; a string result is new and the caller's.
#pragma once
#include <windows.h>
#include <oleauto.h>

#include <string_view>

#include "display_text.h"

namespace audiolink {

// How the host reads byte strings: as UTF-8 when its code page is UTF-8 (an
// application manifest can declare that), else in its 8-bit code page.
inline HostText CurrentHostText() noexcept
{
    return GetACP() == CP_UTF8 ? HostText::Utf8 : HostText::CodePage;
}

// A new byte string holding exactly these bytes, zero bytes included. Null
// (the empty string to every caller) when memory runs out.
BSTR NewByteString(std::string_view bytes) noexcept;

// The bytes of a byte string.
std::string_view ByteStringBytes(BSTR text) noexcept;

// A string argument the export has taken over: freed when this goes, on
// every path out of the export.
class TakenByteString {
public:
    explicit TakenByteString(BSTR text) noexcept : text_(text) {}
    ~TakenByteString() { SysFreeString(text_); }
    TakenByteString(const TakenByteString &) = delete;
    TakenByteString &operator=(const TakenByteString &) = delete;
    std::string_view Bytes() const noexcept { return ByteStringBytes(text_); }

private:
    BSTR text_;
};

// Runs an export's body; an exception (only memory running out can raise
// one here) becomes the export's default result instead of reaching the
// host program.
template <typename Result, typename Body> Result Shielded(Result fallback, Body body) noexcept
{
    try {
        return body();
    } catch (...) {
        return fallback;
    }
}

template <typename Body> void Shielded(Body body) noexcept
{
    try {
        body();
    } catch (...) {
    }
}

} // namespace audiolink
