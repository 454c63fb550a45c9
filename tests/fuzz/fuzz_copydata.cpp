// Any WM_COPYDATA payload with any lengths: the text is read from the
// payload only, is at most 255 bytes and holds no zero byte; it is said to
// be cut only when the limit cut it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "copydata_command.h"
#include "fuzz_require.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 8)
        return 0;
    std::uint32_t wParam, dwData;
    std::memcpy(&wParam, data, 4);
    std::memcpy(&dwData, data + 4, 4);
    // A copy of exactly cbData bytes, so ASan sees any read past it.
    std::vector<std::uint8_t> payload(data + 8, data + size);
    auto cbData = std::uint32_t(payload.size());
    auto command = helpview::DecodeCopyData(wParam, dwData, cbData, payload.empty() ? nullptr : payload.data());
    Require(command.code == dwData);
    Require(command.text.size() <= helpview::MaxNavigationText);
    Require(command.text.size() <= wParam && command.text.size() <= cbData);
    Require(command.text.find('\0') == std::string::npos);
    Require(command.text.empty() || std::memcmp(command.text.data(), payload.data(), command.text.size()) == 0);
    Require(!command.cut || command.text.size() == helpview::MaxNavigationText);
    return 0;
}
