/*
 * audiolink.dll: the exports of the audio bridge.
 *
 * Win32 standard calling convention, 32-bit arguments and results, plain
 * upper-case names. Strings are byte strings (BSTRs holding 8-bit text, see
 * byte_strings.h): a BSTR argument is taken over and freed by the export, a
 * BSTR result belongs to the caller. Channel arguments documented as
 * "0 = current" stand for the channel the last BASSPLAY created.
 */
#ifndef AUDIOLINK_EXPORTS_H
#define AUDIOLINK_EXPORTS_H

#include <windows.h>
#include <oleauto.h>

#include "bass.h"

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Library frame ---------------------------------------------------- */

/* Reason 1 records the instance and loads the audio library, reason 0
   unloads it; always 1. */
BOOL __stdcall DLLMAIN(HINSTANCE instance, DWORD reason, LPVOID reserved);
/* Loads "BASS.DLL" and, by its version, the add-ons; may be called again. */
void __stdcall BASSLOAD(void);
/* Frees output and releases every module. */
void __stdcall BASSUNLOAD(void);
/* -1 when "BASS.DLL" is loaded with version 0.9 or later, else 0. */
int __stdcall BASSAVAILABLE(void);
/* "major.minor" of the loaded library; empty when none is loaded. */
BSTR __stdcall BASSGETVERSION(void);
/* The zero-terminated text at address (at most 259 bytes) without blanks at
   either end; empty for address 0. */
BSTR __stdcall BASSSTRINGFROMPTR(const char *address);

/* ---- Plain forwarding: each calls one entry point of "BASS.DLL", 0 when
   the module or the entry point is missing ------------------------------ */

BOOL __stdcall BASSFREE(void);
DWORD __stdcall BASSSETCONFIG(DWORD option, DWORD value);
DWORD __stdcall BASS_GETCONFIG(DWORD option);
BOOL __stdcall BASSSETDEVICE(DWORD device);
DWORD __stdcall BASSGETDEVICE(void);
BOOL __stdcall BASSSTOP(void);
BOOL __stdcall BASSPAUSE(void);
BOOL __stdcall BASSSETEAXPARAMETERS(int environment, float volume, float decay, float damping);
/* channel 0 = current; 0 without a call when there is still no channel. */
DWORD __stdcall BASSCHANNELGETDEVICE(DWORD channel);
BOOL __stdcall BASSCHANNELGETINFO(DWORD channel, void *info);
DWORD __stdcall BASSUSECHANNELISACTIVE(DWORD channel);
DWORD __stdcall BASSCHANNELISACTIVE(void);
DWORD __stdcall BASSCHANNELSETSYNC(DWORD channel, DWORD type, DWORD paramLow, DWORD paramHigh,
                                   void *proc, DWORD user);
/* channel 0 = current; called even when there is no channel. */
BOOL __stdcall BASSCHANNELSLIDEATTRIBUTES(DWORD channel, int frequency, int volume, int pan,
                                          DWORD time);
/* Position, level and data: 0xFFFFFFFF comes back as 0 where noted. */
DWORD __stdcall BASSUSECHANNELGETPOSITION(DWORD channel);          /* 0xFFFFFFFF -> 0 */
DWORD __stdcall BASSCHANNELGETPOSITION(void);                      /* current; 0xFFFFFFFF -> 0 */
BOOL __stdcall BASSCHANNELSETPOSITION(DWORD position);             /* current */
DWORD __stdcall BASSCHANNELGETLEVELEX(DWORD channel);              /* 0 without a call for 0 */
DWORD __stdcall BASSCHANNELGETLEVEL(void);                         /* current */
BOOL __stdcall BASSCHANNELPAUSE(void);                             /* current, even 0 */
BOOL __stdcall BASSCHANNELRESUME(void);                            /* current, even 0 */
BOOL __stdcall BASSCHANNELSTOP(DWORD channel);
BOOL __stdcall BASSCHANNELGETATTRIBUTES(DWORD channel, int *frequency, int *volume, int *pan);
void __stdcall BASSCHANNELSETATTRIBUTES(DWORD channel, int frequency, int volume, int pan);
DWORD __stdcall BASSCHANNELGETDATA(DWORD channel, void *buffer, DWORD length); /* 0xFFFFFFFF -> 0 */
DWORD __stdcall BASSSTREAMGETLENGTH(DWORD channel);                /* 0xFFFFFFFF -> 0 */
void __stdcall BASSSTREAMFREE(DWORD channel);
DWORD __stdcall BASSSTREAMCREATE(DWORD frequency, DWORD channels, DWORD flags, void *proc,
                                 DWORD user);
DWORD __stdcall BASSSTREAMCREATEURL(const char *url, DWORD offset, DWORD flags,
                                    BASS_DownloadProc proc, DWORD user);
DWORD __stdcall BASSSTREAMCREATEFILE(BOOL memory, const void *file, DWORD offset, DWORD length,
                                     DWORD flags);
DWORD __stdcall BASSSTREAMCREATEFILEUSER(DWORD value1, DWORD value2, DWORD value3, DWORD value4);

/* ---- Error codes ------------------------------------------------------ */

/* The library's last error code; -1 when "BASS.DLL" is loaded without the
   entry point; 0 when it is not loaded. */
int __stdcall BASSERRORGETCODE(void);
/* The code's English sentence; empty for a code without one. */
BSTR __stdcall BASSERRORDESCRIPTION(DWORD code);

/* ---- Network streams and saving --------------------------------------- */

/* Non-zero: the next network stream played is saved in the download folder. */
void __stdcall BASSSTREAMSAVE(DWORD save);
void __stdcall BASSSETDOWNLOADPATH(BSTR folder);
/* The download folder, created first when it is set. */
BSTR __stdcall BASSGETDOWNLOADPATH(void);
/* The local copy being saved, or the file played last; empty otherwise. */
BSTR __stdcall BASSGETDOWNLOADEDFILE(void);
/* The address of the network stream played last; empty otherwise. */
BSTR __stdcall BASSGETURLFILENAME(void);
/* The download procedure BASSPLAY hands to the library: block null marks
   the end of the download. */
void __stdcall DOWNLOADPROC(const void *block, DWORD length, DWORD user);

#ifdef __cplusplus
}
#endif

#endif
