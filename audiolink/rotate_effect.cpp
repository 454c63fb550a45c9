#include "rotate_effect.h"

#include <cmath>
#include <cstring>

namespace audiolink {

std::atomic<float> RotatePhase{0.0f};

namespace {

// A sample times a factor, truncated toward zero, its low 16 bits.
inline int16_t Scaled(int16_t sample, double factor)
{
    double product = double(sample) * factor;
    return static_cast<int16_t>(static_cast<uint16_t>(static_cast<int32_t>(product)));
}

// Sine and cosine of a phase in [0, 2 pi) to within 1e-13:
// reduction to the nearest quarter turn (pi/2 in two parts, exact products
// for the quarter counts 0 to 4), then Taylor polynomials on |r| <= pi/4.
struct SinCos {
    double sine, cosine;
};

constexpr double QuarterTurnHigh = 1.5707963267341256;     // low 20 bits clear
constexpr double QuarterTurnLow = 6.077100506506192e-11;    // pi/2 - QuarterTurnHigh
constexpr double QuartersPerRadian = 0.6366197723675814;

inline SinCos FastSinCos(double x)
{
    int quarter = static_cast<int>(x * QuartersPerRadian + 0.5);
    double r = (x - quarter * QuarterTurnHigh) - quarter * QuarterTurnLow;
    double r2 = r * r;
    // Remainders r^15/15! and r^16/16!: below 3e-14.
    double s = r * (1.0 + r2 * (-1.0 / 6 + r2 * (1.0 / 120 + r2 * (-1.0 / 5040 + r2 * (1.0 / 362880 +
               r2 * (-1.0 / 39916800 + r2 * (1.0 / 6227020800.0)))))));
    double c = 1.0 + r2 * (-0.5 + r2 * (1.0 / 24 + r2 * (-1.0 / 720 + r2 * (1.0 / 40320 +
               r2 * (-1.0 / 3628800 + r2 * (1.0 / 479001600.0 + r2 * (-1.0 / 87178291200.0)))))));
    switch (quarter & 3) {
    case 0: return {s, c};
    case 1: return {c, -s};
    case 2: return {-s, -c};
    default: return {-c, s};
    }
}

// A sample times an approximate factor, truncated toward zero, or, when
// the product lies within the approximation's reach of a whole number (where
// it might truncate differently from the exact one), times the exact one.
constexpr double Reach = 1.0 / (1 << 20);

template <typename Exact> inline int16_t ScaledFast(int16_t sample, double factor, Exact exact)
{
    double product = double(sample) * factor;
    int32_t whole = static_cast<int32_t>(product);
    double fraction = std::fabs(product - double(whole));
    if ((fraction < Reach || fraction > 1.0 - Reach) && sample != 0)
        whole = static_cast<int32_t>(double(sample) * exact());
    return static_cast<int16_t>(static_cast<uint16_t>(whole));
}

} // namespace

void RestartRotatePhase()
{
    RotatePhase.store(RotateStartPhase, std::memory_order_relaxed);
}

float ReferenceRotate(int16_t *samples, size_t frames, float phase, float step)
{
    for (size_t n = 0; n < frames; ++n) {
        double angle = phase;
        samples[2 * n] = Scaled(samples[2 * n], std::sin(angle));
        samples[2 * n + 1] = Scaled(samples[2 * n + 1], std::cos(angle));
        phase = NextRotatePhase(phase, step);
    }
    return phase;
}

float RotateFrames(int16_t *samples, size_t frames, float phase, float step)
{
    for (size_t n = 0; n < frames; ++n) {
        double angle = phase;
        int16_t &left = samples[2 * n];
        int16_t &right = samples[2 * n + 1];
        // A phase outside a full turn (only a restart from outside could
        // set one) goes the library's way.
        if (angle >= 0.0 && angle < 2 * 3.141592653589793) {
            SinCos factors = FastSinCos(angle);
            left = ScaledFast(left, factors.sine, [angle] { return std::sin(angle); });
            right = ScaledFast(right, factors.cosine, [angle] { return std::cos(angle); });
        } else {
            left = Scaled(left, std::sin(angle));
            right = Scaled(right, std::cos(angle));
        }
        phase = NextRotatePhase(phase, step);
    }
    return phase;
}

void RotateBuffer(void *buffer, size_t length, float step)
{
    if (!buffer)
        return;
    size_t frames = length / 4;
    float start = RotatePhase.load(std::memory_order_relaxed);
    auto *samples = static_cast<int16_t *>(buffer);
    float end = RotateFrames(samples, frames, start, step);
    // A restart on the application's thread meanwhile wins: the next buffer
    // begins at the start phase.
    RotatePhase.compare_exchange_strong(start, end, std::memory_order_relaxed);
}

} // namespace audiolink
