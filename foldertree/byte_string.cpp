#include "byte_string.h"

namespace foldertree {

BSTR MakeByteString(std::string_view bytes)
{
    return SysAllocStringByteLen(bytes.data(), static_cast<UINT>(bytes.size()));
}

} // namespace foldertree
