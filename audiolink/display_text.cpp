#include "display_text.h"

namespace audiolink {

namespace {

bool IsContinuation(unsigned char c)
{
    return (c & 0xC0) == 0x80;
}

} // namespace

size_t Utf8CharacterLength(std::string_view text)
{
    if (text.empty())
        return 0;
    auto at = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    unsigned char lead = at(0);
    if (lead < 0x80)
        return 1;
    // The second byte's range rules out overlong forms (after E0 and F0),
    // surrogates (after ED) and code points above U+10FFFF (after F4).
    size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0;
        else if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        else if (lead == 0xF4)
            high = 0x8F;
    } else {
        return 0;
    }
    if (text.size() < length || at(1) < low || at(1) > high)
        return 0;
    for (size_t i = 2; i < length; ++i) {
        if (!IsContinuation(at(i)))
            return 0;
    }
    return length;
}

bool IsValidUtf8(std::string_view text)
{
    while (!text.empty()) {
        size_t length = Utf8CharacterLength(text);
        if (!length)
            return false;
        text.remove_prefix(length);
    }
    return true;
}

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
    if (host != HostText::Utf8 || IsValidUtf8(stored))
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
    while (start > 0 && limit - start < 3 && IsContinuation(static_cast<unsigned char>(text[start])))
        --start;
    size_t length = Utf8CharacterLength(text.substr(start));
    return start < limit && start + length > limit ? start : limit;
}

} // namespace audiolink
