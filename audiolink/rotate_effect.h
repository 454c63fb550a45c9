// The rotate effect's sample arithmetic: interleaved signed 16-bit stereo,
// the left side scaled by the sine of the phase and the right by its
// cosine, the phase advancing by a fixed step per frame. Runs on the audio
// library's mixing thread: in place, no allocation, no lock.
#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>

namespace audiolink {

// Radians, always in [0, 2 pi). Written on the application's thread when the
// effect is switched on, advanced by the mixing thread.
extern std::atomic<float> RotatePhase;

// pi/4 to seven places, as the effect starts.
constexpr float RotateStartPhase = static_cast<float>(0.7853981);
// A full turn, where the phase wraps.
constexpr float RotateFullTurn = static_cast<float>(6.283185307179586);

// The phase after one frame: the float sum, less a full turn once it
// reaches one. Without the wrap the float would lose the step from 128 rad
// on and stop moving at 512 rad.
inline float NextRotatePhase(float phase, float step)
{
    phase = phase + step;
    if (phase >= RotateFullTurn)
        phase = phase - RotateFullTurn;
    return phase;
}

// Restarts the effect at its start phase.
void RestartRotatePhase();

// Rotates the whole 4-byte frames of buffer (length in bytes) from
// RotatePhase on and stores the phase after the last frame, unless the
// phase was restarted meanwhile. A partial frame at the end is untouched.
void RotateBuffer(void *buffer, size_t length, float step);

// The same over frames with an explicit phase; returns the phase after the
// last frame. Gives exactly what ReferenceRotate gives.
float RotateFrames(int16_t *samples, size_t frames, float phase, float step);

// The plain form: per frame, the library's sine and cosine of the phase in
// double precision. Kept as the yardstick of RotateFrames.
float ReferenceRotate(int16_t *samples, size_t frames, float phase, float step);

} // namespace audiolink
