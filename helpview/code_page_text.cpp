#include "code_page_text.h"


namespace helpview {

namespace {

bool IsContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

// The length of the UTF-8 sequence a lead byte begins, 0 for a byte that
// begins none (a continuation byte, C0, C1, F5 to FF).
size_t SequenceLength(unsigned char lead)
{
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 3;
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    return 0;
}

// The second byte's range, which rules out overlong forms (E0, F0),
// surrogates (ED) and code points past U+10FFFF (F4).
bool SecondByteFits(unsigned char lead, unsigned char second)
{
    switch (lead) {
    case 0xE0:
        return second >= 0xA0 && second <= 0xBF;
    case 0xED:
        return second >= 0x80 && second <= 0x9F;
    case 0xF0:
        return second >= 0x90 && second <= 0xBF;
    case 0xF4:
        return second >= 0x80 && second <= 0x8F;
    default:
        return IsContinuation(second);
    }
}

struct Character {
    size_t bytes;
    size_t units;
    bool cutOff; // the text ends inside it
};

Character Utf8CharacterAt(std::string_view text, size_t at)
{
    auto lead = static_cast<unsigned char>(text[at]);
    size_t length = SequenceLength(lead);
    if (length <= 1)
        return {1, 1, false};
    // As far as the bytes that are there go, is it a sequence? Then the
    // text's end is what cuts it; otherwise the lead byte stands alone.
    size_t present = 1;
    while (present < length && at + present < text.size()) {
        auto byte = static_cast<unsigned char>(text[at + present]);
        if (present == 1 ? !SecondByteFits(lead, byte) : !IsContinuation(byte))
            return {1, 1, false};
        ++present;
    }
    if (present < length)
        return {length, 0, true};
    return {length, length == 4 ? size_t(2) : size_t(1), false};
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

bool IsUtf8(std::string_view bytes)
{
    for (size_t at = 0; at < bytes.size();) {
        auto lead = static_cast<unsigned char>(bytes[at]);
        size_t length = SequenceLength(lead);
        if (length == 0 || at + length > bytes.size())
            return false;
        if (length > 1 && !SecondByteFits(lead, static_cast<unsigned char>(bytes[at + 1])))
            return false;
        for (size_t n = 2; n < length; ++n) {
            if (!IsContinuation(static_cast<unsigned char>(bytes[at + n])))
                return false;
        }
        at += length;
    }
    return true;
}

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
