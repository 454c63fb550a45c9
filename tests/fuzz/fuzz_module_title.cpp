// Any bytes as a module header (the first line the base name): the title
// never holds byte 0 or 26 and never starts or ends in a blank; for a UTF-8
// host it is valid UTF-8, at most twice the 256 bytes read.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "media_names.h"
#include "utf8_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::string_view input(reinterpret_cast<const char *>(data), size);
    size_t split = input.find('\n');
    std::string_view base = split == std::string_view::npos ? std::string_view() : input.substr(0, split);
    std::string_view header = split == std::string_view::npos ? input : input.substr(split + 1);
    std::string utf8Base = audiolink::DisplayText(base, audiolink::HostText::Utf8);
    std::string utf8Title = audiolink::ModuleTitle(header, utf8Base, audiolink::HostText::Utf8);
    if (!utf8::IsValid(utf8Title) || (utf8Title != utf8Base && utf8Title.size() > 512))
        std::abort();

    std::string title = audiolink::ModuleTitle(header, base);
    if (title == base)
        return 0;
    if (title.size() > 256 || title.find('\0') != std::string::npos || title.find('\x1a') != std::string::npos)
        std::abort();
    if (!title.empty() && (title.front() == ' ' || title.back() == ' '))
        std::abort();
    return 0;
}
