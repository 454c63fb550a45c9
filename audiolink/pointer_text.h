// Texts read from an address the caller hands over.
#pragma once
#include <cstddef>
#include <string_view>

namespace audiolink {

// The bytes at address up to the first zero byte, at most limit of them.
// Never looks past the zero byte or past limit bytes; address 0 gives the
// empty text.
std::string_view LeadingText(const char *address, size_t limit);

// The text without blanks (code 32) at either end.
std::string_view TrimBlanks(std::string_view text);

} // namespace audiolink
