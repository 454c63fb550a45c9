// Texts shown to the host, in the host's code page. A host whose code page
// is UTF-8 reads every byte string as UTF-8, while tags and module headers
// store their names in Latin-1 (or, written by newer tools, in UTF-8): for
// such a host a stored name that is not valid UTF-8 is read as Latin-1 and
// converted. Every other host gets the stored bytes as they are. Free of
// Win32: the caller says which kind of host it serves. What UTF-8 is, is in
// runtime/utf8_text.h.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace audiolink {

enum class HostText {
    CodePage, // the stored bytes, as they are
    Utf8,     // valid UTF-8 always
};

// Each byte read as the Latin-1 character of its value, written in UTF-8:
// bytes from 0x80 on take two bytes.
std::string Latin1ToUtf8(std::string_view text);

// A stored name as the host is to read it: for a UTF-8 host valid UTF-8 as
// it is, anything else read as Latin-1; for any other host the bytes.
std::string DisplayText(std::string_view stored, HostText host);

// How many of text's bytes to keep when at most limit fit: limit, less the
// start of a valid UTF-8 character that the limit would cut in half. All
// of text when it fits.
size_t Utf8Cut(std::string_view text, size_t limit);

} // namespace audiolink
