// The rules of UTF-8 that the audio bridge and the viewer both keep: which
// bytes make a character, strictly (no overlong forms, no surrogate halves,
// nothing past U+10FFFF). Header only and free of Win32, so that each module
// compiles its own copy and the native tests and fuzz targets use it as is.
#pragma once
#include <cstddef>
#include <string_view>

namespace utf8 {

inline bool IsContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

// How text's first character stands: whole (its length in bytes), cut off by
// the end of text (what is there begins a character), or not a character.
struct FirstCharacter {
    size_t length = 0; // bytes of a whole character; 0 otherwise
    bool cutOff = false;
};

inline FirstCharacter First(std::string_view text)
{
    if (text.empty())
        return {};
    auto at = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    unsigned char lead = at(0);
    if (lead < 0x80)
        return {1, false};
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
        return {};
    }
    for (size_t i = 1; i < length; ++i) {
        if (i == text.size())
            return {0, true};
        if (i == 1 ? at(1) < low || at(1) > high : !IsContinuation(at(i)))
            return {};
    }
    return {length, false};
}

// The length of the whole character text starts with; 0 when it starts with
// none (or is empty).
inline size_t CharacterLength(std::string_view text)
{
    return First(text).length;
}

// Well-formed UTF-8 throughout. ASCII is UTF-8.
inline bool IsValid(std::string_view text)
{
    while (!text.empty()) {
        size_t length = CharacterLength(text);
        if (!length)
            return false;
        text.remove_prefix(length);
    }
    return true;
}

} // namespace utf8
