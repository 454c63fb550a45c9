// foldertree.dll: the browse-for-folder control class TARNBFF and the
// utilities around it, as an application sees them. All functions are
// stdcall; texts are zero-terminated 8-bit strings; a BSTR result holds 8-bit
// text (SysStringByteLen bytes) and is freed by the caller with SysFreeString.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <oleauto.h>

// The control's private message that selects the folder of a path: wParam is
// the byte count (at most 260 are read), lParam the 8-bit text. The result is
// the selected tree item, or 0.
#define BFFM_SELECTPATH (WM_USER + 1004)

// WM_COMMAND notifications to the control's parent: LOWORD(wParam) is the
// control's identifier, HIWORD(wParam) one of these codes, lParam the tree.
#define BFFN_SELCHANGED 2 /* the user selected another folder */
#define BFFN_RCLICK 3     /* the user clicked the tree with the right button */

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

// File operations and text utilities.
int WINAPI Bff_MoveToTray(const char *files);
int WINAPI Bff_FileExist(const char *path);
int WINAPI Bff_SendPrivateMsg(HWND window, int data, const char *text);
BSTR WINAPI LTRIM(const char *text, const char *set);
BSTR WINAPI RTRIM(const char *text, const char *set);

#ifdef __cplusplus
}
#endif
