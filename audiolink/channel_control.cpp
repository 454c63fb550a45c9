// Closing the current channel, and decoding-only streams of a file. The
// other channel and stream exports forward one call (forwarding.cpp).
#include "audiolink.h"

#include "bass_binding.h"
#include "byte_strings.h"
#include "media_state.h"
#include "stream_saving.h"

#include <cstring>

using namespace audiolink;
using namespace audiolink::bass;

namespace {

// The name's last four characters are ".wma" in any case.
bool EndsInWma(const char *name)
{
    size_t length = strlen(name);
    if (length < 4)
        return false;
    const char *tail = name + length - 4;
    static const char wma[] = ".wma";
    for (int i = 0; i < 4; ++i) {
        char c = tail[i];
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
        if (c != wma[i])
            return false;
    }
    return true;
}

int CloseChannel(DWORD channel)
{
    if (!ModuleTable.BassModule || !CurrentChannel)
        return 0;
    channel = ChannelOrCurrent(channel);
    BASSREMOVEFX(channel);

    int result = 0;
    if (!BASSSTOP())
        result = BASSERRORGETCODE();

    // No further block of a network stream goes into its local copy.
    DisarmDownload();

    // The current channel's kind decides how, whichever channel was given:
    // the kind last played, or the kind of a channel that never started.
    switch (CurrentChannelKind) {
    case MusicModuleKind:
        Call<entry::BASS_MusicFree>(channel);
        break;
    case StreamKind:
    case CdTrackKind:
    case WindowsMediaKind:
        BASSSTREAMFREE(channel);
        break;
    default:
        break;
    }

    CurrentChannel = 0;
    PendingKind = NoMedia;
    PendingPath.clear();
    return result;
}

} // namespace

extern "C" {

int __stdcall BASSCLOSECHANNEL(DWORD channel)
{
    return Shielded(0, [&] { return CloseChannel(channel); });
}

DWORD __stdcall BASSSTREAMDECODEFILE(const char *name)
{
    if (!ModuleTable.BassModule || !name)
        return 0;
    if (EndsInWma(name))
        return CallOr<entry::BASS_WMA_StreamCreateFile>(0, FALSE, static_cast<const void *>(name),
                                                        DWORD(0), DWORD(0), BASS_STREAM_DECODE);
    return BASSSTREAMCREATEFILE(FALSE, name, 0, 0, BASS_STREAM_DECODE);
}

} // extern "C"
