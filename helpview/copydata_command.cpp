#include "copydata_command.h"

#include <algorithm>
#include <cstring>

namespace helpview {

CopyDataCommand DecodeCopyData(std::uintptr_t wParam, std::uintptr_t dwData, std::uint32_t cbData,
                               const void *data)
{
    CopyDataCommand command;
    command.code = dwData;
    if (!data)
        return command;
    std::uintptr_t available = std::min<std::uintptr_t>(wParam, cbData);
    size_t length = std::min<std::uintptr_t>(available, MaxNavigationText);
    auto bytes = static_cast<const char *>(data);
    const void *zero = std::memchr(bytes, 0, length);
    if (zero)
        length = size_t(static_cast<const char *>(zero) - bytes);
    else
        command.cut = available > MaxNavigationText && bytes[MaxNavigationText] != '\0';
    command.text.assign(bytes, length);
    return command;
}

} // namespace helpview
