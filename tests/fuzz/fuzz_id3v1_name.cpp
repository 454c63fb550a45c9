// Any bytes as the end of a file (the first line the base name): a name
// comes back without trailing blanks, and without a tag it is the base name.
// For a UTF-8 host the name is valid UTF-8, and it grows only by what the
// conversion of Latin-1 adds.
#include <algorithm>
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
    std::string_view tag = split == std::string_view::npos ? input : input.substr(split + 1);
    std::string name = audiolink::Id3v1Name(tag, base);
    bool tagged = tag.size() >= audiolink::Id3v1Size && tag.substr(0, 3) == "TAG";
    if (!tagged && name != base)
        std::abort();
    if (tagged && !name.empty() && name.back() == ' ')
        std::abort();
    // At most a 30-byte title (or the base name in its place), artist 30,
    // album 30, year 4, comment 28 and "#255", with a blank between each.
    if (tagged && name.size() > std::max<size_t>(base.size(), 30) + 30 + 30 + 4 + 28 + 4 + 5)
        std::abort();

    std::string utf8Base = audiolink::DisplayText(base, audiolink::HostText::Utf8);
    std::string utf8Name = audiolink::Id3v1Name(tag, utf8Base, audiolink::HostText::Utf8);
    if (!utf8::IsValid(utf8Name) || (!tagged && utf8Name != utf8Base))
        std::abort();
    if (tagged && utf8Name.size() > std::max<size_t>(utf8Base.size(), 60) + 60 + 60 + 8 + 56 + 4 + 5)
        std::abort();
    return 0;
}
