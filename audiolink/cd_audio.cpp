// CD audio: the calls of "BASSCD.DLL" handed through. Texts are the
// add-on's own and are handed over as its pointers; the counts, lengths,
// letters and tracks turn the add-on's failure (-1) into 0, and the two
// door queries answer -1 or 0.
#include "audiolink.h"

#include "bass_binding.h"

using namespace audiolink;
using namespace audiolink::bass;

namespace {

int AsYesNo(BOOL answer)
{
    return answer ? -1 : 0;
}

} // namespace

extern "C" {

const char *__stdcall BASSCDGETDRIVEDESCRIPTION(DWORD drive)
{
    return CallOr<entry::BASS_CD_GetDriveDescription>(nullptr, drive);
}

DWORD __stdcall BASSCDGETDRIVELETTER(DWORD drive)
{
    return FailureAsZero(CallOr<entry::BASS_CD_GetDriveLetter>(0, drive));
}

void __stdcall BASSCDGETINFO(DWORD drive, void *info)
{
    Call<entry::BASS_CD_GetInfo>(drive, info);
}

BOOL __stdcall BASSCDDOOR(DWORD drive, DWORD action)
{
    return CallOr<entry::BASS_CD_Door>(FALSE, drive, action);
}

int __stdcall BASSCDDOORISOPEN(DWORD drive)
{
    return AsYesNo(CallOr<entry::BASS_CD_DoorIsOpen>(FALSE, drive));
}

int __stdcall BASSCDDOORISLOCKED(DWORD drive)
{
    return AsYesNo(CallOr<entry::BASS_CD_DoorIsLocked>(FALSE, drive));
}

// The add-on's own value: unlike the door queries, not made -1.
BOOL __stdcall BASSCDISREADY(DWORD drive)
{
    return CallOr<entry::BASS_CD_IsReady>(FALSE, drive);
}

DWORD __stdcall BASSCDGETTRACKS(DWORD drive)
{
    return FailureAsZero(CallOr<entry::BASS_CD_GetTracks>(0, drive));
}

DWORD __stdcall BASSCDGETTRACKLENGTH(DWORD drive, DWORD track)
{
    return FailureAsZero(CallOr<entry::BASS_CD_GetTrackLength>(0, drive, track));
}

const char *__stdcall BASSCDGETID(DWORD drive, DWORD kind)
{
    return CallOr<entry::BASS_CD_GetID>(nullptr, drive, kind);
}

DWORD __stdcall BASSCDSTREAMCREATE(DWORD drive, DWORD track, DWORD flags)
{
    return CallOr<entry::BASS_CD_StreamCreate>(0, drive, track, flags);
}

DWORD __stdcall BASSCDSTREAMCREATEFILE(const char *file, DWORD flags)
{
    return CallOr<entry::BASS_CD_StreamCreateFile>(0, file, flags);
}

DWORD __stdcall BASSCDSTREAMGETTRACK(DWORD stream)
{
    return FailureAsZero(CallOr<entry::BASS_CD_StreamGetTrack>(0, stream));
}

} // extern "C"
