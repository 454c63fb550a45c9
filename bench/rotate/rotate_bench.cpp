// The rotate effect's speed: RotateDsp over one long buffer of 16-bit
// stereo, against the plain loop (per frame, the library's sine and cosine
// of the float phase in double precision), with a check that both give the
// same samples and the same phase bit for bit. Prints frames per second and
// the real-time factor at 44,100 Hz.
#include <windows.h>

#include "effects_rack.h"
#include "media_state.h"
#include "rotate_effect.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>
#include "bench_architecture.h"

namespace {

constexpr size_t Frames = 12000000;
constexpr double SampleRate = 44100.0;
constexpr int Rounds = 3;

double Seconds()
{
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return double(counter.QuadPart) / double(frequency.QuadPart);
}

// Full-range noise with a quiet stretch and a run of extremes.
std::vector<int16_t> Signal()
{
    std::vector<int16_t> samples(2 * Frames);
    uint32_t state = 12345;
    for (size_t n = 0; n < samples.size(); ++n) {
        state = state * 1664525u + 1013904223u;
        samples[n] = int16_t(state >> 16);
    }
    for (size_t n = 1000000; n < 1100000; ++n)
        samples[n] = 0;
    for (size_t n = 2000000; n < 2000100; ++n)
        samples[n] = n % 2 ? 32767 : -32768;
    return samples;
}

void Report(const char *name, double seconds)
{
    double perSecond = double(Frames) / seconds;
    std::printf("%-34s %8.2f ns/frame %12.0f frames/s %8.0f x real time\n", name,
                seconds * 1e9 / double(Frames), perSecond, perSecond / SampleRate);
}

uint32_t Bits(float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

} // namespace

int main()
{
    using namespace audiolink;
    const float step = DefaultRotateStep;
    RotateStep = step;
    const std::vector<int16_t> signal = Signal();
    std::vector<int16_t> reference, fast;
    float referencePhase = 0.0f, fastPhase = 0.0f;
    double referenceBest = 1e9, fastBest = 1e9;

    for (int round = 0; round < Rounds; ++round) {
        reference = signal;
        double start = Seconds();
        referencePhase = ReferenceRotate(reference.data(), Frames, RotateStartPhase, step);
        double took = Seconds() - start;
        if (took < referenceBest)
            referenceBest = took;

        fast = signal;
        RestartRotatePhase();
        start = Seconds();
        RotateDsp(1, 1, fast.data(), DWORD(fast.size() * sizeof(int16_t)), 0);
        took = Seconds() - start;
        if (took < fastBest)
            fastBest = took;
        fastPhase = RotatePhase.load();
    }

    size_t differing = 0;
    for (size_t n = 0; n < fast.size(); ++n)
        differing += fast[n] != reference[n];
    bool samePhase = Bits(fastPhase) == Bits(referencePhase);

    std::printf("[%s] rotate: %zu frames of 16-bit stereo, best of %d runs\n", BenchArchitecture, Frames, Rounds);
    Report("reference loop (sin, cos per frame)", referenceBest);
    Report("RotateDsp", fastBest);
    std::printf("speed-up: %.2f x\n", referenceBest / fastBest);
    std::printf("samples: %s (%zu of %zu differ)\n", differing ? "DIFFERENT" : "identical", differing,
                fast.size());
    std::printf("phase: %s (reference %.9g, RotateDsp %.9g)\n", samePhase ? "identical" : "DIFFERENT",
                double(referencePhase), double(fastPhase));
    return differing == 0 && samePhase ? 0 : 1;
}
