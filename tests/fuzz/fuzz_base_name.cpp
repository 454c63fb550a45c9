// Any name: the backslashed form keeps its length and has no "/", and the
// cut base name is a prefix without the last dot.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "media_names.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::string_view name(reinterpret_cast<const char *>(data), size);
    std::string backslashed = audiolink::WithBackslashes(name);
    if (backslashed.size() != name.size() || backslashed.find('/') != std::string::npos)
        std::abort();
    std::string_view base = audiolink::CutExtension(backslashed);
    if (backslashed.compare(0, base.size(), base) != 0)
        std::abort();
    if (base.size() < backslashed.size() && backslashed[base.size()] != '.')
        std::abort();
    if (base.size() < backslashed.size() && backslashed.find('.', base.size() + 1) != std::string::npos)
        std::abort();
    return 0;
}
