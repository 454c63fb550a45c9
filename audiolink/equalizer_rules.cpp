#include "equalizer_rules.h"

#include <cmath>
#include <cstring>

namespace audiolink {

namespace {

// The band list as the dialog's designers wrote it.
constexpr const char BandList[] = "80,170,310,600,1K,3K,6K,10K,12K,14K";

} // namespace

float BandCentre(int band)
{
    if (band < 1 || band > EqualizerBands)
        return 0.0f;
    // Field number band of the list, each "K" read as "000".
    const char *at = BandList;
    for (int field = 1; field < band; ++field)
        at = std::strchr(at, ',') + 1;
    long value = 0;
    for (; *at && *at != ','; ++at)
        value = *at == 'K' ? value * 1000 : value * 10 + (*at - '0');
    return float(value);
}

float BandGain(int32_t position)
{
    // The divisor is the single-precision constant; the quotient is taken in
    // double precision.
    double gain = double(position) / double(3.3333f) - 15.0;
    // nearbyint rounds halves to even in the default rounding mode; adding
    // +0.0 turns a rounded -0.0 into +0.0.
    return float(std::nearbyint(gain) + 0.0);
}

} // namespace audiolink
