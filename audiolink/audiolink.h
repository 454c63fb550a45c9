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

/* ---- Output device and engine control; 0 without "BASS.DLL" ----------- */

/* Device -1 is the first real output device; window 0 is the foreground
   window. The library's result; 0 when the entry point is missing. */
BOOL __stdcall BASSINIT(int device, DWORD frequency, DWORD flags, HWND window);
/* 0 on success; the library's error code when the start fails; -1 when the
   entry point is missing. */
int __stdcall BASSSTART(void);
/* Closes the current channel: BASSCLOSECHANNEL(0). */
int __stdcall BASSCLOSE(void);
/* Non-zero when the output supports EAX environmental reverb. */
DWORD __stdcall BASSEAXAVAILABLE(void);
/* Always 0. */
int __stdcall BASSSETEAXPRESET(int preset);

/* ---- Opening and playing media; 0 without "BASS.DLL" ------------------ */

/* Initialises output on first use (window for the library), closes the
   current channel, types the name (a local path or a network address) by
   its extension and reads its display name. 0; the library's error code
   when initialising output fails; 2 for a name without a dot or longer than
   259 characters, which changes nothing. */
int __stdcall BASSOPEN(HWND window, BSTR name);
/* Makes and starts the channel of what BASSOPEN opened; offset and length
   go to the library for module, stream and Windows Media files. 0 on
   success or when nothing could be tried; else the library's error code,
   or -1 when the library cannot start output. */
int __stdcall BASSPLAY(DWORD offset, DWORD length);
/* The kind last started (1 module, 3 stream, 4 CD track, 5 Windows Media)
   while there is a current channel, else 0. */
int __stdcall BASSMEDIATYPE(void);
/* The current channel's length in bytes; 0 when unknown. */
DWORD __stdcall BASSMEDIAGETLENGTH(void);
/* The current channel; 0 = none. */
DWORD __stdcall BASSHANDLEINUSE(void);
/* The display names BASSOPEN found last. */
BSTR __stdcall BASSMUSICNAME(void);
BSTR __stdcall BASSSTREAMNAME(void);

/* ---- Channel control --------------------------------------------------- */

/* Takes the effects off the channel (0 = current), stops output and frees
   the channel as the kind last played says; back to idle. 0, or the
   library's error code when stopping output failed. Nothing happens while
   there is no current channel. */
int __stdcall BASSCLOSECHANNEL(DWORD channel);
/* A decoding-only stream of the file (through "BASSWMA.DLL" for a name
   ending in ".wma" in any case); 0 on failure. */
DWORD __stdcall BASSSTREAMDECODEFILE(const char *name);

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

/* ---- Equalizer and effects -------------------------------------------- */

/* Registers the effects dialog when store is non-zero (window 0 forgets
   it); the registered dialog. Its controls: track bars 1 to 10 (bands,
   0 to 100, 50 = 0 dB), check boxes 11 (equalizer) and 13 to 17 (reverb,
   chorus, flanger, I3DL2 reverb, rotate). */
HWND __stdcall BASSFXWINDOW(HWND window, DWORD store);
/* Puts band 1 to 10 on the channel (0 = current) at its track bar's gain,
   or takes it off, as the equalizer box says. */
void __stdcall BASSUPDATEEQ(DWORD channel, int band);
/* Takes the bands off and centres the ten track bars. */
void __stdcall BASSRESETEQ(DWORD channel);
/* Each puts its effect on the channel (0 = current) or takes it off, as its
   box says; an effect already on gets its parameters again. */
void __stdcall BASSUPDATEREVERB(DWORD channel);
void __stdcall BASSUPDATECHORUS(DWORD channel);
void __stdcall BASSUPDATEFLANGER(DWORD channel);
void __stdcall BASSUPDATEECHO(DWORD channel); /* the I3DL2 reverb */
void __stdcall BASSUPDATEROTATE(DWORD channel);
/* Takes every effect of the rack off the channel and drops the rack. */
void __stdcall BASSREMOVEFX(DWORD channel);
/* The handle in slot 1 to 17 of the rack; 0 for an empty slot or none. */
DWORD __stdcall BASSFXCHANNEL(int slot);
/* Pass-throughs to "BASS.DLL"; 0 when the module or entry point is missing. */
DWORD __stdcall BASSCHANNELSETFX(DWORD channel, DWORD type);
BOOL __stdcall BASSCHANNELREMOVEFX(DWORD channel, DWORD fx);
DWORD __stdcall BASSCHANNELSETDSP(DWORD channel, BASS_DspProc proc, DWORD user, int priority);
BOOL __stdcall BASSCHANNELREMOVEDSP(DWORD channel, DWORD dsp);
BOOL __stdcall BASSFXSETPARAMETERS(DWORD fx, const void *params);
BOOL __stdcall BASSFXGETPARAMETERS(DWORD fx, void *params);

/* ---- Visualisation plug-ins ("BASS_VIS.DLL") --------------------------- */

/* The plug-in files (.svp, .uvs, .zvp) in folder and every folder below it:
   full paths with lower-cased file names, separated by single commas; empty
   when there are none. The second argument is not read. */
BSTR __stdcall BASSVISFINDPLUGINS(const char *folder, DWORD unused);
/* Handed through; 0 (or nothing) without the add-on. */
DWORD __stdcall BASSSONIQUECREATEVIS(DWORD value1, DWORD value2, DWORD value3, DWORD value4,
                                     DWORD value5);
void __stdcall BASSSONIQUEFREE(DWORD vis);
const char *__stdcall BASSSONIQUEGETNAME(DWORD vis); /* the add-on's text */
DWORD __stdcall BASSSONIQUECLICKED(DWORD value1, DWORD value2, DWORD value3);
void __stdcall BASSSONIQUERESIZE(DWORD value1, DWORD value2, DWORD value3);
DWORD __stdcall BASSSONIQUERENDER(DWORD value1, DWORD value2, DWORD value3);
DWORD __stdcall BASSVISGETCONFIG(DWORD option);
void __stdcall BASSVISSETCONFIG(DWORD option, DWORD value);

/* ---- CD audio ("BASSCD.DLL"); 0 (or nothing) without the add-on -------- */

const char *__stdcall BASSCDGETDRIVEDESCRIPTION(DWORD drive); /* the add-on's text */
DWORD __stdcall BASSCDGETDRIVELETTER(DWORD drive);            /* 0 = A; -1 -> 0 */
void __stdcall BASSCDGETINFO(DWORD drive, void *info);
BOOL __stdcall BASSCDDOOR(DWORD drive, DWORD action);
int __stdcall BASSCDDOORISOPEN(DWORD drive);                  /* -1 or 0 */
int __stdcall BASSCDDOORISLOCKED(DWORD drive);                /* -1 or 0 */
BOOL __stdcall BASSCDISREADY(DWORD drive);                    /* the add-on's value */
DWORD __stdcall BASSCDGETTRACKS(DWORD drive);                 /* -1 -> 0 */
DWORD __stdcall BASSCDGETTRACKLENGTH(DWORD drive, DWORD track); /* -1 -> 0 */
const char *__stdcall BASSCDGETID(DWORD drive, DWORD kind);   /* the add-on's text */
DWORD __stdcall BASSCDSTREAMCREATE(DWORD drive, DWORD track, DWORD flags);
DWORD __stdcall BASSCDSTREAMCREATEFILE(const char *file, DWORD flags);
DWORD __stdcall BASSCDSTREAMGETTRACK(DWORD stream);           /* -1 -> 0 */

/* ---- Recording ("BASS.DLL"); 0 without the library --------------------- */

BOOL __stdcall BASSRECORDINIT(int device);
BOOL __stdcall BASSRECORDSETDEVICE(DWORD device);
DWORD __stdcall BASSRECORDGETDEVICE(void);
DWORD __stdcall BASSRECORDSTART(DWORD value1, DWORD value2, DWORD value3, DWORD value4);
BOOL __stdcall BASSRECORDFREE(void);
BOOL __stdcall BASSRECORDSETINPUT(int input, DWORD setting);
DWORD __stdcall BASSRECORDGETINPUT(int input);
/* Copies of the library's texts, blanks trimmed; empty past the last. */
BSTR __stdcall BASSRECORDGETINPUTNAME(int input);
BSTR __stdcall BASSRECORDGETDEVICEDESCRIPTION(DWORD device);

/* ---- Encoding and sample loading; 0 (or nothing) without the module ---- */

const DWORD *__stdcall BASSWMAENCODEGETRATES(DWORD frequency, DWORD flags);
DWORD __stdcall BASSWMAENCODEOPENFILE(DWORD frequency, DWORD flags, DWORD bitrate, const char *file);
DWORD __stdcall BASSWMAENCODEOPEN(DWORD frequency, DWORD flags, DWORD bitrate, void *proc, DWORD user);
DWORD __stdcall BASSWMAENCODEOPENNETWORK(DWORD frequency, DWORD flags, DWORD bitrate, DWORD port,
                                         DWORD maxClients);
DWORD __stdcall BASSWMAENCODEOPENPUBLISH(DWORD frequency, DWORD flags, DWORD bitrate, const char *url,
                                         const char *user, const char *password);
DWORD __stdcall BASSWMAENCODEGETPORT(DWORD encoder);
BOOL __stdcall BASSWMAENCODESETNOTIFY(DWORD encoder, void *proc, DWORD user);
DWORD __stdcall BASSWMAENCODEGETCLIENTS(DWORD encoder);
BOOL __stdcall BASSWMAENCODESETTAG(DWORD encoder, const char *tag, const char *text);
BOOL __stdcall BASSWMAENCODEWRITE(DWORD encoder, const void *buffer, DWORD length);
void __stdcall BASSWMAENCODECLOSE(DWORD encoder);
void *__stdcall BASSWMAGETIWMREADER(DWORD stream);
DWORD __stdcall BASSENCODESTART(DWORD channel, const char *commandLine, DWORD flags);
DWORD __stdcall BASSENCODEISACTIVE(DWORD handle);
BOOL __stdcall BASSENCODESTOP(DWORD handle);
DWORD __stdcall BASSSAMPLELOAD(BOOL memory, const void *file, DWORD offset, DWORD length,
                               DWORD maxPlaybacks, DWORD flags);

/* ---- DirectX probe ----------------------------------------------------- */

/* The installed DirectX major version from the registry; 0 when unknown. */
int __stdcall BASSDIRECTXVERSION(void);

#ifdef __cplusplus
}
#endif

#endif
