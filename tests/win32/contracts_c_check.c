/* Compiled as C: the contract headers must be usable from C, together. */
#include <stddef.h>
#include <windows.h>

#include "themekit.h"
#include "bass.h"
#include "jaocx20.h"

#include "contracts_c_check.h"

/* Every entry point list must name a pointer type <name>_t. */
#define DECLARE_POINTER(name) name##_t p_##name;
struct EntryPoints {
    BASS_ENTRY_POINTS(DECLARE_POINTER)
    BASSWMA_ENTRY_POINTS(DECLARE_POINTER)
    BASSENC_ENTRY_POINTS(DECLARE_POINTER)
    BASSCD_ENTRY_POINTS(DECLARE_POINTER)
    BASSVIS_ENTRY_POINTS(DECLARE_POINTER)
};

#define AS_TEXT(name) #name,
#define AS_CODE(name) name,
static const char *const bassNames[] = {BASS_ENTRY_POINTS(AS_TEXT)};
static const char *const wmaNames[] = {BASSWMA_ENTRY_POINTS(AS_TEXT)};
static const char *const encNames[] = {BASSENC_ENTRY_POINTS(AS_TEXT)};
static const char *const cdNames[] = {BASSCD_ENTRY_POINTS(AS_TEXT)};
static const char *const visNames[] = {BASSVIS_ENTRY_POINTS(AS_TEXT)};
static const int errorCodes[] = {BASS_ERROR_CODES(AS_CODE)};

#define COUNT(array) ((unsigned)(sizeof(array) / sizeof((array)[0])))

/* The callback shapes that audiolink and helpview supply. */
static void __stdcall DownloadSample(const void *block, DWORD length, DWORD_PTR user) {}
static void __stdcall DspSample(DWORD dsp, DWORD channel, void *buffer, DWORD length, DWORD_PTR user) {}
static LONG __stdcall EventSample(DISPID dispid, JAEVENT event, LONG_PTR user) { return 0; }

void ContractFactsFromC(ContractFactsC *facts)
{
    BASS_DownloadProc download = DownloadSample;
    BASS_DspProc dsp = DspSample;
    JAEventProc event = EventSample;
    (void)download;
    (void)dsp;
    (void)event;

    facts->bassInfoSize = sizeof(BASS_INFO);
    facts->bassInfoEax = offsetof(BASS_INFO, eax);
    facts->paramEqGain = offsetof(BASS_FXPARAMEQ, gain);
    facts->reverbRatio = offsetof(BASS_FXREVERB, highFreqRTRatio);
    facts->chorusPhase = offsetof(BASS_FXFLANGER, phase);
    facts->i3dl2HfReference = offsetof(BASS_FXI3DL2REVERB, hfReference);
    facts->styleRecordSize = sizeof(THSTYLERECORD);
    facts->bassEntries = COUNT(bassNames);
    facts->wmaEntries = COUNT(wmaNames);
    facts->encEntries = COUNT(encNames);
    facts->cdEntries = COUNT(cdNames);
    facts->visEntries = COUNT(visNames);
    facts->errorCodes = COUNT(errorCodes);
    facts->firstBassEntry = bassNames[0];
    facts->lastVisEntry = visNames[COUNT(visNames) - 1];
}
