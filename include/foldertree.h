/*
 * foldertree.h: foldertree.dll for C and C++ host programs: the
 * browse-for-folder control class "TARNBFF", its properties, messages and
 * notifications, and the utilities around it.
 *
 * Link with foldertree.lib (Visual C++ and other MSVC-style linkers) or
 * libfoldertree.dll.a (mingw-w64), from lib/ for a 32-bit host and lib64/ for
 * a 64-bit one. Loading the library registers the class; a host creates a
 * control with TarnBrowser, or with CreateWindowEx and the class name, and
 * the instance TarnInstance() gives.
 *
 * Every export uses the Win32 standard calling convention (__stdcall) and
 * takes and returns 32-bit values except for addresses and windows, which
 * are pointer-sized; the names are plain, without a "@N"
 * decoration. Text arguments are zero-terminated 8-bit texts that stay the
 * caller's. A BSTR result is a NEW byte string owned by the caller: an OLE
 * string made with SysAllocStringByteLen holding 8-bit text, length
 * SysStringByteLen(result), read as (const char *)result, freed with
 * SysFreeString.
 *
 * The controls of one process share one drag-and-drop state; use them from
 * the thread that created them.
 */
#ifndef FOLDERTREE_H
#define FOLDERTREE_H

#include "tarn_support_version.h"
#include <windows.h>
#include <commctrl.h>
#include <oleauto.h>

/* The control's window class. The tree inside it is a "SysTreeView32" child
   with the control's own id. */
#define TARNBFF_CLASS "TARNBFF"

/* ---- Properties: Bff_GetProperty / Bff_SetProperty --------------------- */

/* Ten signed 32-bit slots per control, numbered 1 to 10 (window extra bytes
   at offset (n - 1) * 4 in both builds: GetWindowLong, not
   GetWindowLongPtr), zero at creation and written only by the host. */
#define BFFP_BKCOLOR 1      /* COLORREF behind the whole tree */
#define BFFP_TEXTCOLOR 2    /* COLORREF of text and lines, read once while the control is created (when it is
                               still 0); white becomes RGB(250,250,250). Later: TVM_SETTEXTCOLOR to the tree */
#define BFFP_SELBKCOLOR 3   /* COLORREF of the selection band */
#define BFFP_SELTEXTCOLOR 4 /* COLORREF of the selected item's text */
#define BFFP_USER1 5        /* 5 to 10: the host's own, never read by the control */
#define BFFP_USER6 10
#define BFFP_FIRST 1
#define BFFP_LAST 10

/* ---- Private messages: SendMessage(control, BFFM_..., wParam, lParam) -- */

/* Every message from BFFM_CLEAR (2024) to WM_USER + 2000 is the control's
   own: unknown ones answer 0. A text message takes the byte count in
   wParam (at most 260 bytes are read; the text ends at its first zero byte
   and loses the spaces around it) and the address of the 8-bit text in
   lParam; a negative count or a null address answers 0 without reading
   anything. */
#define BFFM_CLEAR (WM_USER + 1000)         /* 2024: empties the tree; 1 */
#define BFFM_REFRESH (WM_USER + 1001)       /* 2025: repaints the control; 1 */
#define BFFM_SETROOTPATH (WM_USER + 1002)   /* 2026: text; fills from that folder, or the drives for ""; the root item, or 0 */
#define BFFM_SETROOTFOLDER (WM_USER + 1003) /* 2027: wParam a CSIDL, negative for the drives; the root item, or 0 */
#define BFFM_SELECTPATH (WM_USER + 1004)    /* 2028: text; selects that folder; its item, or 0 */
#define BFFM_GETPATH (WM_USER + 1005)       /* 2029: wParam size, lParam buffer; bytes copied, NO terminator */
#define BFFM_GETPATHLEN (WM_USER + 1006)    /* 2030: length of the selected folder's path */
#define BFFM_EXPANDROOT (WM_USER + 1007)    /* 2031: wParam non-zero expands the root, 0 collapses it; 1, or 0 without a tree */
#define BFFM_SETBKCOLOR (WM_USER + 1008)    /* 2032: lParam the tree's background COLORREF; the previous one, or 0 */

/* ---- Notifications: WM_COMMAND to the control's parent ----------------- */

/* LOWORD(wParam) is the control's id, HIWORD(wParam) one of these codes,
   lParam as noted. Selections made by program are not reported. */
#define BFFN_CREATED 1        /* posted once the control has tried to make its tree, also when it could not (control
                                 id 0; GetDlgItem(control, id) is then NULL); lParam the control */
#define BFFN_SELCHANGED 2     /* the user selected another folder; lParam the tree */
#define BFFN_RCLICK 3         /* right click in the tree; lParam the tree */
#define BFFN_BEGINLABELEDIT 4 /* a label edit starts (only when the host gave the tree TVS_EDITLABELS); lParam the tree */
#define BFFN_ENDLABELEDIT 5   /* a label edit ends; lParam the tree */
#define BFFN_DROP 6           /* an item was dragged onto another; lParam a BffDropPair *, valid during the call only */

/* What BFFN_DROP points at. The control moves nothing: the host decides. */
typedef struct BffDropPair {
    HTREEITEM dragged;
    HTREEITEM target;
} BffDropPair;

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Class, instances and properties ----------------------------------- */

/* The module's entry routine, exported by name: reason 1 registers the
   class, reason 0 unregisters it; always 1. Windows calls it; a host has no
   reason to. */
BOOL __stdcall DLLMAIN(HINSTANCE instance, DWORD reason, LPVOID reserved);
/* Registers "TARNBFF" under TarnInstance() unless it is registered: 1 when
   it registers it now, the class's atom when it was registered already, 0
   when registration failed. */
int __stdcall RegisterBFFClass(void);
/* The instance the class is registered under: the process's executable
   (GetModuleHandle(NULL)), not the library. Pass it to CreateWindowEx. */
HINSTANCE __stdcall TarnInstance(void);
/* New byte string: "1.0". */
BSTR __stdcall Bff_Version(void);
/* Creates a control (WS_TABSTOP and WS_CLIPCHILDREN are added to style) and,
   when startPath is neither NULL nor empty, selects that folder. The
   control, or NULL on failure.
   The labels' font: the stock ANSI_VAR_FONT at 96 DPI, the same face scaled
   to the DPI of the control's window at others; a per-monitor aware host's
   control follows its window to another DPI (WM_DPICHANGED_AFTERPARENT). A
   font the host sets with WM_SETFONT on the control's tree (its one child
   window) is used as it is at any DPI, and stays the host's to free after
   the control. */
HWND __stdcall TarnBrowser(DWORD exStyle, const char *startPath, DWORD style, int x, int y, int width,
                           int height, HWND parent, int id);
/* Property 1 to 10 of a control; 0 for another number or a dead window. */
int __stdcall Bff_GetProperty(HWND control, int number);
/* Sets property 1 to 10; does nothing for another number or a dead window. */
void __stdcall Bff_SetProperty(HWND control, int number, int value);

/* ---- Notifications and paths ------------------------------------------- */

/* The control's own handling of a WM_NOTIFY from its tree (id: the tree's
   id, i.e. the WM_NOTIFY's wParam): loads children on first expansion and
   frees item records. 1 when handled, else 0. The control routes its own
   tree's notifications to it itself: a host must not route them again. A
   second delivery of the same item's deletion does no harm (a record is
   freed only while its item still holds it). */
int __stdcall Bff_WM_NOTIFY(HWND control, int id, NMHDR *header);
/* New byte string: the file-system path of the tree's selected folder;
   empty for a virtual folder, no selection, or a window that is not one of
   the control's trees. tree is the control's child (GetDlgItem(control, id)
   or the lParam of BFFN_SELCHANGED). */
BSTR __stdcall Bff_GetPath(HWND tree);

/* ---- Desktop snapshot --------------------------------------------------- */

/* The process's one snapshot of the desktop, painted behind a hidden tree.
   mode 0 answers it (NULL before the first), 1 takes it anew and answers
   it, any other value frees it and answers NULL. The memory DC stays the
   library's: never delete or release it. */
HDC __stdcall TarnDCDesktop(int mode);

/* ---- File operations and text utilities --------------------------------- */

/* Sends the files to the recycle bin, without progress or confirmation;
   the shell's error boxes are not suppressed and may wait for the user.
   files: one or more zero-terminated paths, the list ended by an extra zero
   (SHFileOperation form). 0 on success; the shell's error code;
   ERROR_INVALID_PARAMETER (87) for NULL, an empty list or a name that
   cannot be made a full path; ERROR_NOT_ENOUGH_MEMORY (8) when memory runs
   out while the list is prepared. */
int __stdcall Bff_MoveToTray(const char *files);
/* -1 when something matches path (wildcards allowed), 0 otherwise and for
   NULL or an empty text. */
int __stdcall Bff_FileExist(const char *path);
/* Sends window WM_COPYDATA with wParam = the text's length in bytes,
   dwData = data, cbData = that length, lpData = a copy of the text without
   terminator. The answer of SendMessage (0 for a dead window). */
int __stdcall Bff_SendPrivateMsg(HWND window, int data, const char *text);
/* New byte strings: text without the leading (LTRIM) or trailing (RTRIM)
   bytes that occur anywhere in set; NULL counts as empty. */
BSTR __stdcall LTRIM(const char *text, const char *set);
BSTR __stdcall RTRIM(const char *text, const char *set);

#ifdef __cplusplus
}
#endif

#endif /* FOLDERTREE_H */
