#include "byte_strings.h"

#include <climits>

namespace audiolink {

BSTR NewByteString(std::string_view bytes) noexcept
{
    if (bytes.size() > UINT_MAX / 2)
        return nullptr;
    // A non-null source even for the empty text: with a null source the
    // system leaves the bytes uninitialised.
    return SysAllocStringByteLen(bytes.empty() ? "" : bytes.data(), UINT(bytes.size()));
}

std::string_view ByteStringBytes(BSTR text) noexcept
{
    if (!text)
        return {};
    return std::string_view(reinterpret_cast<const char *>(text), SysStringByteLen(text));
}

} // namespace audiolink
