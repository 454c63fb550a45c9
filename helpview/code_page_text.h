// How the bytes of an 8-bit text make characters: the strict UTF-8 check
// that decides how a text from outside the viewer is read, and cuts that
// keep whole characters in UTF-8 and in the system's 8-bit code pages.
// Win32-free: a code page comes in as its shape.
#pragma once
#include <array>
#include <cstddef>
#include <string_view>

namespace helpview {

// Strict UTF-8: every sequence complete and in its shortest form, no
// surrogate halves (U+D800 to U+DFFF), nothing past U+10FFFF. ASCII is UTF-8.
bool IsUtf8(std::string_view bytes);

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
