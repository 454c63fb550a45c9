// The equalizer's numbers: where each of the ten bands sits and the gain a
// track bar position gives.
#pragma once
#include <cstdint>

namespace audiolink {

constexpr int EqualizerBands = 10;
// Every band is this wide, in semitones.
constexpr float BandWidthSemitones = 18.0f;

// The centre frequency of band 1 to 10 in Hz (80 to 14000); 0 for any other
// band.
float BandCentre(int band);

// The gain of a track position (0 to 100, 50 = neutral): position / 3.3333
// - 15, rounded to a whole number of decibels with halves to even, so -15 to
// +15 dB. A zero gain is +0.0.
float BandGain(int32_t position);

} // namespace audiolink
