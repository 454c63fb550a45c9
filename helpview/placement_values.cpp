#include "placement_values.h"

#include <algorithm>

namespace helpview {

namespace {

int ValueAt(const std::uint8_t *bytes, size_t size, size_t index)
{
    size_t at = index * 2;
    std::uint8_t low = at < size ? bytes[at] : 0;
    std::uint8_t high = at + 1 < size ? bytes[at + 1] : 0;
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(low | high << 8));
}

// Where a span [start, start + length) goes so that it lies inside
// [areaStart, areaStart + areaLength), or starts there when it is longer.
long long PullInside(long long start, long long length, long long areaStart, long long areaLength)
{
    return std::max(areaStart, std::min(start, areaStart + areaLength - length));
}

} // namespace

Placement DefaultPlacement(int screenWidth, int screenHeight)
{
    Placement placement;
    placement.width = DefaultWidth;
    placement.height = DefaultHeight;
    placement.left = std::max((screenWidth - DefaultWidth) / 2, 0);
    placement.top = std::max((screenHeight - DefaultHeight) / 2, 0);
    return placement;
}

Placement DecodePlacement(const std::uint8_t *bytes, size_t size, int minimumWidth, int minimumHeight,
                          int screenWidth, int screenHeight)
{
    if (!bytes || size == 0)
        return DefaultPlacement(screenWidth, screenHeight);
    Placement placement;
    placement.left = std::max(ValueAt(bytes, size, 0), 0);
    placement.top = std::max(ValueAt(bytes, size, 1), 0);
    placement.width = std::max(ValueAt(bytes, size, 2), minimumWidth);
    placement.height = std::max(ValueAt(bytes, size, 3), minimumHeight);
    return placement;
}

std::array<std::uint8_t, PlacementSize> EncodePlacement(const Placement &placement)
{
    const int values[] = {placement.left, placement.top, placement.width, placement.height};
    std::array<std::uint8_t, PlacementSize> bytes{};
    for (size_t i = 0; i < 4; ++i) {
        auto value = static_cast<std::uint32_t>(values[i]);
        bytes[i * 2] = static_cast<std::uint8_t>(value & 0xFF);
        bytes[i * 2 + 1] = static_cast<std::uint8_t>(value >> 8 & 0xFF);
    }
    return bytes;
}

Placement BringIntoView(const Placement &placement, const ScreenArea &desktop)
{
    if (desktop.width <= 0 || desktop.height <= 0)
        return placement;
    // 64-bit: a width near INT_MAX must not overflow the edges.
    long long left = placement.left, top = placement.top;
    long long right = left + std::max(placement.width, 0), bottom = top + std::max(placement.height, 0);
    long long deskRight = static_cast<long long>(desktop.left) + desktop.width;
    long long deskBottom = static_cast<long long>(desktop.top) + desktop.height;
    bool overlaps = right > desktop.left && left < deskRight && bottom > desktop.top && top < deskBottom;
    if (overlaps)
        return placement;
    Placement moved = placement;
    moved.left = static_cast<int>(PullInside(left, right - left, desktop.left, desktop.width));
    moved.top = static_cast<int>(PullInside(top, bottom - top, desktop.top, desktop.height));
    return moved;
}

} // namespace helpview
