// Any byte sequence as a WAVE file: a format within the bytes, or a
// refusal; a format found is rendered to its last frame, so a data range
// outside the bytes would be read.
#include "sample_render.h"
#include "wav_format.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    engine::WavFormat format;
    if (engine::ReadWav(data, size, &format) != engine::WavResult::Ok)
        return 0;
    if (format.dataOffset + format.dataBytes > size || format.dataBytes % format.FrameBytes() != 0)
        abort();
    engine::PcmSource source;
    source.data = data + format.dataOffset;
    source.frames = format.Frames();
    source.channels = format.channels;
    source.bits = format.bits;
    engine::FramePosition position = 0;
    int16_t block[2 * 256];
    engine::FramePosition step = engine::StepOf(format.rate, 44100);
    while (engine::RenderFrames(source, &position, step, block, 256) == 256) {
    }
    return 0;
}
