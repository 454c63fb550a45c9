// Text results of the exports: OLE strings allocated with
// SysAllocStringByteLen that hold 8-bit text with an exact byte length; the
// caller frees them with SysFreeString.
#pragma once
#include <windows.h>
#include <oleauto.h>

#include <string_view>

namespace foldertree {

BSTR MakeByteString(std::string_view bytes);

// A zero-terminated text argument as a view; a null address is the empty text.
inline std::string_view TextArgument(const char *text)
{
    return text ? std::string_view(text) : std::string_view();
}

} // namespace foldertree
