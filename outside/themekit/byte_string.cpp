#include "byte_string.h"

namespace themekit {

BSTR MakeByteString(std::string_view bytes)
{
    return SysAllocStringByteLen(bytes.data(), static_cast<UINT>(bytes.size()));
}

void StoreByteString(BSTR *variable, std::string_view bytes)
{
    if (!variable)
        return;
    BSTR fresh = MakeByteString(bytes);
    SysFreeString(*variable);
    *variable = fresh;
}

std::string_view ByteStringView(BSTR text)
{
    if (!text)
        return {};
    return std::string_view(reinterpret_cast<const char *>(text), SysStringByteLen(text));
}

} // namespace themekit
