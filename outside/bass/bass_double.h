// The scriptable test doubles of "BASS.DLL" and its add-ons, as a test
// program sees them.
//
// Every double records each call of an entry point (module, entry point,
// the argument words in order (pointer-sized: see ArgWord), the texts of its text arguments, the
// calling thread) and answers with the result a test scripted for that
// entry point, 0 when none was; BASS_GetVersion answers 2.0 (0x00000002)
// unless scripted; BASS_MusicGetLength takes the one argument word of the
// versions up to 1.1 when the version answered is one of those. Scripting
// "(create block)" as n makes BASS_StreamCreateURL hand its download
// procedure n bytes (at most 256) inside the call. Loading and unloading a double is recorded as the calls
// "(attach)" and "(detach)". The script and the record live in memory
// shared by every double in the process and by the test program, so they
// outlive the doubles: a test can script a version before the library under
// test loads "BASS.DLL", and read the calls after it has unloaded it.
//
// The doubles are built into folders of variants under <build>/doubles/
// ("full": every module with every entry point; "bass-only": "BASS.DLL"
// alone; "bare": every module without any entry point; "none": empty). A
// test picks one with SetDllDirectory before the library under test loads.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "bass.h"

namespace bassdouble {

// One recorded argument: pointer-sized, so that an address is whole in the
// 64-bit build. A 32-bit number is zero-extended (an int of -1 reads
// 0xFFFFFFFF in both builds), a float is its bits in the low 32.
using ArgWord = ULONG_PTR;

struct CallRecord {
    std::string module; // "BASS.DLL", "BASSWMA.DLL", ...
    std::string entry;  // "BASS_ChannelGetDevice", or "(attach)" and "(detach)"
    std::vector<ArgWord> args;
    std::vector<std::string> texts; // of the zero-terminated text arguments, in order
    DWORD thread = 0;
    // BASS_FXSetParameters: the record handed over; BASS_FXGetParameters:
    // the record filled in (the effect's size, empty for a handle that
    // BASS_ChannelSetFX did not make).
    std::vector<BYTE> block;
};

// Forgets every recorded call and every scripted result.
void Reset();
// Forgets the recorded calls only.
void ClearCalls();
// What the entry point returns from now on (a 64-bit result in full; the
// caller of a 32-bit entry point sees the low word).
void SetResult(const char *entry, ULONGLONG result);
// The calls recorded since the last Reset, oldest first.
std::vector<CallRecord> Calls();
// Only the calls of this entry point.
std::vector<CallRecord> CallsOf(const char *entry);
// What BASS_FXGetParameters gives for the effect fx from now on (its
// parameters as if the library had changed them). fx must come from a
// recorded BASS_ChannelSetFX.
void SetParameters(DWORD fx, const void *block, DWORD bytes);
// Calls beyond the record's capacity are counted here instead.
DWORD LostCalls();

// The control functions of the loaded "BASS.DLL" double. Each runs the
// procedure that the library under test handed to the double, on a thread
// of the double's own, and returns that thread (wait for it, then close
// it); null when no such procedure was handed over or no double is loaded.
//
// The download procedure of the last BASS_StreamCreateURL gets count blocks
// cut in order from data with the given lengths (zero allowed), then, when
// end is non-zero, the end-of-download call (block null).
HANDLE DeliverDownload(const void *data, const DWORD *lengths, DWORD count, BOOL end);
// The DSP procedure of the last BASS_ChannelSetDSP gets (its DSP handle,
// its channel, buffer, length, its user value).
HANDLE RunDsp(void *buffer, DWORD length);

} // namespace bassdouble
