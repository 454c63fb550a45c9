#include "sample_render.h"

#include <cmath>

namespace engine {

namespace {

int16_t Sample16(const uint8_t *at)
{
    return int16_t(uint16_t(at[0] | (at[1] << 8)));
}

// 8-bit samples are unsigned around 128.
int16_t Sample8(const uint8_t *at)
{
    return int16_t((int(at[0]) - 128) * 256);
}

int16_t Clip(double value)
{
    double rounded = std::floor(value + 0.5);
    if (rounded > 32767.0)
        return 32767;
    if (rounded < -32768.0)
        return -32768;
    return int16_t(rounded);
}

} // namespace

void FrameAt(const PcmSource &source, size_t frame, int16_t *left, int16_t *right)
{
    size_t sampleBytes = source.bits / 8u;
    const uint8_t *at = source.data + frame * source.channels * sampleBytes;
    if (sampleBytes == 2) {
        *left = Sample16(at);
        *right = source.channels == 2 ? Sample16(at + 2) : *left;
    } else {
        *left = Sample8(at);
        *right = source.channels == 2 ? Sample8(at + 1) : *left;
    }
}

FramePosition StepOf(uint32_t sourceRate, uint32_t outputRate)
{
    if (!sourceRate || !outputRate)
        return WholeFrame;
    return (FramePosition(sourceRate) << 32) / outputRate;
}

size_t RenderFrames(const PcmSource &source, FramePosition *position, FramePosition step,
                    int16_t *out, size_t frames)
{
    size_t written = 0;
    FramePosition at = *position;
    while (written < frames && FrameOf(at) < source.frames) {
        size_t frame = FrameOf(at);
        uint32_t fraction = uint32_t(at);
        int16_t left = 0, right = 0;
        FrameAt(source, frame, &left, &right);
        if (fraction && frame + 1 < source.frames) {
            int16_t nextLeft = 0, nextRight = 0;
            FrameAt(source, frame + 1, &nextLeft, &nextRight);
            double weight = fraction / 4294967296.0;
            left = Clip(left + (nextLeft - left) * weight);
            right = Clip(right + (nextRight - right) * weight);
        }
        out[2 * written] = left;
        out[2 * written + 1] = right;
        ++written;
        at += step;
    }
    *position = at;
    return written;
}

void ApplyGains(int16_t *samples, size_t frames, double left, double right)
{
    if (left == 1.0 && right == 1.0)
        return;
    for (size_t n = 0; n < frames; ++n) {
        samples[2 * n] = Clip(samples[2 * n] * left);
        samples[2 * n + 1] = Clip(samples[2 * n + 1] * right);
    }
}

void MixInto(int32_t *mix, const int16_t *samples, size_t frames)
{
    for (size_t n = 0; n < 2 * frames; ++n)
        mix[n] += samples[n];
}

void ClipMix(const int32_t *mix, int16_t *out, size_t frames)
{
    for (size_t n = 0; n < 2 * frames; ++n)
        out[n] = int16_t(mix[n] > 32767 ? 32767 : mix[n] < -32768 ? -32768 : mix[n]);
}

uint32_t PeakLevels(const int16_t *samples, size_t frames)
{
    uint32_t left = 0, right = 0;
    for (size_t n = 0; n < frames; ++n) {
        uint32_t l = uint32_t(samples[2 * n] < 0 ? -int32_t(samples[2 * n]) : samples[2 * n]);
        uint32_t r = uint32_t(samples[2 * n + 1] < 0 ? -int32_t(samples[2 * n + 1]) : samples[2 * n + 1]);
        if (l > left)
            left = l;
        if (r > right)
            right = r;
    }
    return left | (right << 16);
}

} // namespace engine
