#include "error_sentences.h"

namespace audiolink {

namespace {

struct CodeSentence {
    uint32_t code;
    std::string_view sentence;
};

// The texts are the library's own and fixed; the audio library is never
// asked for them.
constexpr CodeSentence Sentences[] = {
    {0, "All is OK."},
    {1, "Memory Error."},
    {2, "Can't Open the File."},
    {3, "Can't Find a Free Sound Driver."},
    {4, "The Sample Buffer Was Lost - Please Report This!"},
    {5, "Invalid Handle."},
    {6, "Unsupported Format."},
    {7, "Invalid Playback Position."},
    {8, "BASS_Init Has Not Been Successfully Called."},
    {9, "BASS_Start Has Not Been Successfully Called."},
    {14, "Already Initialized."},
    {16, "Not Paused."},
    {17, "Not An Audio Track."},
    {18, "Can't Get a Free Channel."},
    {19, "An Illegal TYPE Was Specified."},
    {20, "An Illegal Parameter Was Specified."},
    {21, "No 3D Support."},
    {22, "No EAX Support."},
    {23, "Illegal Device Number."},
    {24, "Not Playing."},
    {25, "Illegal Sample Rate."},
    {27, "The Stream is Not a File Stream."},
    {29, "No Hardware Voices Available."},
    {30, "Synchronizers have been disabled."},
    {31, "The MOD music has no sequence data."},
    {32, "No internet connection could be opened."},
    {33, "Couldn't create the file."},
    {34, "Effects are not available."},
    {35, "The channel is playing."},
    {37, "Requested data is not available."},
    {38, "The channel is a 'decoding channel'."},
    {39, "A sufficient DirectX version is not installed."},
    {40, "Connection timedout."},
    {41, "Unsupported file format."},
    {42, "Unavailable speaker."},
    {0xFFFFFFFFu, "Some Other Mystery Error."},
};

} // namespace

std::string_view ErrorSentence(uint32_t code)
{
    for (const CodeSentence &entry : Sentences) {
        if (entry.code == code)
            return entry.sentence;
    }
    return {};
}

} // namespace audiolink
