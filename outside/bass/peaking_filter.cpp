#include "peaking_filter.h"

#include <cmath>

namespace engine {

namespace {

constexpr double Pi = 3.141592653589793;

} // namespace

bool EqParametersValid(float center, float bandwidth, float gain, uint32_t rate)
{
    // Written so that NaN fails every test.
    return rate > 0 && center > 0.0f && double(center) < rate / 2.0 &&
           bandwidth >= MinEqBandwidth && bandwidth <= MaxEqBandwidth && gain >= -MaxEqGain &&
           gain <= MaxEqGain;
}

// The peaking filter of the well-known audio equaliser cookbook: the gain
// A = 10^(dB/40) is applied by the numerator and divided out by the
// denominator, and the bandwidth in octaves sets the width through alpha.
void SetPeakingFilter(PeakingFilter *filter, float center, float bandwidth, float gain,
                      uint32_t rate)
{
    *filter = PeakingFilter{};
    if (gain == 0.0f || !EqParametersValid(center, bandwidth, gain, rate))
        return;
    double amplitude = std::pow(10.0, gain / 40.0);
    double w0 = 2 * Pi * center / rate;
    double octaves = bandwidth / 12.0;
    double alpha = std::sin(w0) * std::sinh(std::log(2.0) / 2 * octaves * w0 / std::sin(w0));
    double a0 = 1 + alpha / amplitude;
    filter->b0 = (1 + alpha * amplitude) / a0;
    filter->b1 = -2 * std::cos(w0) / a0;
    filter->b2 = (1 - alpha * amplitude) / a0;
    filter->a1 = filter->b1;
    filter->a2 = (1 - alpha / amplitude) / a0;
    filter->passThrough = false;
}

void RunPeakingFilter(PeakingFilter *filter, int16_t *samples, size_t frames)
{
    if (filter->passThrough)
        return;
    for (size_t n = 0; n < frames; ++n) {
        for (int side = 0; side < 2; ++side) {
            double x = samples[2 * n + side];
            double y = filter->b0 * x + filter->b1 * filter->x1[side] + filter->b2 * filter->x2[side] -
                       filter->a1 * filter->y1[side] - filter->a2 * filter->y2[side];
            filter->x2[side] = filter->x1[side];
            filter->x1[side] = x;
            filter->y2[side] = filter->y1[side];
            filter->y1[side] = y;
            double rounded = std::floor(y + 0.5);
            samples[2 * n + side] =
                int16_t(rounded > 32767.0 ? 32767 : rounded < -32768.0 ? -32768 : rounded);
        }
    }
}

double PeakingResponseDb(const PeakingFilter &filter, double frequency, uint32_t rate)
{
    if (filter.passThrough)
        return 0.0;
    double w = 2 * Pi * frequency / rate;
    // H(e^jw) = (b0 + b1 z^-1 + b2 z^-2) / (1 + a1 z^-1 + a2 z^-2)
    double numRe = filter.b0 + filter.b1 * std::cos(w) + filter.b2 * std::cos(2 * w);
    double numIm = -filter.b1 * std::sin(w) - filter.b2 * std::sin(2 * w);
    double denRe = 1 + filter.a1 * std::cos(w) + filter.a2 * std::cos(2 * w);
    double denIm = -filter.a1 * std::sin(w) - filter.a2 * std::sin(2 * w);
    double magnitude2 = (numRe * numRe + numIm * numIm) / (denRe * denRe + denIm * denIm);
    return 10 * std::log10(magnitude2);
}

} // namespace engine
