#include "wav_format.h"

#include <cstring>

namespace engine {

namespace {

uint16_t Word16(const uint8_t *at)
{
    return uint16_t(at[0] | (at[1] << 8));
}

uint32_t Word32(const uint8_t *at)
{
    return uint32_t(at[0]) | (uint32_t(at[1]) << 8) | (uint32_t(at[2]) << 16) |
           (uint32_t(at[3]) << 24);
}

void Put16(uint8_t *at, uint32_t value)
{
    at[0] = uint8_t(value);
    at[1] = uint8_t(value >> 8);
}

void Put32(uint8_t *at, uint32_t value)
{
    Put16(at, value);
    Put16(at + 2, value >> 16);
}

constexpr uint16_t FormatPcm = 1;
constexpr uint16_t FormatExtensible = 0xFFFE;
constexpr size_t ChunkHeaderBytes = 8;
// The fixed part of a format chunk, and the extensible form's length up to
// the first two bytes of its sub-format GUID.
constexpr size_t FormatBytes = 16;
constexpr size_t ExtensibleBytes = 26;

// The coding of a format chunk of length bytes: PCM, or the extensible
// form whose sub-format is PCM; 0 for anything else.
uint16_t CodingOf(const uint8_t *chunk, size_t length)
{
    uint16_t tag = Word16(chunk);
    if (tag == FormatExtensible)
        return length >= ExtensibleBytes ? Word16(chunk + 24) : 0;
    return tag;
}

} // namespace

WavResult ReadWav(const uint8_t *bytes, size_t size, WavFormat *format)
{
    *format = WavFormat{};
    if (!bytes || size < 12 || memcmp(bytes, "RIFF", 4) != 0 || memcmp(bytes + 8, "WAVE", 4) != 0)
        return WavResult::NotWav;
    const uint8_t *fmt = nullptr;
    size_t fmtLength = 0;
    size_t dataOffset = 0, dataBytes = 0;
    bool haveData = false;
    size_t at = 12;
    while (size - at >= ChunkHeaderBytes && !(fmt && haveData)) {
        const uint8_t *header = bytes + at;
        size_t length = Word32(header + 4);
        size_t body = at + ChunkHeaderBytes;
        size_t available = size - body;
        if (memcmp(header, "fmt ", 4) == 0 && !fmt) {
            if (length < FormatBytes || available < FormatBytes)
                return WavResult::NotWav;
            fmt = bytes + body;
            fmtLength = length < available ? length : available;
        } else if (memcmp(header, "data", 4) == 0 && !haveData) {
            haveData = true;
            dataOffset = body;
            dataBytes = length < available ? length : available;
        }
        // Chunks are padded to an even length; a chunk running past the end
        // ends the walk.
        if (length > available)
            break;
        size_t next = length + (length & 1);
        if (next > available)
            break;
        at = body + next;
    }
    if (!fmt || !haveData)
        return WavResult::NotWav;
    uint16_t coding = CodingOf(fmt, fmtLength);
    uint16_t channels = Word16(fmt + 2);
    uint32_t rate = Word32(fmt + 4);
    uint16_t bits = Word16(fmt + 14);
    if (coding != FormatPcm || (channels != 1 && channels != 2) || (bits != 8 && bits != 16) ||
        rate < MinRate || rate > MaxRate)
        return WavResult::UnsupportedFormat;
    // The block-align field is not trusted: the frame size follows from
    // the channels and bits.
    format->rate = rate;
    format->channels = channels;
    format->bits = bits;
    format->dataOffset = dataOffset;
    format->dataBytes = dataBytes - dataBytes % format->FrameBytes();
    return WavResult::Ok;
}

void WriteWavHeader(uint8_t header[WavHeaderBytes], uint32_t rate, uint16_t channels,
                    uint16_t bits, uint64_t dataBytes)
{
    uint32_t frameBytes = uint32_t(channels) * (bits / 8u);
    uint64_t largest = 0xFFFFFFFFull - (WavHeaderBytes - 8);
    if (frameBytes)
        largest -= largest % frameBytes;
    if (dataBytes > largest)
        dataBytes = largest;
    memcpy(header, "RIFF", 4);
    Put32(header + 4, uint32_t(dataBytes + WavHeaderBytes - 8));
    memcpy(header + 8, "WAVEfmt ", 8);
    Put32(header + 16, 16);
    Put16(header + 20, FormatPcm);
    Put16(header + 22, channels);
    Put32(header + 24, rate);
    Put32(header + 28, rate * frameBytes);
    Put16(header + 32, frameBytes);
    Put16(header + 34, bits);
    memcpy(header + 36, "data", 4);
    Put32(header + 40, uint32_t(dataBytes));
}

} // namespace engine
