// The RIFF WAVE files the rendering engine plays and writes: plain PCM, 8
// or 16 bits per sample, one or two channels. Reading takes any byte
// sequence and either finds the sample data or refuses cleanly; it never
// reads outside the bytes it is given.
//
// Win32-free: built into the engine and natively into the tests and the
// fuzz target. Plain data and no allocation, so the engine stays free of
// the C++ runtime's containers.
#pragma once
#include <cstddef>
#include <cstdint>

namespace engine {

enum class WavResult {
    Ok,
    NotWav,            // not a RIFF WAVE file, or no format or data chunk
    UnsupportedFormat, // a WAVE file whose samples are not 8/16-bit PCM, 1 or 2 channels
};

struct WavFormat {
    uint32_t rate = 0;     // frames per second
    uint16_t channels = 0; // 1 or 2
    uint16_t bits = 0;     // 8 (unsigned) or 16 (signed, little-endian)
    // The sample data: whole frames only, within the bytes given.
    size_t dataOffset = 0;
    size_t dataBytes = 0;

    uint32_t FrameBytes() const { return uint32_t(channels) * (bits / 8u); }
    size_t Frames() const { return FrameBytes() ? dataBytes / FrameBytes() : 0; }
};

// Rates outside this range are refused as unsupported.
constexpr uint32_t MinRate = 1000;
constexpr uint32_t MaxRate = 384000;

// Finds the format and data chunks of a WAVE file. Tolerates chunks of
// other kinds before, between and after them, odd-sized chunks with their
// pad byte (or without it at the end), a RIFF size that disagrees with the
// file, a data chunk that claims more than the file holds (cut to what is
// there, to whole frames), and bytes after the data (a tag, say).
WavResult ReadWav(const uint8_t *bytes, size_t size, WavFormat *format);

constexpr size_t WavHeaderBytes = 44;

// The 44-byte header of a PCM WAVE file with dataBytes of sample data. A
// size beyond what the RIFF fields can hold is given as the largest whole
// number of frames that fits.
void WriteWavHeader(uint8_t header[WavHeaderBytes], uint32_t rate, uint16_t channels,
                    uint16_t bits, uint64_t dataBytes);

} // namespace engine
