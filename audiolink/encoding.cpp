// Encoding and sample loading: the encoders of "BASSWMA.DLL" and
// "BASSENC.DLL" and the sample loader of "BASS.DLL", handed through with
// exactly the arguments given and their results unchanged.
#include "audiolink.h"

#include "bass_binding.h"

using namespace audiolink;
using namespace audiolink::bass;

extern "C" {

const DWORD *__stdcall BASSWMAENCODEGETRATES(DWORD frequency, DWORD flags)
{
    return CallOr<entry::BASS_WMA_EncodeGetRates>(nullptr, frequency, flags);
}

DWORD __stdcall BASSWMAENCODEOPENFILE(DWORD frequency, DWORD flags, DWORD bitrate, const char *file)
{
    return CallOr<entry::BASS_WMA_EncodeOpenFile>(0, frequency, flags, bitrate, file);
}

DWORD __stdcall BASSWMAENCODEOPEN(DWORD frequency, DWORD flags, DWORD bitrate, void *proc, DWORD_PTR user)
{
    return CallOr<entry::BASS_WMA_EncodeOpen>(0, frequency, flags, bitrate, proc, user);
}

DWORD __stdcall BASSWMAENCODEOPENNETWORK(DWORD frequency, DWORD flags, DWORD bitrate, DWORD port,
                                         DWORD maxClients)
{
    return CallOr<entry::BASS_WMA_EncodeOpenNetwork>(0, frequency, flags, bitrate, port, maxClients);
}

DWORD __stdcall BASSWMAENCODEOPENPUBLISH(DWORD frequency, DWORD flags, DWORD bitrate, const char *url,
                                         const char *user, const char *password)
{
    return CallOr<entry::BASS_WMA_EncodeOpenPublish>(0, frequency, flags, bitrate, url, user, password);
}

DWORD __stdcall BASSWMAENCODEGETPORT(DWORD encoder)
{
    return CallOr<entry::BASS_WMA_EncodeGetPort>(0, encoder);
}

BOOL __stdcall BASSWMAENCODESETNOTIFY(DWORD encoder, void *proc, DWORD_PTR user)
{
    return CallOr<entry::BASS_WMA_EncodeSetNotify>(FALSE, encoder, proc, user);
}

DWORD __stdcall BASSWMAENCODEGETCLIENTS(DWORD encoder)
{
    return CallOr<entry::BASS_WMA_EncodeGetClients>(0, encoder);
}

BOOL __stdcall BASSWMAENCODESETTAG(DWORD encoder, const char *tag, const char *text)
{
    return CallOr<entry::BASS_WMA_EncodeSetTag>(FALSE, encoder, tag, text);
}

BOOL __stdcall BASSWMAENCODEWRITE(DWORD encoder, const void *buffer, DWORD length)
{
    return CallOr<entry::BASS_WMA_EncodeWrite>(FALSE, encoder, buffer, length);
}

void __stdcall BASSWMAENCODECLOSE(DWORD encoder)
{
    Call<entry::BASS_WMA_EncodeClose>(encoder);
}

void *__stdcall BASSWMAGETIWMREADER(DWORD stream)
{
    return CallOr<entry::BASS_WMA_GetIWMReader>(nullptr, stream);
}

DWORD __stdcall BASSENCODESTART(DWORD channel, const char *commandLine, DWORD flags)
{
    return CallOr<entry::BASS_Encode_Start>(0, channel, commandLine, flags);
}

DWORD __stdcall BASSENCODEISACTIVE(DWORD handle)
{
    return CallOr<entry::BASS_Encode_IsActive>(0, handle);
}

BOOL __stdcall BASSENCODESTOP(DWORD handle)
{
    return CallOr<entry::BASS_Encode_Stop>(FALSE, handle);
}

DWORD __stdcall BASSSAMPLELOAD(BOOL memory, const void *file, DWORD offset, DWORD length,
                               DWORD maxPlaybacks, DWORD flags)
{
    return CallOr<entry::BASS_SampleLoad>(0, memory, file, offset, length, maxPlaybacks, flags);
}

} // extern "C"
