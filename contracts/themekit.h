/*
 * themekit.dll: the skin library used by helpview and audiolink.
 *
 * Every function uses the Win32 standard calling convention and is exported
 * under its plain upper-case name. Texts passed in are zero-terminated 8-bit
 * texts in the system code page. Text results and "out" texts are byte
 * strings: BSTRs made with SysAllocStringByteLen that hold 8-bit text and
 * know their byte length (zero bytes included). A byte string returned by a
 * function belongs to the caller, who frees it with SysFreeString. For an
 * "out" byte string argument the library frees whatever the variable held
 * (NULL or a byte string) before it stores the new one, so initialise such
 * variables to NULL.
 *
 * The data of THFGET, THFGETAT and THFPUT are byte strings of exact length:
 * THFGET and THFGETAT fill the buffer in place (its byte length is the size of
 * the read) and THFPUT writes every byte of its text. None of them takes over
 * the string.
 */
#ifndef THEMEKIT_CONTRACT_H
#define THEMEKIT_CONTRACT_H

#include <stddef.h>
#include <windows.h>
#include <oleauto.h>

#ifdef __cplusplus
extern "C" {
#endif

/* ---- The style record of THMSGBOX and THBUT3D ------------------------- */

/*
 * Read only. Zero in a field means "the skin's default". The offsets are
 * part of the contract: callers may fill the record as raw bytes. They are
 * the same in the 64-bit build: the icon field holds the icon's handle as a
 * 32-bit value (window-manager handles have 32 significant bits in 64-bit
 * Windows too, and widen by sign extension). Fill it with
 * THSTYLE_ICON(handle); THSTYLE_HICON(field) gives the handle back.
 */
#define THSTYLE_ICON(handle) ((DWORD)(ULONG_PTR)(handle))
#define THSTYLE_HICON(field) ((HICON)(LONG_PTR)(LONG)(field))
#pragma pack(push, 1)
typedef struct THSTYLERECORD {
    DWORD    reserved0;     /* 0:  zero */
    DWORD    icon;          /* 4:  icon shown left of a message box's text, or 0 */
    COLORREF faceColour;    /* 8:  body colour of a message box */
    COLORREF textColour;    /* 12: text colour of a message box */
    LONG     padding;       /* 16: space in pixels around a message box's text */
    SHORT    alert;         /* 20: non-zero: sound the system's alert when shown */
    BYTE     bevel;         /* 22: bevel depth of the box's buttons in pixels */
    BYTE     reserved23;
    BYTE     reserved24;
    BYTE     frame;         /* 25: width of a message box's frame in pixels */
    BYTE     reserved26[6]; /* zero */
} THSTYLERECORD;
#pragma pack(pop)

#if defined(__cplusplus)
static_assert(sizeof(THSTYLERECORD) == 32 && offsetof(THSTYLERECORD, faceColour) == 8 &&
                  offsetof(THSTYLERECORD, frame) == 25,
              "the style record's offsets are the same in both builds");
#elif defined(__STDC_VERSION__) && __STDC_VERSION__ >= 201112L
_Static_assert(sizeof(THSTYLERECORD) == 32, "the style record's offsets are the same in both builds");
#endif

/* THGETSYSCOLOR indices of the skin's own colours (other values are the
   platform's GetSysColor indices). */
#define THCOLOR_DIALOGTEXT 0x70 /* text of skinned dialogs and message boxes */
#define THCOLOR_DIALOGFACE 0x71 /* face of skinned dialogs and message boxes */

/* THWINDOWSTYLE bits: the caption and system buttons of the windows that are
   created next from a class registered with THREGISTERCLASS. */
#define THWS_CAPTION  0x01
#define THWS_CLOSE    0x02
#define THWS_MINIMIZE 0x04
#define THWS_MAXIMIZE 0x08 /* also makes the frame resizable */

/* WM_COMMAND identifiers that the caption buttons post to their window. */
#define THCMD_CLOSE 0x7FF1 /* THMACTE gives "END" */

/* Window classes of the library's own windows. */
#define THMSGBOX_CLASS "THMSGBOX"

/* THFOPEN access and mode. */
#define THF_READ         0 /* access: read */
#define THF_WRITE        1 /* access: write */
#define THF_MODE_READ    0 /* read an existing file; others may read it too */
#define THF_MODE_APPEND  1 /* write: create the file when missing, write at its end */
#define THF_MODE_SHARED  2 /* read an existing file that others may also write or delete */

/* ---- Windows ---------------------------------------------------------- */

/* Reads the skin file (format in outside/themekit/README.md). Returns 1 when
   the file was read, 0 when the built-in skin is used instead (missing or
   broken file). Either way the library is ready. */
int __stdcall THINITENGINE(const char *skinFile);

/* Sets the THWS_* bits for the windows created next. Returns the old bits. */
int __stdcall THWINDOWSTYLE(int style);

/* Registers the class described by classRecord under className. The windows
   created from it are skinned when their procedure passes every message to
   THGETMESSAGE first. Returns the class atom, 0 on failure. */
ATOM __stdcall THREGISTERCLASS(WNDCLASSEXA *classRecord, const char *className);

/* Skinned windows may not grow beyond screenWidth x screenHeight; width and
   height are the size they return to from the maximised state when they
   were created maximised. Returns 1. */
int __stdcall THSETMAXSIZE(int width, int height, int screenWidth, int screenHeight);

/* Creates the child area of a skinned window: a child window of class
   className (registered here with procedure proc when it is not yet
   registered) that fills the window below the caption and inside the frame,
   and follows its size. dx and dy shift it further in (0, 0: none). Returns
   the child window, NULL on failure. */
HWND __stdcall THHOLDER(HWND window, const char *className, int dx, int dy, WNDPROC proc);

/* Smallest width and height of a skinned window (from the skin file). */
int __stdcall THXMINI(void);
int __stdcall THYMINI(void);

/* ---- Messages --------------------------------------------------------- */

/* Runs first in the procedure of a skinned window and of its child area: the
   library draws the frame and caption, moves and resizes the window within
   its minimum size, serves the caption buttons (the close button posts
   WM_COMMAND THCMD_CLOSE). Non-zero: handled, the procedure returns this
   value at once. The library may change the four values. */
LRESULT __stdcall THGETMESSAGE(HWND *window, UINT *message, WPARAM *wParam, LPARAM *lParam);

/* Keyboard navigation (Tab, Shift+Tab, Enter on a button) among the tab
   stops of window. Non-zero when the message was used and must not be
   dispatched. */
int __stdcall THDIALOGMESSAGE(HWND window, MSG *message);

/* Dispatches the messages pending for the calling thread, then returns. */
void __stdcall THEVENT(void);

/* The action of a command identifier: "END" for THCMD_CLOSE, an empty text
   for identifiers the library does not know. work is a variable of the
   caller, zero on entry, that the library may use. */
BSTR __stdcall THMACTE(int commandId, int *work);

/* ---- Controls --------------------------------------------------------- */

/* A push button drawn with a 3D face in the skin's colours. style may be
   NULL or all zero for the skin's defaults. Returns the button. */
HWND __stdcall THBUT3D(HWND parent, const char *text, HFONT font, int x, int y,
                       int width, int height, int id, const THSTYLERECORD *style);
int __stdcall THBUTTONTIP(HWND parent, HWND button, const char *text);
/* Adds WS_TABSTOP to the control. */
int __stdcall THTABSTOP(HWND control);
/* Tooltip text of the caption buttons of skinned windows; enable 0 turns
   these tooltips off. The text is the close button's tip, or the tips of
   close, maximise and minimise separated by "|"; a window's own text
   (THSETSYSBUTTONTIP) wins over the module-wide one. */
int __stdcall THSETSYSTOOLTIP(const char *text, int enable);
int __stdcall THSETSYSBUTTONTIP(HWND window, const char *text);
/* Window text; a skinned window's caption is redrawn. */
int __stdcall THSETCTLTEXT(HWND window, const char *text);
BSTR __stdcall THGETCTLTEXT(HWND window);
/* Non-zero when the check box (or radio button) is checked. */
int __stdcall THGETCHECK(HWND control);
/* Track bar position scaled to 0..100. THGETTRACKPOS stores it through
   position and returns it; -1 (nothing stored) when control is not a track
   bar. THSETTRACKPOS clamps position to 0..100 and returns the position the
   track bar then holds, on the same scale, or -1. */
int __stdcall THGETTRACKPOS(HWND control, int *position);
int __stdcall THSETTRACKPOS(HWND control, int position);

/* ---- Drawing ---------------------------------------------------------- */

/* The library's fonts: THDEFAULTFONT and THCAPTIONFONT belong to the
   library; a THMARLETT font belongs to the caller (THDELETEOBJECT). */
HFONT __stdcall THDEFAULTFONT(void);
HFONT __stdcall THCAPTIONFONT(void);
HFONT __stdcall THMARLETT(int size);
/* Deletes the GDI object and sets the variable to NULL. */
int __stdcall THDELETEOBJECT(HGDIOBJ *object);
int __stdcall THGETTEXTEXTENT(HWND window, HFONT font, const char *text, int *width, int *height);
/* Horizontal space in pixels between a button's edge and its text. */
int __stdcall THBUTTONMARGIN(void);
COLORREF __stdcall THGETSYSCOLOR(int index);
/* Fills the rectangle with copies of pattern. */
int __stdcall THTILEBLT(HDC dc, int x, int y, int width, int height, HBITMAP pattern);
/* The pattern of the skin's control background; belongs to the library. */
HBITMAP __stdcall THCTLBACK(void);

/* A modal message box. buttons: comma-separated button texts, "" for one
   "OK" button. Returns the 1-based number of the button pressed, 0 when the
   box was closed otherwise (Escape, or its window was destroyed). */
int __stdcall THMSGBOX(HWND owner, HFONT font, const char *title, const char *text,
                       const char *buttons, const THSTYLERECORD *style, int reserved);

/* ---- Files ------------------------------------------------------------ */

/* File functions return 0 on success and a Win32 error code otherwise.
   Handles are small numbers given out by THFOPEN; 0 is never a handle. */
int __stdcall THFOPEN(const char *name, int access, int mode, int *handle);
/* Fills all SysStringByteLen(*buffer) bytes from the start of the file /
   from byte offset. A read that the file cannot satisfy completely (a
   negative offset, a range past the end) fails and leaves the buffer as it
   was. */
int __stdcall THFGET(int handle, BSTR *buffer);
int __stdcall THFGETAT(int handle, int offset, BSTR *buffer);
/* Writes all SysStringByteLen(text) bytes at the file's end. */
int __stdcall THFPUT(int handle, BSTR text);
/* Size of the file in bytes, -1 for an unknown handle. */
int __stdcall THFLOF(int handle);
/* Closes the file and sets the variable to 0. */
int __stdcall THFCLOSE(int *handle);
int __stdcall THKILLFILE(const char *name);
/* Creates the folder and any missing folders above it. */
int __stdcall THMAKEDIR(const char *path);
/* The lines of a text file (ended by CR LF, LF or CR; a last line without an
   end counts, an end at the end of the file adds no empty line) as a
   one-dimensional SAFEARRAY of byte strings (VT_BSTR) with lower bound 1:
   line n is element n. The caller frees it with SafeArrayDestroy. On failure
   *lines is NULL and *count 0. */
int __stdcall THREADSTR(const char *file, SAFEARRAY **lines, int *count);

/* ---- Names ------------------------------------------------------------ */

BSTR __stdcall THEXENAME(void);
/* Splits after the last "\" or "/": folder keeps that separator at its end
   (empty when there is none), fileName is the rest. Returns 0. */
int __stdcall THSPLITN(const char *fullName, BSTR *folder, BSTR *fileName);
/* The temporary folder, ending with a backslash. */
BSTR __stdcall THGETTEMPPATH(void);
/* -1 when a file (not a folder) of that name exists, else 0. */
int __stdcall THEXIST(const char *name);
/* The system's text for a Win32 error code, without a line end. */
BSTR __stdcall THWINERR(int code);
/* Letters of the drives present: CD drives in lower case, others upper. */
BSTR __stdcall THDSKLIST(void);

#ifdef __cplusplus
}
#endif

#endif
