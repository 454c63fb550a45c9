#include "pointer_text.h"

namespace audiolink {

std::string_view LeadingText(const char *address, size_t limit)
{
    if (!address)
        return {};
    // Byte by byte: a text near the end of readable memory must not be read
    // beyond its terminator, as a wider search might.
    size_t length = 0;
    while (length < limit && address[length] != '\0')
        ++length;
    return std::string_view(address, length);
}

std::string_view TrimBlanks(std::string_view text)
{
    size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    size_t last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

} // namespace audiolink
