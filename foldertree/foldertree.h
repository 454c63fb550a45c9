// foldertree.dll: the browse-for-folder control class TARNBFF and the
// utilities around it, as an application sees them. All functions are
// stdcall; texts are zero-terminated 8-bit strings; a BSTR result holds 8-bit
// text (SysStringByteLen bytes) and is freed by the caller with SysFreeString.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <oleauto.h>

// The control's private messages. A text message takes the byte count in
// wParam (at most 260 bytes are read) and the 8-bit text in lParam.
#define BFFM_CLEAR (WM_USER + 1000)         /* empties the tree; 1 */
#define BFFM_REFRESH (WM_USER + 1001)       /* repaints the control; 1 */
#define BFFM_SETROOTPATH (WM_USER + 1002)   /* fills from a folder, or the drives for ""; the root item */
#define BFFM_SETROOTFOLDER (WM_USER + 1003) /* wParam a CSIDL, negative for the drives; the root item */
#define BFFM_SELECTPATH (WM_USER + 1004)    /* selects the folder of a path; the item or 0 */
#define BFFM_GETPATH (WM_USER + 1005)       /* wParam size, lParam buffer; bytes copied, no terminator */
#define BFFM_GETPATHLEN (WM_USER + 1006)    /* length of the selected folder's path */
#define BFFM_EXPANDROOT (WM_USER + 1007)    /* wParam non-zero expands the root, 0 collapses it */
#define BFFM_SETBKCOLOR (WM_USER + 1008)    /* lParam the tree's background; the previous one */

// WM_COMMAND notifications to the control's parent: LOWORD(wParam) is the
// control's identifier, HIWORD(wParam) one of these codes, lParam the tree.
#define BFFN_CREATED 1    /* posted once the control and its tree exist; lParam the control */
#define BFFN_SELCHANGED 2 /* the user selected another folder */
#define BFFN_RCLICK 3     /* the user clicked the tree with the right button */
#define BFFN_DROP 6       /* an item was dropped on another; lParam a BffDropPair, valid during the call */

typedef struct BffDropPair {
    HTREEITEM dragged;
    HTREEITEM target;
} BffDropPair;

#ifdef __cplusplus
extern "C" {
#endif

// The control class, its instances and properties. DLLMAIN is the library's
// entry routine: it registers the class on process attach (reason 1) and
// unregisters it on detach (0); it always returns 1.
BOOL WINAPI DLLMAIN(HINSTANCE instance, DWORD reason, LPVOID reserved);
int WINAPI RegisterBFFClass(void);
HINSTANCE WINAPI TarnInstance(void);
BSTR WINAPI Bff_Version(void);
HWND WINAPI TarnBrowser(DWORD exStyle, const char *startPath, DWORD style, int x, int y, int width, int height,
                        HWND parent, int id);
int WINAPI Bff_GetProperty(HWND control, int number);
void WINAPI Bff_SetProperty(HWND control, int number, int value);

// Notifications and paths.
int WINAPI Bff_WM_NOTIFY(HWND control, int id, NMHDR *header);
BSTR WINAPI Bff_GetPath(HWND tree);

// The snapshot of the desktop that the control paints behind a hidden tree,
// one per process. mode 0 returns it (0 before the first), 1 takes it anew,
// any other value frees it and returns 0.
HDC WINAPI TarnDCDesktop(int mode);

// File operations and text utilities.
int WINAPI Bff_MoveToTray(const char *files);
int WINAPI Bff_FileExist(const char *path);
int WINAPI Bff_SendPrivateMsg(HWND window, int data, const char *text);
BSTR WINAPI LTRIM(const char *text, const char *set);
BSTR WINAPI RTRIM(const char *text, const char *set);

#ifdef __cplusplus
}
#endif
