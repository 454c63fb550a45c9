// Any working name: the extension key is the tail from the last dot,
// upper-cased, with a dot appended, and its kind is one of the known codes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "media_names.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::string_view name(reinterpret_cast<const char *>(data), size);
    std::string key = audiolink::ExtensionKey(name);
    size_t dot = name.rfind('.');
    if (dot == std::string_view::npos) {
        if (!key.empty())
            std::abort();
    } else if (key.size() != name.size() - dot + 1 || key.front() != '.' || key.back() != '.') {
        std::abort();
    }
    for (char c : key) {
        if (c >= 'a' && c <= 'z')
            std::abort();
    }
    int kind = audiolink::KindForExtensionKey(key);
    if (kind != 0 && kind != 1 && kind != 3 && kind != 4 && kind != 5)
        std::abort();
    audiolink::IsNetworkName(name);
    return 0;
}
