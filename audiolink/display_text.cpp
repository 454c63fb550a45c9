#include "display_text.h"

#include "utf8_text.h"

namespace audiolink {

std::string Latin1ToUtf8(std::string_view text)
{
    std::string utf8;
    utf8.reserve(text.size() * 2);
    for (char c : text) {
        auto value = static_cast<unsigned char>(c);
        if (value < 0x80) {
            utf8 += c;
        } else {
            utf8 += char(0xC0 | (value >> 6));
            utf8 += char(0x80 | (value & 0x3F));
        }
    }
    return utf8;
}

std::string DisplayText(std::string_view stored, HostText host)
{
    if (host != HostText::Utf8 || utf8::IsValid(stored))
        return std::string(stored);
    return Latin1ToUtf8(stored);
}

size_t Utf8Cut(std::string_view text, size_t limit)
{
    if (text.size() <= limit)
        return text.size();
    // The character the byte after the limit belongs to starts at most three
    // bytes before it; only a whole, valid one is kept out whole.
    size_t start = limit;
    while (start > 0 && limit - start < 3 && utf8::IsContinuation(static_cast<unsigned char>(text[start])))
        --start;
    size_t length = utf8::CharacterLength(text.substr(start));
    return start < limit && start + length > limit ? start : limit;
}

} // namespace audiolink
