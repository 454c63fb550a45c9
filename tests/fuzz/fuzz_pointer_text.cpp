// Any bytes as the text at an address: the text read never goes past the
// limit or the first zero byte, and the trimmed text has no blank at either
// end and is a piece of what was read. A cut for a UTF-8 host keeps to the
// limit and leaves valid UTF-8 valid.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

#include "display_text.h"
#include "pointer_text.h"
#include "fuzz_require.h"
#include "utf8_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // An exact-size copy: ASan reports any look past its end.
    std::vector<char> bytes(data, data + size);
    const char *address = bytes.empty() ? nullptr : bytes.data();
    for (size_t limit : {size_t(0), size_t(1), size / 2, size, size_t(259) < size ? size_t(259) : size}) {
        std::string_view text = audiolink::LeadingText(address, limit);
        Require(text.size() <= limit);
        Require(text.find('\0') == std::string_view::npos);
        Require(text.size() == limit || (address && address[text.size()] == '\0') || !address);
        std::string_view trimmed = audiolink::TrimBlanks(text);
        Require(trimmed.empty() || (trimmed.front() != ' ' && trimmed.back() != ' '));
        Require(text.find(trimmed) != std::string_view::npos);

        size_t cut = audiolink::Utf8Cut(text, limit / 2);
        Require(cut <= limit / 2 && (cut == text.size() || cut + 3 >= limit / 2));
        Require(!utf8::IsValid(text) || utf8::IsValid(text.substr(0, cut)));
    }
    return 0;
}
