// The parametric equaliser band: a peaking biquad filter over interleaved
// signed 16-bit stereo, set by its centre frequency (Hz), its bandwidth
// (semitones, measured between the points of half the band's gain in dB)
// and its gain at the centre (dB).
//
// Win32-free: built into the engine and natively into its tests.
#pragma once
#include <cstddef>
#include <cstdint>

namespace engine {

// The ranges an equaliser band accepts: a centre above 0 and below half
// the output rate, 1 to 36 semitones, -15 to +15 dB.
constexpr float MinEqBandwidth = 1.0f;
constexpr float MaxEqBandwidth = 36.0f;
constexpr float MaxEqGain = 15.0f;

bool EqParametersValid(float center, float bandwidth, float gain, uint32_t rate);

struct PeakingFilter {
    // Normalised coefficients (a0 = 1).
    double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
    bool passThrough = true;
    // Two past inputs and outputs per side.
    double x1[2] = {}, x2[2] = {}, y1[2] = {}, y2[2] = {};
};

// Sets the filter for a band at rate frames per second (the parameters
// valid for it); clears its history. A gain of 0 dB passes the samples
// through unchanged.
void SetPeakingFilter(PeakingFilter *filter, float center, float bandwidth, float gain,
                      uint32_t rate);

// Filters frames stereo frames in place, rounding to nearest and clipping.
void RunPeakingFilter(PeakingFilter *filter, int16_t *samples, size_t frames);

// The filter's gain in dB at a frequency (for tests and checks).
double PeakingResponseDb(const PeakingFilter &filter, double frequency, uint32_t rate);

} // namespace engine
