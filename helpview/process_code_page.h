// The viewer's code page: how its 8-bit texts become the control's UTF-16
// and back, and where such a text may be cut.
#pragma once
#include <windows.h>

#include <string>
#include <string_view>

#include "code_page_text.h"

namespace helpview {

// How the process's code page makes characters.
const CodePageShape &ProcessCodePageShape();

// Units widened from, and narrowed to, the process's code page. Narrowing
// never picks a look-alike for a character the code page lacks (a
// full-width backslash must not become a real one): it becomes '?'.
std::wstring WidenText(std::string_view text);
std::string NarrowText(std::u16string_view units);

// The length of the longest start of text made of whole characters of the
// process's code page, at most maxBytes bytes and maxUnits UTF-16 units.
size_t WholeCharacters(std::string_view text, size_t maxBytes, size_t maxUnits);

} // namespace helpview
