// The trim rules of LTRIM, RTRIM and of the paths the control is given.
// Win32-free: built into foldertree.dll and natively for the sanitizer tests
// and the fuzzer.
#pragma once
#include <string_view>

namespace foldertree {

// The characters of set form a set: every leading (trailing) byte found in it
// goes, up to the first that is not. Bytes are compared by value, so the rule
// is case-sensitive. An empty set leaves the text as it is.
std::string_view TrimLeft(std::string_view text, std::string_view set);
std::string_view TrimRight(std::string_view text, std::string_view set);

// Spaces (only the space character) removed from both ends.
std::string_view TrimSpaces(std::string_view text);

} // namespace foldertree
