#include "code_page_text.h"

#include "utf8_text.h"

namespace helpview {

namespace {

struct Character {
    size_t bytes;
    size_t units;
    bool cutOff; // the text ends inside it
};

Character Utf8CharacterAt(std::string_view text, size_t at)
{
    utf8::FirstCharacter first = utf8::First(text.substr(at));
    if (first.cutOff)
        return {text.size() - at, 0, true};
    if (!first.length)
        return {1, 1, false}; // a byte that makes no character stands alone
    return {first.length, first.length == 4 ? size_t(2) : size_t(1), false};
}

Character DoubleByteCharacterAt(std::string_view text, size_t at, const CodePageShape &shape)
{
    if (!shape.leadBytes[static_cast<unsigned char>(text[at])])
        return {1, 1, false};
    if (at + 1 >= text.size())
        return {2, 0, true};
    return {2, 1, false};
}

} // namespace

size_t WholeCharacters(std::string_view text, const CodePageShape &shape, size_t maxBytes, size_t maxUnits)
{
    size_t bytes = 0, units = 0;
    while (bytes < text.size()) {
        Character next = shape.utf8 ? Utf8CharacterAt(text, bytes) : DoubleByteCharacterAt(text, bytes, shape);
        if (next.cutOff || next.bytes > maxBytes - bytes || next.units > maxUnits - units)
            break;
        bytes += next.bytes;
        units += next.units;
    }
    return bytes;
}

} // namespace helpview
