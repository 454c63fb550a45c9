/*
 * The BASS audio library and its four add-ons, as audiolink uses them.
 *
 * audiolink never links against these modules: it loads them by file name
 * and looks every entry point up by its exact name with GetProcAddress at
 * the moment it needs it. This header therefore declares function POINTER
 * types, one per entry point, named <entry point>_t, and one list per module
 * (BASS_ENTRY_POINTS and friends) so that binding code can be generated from
 * a single list:
 *
 *     #define X(name) name##_t p_##name = (name##_t)GetProcAddress(module, #name);
 *     BASS_ENTRY_POINTS(X)
 *
 * Calling rules of the whole family:
 * - Win32 standard calling convention; floats are IEEE single precision.
 *   Numbers (handles, codes, flags, lengths) are 32-bit words in both
 *   builds. Addresses, user values and the values audiolink only forwards
 *   are pointer-sized (DWORD_PTR): one 32-bit word in the 32-bit build,
 *   as the library expects, and the whole address in the 64-bit build.
 * - A 64-bit position or sync parameter is passed as two 32-bit words, low
 *   word first; the declarations below spell out both words.
 * - Lengths and positions come back as 64-bit values (EDX:EAX); audiolink
 *   uses the low 32 bits only.
 * - Load and create calls return a handle (a 32-bit DWORD), 0 on failure.
 *   Length, position and data calls return BASS_FAILURE_VALUE (0xFFFFFFFF)
 *   on failure. After a failure BASS_ErrorGetCode gives the reason.
 * - Texts handed in are zero-terminated 8-bit texts. Texts and records
 *   handed out by pointer belong to the library: copy them before the next
 *   call into it, never free them.
 * - Procedure addresses that audiolink only forwards for the application
 *   (stream, sync, encoder and notification procedures) are declared as
 *   plain pointers: their shape is a matter between the application and the
 *   library. The two procedures that audiolink itself supplies have types of
 *   their own (BASS_DownloadProc, BASS_DspProc).
 * - Where audiolink only forwards "n values in the library's order", the
 *   entry point is declared with n DWORD_PTR arguments named value1..valueN
 *   (any of them may be an address).
 *
 * A result that no caller ever reads (the frees, resizes and setters whose
 * audiolink export returns nothing) is declared void.
 *
 * Names here never coincide with audiolink's own exports: those are all
 * upper case (BASSINIT, DOWNLOADPROC, BASS_GETCONFIG), the library's entry
 * points are mixed case (BASS_Init), and the download callback type is
 * BASS_DownloadProc.
 */
#ifndef BASS_CONTRACT_H
#define BASS_CONTRACT_H

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Modules, in load order ------------------------------------------- */

#define BASS_MODULE_NAME    "BASS.DLL"
#define BASSWMA_MODULE_NAME "BASSWMA.DLL"
#define BASSENC_MODULE_NAME "BASSENC.DLL"  /* loaded from version 1.8 on */
#define BASSCD_MODULE_NAME  "BASSCD.DLL"   /* loaded from version 1.8 on */
#define BASSVIS_MODULE_NAME "BASS_VIS.DLL" /* loaded from version 2.0 on */

/* BASS_GetVersion: major number in the low 16 bits, minor in the high 16
   bits (0x00080001 is 1.8). */
#define BASS_VERSION_MAJOR(version) ((DWORD)(version) & 0xFFFFu)
#define BASS_VERSION_MINOR(version) (((DWORD)(version) >> 16) & 0xFFFFu)

/* Failure result of the length, position and data calls (and -1 of the CD
   queries). */
#define BASS_FAILURE_VALUE 0xFFFFFFFFu

/* ---- Error codes (BASS_ErrorGetCode) ---------------------------------- */

#define BASS_OK                  0  /* no error */
#define BASS_ERROR_MEMORY        1  /* out of memory */
#define BASS_ERROR_FILEOPEN      2  /* the file could not be opened */
#define BASS_ERROR_DRIVER        3  /* no free sound driver */
#define BASS_ERROR_BUFFERLOST    4  /* the sample buffer was lost */
#define BASS_ERROR_HANDLE        5  /* invalid handle */
#define BASS_ERROR_FORMAT        6  /* unsupported sample format */
#define BASS_ERROR_POSITION      7  /* invalid playback position */
#define BASS_ERROR_INIT          8  /* BASS_Init has not succeeded */
#define BASS_ERROR_START         9  /* BASS_Start has not succeeded */
#define BASS_ERROR_ALREADY       14 /* already initialised */
#define BASS_ERROR_NOTPAUSED     16 /* not paused */
#define BASS_ERROR_NOTAUDIO      17 /* not an audio track */
#define BASS_ERROR_NOCHANNEL     18 /* no free channel */
#define BASS_ERROR_ILLEGALTYPE   19 /* an illegal type */
#define BASS_ERROR_ILLEGALPARAM  20 /* an illegal parameter */
#define BASS_ERROR_NO3D          21 /* no 3D support */
#define BASS_ERROR_NOEAX         22 /* no EAX support */
#define BASS_ERROR_DEVICE        23 /* illegal device number */
#define BASS_ERROR_NOTPLAYING    24 /* not playing */
#define BASS_ERROR_FREQUENCY     25 /* illegal sample rate */
#define BASS_ERROR_NOTFILE       27 /* the stream is not a file stream */
#define BASS_ERROR_NOHW          29 /* no hardware voices available */
#define BASS_ERROR_NOSYNC        30 /* synchronizers have been disabled */
#define BASS_ERROR_NOSEQUENCE    31 /* the music module has no sequence data */
#define BASS_ERROR_NONET         32 /* no internet connection could be opened */
#define BASS_ERROR_CREATE        33 /* the file could not be created */
#define BASS_ERROR_NOFX          34 /* effects are not available */
#define BASS_ERROR_PLAYING       35 /* the channel is playing */
#define BASS_ERROR_NOTAVAIL      37 /* the requested data is not available */
#define BASS_ERROR_DECODE        38 /* the channel is a decoding channel */
#define BASS_ERROR_DIRECTX       39 /* no sufficient DirectX version */
#define BASS_ERROR_TIMEOUT       40 /* the connection timed out */
#define BASS_ERROR_FILEFORMAT    41 /* unsupported file format */
#define BASS_ERROR_SPEAKER       42 /* unavailable speaker */
#define BASS_ERROR_UNKNOWN       (-1) /* some other error; 0xFFFFFFFF unsigned */

/* Every code above, for tables that pair codes with texts. Codes 10 to 13,
   15, 26, 28, 36 and those above 42 (except -1) do not exist. */
#define BASS_ERROR_CODES(X) \
    X(BASS_OK) X(BASS_ERROR_MEMORY) X(BASS_ERROR_FILEOPEN) X(BASS_ERROR_DRIVER) \
    X(BASS_ERROR_BUFFERLOST) X(BASS_ERROR_HANDLE) X(BASS_ERROR_FORMAT) \
    X(BASS_ERROR_POSITION) X(BASS_ERROR_INIT) X(BASS_ERROR_START) \
    X(BASS_ERROR_ALREADY) X(BASS_ERROR_NOTPAUSED) X(BASS_ERROR_NOTAUDIO) \
    X(BASS_ERROR_NOCHANNEL) X(BASS_ERROR_ILLEGALTYPE) X(BASS_ERROR_ILLEGALPARAM) \
    X(BASS_ERROR_NO3D) X(BASS_ERROR_NOEAX) X(BASS_ERROR_DEVICE) \
    X(BASS_ERROR_NOTPLAYING) X(BASS_ERROR_FREQUENCY) X(BASS_ERROR_NOTFILE) \
    X(BASS_ERROR_NOHW) X(BASS_ERROR_NOSYNC) X(BASS_ERROR_NOSEQUENCE) \
    X(BASS_ERROR_NONET) X(BASS_ERROR_CREATE) X(BASS_ERROR_NOFX) \
    X(BASS_ERROR_PLAYING) X(BASS_ERROR_NOTAVAIL) X(BASS_ERROR_DECODE) \
    X(BASS_ERROR_DIRECTX) X(BASS_ERROR_TIMEOUT) X(BASS_ERROR_FILEFORMAT) \
    X(BASS_ERROR_SPEAKER) X(BASS_ERROR_UNKNOWN)

/* ---- Flag values that audiolink passes -------------------------------- */

/* Only the decoding flag has a meaning audiolink relies on; the others are
   the combined values it hands to one call each, kept here so that the
   calls and any stand-in of the library agree on them. */
#define BASS_STREAM_DECODE        0x200000u /* decoding-only stream (BASS_StreamCreateFile, BASS_WMA_StreamCreateFile) */
#define BASS_FLAGS_MUSIC_LOAD     0x20200u  /* BASS_MusicLoad of a module to be played */
#define BASS_FLAGS_URL_STREAM     0x40080u  /* BASS_StreamCreateURL of an MPEG/WAV/OGG address */
#define BASS_FLAGS_URL_WMA        0x40000u  /* BASS_StreamCreateURL of a WMA address */
#define BASS_FLAGS_FILE_STREAM    0x60008u  /* BASS_StreamCreateFile of a file to be played */
#define BASS_FLAGS_CD_STREAM      0x10000u  /* BASS_CD_StreamCreate of a track to be played */
#define BASS_FLAGS_WMA_FILE       0x8u      /* BASS_WMA_StreamCreateFile of a file to be played */

/* BASS_MusicPlayEx as audiolink calls it: (channel, BASS_MUSIC_PLAY_FROM_START,
   BASS_MUSIC_PLAY_KEEP_FLAGS, BASS_MUSIC_PLAY_RESET). */
#define BASS_MUSIC_PLAY_FROM_START 0u
#define BASS_MUSIC_PLAY_KEEP_FLAGS (-1)
#define BASS_MUSIC_PLAY_RESET      1

/* BASS_Init's first real output device (audiolink's "default" device). */
#define BASS_DEVICE_FIRST 1

/* ---- Output information record (BASS_GetInfo) ------------------------- */

/* Fifteen 32-bit fields. The caller sets size to sizeof(BASS_INFO) (60)
   before the call. Only the EAX field is read by audiolink; the meaning of
   the other fields is the library's. */
typedef struct BASS_INFO {
    DWORD size;        /* 0:  60, set by the caller */
    DWORD fields1[7];  /* 4:  facts about the output, not read here */
    DWORD eax;         /* 32: non-zero when EAX environmental reverb is supported */
    DWORD fields2[6];  /* 36: facts about the output, not read here */
} BASS_INFO;

#define BASS_INFO_SIZE 60

/* ---- Effects ---------------------------------------------------------- */

/* Effect types of BASS_ChannelSetFX. */
#define BASS_FX_CHORUS      0
#define BASS_FX_ECHO        3 /* not used by the rack; the I3DL2 reverb is 6 */
#define BASS_FX_FLANGER     4
#define BASS_FX_I3DL2REVERB 6
#define BASS_FX_PARAMEQ     7
#define BASS_FX_REVERB      8

/* Parameter records of BASS_FXSetParameters and BASS_FXGetParameters: runs
   of 32-bit little-endian fields, floats in IEEE single precision. */

typedef struct BASS_FXPARAMEQ {
    float center;    /* 0: centre frequency, Hz */
    float bandwidth; /* 4: bandwidth, semitones */
    float gain;      /* 8: gain, dB */
} BASS_FXPARAMEQ;

typedef struct BASS_FXREVERB {
    float inGain;          /* 0:  input gain, dB */
    float reverbMix;       /* 4:  reverb mix, dB */
    float reverbTime;      /* 8:  reverb time, ms */
    float highFreqRTRatio; /* 12: high-frequency reverb-time ratio */
} BASS_FXREVERB;

/* Waveform and phase values of the chorus and flanger records. */
#define BASS_FX_WAVE_TRIANGLE 0
#define BASS_FX_WAVE_SINE     1
#define BASS_FX_PHASE_NEG_180 0
#define BASS_FX_PHASE_NEG_90  1
#define BASS_FX_PHASE_ZERO    2
#define BASS_FX_PHASE_90      3
#define BASS_FX_PHASE_180     4

/* Chorus and flanger share this layout. */
typedef struct BASS_FXCHORUS {
    float wetDryMix; /* 0:  percent wet */
    float depth;     /* 4:  percent */
    float feedback;  /* 8:  percent */
    float frequency; /* 12: Hz */
    DWORD waveform;  /* 16: BASS_FX_WAVE_* */
    float delay;     /* 20: ms */
    DWORD phase;     /* 24: BASS_FX_PHASE_* */
} BASS_FXCHORUS;

typedef BASS_FXCHORUS BASS_FXFLANGER;

typedef struct BASS_FXI3DL2REVERB {
    LONG  room;              /* 0:  millibels */
    LONG  roomHF;            /* 4:  room high-frequency level, millibels */
    float roomRolloffFactor; /* 8 */
    float decayTime;         /* 12: s */
    float decayHFRatio;      /* 16 */
    LONG  reflections;       /* 20: millibels */
    float reflectionsDelay;  /* 24: s */
    LONG  reverb;            /* 28: millibels */
    float reverbDelay;       /* 32: s */
    float diffusion;         /* 36: percent */
    float density;           /* 40: percent */
    float hfReference;       /* 44: high-frequency reference, Hz */
} BASS_FXI3DL2REVERB;

/* ---- Procedures that audiolink supplies ------------------------------- */

/* Download procedure of BASS_StreamCreateURL, called on the library's own
   thread with each downloaded block; block NULL marks the end of the
   download. The block belongs to the library and is valid during the call
   only. */
typedef void (__stdcall *BASS_DownloadProc)(const void *block, DWORD length, DWORD_PTR user);

/* DSP procedure of BASS_ChannelSetDSP, called on the library's mixing
   thread with the channel's sample buffer, which it may change in place
   (length in bytes). */
typedef void (__stdcall *BASS_DspProc)(DWORD dsp, DWORD channel, void *buffer, DWORD length,
                                       DWORD_PTR user);

/* ---- "BASS.DLL" ------------------------------------------------------- */

/* Channels. A channel is the handle of a stream, music module or recording.
   Attributes are 32-bit signed values in the library's units. */
typedef BOOL (__stdcall *BASS_ChannelGetAttributes_t)(DWORD channel, int *frequency, int *volume,
                                                     int *pan);
/* Fills up to length bytes of buffer; the number of bytes, or
   BASS_FAILURE_VALUE. */
typedef DWORD (__stdcall *BASS_ChannelGetData_t)(DWORD channel, void *buffer, DWORD length);
typedef DWORD (__stdcall *BASS_ChannelGetDevice_t)(DWORD channel);
/* info: the caller's record, whose layout is the library's. */
typedef BOOL (__stdcall *BASS_ChannelGetInfo_t)(DWORD channel, void *info);
typedef DWORD (__stdcall *BASS_ChannelGetLevel_t)(DWORD channel);
/* BASS_FAILURE_VALUE in the low word on failure. */
typedef ULONGLONG (__stdcall *BASS_ChannelGetPosition_t)(DWORD channel);
typedef DWORD (__stdcall *BASS_ChannelIsActive_t)(DWORD channel);
typedef BOOL (__stdcall *BASS_ChannelPause_t)(DWORD channel);
typedef BOOL (__stdcall *BASS_ChannelRemoveDSP_t)(DWORD channel, DWORD dsp);
typedef BOOL (__stdcall *BASS_ChannelRemoveFX_t)(DWORD channel, DWORD fx);
typedef BOOL (__stdcall *BASS_ChannelResume_t)(DWORD channel);
typedef void (__stdcall *BASS_ChannelSetAttributes_t)(DWORD channel, int frequency, int volume,
                                                     int pan);
/* Returns the DSP handle, 0 on failure. */
typedef DWORD (__stdcall *BASS_ChannelSetDSP_t)(DWORD channel, BASS_DspProc proc, DWORD_PTR user,
                                               int priority);
/* type: BASS_FX_*. Returns the effect handle, 0 on failure. */
typedef DWORD (__stdcall *BASS_ChannelSetFX_t)(DWORD channel, DWORD type);
/* The 64-bit position as two words; audiolink passes a 32-bit position and
   a high word of 0. */
typedef BOOL (__stdcall *BASS_ChannelSetPosition_t)(DWORD channel, DWORD positionLow,
                                                   DWORD positionHigh);
/* The 64-bit sync parameter as two words. proc: the application's sync
   procedure. Returns the sync handle, 0 on failure. */
typedef DWORD (__stdcall *BASS_ChannelSetSync_t)(DWORD channel, DWORD type, DWORD paramLow,
                                                DWORD paramHigh, void *proc, DWORD_PTR user);
/* Slides the three attributes to the given values over time milliseconds. */
typedef BOOL (__stdcall *BASS_ChannelSlideAttributes_t)(DWORD channel, int frequency, int volume,
                                                       int pan, DWORD time);
typedef BOOL (__stdcall *BASS_ChannelStop_t)(DWORD channel);

/* The code of the last failure in the calling thread: a BASS_ERROR_* value. */
typedef int (__stdcall *BASS_ErrorGetCode_t)(void);

/* params: the effect's record (BASS_FXPARAMEQ and friends). */
typedef BOOL (__stdcall *BASS_FXGetParameters_t)(DWORD fx, void *params);
typedef BOOL (__stdcall *BASS_FXSetParameters_t)(DWORD fx, const void *params);

/* Engine. */
typedef BOOL (__stdcall *BASS_Free_t)(void);
typedef DWORD (__stdcall *BASS_GetConfig_t)(DWORD option);
typedef DWORD (__stdcall *BASS_GetDevice_t)(void);
/* info->size must be BASS_INFO_SIZE on entry. */
typedef BOOL (__stdcall *BASS_GetInfo_t)(BASS_INFO *info);
/* See BASS_VERSION_MAJOR and BASS_VERSION_MINOR. */
typedef DWORD (__stdcall *BASS_GetVersion_t)(void);
/* Initialises output. device: BASS_DEVICE_FIRST and up; frequency in Hz;
   window: the application's window; clsid: NULL for the default. */
typedef BOOL (__stdcall *BASS_Init_t)(int device, DWORD frequency, DWORD flags, HWND window,
                                     const GUID *clsid);
typedef BOOL (__stdcall *BASS_Pause_t)(void);
typedef DWORD (__stdcall *BASS_SetConfig_t)(DWORD option, DWORD value);
typedef BOOL (__stdcall *BASS_SetDevice_t)(DWORD device);
typedef BOOL (__stdcall *BASS_SetEAXParameters_t)(int environment, float volume, float decay,
                                                 float damping);
typedef BOOL (__stdcall *BASS_Start_t)(void);
typedef BOOL (__stdcall *BASS_Stop_t)(void);

/* Music modules. */
typedef BOOL (__stdcall *BASS_MusicFree_t)(DWORD music);
/* From version 1.2 on (version number above 1.1): two arguments, audiolink
   passes 0 as the second. BASS_MusicGetLengthV1_t is the older form. */
typedef ULONGLONG (__stdcall *BASS_MusicGetLength_t)(DWORD music, BOOL playLength);
typedef ULONGLONG (__stdcall *BASS_MusicGetLengthV1_t)(DWORD music);
/* memory: non-zero when file is the address of the data, else a file name.
   extra: 0 in every call audiolink makes. Returns the music handle. */
typedef DWORD (__stdcall *BASS_MusicLoad_t)(BOOL memory, const void *file, DWORD offset,
                                           DWORD length, DWORD flags, DWORD extra);
/* See BASS_MUSIC_PLAY_*. */
typedef BOOL (__stdcall *BASS_MusicPlayEx_t)(DWORD music, DWORD position, int flags, BOOL reset);

/* Recording. The two description calls return the library's text, NULL for
   an input or device that does not exist. */
typedef BOOL (__stdcall *BASS_RecordFree_t)(void);
typedef DWORD (__stdcall *BASS_RecordGetDevice_t)(void);
typedef const char *(__stdcall *BASS_RecordGetDeviceDescription_t)(DWORD device);
typedef DWORD (__stdcall *BASS_RecordGetInput_t)(int input);
typedef const char *(__stdcall *BASS_RecordGetInputName_t)(int input);
typedef BOOL (__stdcall *BASS_RecordInit_t)(int device);
typedef BOOL (__stdcall *BASS_RecordSetDevice_t)(DWORD device);
typedef BOOL (__stdcall *BASS_RecordSetInput_t)(int input, DWORD setting);
/* Four values in the library's order. Returns the recording channel. */
typedef DWORD (__stdcall *BASS_RecordStart_t)(DWORD_PTR value1, DWORD_PTR value2, DWORD_PTR value3,
                                             DWORD_PTR value4);

/* Samples. */
typedef BOOL (__stdcall *BASS_SampleFree_t)(DWORD sample);
/* info: the caller's record, whose layout is the library's. */
typedef BOOL (__stdcall *BASS_SampleGetInfo_t)(DWORD sample, void *info);
/* memory: non-zero when file is the address of the data. maxPlaybacks: how
   many times the sample may play at once. Returns the sample handle. */
typedef DWORD (__stdcall *BASS_SampleLoad_t)(BOOL memory, const void *file, DWORD offset,
                                            DWORD length, DWORD maxPlaybacks, DWORD flags);

/* Streams. */
/* proc: the application's stream procedure. */
typedef DWORD (__stdcall *BASS_StreamCreate_t)(DWORD frequency, DWORD channels, DWORD flags,
                                              void *proc, DWORD_PTR user);
/* memory: non-zero when file is the address of the data, else a file name;
   length 0: to the end. */
typedef DWORD (__stdcall *BASS_StreamCreateFile_t)(BOOL memory, const void *file, DWORD offset,
                                                  DWORD length, DWORD flags);
/* Four values in the library's order. */
typedef DWORD (__stdcall *BASS_StreamCreateFileUser_t)(DWORD_PTR value1, DWORD_PTR value2, DWORD_PTR value3,
                                                      DWORD_PTR value4);
/* url: "http://..." or "ftp://..."; proc receives the downloaded data
   (NULL: none). */
typedef DWORD (__stdcall *BASS_StreamCreateURL_t)(const char *url, DWORD offset, DWORD flags,
                                                 BASS_DownloadProc proc, DWORD_PTR user);
typedef void (__stdcall *BASS_StreamFree_t)(DWORD stream);
/* BASS_FAILURE_VALUE in the low word on failure. */
typedef ULONGLONG (__stdcall *BASS_StreamGetLength_t)(DWORD stream);
/* audiolink calls it as (stream, 0, 0). */
typedef BOOL (__stdcall *BASS_StreamPlay_t)(DWORD stream, BOOL flush, DWORD flags);
typedef BOOL (__stdcall *BASS_StreamPreBuf_t)(DWORD stream);

#define BASS_ENTRY_POINTS(X) \
    X(BASS_ChannelGetAttributes) X(BASS_ChannelGetData) X(BASS_ChannelGetDevice) \
    X(BASS_ChannelGetInfo) X(BASS_ChannelGetLevel) X(BASS_ChannelGetPosition) \
    X(BASS_ChannelIsActive) X(BASS_ChannelPause) X(BASS_ChannelRemoveDSP) \
    X(BASS_ChannelRemoveFX) X(BASS_ChannelResume) X(BASS_ChannelSetAttributes) \
    X(BASS_ChannelSetDSP) X(BASS_ChannelSetFX) X(BASS_ChannelSetPosition) \
    X(BASS_ChannelSetSync) X(BASS_ChannelSlideAttributes) X(BASS_ChannelStop) \
    X(BASS_ErrorGetCode) X(BASS_FXGetParameters) X(BASS_FXSetParameters) \
    X(BASS_Free) X(BASS_GetConfig) X(BASS_GetDevice) X(BASS_GetInfo) \
    X(BASS_GetVersion) X(BASS_Init) \
    X(BASS_MusicFree) X(BASS_MusicGetLength) X(BASS_MusicLoad) X(BASS_MusicPlayEx) \
    X(BASS_Pause) \
    X(BASS_RecordFree) X(BASS_RecordGetDevice) X(BASS_RecordGetDeviceDescription) \
    X(BASS_RecordGetInput) X(BASS_RecordGetInputName) X(BASS_RecordInit) \
    X(BASS_RecordSetDevice) X(BASS_RecordSetInput) X(BASS_RecordStart) \
    X(BASS_SampleFree) X(BASS_SampleGetInfo) X(BASS_SampleLoad) \
    X(BASS_SetConfig) X(BASS_SetDevice) X(BASS_SetEAXParameters) X(BASS_Start) X(BASS_Stop) \
    X(BASS_StreamCreate) X(BASS_StreamCreateFile) X(BASS_StreamCreateFileUser) \
    X(BASS_StreamCreateURL) X(BASS_StreamFree) X(BASS_StreamGetLength) \
    X(BASS_StreamPlay) X(BASS_StreamPreBuf)

/* ---- "BASSWMA.DLL": Windows Media streams and encoding ---------------- */

typedef void (__stdcall *BASS_WMA_EncodeClose_t)(DWORD encoder);
typedef DWORD (__stdcall *BASS_WMA_EncodeGetClients_t)(DWORD encoder);
typedef DWORD (__stdcall *BASS_WMA_EncodeGetPort_t)(DWORD encoder);
/* The add-on's list of available bit rates. */
typedef const DWORD *(__stdcall *BASS_WMA_EncodeGetRates_t)(DWORD frequency, DWORD flags);
/* The Open calls return the encoder handle, 0 on failure. proc: the
   application's encoder procedure. */
typedef DWORD (__stdcall *BASS_WMA_EncodeOpen_t)(DWORD frequency, DWORD flags, DWORD bitrate,
                                                void *proc, DWORD_PTR user);
typedef DWORD (__stdcall *BASS_WMA_EncodeOpenFile_t)(DWORD frequency, DWORD flags, DWORD bitrate,
                                                    const char *file);
typedef DWORD (__stdcall *BASS_WMA_EncodeOpenNetwork_t)(DWORD frequency, DWORD flags,
                                                       DWORD bitrate, DWORD port,
                                                       DWORD maxClients);
typedef DWORD (__stdcall *BASS_WMA_EncodeOpenPublish_t)(DWORD frequency, DWORD flags,
                                                       DWORD bitrate, const char *url,
                                                       const char *user, const char *password);
/* proc: the application's notification procedure. */
typedef BOOL (__stdcall *BASS_WMA_EncodeSetNotify_t)(DWORD encoder, void *proc, DWORD_PTR user);
typedef BOOL (__stdcall *BASS_WMA_EncodeSetTag_t)(DWORD encoder, const char *tag,
                                                 const char *text);
typedef BOOL (__stdcall *BASS_WMA_EncodeWrite_t)(DWORD encoder, const void *buffer,
                                                DWORD length);
/* The stream's Windows Media reader object; belongs to the add-on. */
typedef void *(__stdcall *BASS_WMA_GetIWMReader_t)(DWORD stream);
/* As BASS_StreamCreateFile. */
typedef DWORD (__stdcall *BASS_WMA_StreamCreateFile_t)(BOOL memory, const void *file,
                                                      DWORD offset, DWORD length, DWORD flags);

#define BASSWMA_ENTRY_POINTS(X) \
    X(BASS_WMA_EncodeClose) X(BASS_WMA_EncodeGetClients) X(BASS_WMA_EncodeGetPort) \
    X(BASS_WMA_EncodeGetRates) X(BASS_WMA_EncodeOpen) X(BASS_WMA_EncodeOpenFile) \
    X(BASS_WMA_EncodeOpenNetwork) X(BASS_WMA_EncodeOpenPublish) \
    X(BASS_WMA_EncodeSetNotify) X(BASS_WMA_EncodeSetTag) X(BASS_WMA_EncodeWrite) \
    X(BASS_WMA_GetIWMReader) X(BASS_WMA_StreamCreateFile)

/* ---- "BASSENC.DLL": command-line encoders ----------------------------- */

/* Exactly three arguments. Returns the encoder handle, 0 on failure. */
typedef DWORD (__stdcall *BASS_Encode_Start_t)(DWORD channel, const char *commandLine,
                                              DWORD flags);
/* handle: a channel or an encoder. */
typedef DWORD (__stdcall *BASS_Encode_IsActive_t)(DWORD handle);
typedef BOOL (__stdcall *BASS_Encode_Stop_t)(DWORD handle);

#define BASSENC_ENTRY_POINTS(X) \
    X(BASS_Encode_IsActive) X(BASS_Encode_Start) X(BASS_Encode_Stop)

/* ---- "BASSCD.DLL": CD audio ------------------------------------------- */

/* drive: the add-on's drive number. Results of -1 (BASS_FAILURE_VALUE)
   mean failure where noted. Texts belong to the add-on. */
typedef BOOL (__stdcall *BASS_CD_Door_t)(DWORD drive, DWORD action);
typedef BOOL (__stdcall *BASS_CD_DoorIsLocked_t)(DWORD drive);
typedef BOOL (__stdcall *BASS_CD_DoorIsOpen_t)(DWORD drive);
typedef const char *(__stdcall *BASS_CD_GetDriveDescription_t)(DWORD drive);
/* 0 = A; -1 on failure. */
typedef DWORD (__stdcall *BASS_CD_GetDriveLetter_t)(DWORD drive);
/* kind: which identifier. */
typedef const char *(__stdcall *BASS_CD_GetID_t)(DWORD drive, DWORD kind);
/* info: the caller's record, whose layout is the add-on's. */
typedef void (__stdcall *BASS_CD_GetInfo_t)(DWORD drive, void *info);
/* -1 on failure. */
typedef DWORD (__stdcall *BASS_CD_GetTrackLength_t)(DWORD drive, DWORD track);
/* -1 on failure (no disc). */
typedef DWORD (__stdcall *BASS_CD_GetTracks_t)(DWORD drive);
typedef BOOL (__stdcall *BASS_CD_IsReady_t)(DWORD drive);
/* track: 0 is the first track. Returns the stream handle. */
typedef DWORD (__stdcall *BASS_CD_StreamCreate_t)(DWORD drive, DWORD track, DWORD flags);
/* file: a ".CDA" path. */
typedef DWORD (__stdcall *BASS_CD_StreamCreateFile_t)(const char *file, DWORD flags);
/* -1 on failure. */
typedef DWORD (__stdcall *BASS_CD_StreamGetTrack_t)(DWORD stream);

#define BASSCD_ENTRY_POINTS(X) \
    X(BASS_CD_Door) X(BASS_CD_DoorIsLocked) X(BASS_CD_DoorIsOpen) \
    X(BASS_CD_GetDriveDescription) X(BASS_CD_GetDriveLetter) X(BASS_CD_GetID) \
    X(BASS_CD_GetInfo) X(BASS_CD_GetTrackLength) X(BASS_CD_GetTracks) \
    X(BASS_CD_IsReady) X(BASS_CD_StreamCreate) X(BASS_CD_StreamCreateFile) \
    X(BASS_CD_StreamGetTrack)

/* ---- "BASS_VIS.DLL": visualisation plug-ins --------------------------- */

/* audiolink forwards the application's values in the add-on's order. */
typedef DWORD (__stdcall *BASS_SONIQUEVIS_Clicked_t)(DWORD_PTR value1, DWORD_PTR value2, DWORD_PTR value3);
/* Returns the visualisation handle. */
typedef DWORD (__stdcall *BASS_SONIQUEVIS_CreateVis_t)(DWORD_PTR value1, DWORD_PTR value2, DWORD_PTR value3,
                                                      DWORD_PTR value4, DWORD_PTR value5);
typedef void (__stdcall *BASS_SONIQUEVIS_Free_t)(DWORD vis);
/* The plug-in's name; belongs to the add-on. */
typedef const char *(__stdcall *BASS_SONIQUEVIS_GetName_t)(DWORD vis);
typedef DWORD (__stdcall *BASS_SONIQUEVIS_Render_t)(DWORD_PTR value1, DWORD_PTR value2, DWORD_PTR value3);
typedef void (__stdcall *BASS_SONIQUEVIS_Resize_t)(DWORD_PTR value1, DWORD_PTR value2, DWORD_PTR value3);
typedef DWORD (__stdcall *BASS_VIS_GetConfig_t)(DWORD option);
typedef void (__stdcall *BASS_VIS_SetConfig_t)(DWORD option, DWORD value);

#define BASSVIS_ENTRY_POINTS(X) \
    X(BASS_SONIQUEVIS_Clicked) X(BASS_SONIQUEVIS_CreateVis) X(BASS_SONIQUEVIS_Free) \
    X(BASS_SONIQUEVIS_GetName) X(BASS_SONIQUEVIS_Render) X(BASS_SONIQUEVIS_Resize) \
    X(BASS_VIS_GetConfig) X(BASS_VIS_SetConfig)

/* ---- Layout checks ---------------------------------------------------- */

#if defined(__cplusplus)
#define BASS_CONTRACT_ASSERT(name, cond) static_assert(cond, #name)
#elif defined(__STDC_VERSION__) && __STDC_VERSION__ >= 201112L
#define BASS_CONTRACT_ASSERT(name, cond) _Static_assert(cond, #name)
#else
#define BASS_CONTRACT_ASSERT(name, cond) typedef char bass_contract_##name[(cond) ? 1 : -1]
#endif
BASS_CONTRACT_ASSERT(info_is_60_bytes, sizeof(BASS_INFO) == BASS_INFO_SIZE);
BASS_CONTRACT_ASSERT(paramEq_is_3_fields, sizeof(BASS_FXPARAMEQ) == 12);
BASS_CONTRACT_ASSERT(reverb_is_4_fields, sizeof(BASS_FXREVERB) == 16);
BASS_CONTRACT_ASSERT(chorus_is_7_fields, sizeof(BASS_FXCHORUS) == 28);
BASS_CONTRACT_ASSERT(i3dl2_is_12_fields, sizeof(BASS_FXI3DL2REVERB) == 48);
#undef BASS_CONTRACT_ASSERT

#ifdef __cplusplus
}
#endif

#endif
