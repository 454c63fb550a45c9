// Any placement file: the values respect the minima and the origin, and a
// window placed off the desktop comes back onto it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "placement_values.h"
#include "fuzz_require.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace helpview;
    Placement placement = DecodePlacement(data, size, 300, 200, 1024, 768);
    Require(placement.left >= 0 && placement.top >= 0);
    Require(placement.width >= 300 && placement.height >= 200);
    Require(placement.left <= 32767 && placement.width <= 32767);

    auto bytes = EncodePlacement(placement);
    Placement again = DecodePlacement(bytes.data(), bytes.size(), 300, 200, 1024, 768);
    Require(again.left == placement.left && again.top == placement.top && again.width == placement.width &&
            again.height == placement.height);

    const ScreenArea desktops[] = {{0, 0, 1024, 768}, {-1280, -200, 2304, 1224}, {0, 0, 1, 1}};
    for (const ScreenArea &desktop : desktops) {
        Placement seen = BringIntoView(placement, desktop);
        Require(seen.width == placement.width && seen.height == placement.height);
        Require(seen.left < desktop.left + desktop.width && seen.left + seen.width > desktop.left);
        Require(seen.top < desktop.top + desktop.height && seen.top + seen.height > desktop.top);
    }
    return 0;
}
