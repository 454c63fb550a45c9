// The rotate effect's phase shared between the mixing thread, which runs
// the callback over buffer after buffer, and the application's thread,
// which switches the effect off and on (restarting the phase).
#include <gtest/gtest.h>

#include "rotate_effect.h"

#include <atomic>
#include <thread>
#include <vector>

namespace {

using namespace audiolink;

TEST(RotateThreads, RestartsWhileTheMixingThreadRuns)
{
    RestartRotatePhase();
    std::atomic<bool> stop{false};
    std::atomic<int> buffers{0};
    std::thread mixer([&] {
        std::vector<int16_t> buffer(2 * 512, 1000);
        while (!stop.load()) {
            RotateBuffer(buffer.data(), buffer.size() * 2, 0.00002f);
            float phase = RotatePhase.load();
            EXPECT_GE(phase, 0.0f);
            EXPECT_LT(phase, RotateFullTurn);
            ++buffers;
        }
    });
    // Switched off and on over and over while the buffers go by.
    for (int n = 0; n < 2000 || buffers.load() < 200; ++n) {
        RestartRotatePhase();
        std::this_thread::yield();
    }
    stop = true;
    mixer.join();
    float phase = RotatePhase.load();
    EXPECT_GE(phase, 0.0f);
    EXPECT_LT(phase, RotateFullTurn);
}

} // namespace
