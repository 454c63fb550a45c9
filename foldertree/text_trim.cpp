#include "text_trim.h"

namespace foldertree {

std::string_view TrimLeft(std::string_view text, std::string_view set)
{
    size_t first = text.find_first_not_of(set);
    return first == std::string_view::npos ? text.substr(text.size()) : text.substr(first);
}

std::string_view TrimRight(std::string_view text, std::string_view set)
{
    size_t last = text.find_last_not_of(set);
    return last == std::string_view::npos ? text.substr(0, 0) : text.substr(0, last + 1);
}

std::string_view TrimSpaces(std::string_view text)
{
    return TrimRight(TrimLeft(text, " "), " ");
}

} // namespace foldertree
