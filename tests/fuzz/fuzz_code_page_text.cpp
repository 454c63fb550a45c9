// Any bytes in a single-byte, double-byte or UTF-8 code page: a cut stays
// within its limits and the text, and a cut of valid UTF-8 is valid UTF-8,
// as long as its limits allow and no longer.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "code_page_text.h"
#include "fuzz_require.h"
#include "utf8_text.h"

using helpview::CodePageShape;

namespace {

// UTF-16 units of valid UTF-8: one for each lead byte, two for a four-byte one.
size_t UnitsOf(std::string_view utf8)
{
    size_t units = 0;
    for (unsigned char byte : utf8)
        units += (byte & 0xC0) == 0x80 ? 0 : byte >= 0xF0 ? 2 : 1;
    return units;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 3)
        return 0;
    size_t maxBytes = size_t(data[0]) * 3, maxUnits = size_t(data[1]) * 2;
    CodePageShape shape;
    shape.utf8 = data[2] % 3 == 1;
    if (data[2] % 3 == 2) {
        for (int lead = 0x81; lead <= 0x9F; ++lead)
            shape.leadBytes[size_t(lead)] = true;
    }
    std::string_view text(reinterpret_cast<const char *>(data + 3), size - 3);
    size_t cut = helpview::WholeCharacters(text, shape, maxBytes, maxUnits);
    Require(cut <= maxBytes && cut <= text.size());
    if (!shape.utf8 || !utf8::IsValid(text))
        return 0;
    std::string_view kept = text.substr(0, cut);
    Require(utf8::IsValid(kept));
    Require(UnitsOf(kept) <= maxUnits);
    if (cut < text.size()) {
        // The next character would break a limit.
        size_t next = helpview::WholeCharacters(text.substr(cut), shape, 4, 2);
        Require(next > 0);
        Require(cut + next > maxBytes || UnitsOf(kept) + UnitsOf(text.substr(cut, next)) > maxUnits);
    }
    Require(helpview::WholeCharacters(text, shape, text.size(), text.size()) == text.size());
    return 0;
}
