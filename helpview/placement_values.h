// The window placement kept between runs: 8 bytes, four 16-bit signed
// little-endian integers (left, top, width, height). Win32-free.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

namespace helpview {

constexpr size_t PlacementSize = 8;
constexpr int DefaultWidth = 600;
constexpr int DefaultHeight = 450;

struct Placement {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// A rectangle of the desktop: the virtual screen spans every monitor.
struct ScreenArea {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// 600 x 450, centred on a screen of the given size (never at a negative
// position).
Placement DefaultPlacement(int screenWidth, int screenHeight);

// The placement held by the first size bytes of a file (bytes past the end
// count as zero, bytes past the eighth are ignored): left and top at least 0,
// width and height at least the skin's minima. No bytes at all give the
// default.
Placement DecodePlacement(const std::uint8_t *bytes, size_t size, int minimumWidth, int minimumHeight,
                          int screenWidth, int screenHeight);

// The four values as stored: the low 16 bits of each, little-endian.
std::array<std::uint8_t, PlacementSize> EncodePlacement(const Placement &placement);

// A window lying wholly outside the desktop (its monitor has gone) is moved,
// keeping its size, to the nearest position inside; one the desktop shows at
// least in part is left where it is.
Placement BringIntoView(const Placement &placement, const ScreenArea &desktop);

} // namespace helpview
