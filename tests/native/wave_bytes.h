// WAVE files built byte by byte for the tests of the code that reads them:
// little-endian words, chunks, the plain format chunk and the RIFF header.
#pragma once

#include <string>

namespace wavebytes {

inline void Put16(std::string &bytes, unsigned value)
{
    bytes += char(value & 0xFF);
    bytes += char((value >> 8) & 0xFF);
}

inline void Put32(std::string &bytes, unsigned value)
{
    Put16(bytes, value & 0xFFFF);
    Put16(bytes, value >> 16);
}

// A chunk as written: id, length, body, and a pad byte after an odd body
// unless told not to. A length other than ~0u is written in place of the
// body's.
inline std::string Chunk(const char *id, const std::string &body, bool pad = true, unsigned length = ~0u)
{
    std::string chunk(id, 4);
    Put32(chunk, length == ~0u ? unsigned(body.size()) : length);
    chunk += body;
    if (pad && (body.size() & 1))
        chunk += '\0';
    return chunk;
}

// The "fmt " chunk of plain PCM (coding 1) or of another coding.
inline std::string FormatChunk(unsigned rate, unsigned channels, unsigned bits, unsigned coding = 1)
{
    std::string body;
    Put16(body, coding);
    Put16(body, channels);
    Put32(body, rate);
    Put32(body, rate * channels * bits / 8);
    Put16(body, channels * bits / 8);
    Put16(body, bits);
    return Chunk("fmt ", body);
}

// The RIFF header and form type before the chunks; a size other than ~0u
// is written in place of the true one.
inline std::string Riff(const std::string &chunks, unsigned size = ~0u)
{
    std::string file = "RIFF";
    Put32(file, size == ~0u ? unsigned(4 + chunks.size()) : size);
    return file + "WAVE" + chunks;
}

} // namespace wavebytes
