// Any buffer at any phase: the rotate effect's fast form gives the plain
// loop's samples and phase bit for bit, touches no partial frame, and keeps
// the phase within a full turn; the gain rule gives a whole number of
// decibels for any position.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "equalizer_rules.h"
#include "rotate_effect.h"
#include "fuzz_require.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace audiolink;
    if (size < 4)
        return 0;
    uint32_t word = 0;
    std::memcpy(&word, data, 4);
    float gain = BandGain(int32_t(word));
    Require(std::isfinite(gain) && gain == std::nearbyint(gain));

    float phase = static_cast<float>(double(word) / 4294967296.0 * 6.283185307179586);
    if (phase >= RotateFullTurn)
        phase = 0.0f;
    const float step = 0.00002f;
    size_t length = size - 4;
    size_t frames = length / 4;
    std::vector<int16_t> fast(frames * 2), reference(frames * 2);
    if (frames)
        std::memcpy(fast.data(), data + 4, frames * 4);
    reference = fast;
    float a = RotateFrames(fast.data(), frames, phase, step);
    float b = ReferenceRotate(reference.data(), frames, phase, step);
    Require(std::memcmp(&a, &b, sizeof a) == 0);
    Require(fast == reference);
    Require(a >= 0.0f && a < RotateFullTurn);

    // The whole input as one buffer: the partial frame stays as it was.
    std::vector<uint8_t> buffer(data + 4, data + size);
    RotatePhase = phase;
    RotateBuffer(buffer.data(), buffer.size(), step);
    if (length % 4)
        Require(std::memcmp(buffer.data() + frames * 4, data + 4 + frames * 4, length % 4) == 0);
    if (frames)
        Require(std::memcmp(buffer.data(), fast.data(), frames * 4) == 0);
    float after = RotatePhase.load();
    Require(std::memcmp(&after, &a, sizeof a) == 0);
    return 0;
}
