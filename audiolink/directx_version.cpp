#include "directx_version.h"

#include <climits>

namespace audiolink {

int DirectXMajorVersion(std::string_view versionText)
{
    size_t dot = versionText.find('.');
    if (dot == std::string_view::npos)
        return 0;
    std::string_view field = versionText.substr(dot + 1);
    field = field.substr(0, field.find('.'));
    long long value = 0;
    for (char c : field) {
        if (c < '0' || c > '9')
            break;
        value = value * 10 + (c - '0');
        if (value > INT_MAX)
            return INT_MAX;
    }
    return int(value);
}

} // namespace audiolink
