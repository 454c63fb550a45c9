// How the bytes of an 8-bit text make characters: cuts that keep whole
// characters in UTF-8 (runtime/utf8_text.h) and in the system's 8-bit code
// pages.
// Win32-free: a code page comes in as its shape.
#pragma once
#include <array>
#include <cstddef>
#include <string_view>

namespace helpview {

// How a code page's bytes make characters.
struct CodePageShape {
    bool utf8 = false;
    // Bytes that begin a two-byte character (double-byte code pages only).
    std::array<bool, 256> leadBytes{};
};

// The length of the longest start of text that is made of whole characters,
// at most maxBytes bytes and at most maxUnits UTF-16 units once widened (a
// character past U+FFFF takes two). A character cut off by the end of text
// is not whole. Bytes that make no character in the code page count one
// byte and one unit each, as the system widens them.
size_t WholeCharacters(std::string_view text, const CodePageShape &shape, size_t maxBytes, size_t maxUnits);

// The UTF-8 byte order mark that some editors write at the start of a file.
constexpr std::string_view Utf8ByteOrderMark = "\xEF\xBB\xBF";

} // namespace helpview
