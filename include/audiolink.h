/*
 * audiolink.h: the exports of audiolink.dll, for C and C++ host programs.
 *
 * Link with audiolink.lib (Visual C++ and other MSVC-style linkers) or
 * libaudiolink.dll.a (mingw-w64), from lib/ for a 32-bit host and lib64/ for
 * a 64-bit one, or load the module and look the names up yourself.
 *
 * Every export uses the Win32 standard calling convention (__stdcall); the
 * names are plain, without a "@N" decoration, in the 32-bit and the 64-bit
 * build alike. Numbers (the library's handles, codes, flags, lengths) are
 * 32-bit in both builds. Addresses, windows and the values typed DWORD_PTR
 * (user values, and values handed to the library in its order, any of
 * which may be an address) are pointer-sized: link the 64-bit modules
 * (bin64/, lib64/) into a 64-bit host and every address passes whole.
 *
 * Byte strings. Text results and the text arguments typed BSTR are byte
 * strings: OLE strings made with SysAllocStringByteLen that hold 8-bit text
 * in the system code page, with their byte length (SysStringByteLen) and no
 * terminator counted in it. A null BSTR is the empty text.
 *   - A BSTR argument is TAKEN OVER: the export frees it before it returns
 *     (keeping a copy where it stores the value). Do not use or free it
 *     afterwards. Make it with SysAllocStringByteLen(text, strlen(text)).
 *   - A BSTR result is NEW and belongs to the caller, who frees it with
 *     SysFreeString. Read it as (const char *)result, length
 *     SysStringByteLen(result).
 * Arguments typed const char * are zero-terminated 8-bit texts that stay
 * the caller's. A const char * result points at the audio library's own
 * text: copy it before the next call, never free it.
 *
 * Failures come back as values, never as exceptions: 0 when nothing could
 * be done (in particular when "BASS.DLL" or the entry point a call needs is
 * missing), the audio library's error code where an export says so, and -1
 * where BASSERRORGETCODE or BASSSTART find the library loaded but the entry
 * point missing (the exports that answer an error code pass it on). Yes/no
 * answers computed here are -1 (yes) and 0 (no).
 *
 * Channel arguments documented as "0 = current" stand for the channel that
 * the last BASSPLAY created.
 *
 * The exports run on the caller's thread; call the library from one thread.
 * Only the procedures a host hands over (download and DSP, below) are called
 * on the audio library's own threads.
 */
#ifndef AUDIOLINK_H
#define AUDIOLINK_H

#include "tarn_support_version.h"
#include <windows.h>
#include <oleauto.h>

/* ---- Media kinds: BASSMEDIATYPE ---------------------------------------- */

#define MEDIAKIND_NONE 0
#define MEDIAKIND_MUSIC 1        /* a music module (.mod, .xm, .it, ...) */
#define MEDIAKIND_STREAM 3       /* a file or network stream (.mp3, .ogg, .wav, ...) */
#define MEDIAKIND_CDTRACK 4      /* a CD audio track (.cda) */
#define MEDIAKIND_WINDOWSMEDIA 5 /* a Windows Media file or address (.wma) */

/* BASSOPEN's answer for a name without a dot or longer than 259 characters. */
#define AUDIOLINK_OPEN_BADNAME 2

/* ---- The effects dialog: BASSFXWINDOW ---------------------------------- */

/* Control ids of the child windows audiolink reads and writes in the
   host's effects dialog. Bands are track bars running from 0 to 100, with
   50 the neutral centre (0 dB; the ends are -15 and +15 dB); the others are
   check boxes. No control 12 is read. */
#define FXID_BAND1 1 /* band n is FXID_BAND1 + n - 1 */
#define FXID_BAND2 2
#define FXID_BAND3 3
#define FXID_BAND4 4
#define FXID_BAND5 5
#define FXID_BAND6 6
#define FXID_BAND7 7
#define FXID_BAND8 8
#define FXID_BAND9 9
#define FXID_BAND10 10
#define FXID_EQUALIZER 11   /* check box: equalizer on */
#define FXID_REVERB 13      /* check box: reverb */
#define FXID_CHORUS 14      /* check box: chorus */
#define FXID_FLANGER 15     /* check box: flanger */
#define FXID_I3DL2REVERB 16 /* check box: environmental reverb (BASSUPDATEECHO) */
#define FXID_ROTATE 17      /* check box: rotate */

#define FX_TRACK_MIN 0
#define FX_TRACK_CENTRE 50
#define FX_TRACK_MAX 100
#define FX_BANDS 10

/* Slots of the effects rack: BASSFXCHANNEL(slot). Slots 1 to 10 hold the
   equalizer bands' effect handles, 13 to 16 the effects' handles and 17
   the rotate effect's DSP handle; 11 and 12 are always empty. */
#define FXSLOT_BAND1 1 /* band n is FXSLOT_BAND1 + n - 1 */
#define FXSLOT_BAND10 10
#define FXSLOT_REVERB 13
#define FXSLOT_CHORUS 14
#define FXSLOT_FLANGER 15
#define FXSLOT_I3DL2REVERB 16
#define FXSLOT_ROTATE 17
#define FXSLOT_COUNT 17

/* ---- Callback types ---------------------------------------------------- */

/* The download procedure handed to BASSSTREAMCREATEURL: called on the audio
   library's own thread with each downloaded block; block NULL marks the end.
   The block is valid during the call only. Keep it short, and do not wait
   in it for a thread that is calling the audio library: freeing the stream
   waits for a running call to end. */
typedef void(__stdcall *AUDIOLINK_DOWNLOADPROC)(const void *block, DWORD length, DWORD_PTR user);

/* The DSP procedure handed to BASSCHANNELSETDSP: called on the audio
   library's mixing thread with the channel's samples (length in bytes),
   which it may change in place. Output waits while it runs: do not send
   messages to, or wait for, a thread that may be calling the library. */
typedef void(__stdcall *AUDIOLINK_DSPPROC)(DWORD dsp, DWORD channel, void *buffer, DWORD length, DWORD_PTR user);

/* The export DOWNLOADPROC (audiolink's own download procedure, the one
   BASSPLAY hands to the audio library for a network stream; it serves no
   other stream) has the name the audio library's header gives its callback
   TYPE, so it is not declared by default: a file that includes both headers
   still compiles.
   Define AUDIOLINK_DECLARE_DOWNLOADPROC before including this header to get
   the declaration by name, or ask AudioLinkDownloadProc() for its address. */
#define AUDIOLINK_DOWNLOADPROC_NAME "DOWNLOADPROC"

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Library frame ----------------------------------------------------- */

/* The module's entry routine, exported by name: reason 1 records the
   instance and loads the audio library, reason 0 unloads it; always 1.
   Windows calls it; a host has no reason to. */
BOOL __stdcall DLLMAIN(HINSTANCE instance, DWORD reason, LPVOID reserved);
/* Loads "BASS.DLL" and, by its version, the add-ons; may be called again.
   An add-on this load does not load (no "BASS.DLL", or a lower version) is
   released. A load that finds no "BASS.DLL" forgets what BASSUNLOAD
   forgets. */
void __stdcall BASSLOAD(void);
/* Frees output, closes an unfinished stream copy and releases every module,
   the add-ons also when "BASS.DLL" is not loaded. Forgets the current
   channel (BASSHANDLEINUSE and BASSMEDIATYPE answer 0), the rack's table
   and the output BASSOPEN initialised (the next BASSOPEN initialises it
   again); keeps what BASSOPEN chose and its display name. */
void __stdcall BASSUNLOAD(void);
/* -1 when "BASS.DLL" is loaded with version 0.9 or later, else 0. */
int __stdcall BASSAVAILABLE(void);
/* New byte string: "major.minor" of the loaded library; empty when none. */
BSTR __stdcall BASSGETVERSION(void);
/* New byte string: the zero-terminated text at address (at most 259 bytes)
   without spaces at either end; empty for address 0. Only readable memory
   is read: a wrong address gives what can be read, or the empty text. */
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
/* Accepted for compatibility; does nothing and answers 0. */
int __stdcall BASSSETEAXPRESET(int preset);

/* ---- Opening and playing media; 0 without "BASS.DLL" ------------------ */

/* Takes over name (a local path or a network address). Initialises output
   on first use (window for the library), closes the current channel, types
   the name by its extension and reads its display name. 0; the library's
   error code when initialising output fails, except error 14 (already
   initialised, by the host's BASSINIT), which counts as ready;
   AUDIOLINK_OPEN_BADNAME (2) for a name without a dot or longer than 259
   characters, which changes nothing. */
int __stdcall BASSOPEN(HWND window, BSTR name);
/* Makes and starts the channel of what BASSOPEN opened; offset and length
   go to the library for module, stream and Windows Media files. 0 on
   success or when nothing could be tried (also a .cda path that does not
   begin with a drive letter and ":"); else the library's error code, for a
   failed start of output too; -1 only when "BASS.DLL" lacks the entry point
   that starts output (BASSSTART's -1) or, where a code is due, the one that
   reports errors. A .cda on a drive that is not a CD drive plays from the
   first CD drive. */
int __stdcall BASSPLAY(DWORD offset, DWORD length);
/* The MEDIAKIND_ code last started while there is a current channel, else
   MEDIAKIND_NONE. */
int __stdcall BASSMEDIATYPE(void);
/* The current channel's length in bytes; 0 when unknown. */
DWORD __stdcall BASSMEDIAGETLENGTH(void);
/* The current channel; 0 = none. */
DWORD __stdcall BASSHANDLEINUSE(void);
/* New byte strings: the display names BASSOPEN found last: a module's
   title, up to its first byte 0 or 0x1A, without its format's markers and
   padding (BASSMUSICNAME); a stream's ID3v1 tag text (BASSSTREAMNAME). For
   a network name, including a .wma address, its file name without
   extension; nothing for a local .wma. */
BSTR __stdcall BASSMUSICNAME(void);
BSTR __stdcall BASSSTREAMNAME(void);

/* ---- Channel control --------------------------------------------------- */

/* Takes the rack's effects off the channel (0 = current), stops output and
   frees the channel as the current channel's kind says; back to idle. For a
   channel other than the current one, the current channel is forgotten
   without being freed (BASSHANDLEINUSE answers 0) and keeps its effects,
   the rack's table is dropped, the current stream's local copy ends and
   what BASSOPEN chose is forgotten. 0, or the library's error code when
   stopping output failed. Answers 0 and does nothing while there is no
   current channel. */
int __stdcall BASSCLOSECHANNEL(DWORD channel);
/* A decoding-only stream of the file (through "BASSWMA.DLL" for a name
   ending in ".wma" in any case); 0 on failure. */
DWORD __stdcall BASSSTREAMDECODEFILE(const char *name);

/* ---- Plain forwarding: each calls one entry point of "BASS.DLL" with its
   arguments unchanged; 0 when the module or the entry point is missing --- */

BOOL __stdcall BASSFREE(void);
DWORD __stdcall BASSSETCONFIG(DWORD option, DWORD value);
DWORD __stdcall BASS_GETCONFIG(DWORD option);
BOOL __stdcall BASSSETDEVICE(DWORD device);
DWORD __stdcall BASSGETDEVICE(void);
BOOL __stdcall BASSSTOP(void);
BOOL __stdcall BASSPAUSE(void);
BOOL __stdcall BASSSETEAXPARAMETERS(int environment, float volume, float decay, float damping);
/* channel 0 = current; 0 without a call while there is no channel. */
DWORD __stdcall BASSCHANNELGETDEVICE(DWORD channel);
/* info: the library's channel information record, filled on success. */
BOOL __stdcall BASSCHANNELGETINFO(DWORD channel, void *info);
DWORD __stdcall BASSUSECHANNELISACTIVE(DWORD channel);
DWORD __stdcall BASSCHANNELISACTIVE(void); /* current */
/* paramLow, paramHigh: the 64-bit sync parameter, low word first. */
DWORD __stdcall BASSCHANNELSETSYNC(DWORD channel, DWORD type, DWORD paramLow, DWORD paramHigh,
                                   void *proc, DWORD_PTR user);
/* channel 0 = current; called even when there is no channel. */
BOOL __stdcall BASSCHANNELSLIDEATTRIBUTES(DWORD channel, int frequency, int volume, int pan,
                                          DWORD time);
/* Positions, levels and data: the library's failure value 0xFFFFFFFF comes
   back as 0 where noted. */
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
                                 DWORD_PTR user);
DWORD __stdcall BASSSTREAMCREATEURL(const char *url, DWORD offset, DWORD flags,
                                    AUDIOLINK_DOWNLOADPROC proc, DWORD_PTR user);
DWORD __stdcall BASSSTREAMCREATEFILE(BOOL memory, const void *file, DWORD offset, DWORD length,
                                     DWORD flags);
/* The four values go to the library in its order (pointer-sized: any of
   them may be an address). */
DWORD __stdcall BASSSTREAMCREATEFILEUSER(DWORD_PTR value1, DWORD_PTR value2, DWORD_PTR value3, DWORD_PTR value4);

/* ---- Error codes ------------------------------------------------------- */

/* The library's last error code; -1 when "BASS.DLL" is loaded without the
   entry point; 0 when it is not loaded. */
int __stdcall BASSERRORGETCODE(void);
/* New byte string: the code's English sentence; empty for a code without
   one. */
BSTR __stdcall BASSERRORDESCRIPTION(DWORD code);

/* ---- Network streams and saving ---------------------------------------- */

/* Non-zero: network streams played from the next BASSPLAY on are saved in
   the download folder, until saving is switched off again. */
void __stdcall BASSSTREAMSAVE(DWORD save);
/* Takes over folder. */
void __stdcall BASSSETDOWNLOADPATH(BSTR folder);
/* New byte string: the download folder, created first when it is set. */
BSTR __stdcall BASSGETDOWNLOADPATH(void);
/* New byte string: the local copy being saved, or the file played last;
   empty otherwise. */
BSTR __stdcall BASSGETDOWNLOADEDFILE(void);
/* New byte string: the address of the network stream played last; empty
   otherwise. */
BSTR __stdcall BASSGETURLFILENAME(void);
#ifdef AUDIOLINK_DECLARE_DOWNLOADPROC
/* The download procedure BASSPLAY hands to the library (an
   AUDIOLINK_DOWNLOADPROC): writes each block to the local copy; block NULL
   closes it. BASSPLAY gives each stream its own user value, and a copy
   takes the blocks of its own stream only: an earlier stream still
   downloading neither writes into a later one's copy nor ends it. For
   BASSPLAY's streams only: handed to a host's own stream, its blocks are
   dropped or, while a saved stream runs and the host's user value is 0,
   written into that stream's copy (and its NULL closes that copy). */
void __stdcall DOWNLOADPROC(const void *block, DWORD length, DWORD_PTR user);
#endif

/* ---- Equalizer and effects --------------------------------------------- */

/* Registers the host's effects dialog when store is non-zero (window 0
   forgets it); answers the registered dialog, or 0. The dialog's controls
   are the FXID_ ids above. */
HWND __stdcall BASSFXWINDOW(HWND window, DWORD store);
/* Puts band 1 to 10 on the channel (0 = current) at its track bar's gain,
   or takes it off, as the equalizer box says. Does nothing without a
   registered dialog. */
void __stdcall BASSUPDATEEQ(DWORD channel, int band);
/* Takes the bands off and centres the ten track bars. Does nothing without
   a registered dialog. */
void __stdcall BASSRESETEQ(DWORD channel);
/* Each puts its effect on the channel (0 = current) or takes it off, as its
   box says; an effect already on gets its parameters again. Without a
   registered dialog every box reads as cleared: the effect comes off. */
void __stdcall BASSUPDATEREVERB(DWORD channel);
void __stdcall BASSUPDATECHORUS(DWORD channel);
void __stdcall BASSUPDATEFLANGER(DWORD channel);
void __stdcall BASSUPDATEECHO(DWORD channel); /* the I3DL2 environmental reverb */
void __stdcall BASSUPDATEROTATE(DWORD channel);
/* Takes every effect of the rack off the channel and drops the rack. */
void __stdcall BASSREMOVEFX(DWORD channel);
/* The handle in FXSLOT_ slot 1 to 17 of the rack; 0 for an empty slot,
   another number, or no rack. */
DWORD __stdcall BASSFXCHANNEL(int slot);
/* Pass-throughs to "BASS.DLL"; 0 when the module or entry point is missing. */
DWORD __stdcall BASSCHANNELSETFX(DWORD channel, DWORD type);
BOOL __stdcall BASSCHANNELREMOVEFX(DWORD channel, DWORD fx);
DWORD __stdcall BASSCHANNELSETDSP(DWORD channel, AUDIOLINK_DSPPROC proc, DWORD_PTR user, int priority);
BOOL __stdcall BASSCHANNELREMOVEDSP(DWORD channel, DWORD dsp);
/* params: the effect type's parameter block. */
BOOL __stdcall BASSFXSETPARAMETERS(DWORD fx, const void *params);
BOOL __stdcall BASSFXGETPARAMETERS(DWORD fx, void *params);

/* ---- Visualisation plug-ins ("BASS_VIS.DLL") --------------------------- */

/* New byte string: the plug-in files in folder and every folder below it
   (64 levels deep at most), as paths that begin with folder as given, with
   lower-cased file names, separated by single commas; empty when there are
   none. A file is a plug-in's when its extension (from the last dot) is a
   substring of ".svp.uvs.zvp": ".svp", ".uvs", ".zvp", and also ".s",
   ".sv", ".z" and the like. A relative folder is searched from the current
   directory and gives relative paths. A NULL or empty folder searches the
   current drive from its root, which can take minutes. unused is not
   read. */
BSTR __stdcall BASSVISFINDPLUGINS(const char *folder, DWORD unused);
/* Handed through; 0 (or nothing) without the add-on. */
DWORD __stdcall BASSSONIQUECREATEVIS(DWORD_PTR value1, DWORD_PTR value2, DWORD_PTR value3, DWORD_PTR value4,
                                     DWORD_PTR value5);
void __stdcall BASSSONIQUEFREE(DWORD vis);
const char *__stdcall BASSSONIQUEGETNAME(DWORD vis); /* the add-on's text */
DWORD __stdcall BASSSONIQUECLICKED(DWORD_PTR value1, DWORD_PTR value2, DWORD_PTR value3);
void __stdcall BASSSONIQUERESIZE(DWORD_PTR value1, DWORD_PTR value2, DWORD_PTR value3);
DWORD __stdcall BASSSONIQUERENDER(DWORD_PTR value1, DWORD_PTR value2, DWORD_PTR value3);
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
DWORD __stdcall BASSRECORDSTART(DWORD_PTR value1, DWORD_PTR value2, DWORD_PTR value3, DWORD_PTR value4);
BOOL __stdcall BASSRECORDFREE(void);
BOOL __stdcall BASSRECORDSETINPUT(int input, DWORD setting);
DWORD __stdcall BASSRECORDGETINPUT(int input);
/* New byte strings: copies of the library's texts, spaces trimmed; empty
   past the last input or device. */
BSTR __stdcall BASSRECORDGETINPUTNAME(int input);
BSTR __stdcall BASSRECORDGETDEVICEDESCRIPTION(DWORD device);

/* ---- Encoding and sample loading; 0 (or nothing) without the module ---- */

const DWORD *__stdcall BASSWMAENCODEGETRATES(DWORD frequency, DWORD flags); /* the add-on's list */
DWORD __stdcall BASSWMAENCODEOPENFILE(DWORD frequency, DWORD flags, DWORD bitrate, const char *file);
DWORD __stdcall BASSWMAENCODEOPEN(DWORD frequency, DWORD flags, DWORD bitrate, void *proc, DWORD_PTR user);
DWORD __stdcall BASSWMAENCODEOPENNETWORK(DWORD frequency, DWORD flags, DWORD bitrate, DWORD port,
                                         DWORD maxClients);
DWORD __stdcall BASSWMAENCODEOPENPUBLISH(DWORD frequency, DWORD flags, DWORD bitrate, const char *url,
                                         const char *user, const char *password);
DWORD __stdcall BASSWMAENCODEGETPORT(DWORD encoder);
BOOL __stdcall BASSWMAENCODESETNOTIFY(DWORD encoder, void *proc, DWORD_PTR user);
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

/* The installed DirectX major version read from the registry; 0 when
   unknown. */
int __stdcall BASSDIRECTXVERSION(void);

#ifdef __cplusplus
}
#endif

/* The address of the export DOWNLOADPROC in the loaded audiolink.dll, or
   NULL when the module is not loaded. */
static __inline AUDIOLINK_DOWNLOADPROC AudioLinkDownloadProc(void)
{
    HMODULE module = GetModuleHandleA("audiolink.dll");
    return module ? (AUDIOLINK_DOWNLOADPROC)(void (*)(void))GetProcAddress(module, AUDIOLINK_DOWNLOADPROC_NAME)
                  : (AUDIOLINK_DOWNLOADPROC)0;
}

#endif /* AUDIOLINK_H */
