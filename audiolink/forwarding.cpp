// The exports that forward one call to "BASS.DLL" unchanged, in the
// argument order given. Each returns 0 when the module or the entry point
// is missing.
#include "audiolink.h"

#include "bass_binding.h"
#include "media_state.h"

using namespace audiolink;
using namespace audiolink::bass;

extern "C" {

BOOL __stdcall BASSFREE(void)
{
    return CallOr<entry::BASS_Free>(FALSE);
}

DWORD __stdcall BASSSETCONFIG(DWORD option, DWORD value)
{
    return CallOr<entry::BASS_SetConfig>(0, option, value);
}

DWORD __stdcall BASS_GETCONFIG(DWORD option)
{
    return CallOr<entry::BASS_GetConfig>(0, option);
}

BOOL __stdcall BASSSETDEVICE(DWORD device)
{
    return CallOr<entry::BASS_SetDevice>(FALSE, device);
}

DWORD __stdcall BASSGETDEVICE(void)
{
    return CallOr<entry::BASS_GetDevice>(0);
}

BOOL __stdcall BASSSTOP(void)
{
    return CallOr<entry::BASS_Stop>(FALSE);
}

BOOL __stdcall BASSPAUSE(void)
{
    return CallOr<entry::BASS_Pause>(FALSE);
}

BOOL __stdcall BASSSETEAXPARAMETERS(int environment, float volume, float decay, float damping)
{
    return CallOr<entry::BASS_SetEAXParameters>(FALSE, environment, volume, decay, damping);
}

// Channel 0 stands for the current channel; with no channel at all these
// return 0 without a call.

DWORD __stdcall BASSCHANNELGETDEVICE(DWORD channel)
{
    channel = ChannelOrCurrent(channel);
    return channel ? CallOr<entry::BASS_ChannelGetDevice>(0, channel) : 0;
}

BOOL __stdcall BASSCHANNELGETINFO(DWORD channel, void *info)
{
    channel = ChannelOrCurrent(channel);
    return channel ? CallOr<entry::BASS_ChannelGetInfo>(FALSE, channel, info) : FALSE;
}

DWORD __stdcall BASSUSECHANNELISACTIVE(DWORD channel)
{
    channel = ChannelOrCurrent(channel);
    return channel ? CallOr<entry::BASS_ChannelIsActive>(0, channel) : 0;
}

DWORD __stdcall BASSCHANNELISACTIVE(void)
{
    return BASSUSECHANNELISACTIVE(0);
}

DWORD __stdcall BASSCHANNELSETSYNC(DWORD channel, DWORD type, DWORD paramLow, DWORD paramHigh,
                                   void *proc, DWORD_PTR user)
{
    channel = ChannelOrCurrent(channel);
    return channel ? CallOr<entry::BASS_ChannelSetSync>(0, channel, type, paramLow, paramHigh, proc, user)
                   : 0;
}

// These call the library even when there is no channel: it answers for a
// channel of 0 itself.

BOOL __stdcall BASSCHANNELSLIDEATTRIBUTES(DWORD channel, int frequency, int volume, int pan,
                                          DWORD time)
{
    return CallOr<entry::BASS_ChannelSlideAttributes>(FALSE, ChannelOrCurrent(channel), frequency,
                                                      volume, pan, time);
}

void __stdcall BASSCHANNELSETATTRIBUTES(DWORD channel, int frequency, int volume, int pan)
{
    Call<entry::BASS_ChannelSetAttributes>(ChannelOrCurrent(channel), frequency, volume, pan);
}

BOOL __stdcall BASSCHANNELPAUSE(void)
{
    return CallOr<entry::BASS_ChannelPause>(FALSE, CurrentChannel);
}

BOOL __stdcall BASSCHANNELRESUME(void)
{
    return CallOr<entry::BASS_ChannelResume>(FALSE, CurrentChannel);
}

// Positions, levels, data and lengths.

DWORD __stdcall BASSUSECHANNELGETPOSITION(DWORD channel)
{
    return FailureAsZero(LowWord(CallOr<entry::BASS_ChannelGetPosition>(0, channel)));
}

DWORD __stdcall BASSCHANNELGETPOSITION(void)
{
    return CurrentChannel ? BASSUSECHANNELGETPOSITION(CurrentChannel) : 0;
}

BOOL __stdcall BASSCHANNELSETPOSITION(DWORD position)
{
    return CurrentChannel ? CallOr<entry::BASS_ChannelSetPosition>(FALSE, CurrentChannel, position, 0)
                          : FALSE;
}

DWORD __stdcall BASSCHANNELGETLEVELEX(DWORD channel)
{
    return channel ? CallOr<entry::BASS_ChannelGetLevel>(0, channel) : 0;
}

DWORD __stdcall BASSCHANNELGETLEVEL(void)
{
    return BASSCHANNELGETLEVELEX(CurrentChannel);
}

DWORD __stdcall BASSCHANNELGETDATA(DWORD channel, void *buffer, DWORD length)
{
    return FailureAsZero(CallOr<entry::BASS_ChannelGetData>(0, channel, buffer, length));
}

DWORD __stdcall BASSSTREAMGETLENGTH(DWORD channel)
{
    return FailureAsZero(LowWord(CallOr<entry::BASS_StreamGetLength>(0, channel)));
}

// Channels as given.

BOOL __stdcall BASSCHANNELSTOP(DWORD channel)
{
    return CallOr<entry::BASS_ChannelStop>(FALSE, channel);
}

BOOL __stdcall BASSCHANNELGETATTRIBUTES(DWORD channel, int *frequency, int *volume, int *pan)
{
    return CallOr<entry::BASS_ChannelGetAttributes>(FALSE, channel, frequency, volume, pan);
}

void __stdcall BASSSTREAMFREE(DWORD channel)
{
    Call<entry::BASS_StreamFree>(channel);
}

// Stream creation: the library's handle, 0 on failure.

DWORD __stdcall BASSSTREAMCREATE(DWORD frequency, DWORD channels, DWORD flags, void *proc,
                                 DWORD_PTR user)
{
    return CallOr<entry::BASS_StreamCreate>(0, frequency, channels, flags, proc, user);
}

DWORD __stdcall BASSSTREAMCREATEURL(const char *url, DWORD offset, DWORD flags,
                                    BASS_DownloadProc proc, DWORD_PTR user)
{
    return CallOr<entry::BASS_StreamCreateURL>(0, url, offset, flags, proc, user);
}

DWORD __stdcall BASSSTREAMCREATEFILE(BOOL memory, const void *file, DWORD offset, DWORD length,
                                     DWORD flags)
{
    return CallOr<entry::BASS_StreamCreateFile>(0, memory, file, offset, length, flags);
}

DWORD __stdcall BASSSTREAMCREATEFILEUSER(DWORD_PTR value1, DWORD_PTR value2, DWORD_PTR value3, DWORD_PTR value4)
{
    return CallOr<entry::BASS_StreamCreateFileUser>(0, value1, value2, value3, value4);
}

} // extern "C"
