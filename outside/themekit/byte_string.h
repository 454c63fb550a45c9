// Byte strings: BSTRs that hold 8-bit text with an exact byte length.
#pragma once
#include <windows.h>
#include <oleauto.h>
#include <string>
#include <string_view>

namespace themekit {

// A new byte string holding exactly these bytes (zero bytes kept).
BSTR MakeByteString(std::string_view bytes);

// Frees what the caller's variable held and stores a new byte string.
void StoreByteString(BSTR *variable, std::string_view bytes);

// The bytes of a byte string; the null string is empty.
std::string_view ByteStringView(BSTR text);

// A zero-terminated text argument as a view; NULL is the empty text.
inline std::string_view TextArgument(const char *text)
{
    return text ? std::string_view(text) : std::string_view();
}

} // namespace themekit
