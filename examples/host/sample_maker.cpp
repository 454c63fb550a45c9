// Makes the host's bundled samples at build time, so nothing is downloaded:
// one folder per sample, because the folder tree shows folders, not files.
//   sample_maker <samples folder>
//
//   Вечерний тон/Вечерний тон.mp3      8 s of 16-bit stereo PCM in a RIFF WAVE
//                                      file, with an ID3v1 tag at its end
//                                      (its texts in Latin-1, as tags keep them)
//   Rotating Chord/Rotating Chord.wav  4 s chord, RIFF WAVE, ID3v1 tag after
//                                      the data chunk (players stop at the
//                                      chunk's end)
//   Tarn Demo Module/Tarn Demo.xm      the header of an extended module with
//                                      its song title, no patterns
//
// A native program, free of the platform's headers: the build runs it on the
// build machine.
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

constexpr int kRate = 44100;
constexpr double kPi = 3.14159265358979323846;

using Bytes = std::vector<std::uint8_t>;

void Put16(Bytes &out, unsigned value)
{
    out.push_back(std::uint8_t(value));
    out.push_back(std::uint8_t(value >> 8));
}

void Put32(Bytes &out, std::uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(std::uint8_t(value >> shift));
}

void PutText(Bytes &out, const char *text)
{
    out.insert(out.end(), text, text + std::strlen(text));
}

// A fixed-size field, padded with the byte given.
void PutField(Bytes &out, const std::string &text, size_t size, std::uint8_t pad)
{
    for (size_t i = 0; i < size; ++i)
        out.push_back(i < text.size() ? std::uint8_t(text[i]) : pad);
}

// Interleaved left/right samples as a RIFF WAVE file.
Bytes Wave(const std::vector<std::int16_t> &frames)
{
    Bytes out;
    std::uint32_t dataBytes = std::uint32_t(frames.size() * 2);
    PutText(out, "RIFF");
    Put32(out, 36 + dataBytes);
    PutText(out, "WAVEfmt ");
    Put32(out, 16);
    Put16(out, 1); // PCM
    Put16(out, 2); // stereo
    Put32(out, kRate);
    Put32(out, kRate * 4);
    Put16(out, 4);
    Put16(out, 16);
    PutText(out, "data");
    Put32(out, dataBytes);
    for (std::int16_t sample : frames)
        Put16(out, std::uint16_t(sample));
    return out;
}

// The 128-byte ID3v1 tag; track 0 means none (comment byte 28 stays non-zero).
void PutId3v1(Bytes &out, const std::string &title, const std::string &artist, const std::string &album,
              const std::string &year, const std::string &comment, int track)
{
    PutText(out, "TAG");
    PutField(out, title, 30, 0);
    PutField(out, artist, 30, 0);
    PutField(out, album, 30, 0);
    PutField(out, year, 4, 0);
    if (track > 0) {
        PutField(out, comment, 28, 0);
        out.push_back(0);
        out.push_back(std::uint8_t(track));
    } else {
        PutField(out, comment, 30, ' ');
    }
    out.push_back(12); // genre: "other"
}

// A short fade at both ends keeps the tone from clicking.
double Envelope(int frame, int frames)
{
    const int fade = kRate / 50;
    if (frame < fade)
        return double(frame) / fade;
    if (frames - frame < fade)
        return double(frames - frame) / fade;
    return 1.0;
}

std::int16_t Clip(double value)
{
    value = std::round(value * 32767.0);
    return std::int16_t(value > 32767.0 ? 32767.0 : value < -32768.0 ? -32768.0 : value);
}

// A steady 440 Hz tone over a slow sweep from 200 Hz to 4 kHz, the same on
// both sides: rotate swings it from side to side, and the sweep passes
// through the equalizer's lower bands, which a spectrogram of the output
// shows. Quiet enough that a band raised by 15 dB does not clip.
std::vector<std::int16_t> EveningTone()
{
    const int frames = kRate * 8;
    std::vector<std::int16_t> out;
    out.reserve(size_t(frames) * 2);
    double sweepPhase = 0;
    for (int i = 0; i < frames; ++i) {
        double t = double(i) / kRate;
        double sweepHz = 200.0 * std::pow(20.0, t / 8.0);
        sweepPhase += 2 * kPi * sweepHz / kRate;
        double value = (0.12 * std::sin(2 * kPi * 440.0 * t) + 0.08 * std::sin(sweepPhase)) * Envelope(i, frames);
        out.push_back(Clip(value));
        out.push_back(Clip(value));
    }
    return out;
}

// C, E and G, the fifth leaning right and the root left.
std::vector<std::int16_t> RotatingChord()
{
    const int frames = kRate * 4;
    std::vector<std::int16_t> out;
    out.reserve(size_t(frames) * 2);
    for (int i = 0; i < frames; ++i) {
        double t = double(i) / kRate;
        double c = std::sin(2 * kPi * 261.63 * t), e = std::sin(2 * kPi * 329.63 * t),
               g = std::sin(2 * kPi * 392.00 * t);
        double envelope = Envelope(i, frames) * std::exp(-t * 0.4);
        out.push_back(Clip((0.22 * c + 0.15 * e + 0.08 * g) * envelope));
        out.push_back(Clip((0.08 * c + 0.15 * e + 0.22 * g) * envelope));
    }
    return out;
}

// The 336-byte header of an extended module: the signature and title, then
// the header proper with one order, two channels and no patterns or
// instruments.
Bytes ModuleHeader(const std::string &title)
{
    Bytes out;
    PutText(out, "Extended Module: ");
    PutField(out, title, 20, 0);
    out.push_back(26);
    PutField(out, "Tarn sample maker", 20, ' ');
    Put16(out, 0x0104); // format version
    Put32(out, 276);    // header size from here
    Put16(out, 1);      // song length in orders
    Put16(out, 0);      // restart position
    Put16(out, 2);      // channels
    Put16(out, 0);      // patterns
    Put16(out, 0);      // instruments
    Put16(out, 1);      // linear frequency table
    Put16(out, 6);      // tempo
    Put16(out, 125);    // beats per minute
    PutField(out, "", 256, 0); // order table
    return out;
}

bool MakeFolder(const std::string &path)
{
    return mkdir(path.c_str(), 0755) == 0 || errno == EEXIST;
}

bool WriteFile(const std::string &path, const Bytes &bytes)
{
    std::FILE *file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}

bool WriteSample(const std::string &root, const std::string &folder, const std::string &file, const Bytes &bytes)
{
    std::string directory = root + "/" + folder;
    if (!MakeFolder(directory) || !WriteFile(directory + "/" + file, bytes)) {
        std::fprintf(stderr, "sample_maker: cannot write %s/%s\n", directory.c_str(), file.c_str());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: sample_maker <samples folder>\n");
        return 2;
    }
    std::string root = argv[1];
    if (!MakeFolder(root)) {
        std::fprintf(stderr, "sample_maker: cannot make %s\n", root.c_str());
        return 1;
    }
    Bytes tone = Wave(EveningTone());
    // The folder's name in UTF-8, as this machine's file names are; the tag
    // in its own character set, é as the byte 0xE9.
    PutId3v1(tone, "Evening Tone", "Tarn D\xE9mo", "Samples", "2026", "made by the build", 1);
    Bytes chord = Wave(RotatingChord());
    PutId3v1(chord, "Rotating Chord", "Tarn Demo", "Samples", "2026", "C major, spread wide", 2);
    bool ok = WriteSample(root, "Вечерний тон", "Вечерний тон.mp3", tone) &&
              WriteSample(root, "Rotating Chord", "Rotating Chord.wav", chord) &&
              WriteSample(root, "Tarn Demo Module", "Tarn Demo.xm", ModuleHeader("Tarn Demo Module"));
    return ok ? 0 : 1;
}
