// Output device and engine control: the exports with logic of their own.
// The plain ones (BASSFREE, BASSSTOP, ...) are in forwarding.cpp.
#include "audiolink.h"

#include "bass_binding.h"
#include "media_state.h"

using namespace audiolink;
using namespace audiolink::bass;

namespace {

// Filled by BASS_GetInfo; read only for its EAX field, which keeps what the
// last successful call left when a later one fails.
BASS_INFO OutputInfo{};

} // namespace

extern "C" {

BOOL __stdcall BASSINIT(int device, DWORD frequency, DWORD flags, HWND window)
{
    if (!ModuleTable.BassModule)
        return FALSE;
    if (device == -1)
        device = BASS_DEVICE_FIRST;
    if (!window)
        window = GetForegroundWindow();
    return CallOr<entry::BASS_Init>(FALSE, device, frequency, flags, window,
                                    static_cast<const GUID *>(nullptr));
}

int __stdcall BASSSTART(void)
{
    if (!ModuleTable.BassModule)
        return 0;
    auto start = Find<entry::BASS_Start>();
    if (!start)
        return -1;
    return start() ? 0 : BASSERRORGETCODE();
}

int __stdcall BASSCLOSE(void)
{
    return BASSCLOSECHANNEL(0);
}

DWORD __stdcall BASSEAXAVAILABLE(void)
{
    OutputInfo.size = BASS_INFO_SIZE;
    if (!Call<entry::BASS_GetInfo>(&OutputInfo))
        return 0;
    return OutputInfo.eax;
}

// The preset is accepted for the application's sake; environments are set
// through BASSSETEAXPARAMETERS.
int __stdcall BASSSETEAXPRESET(int preset)
{
    (void)preset;
    return 0;
}

} // extern "C"
