// Turning a channel's PCM data into the mixer's format, interleaved signed
// 16-bit stereo at the output rate, and mixing such blocks together.
//
// Win32-free: built into the engine and natively into its tests.
#pragma once
#include <cstddef>
#include <cstdint>

namespace engine {

// A channel's samples as the file holds them.
struct PcmSource {
    const uint8_t *data = nullptr;
    size_t frames = 0;
    uint16_t channels = 0; // 1 or 2
    uint16_t bits = 0;     // 8 (unsigned) or 16 (signed)
};

// The source frame's samples as signed 16-bit left and right (a mono
// frame on both sides; 8-bit samples scaled up exactly).
void FrameAt(const PcmSource &source, size_t frame, int16_t *left, int16_t *right);

// A read position in source frames, with a 32-bit fraction.
using FramePosition = uint64_t;
constexpr FramePosition WholeFrame = FramePosition(1) << 32;

inline FramePosition FramePositionOf(size_t frame)
{
    return FramePosition(frame) << 32;
}

inline size_t FrameOf(FramePosition position)
{
    return size_t(position >> 32);
}

// How far the read position moves per output frame when a source of
// sourceRate frames per second plays at outputRate (both non-zero).
FramePosition StepOf(uint32_t sourceRate, uint32_t outputRate);

// Fills up to frames stereo output frames from *position on, moving
// *position by step per frame, and returns how many it wrote (fewer only
// at the end of the source). Between two source frames the value is
// interpolated on a straight line, rounded to nearest; at a whole position
// the source frame comes out unchanged, so with a step of WholeFrame the
// output is the source itself.
size_t RenderFrames(const PcmSource &source, FramePosition *position, FramePosition step,
                    int16_t *out, size_t frames);

// Scales a block of stereo frames by left and right gains (1.0 leaves the
// samples exactly as they are), rounding to nearest and clipping.
void ApplyGains(int16_t *samples, size_t frames, double left, double right);

// Adds a block of stereo frames to a 32-bit mixing buffer.
void MixInto(int32_t *mix, const int16_t *samples, size_t frames);

// The mixing buffer clipped to 16 bits.
void ClipMix(const int32_t *mix, int16_t *out, size_t frames);

// The highest magnitude of each side of a block, 0 to 32768, as the
// channel level: left in the low word, right in the high word.
uint32_t PeakLevels(const int16_t *samples, size_t frames);

} // namespace engine
