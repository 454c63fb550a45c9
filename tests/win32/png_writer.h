// A minimal PNG writer for test screenshots: 8-bit RGB, no filtering, and a
// zlib stream of stored (uncompressed) deflate blocks. Larger than a real
// encoder's output, but needs no library and is easy to check.
#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace png_writer {

inline std::uint32_t Crc32(const std::uint8_t *data, std::size_t size, std::uint32_t crc = 0)
{
    static const auto table = [] {
        std::vector<std::uint32_t> entries(256);
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            entries[n] = c;
        }
        return entries;
    }();
    crc = ~crc;
    for (std::size_t i = 0; i < size; ++i)
        crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

inline std::uint32_t Adler32(const std::uint8_t *data, std::size_t size)
{
    std::uint32_t a = 1, b = 0;
    for (std::size_t i = 0; i < size; ++i) {
        a = (a + data[i]) % 65521;
        b = (b + a) % 65521;
    }
    return (b << 16) | a;
}

inline void PutBigEndian(std::vector<std::uint8_t> &out, std::uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(std::uint8_t(value >> shift));
}

inline void PutChunk(std::vector<std::uint8_t> &out, const char type[4], const std::vector<std::uint8_t> &body)
{
    PutBigEndian(out, std::uint32_t(body.size()));
    std::size_t typeAt = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), body.begin(), body.end());
    PutBigEndian(out, Crc32(out.data() + typeAt, body.size() + 4));
}

// A zlib stream holding raw in stored blocks of at most 65535 bytes.
inline std::vector<std::uint8_t> StoredZlib(const std::vector<std::uint8_t> &raw)
{
    std::vector<std::uint8_t> out{0x78, 0x01};
    std::size_t at = 0;
    do {
        std::size_t length = std::min<std::size_t>(raw.size() - at, 65535);
        bool last = at + length == raw.size();
        out.push_back(last ? 1 : 0);
        out.push_back(std::uint8_t(length));
        out.push_back(std::uint8_t(length >> 8));
        out.push_back(std::uint8_t(~length));
        out.push_back(std::uint8_t(~length >> 8));
        out.insert(out.end(), raw.begin() + std::ptrdiff_t(at), raw.begin() + std::ptrdiff_t(at + length));
        at += length;
    } while (at < raw.size());
    PutBigEndian(out, Adler32(raw.data(), raw.size()));
    return out;
}

// rgb: height rows of width pixels, three bytes each, top row first.
inline std::vector<std::uint8_t> EncodePng(int width, int height, const std::vector<std::uint8_t> &rgb)
{
    std::vector<std::uint8_t> png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<std::uint8_t> header;
    PutBigEndian(header, std::uint32_t(width));
    PutBigEndian(header, std::uint32_t(height));
    header.insert(header.end(), {8, 2, 0, 0, 0}); // 8 bits, RGB, deflate, no filter choice, no interlace
    PutChunk(png, "IHDR", header);

    std::vector<std::uint8_t> raw;
    raw.reserve(std::size_t(height) * (std::size_t(width) * 3 + 1));
    for (int y = 0; y < height; ++y) {
        raw.push_back(0); // filter: none
        auto row = rgb.begin() + std::ptrdiff_t(std::size_t(y) * std::size_t(width) * 3);
        raw.insert(raw.end(), row, row + std::ptrdiff_t(std::size_t(width) * 3));
    }
    PutChunk(png, "IDAT", StoredZlib(raw));
    PutChunk(png, "IEND", {});
    return png;
}

inline bool WritePng(const std::string &path, int width, int height, const std::vector<std::uint8_t> &rgb)
{
    std::vector<std::uint8_t> png = EncodePng(width, height, rgb);
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char *>(png.data()), std::streamsize(png.size()));
    return bool(file);
}

} // namespace png_writer
