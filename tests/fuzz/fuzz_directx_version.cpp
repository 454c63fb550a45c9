// Any text as the DirectX version kept in the registry: reading it never
// fails or overflows, a text without a dot gives 0, and a number written as
// the second field reads back.
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "directx_version.h"
#include "fuzz_require.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::string_view input(reinterpret_cast<const char *>(data), size);
    int version = audiolink::DirectXMajorVersion(input);
    Require(version >= 0 && version <= INT_MAX);
    if (input.find('.') == std::string_view::npos)
        Require(version == 0);

    if (size >= 4) {
        uint32_t word = (uint32_t(data[0]) | uint32_t(data[1]) << 8 | uint32_t(data[2]) << 16 | uint32_t(data[3]) << 24) & 0x7FFFFFFFu;
        std::string text = "4." + std::to_string(word) + "." + std::string(input.substr(4));
        Require(audiolink::DirectXMajorVersion(text) == int(word));
    }
    return 0;
}
