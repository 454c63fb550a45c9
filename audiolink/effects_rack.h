// The equalizer and effects rack of the current channel, read from the
// application's effects dialog.
#pragma once
#include <windows.h>

namespace audiolink {

// Builds the rack anew on a channel BASSPLAY has just made: the equalizer
// bands and every effect whose box is checked in the dialog now.
void ApplyEffects(DWORD channel);

// The rotate effect's DSP procedure, on the audio library's mixing thread:
// 16-bit stereo, whole frames, in place.
void __stdcall RotateDsp(DWORD dsp, DWORD channel, void *buffer, DWORD length, DWORD_PTR user);

} // namespace audiolink
