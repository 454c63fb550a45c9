/*
 * helpview.h: driving the help viewer, helpview.exe, from a host program.
 *
 * Command line
 *   helpview.exe [DOCUMENT[, SKIN]]
 *   DOCUMENT is a file path or an address (http://..., file://...). SKIN is
 *   a skin file; without it the viewer uses its own <base>.skl. Fields are
 *   separated by commas; a field in double quotes may hold commas and blanks
 *   (the quotes, and anything after the closing one up to the next comma,
 *   are dropped); blanks (spaces, tabs) before a field and at the end of an
 *   unquoted one are ignored. A command line without a comma is the
 *   DOCUMENT alone: in quotes, it loses them; unquoted, it is taken as it
 *   stands, blanks at its end included. With no DOCUMENT the viewer shows
 *   <base>.htm. An existing file is shown as "file://" + its path; anything
 *   else is navigated to as it stands.
 *
 * Files, beside the program (<base> is the program's path up to the first
 * "." of its file name: C:\App\helpview.exe gives C:\App\helpview)
 *   <base>.sys   interface texts, one a line; required (without it the
 *                viewer shows a message and exits with code 2).
 *                Line 1 caption, 3 back tooltip, 4 print tooltip,
 *                5 forward tooltip, 6 print button label, 7 tooltip of the
 *                window's caption buttons; line 2 is not used.
 *   <base>.skl   the default skin.
 *   <base>.htm   the page shown when no document is named.
 *   <base>.LOG   deleted at start and at exit; never written.
 *   %TEMP%\<stem>.cfg  window placement (stem: the file name up to its
 *                first "."): 8 bytes, the 16-bit little-endian left, top,
 *                width and height; written when the viewer closes.
 *
 * Commands. A running viewer's main window has the class HELPVIEW_CLASS.
 * Send it WM_COPYDATA with
 *   wParam  the text's length in bytes (NOT a window handle),
 *   lParam  a COPYDATASTRUCT: dwData the command code, cbData the same
 *           length, lpData the 8-bit text (no terminator needed) in the
 *           sender's code page: UTF-8, or the system's 8-bit code page.
 *           From Windows 10 version 1903 on, the viewer's code page is
 *           UTF-8: it takes a text that is valid UTF-8 as it is and reads
 *           any other in the system's 8-bit code page. Before, it reads
 *           every text in the system's code page.
 * HELPVIEW_NAVIGATE shows the address in the text (the first 255 bytes, up
 * to the first zero byte; an empty text does nothing); HELPVIEW_CLOSE closes
 * the viewer as its close button does, saving the placement, and so does a
 * WM_CLOSE sent to the main window. Other codes are ignored. The viewer
 * answers 1 and carries the command out after the message returns.
 * foldertree.dll's Bff_SendPrivateMsg sends this very form.
 *
 * At exit, a viewer that was sent to an address with ".pdf" in it (any
 * case) sends WM_SYSCOMMAND/SC_CLOSE to the PDF reader's top-level window
 * (found by its title), if there is one, waiting at most 5 seconds.
 *
 * The two callbacks the viewer exports (its window procedure and the
 * control container's event callback) are not for hosts.
 */
#ifndef HELPVIEW_H
#define HELPVIEW_H

#include "tarn_support_version.h"
#include <windows.h>
#include <string.h>

#define HELPVIEW_CLASS "TARNHELP"
#define HELPVIEW_NAVIGATE 3 /* text: the address to show */
#define HELPVIEW_CLOSE 10   /* no text */
#define HELPVIEW_MAX_ADDRESS 255
/* Exit code of a viewer started without its <base>.sys file. */
#define HELPVIEW_EXIT_NO_TEXTS 2

/* Results of HelpViewSend and the helpers built on it. */
#define HELPVIEW_SENT 1       /* the viewer received the command */
#define HELPVIEW_NO_VIEWER 0  /* no viewer runs */
#define HELPVIEW_NO_ANSWER (-1) /* a viewer runs but did not answer within the time */

/* How long the helpers wait for a busy viewer, in milliseconds. */
#define HELPVIEW_SEND_TIMEOUT 5000

/* The main window of a running viewer, or NULL. With several viewers
   running, one of them. */
static __inline HWND HelpViewFind(void)
{
    return FindWindowA(HELPVIEW_CLASS, NULL);
}

/* Sends viewer the command code with length bytes of text (text may be NULL
   when length is 0). HELPVIEW_SENT, HELPVIEW_NO_VIEWER when viewer is not a
   window, or HELPVIEW_NO_ANSWER when it did not answer in time. */
static __inline int HelpViewSendTo(HWND viewer, DWORD code, const char *text, DWORD length)
{
    COPYDATASTRUCT command;
    DWORD_PTR answer = 0;
    if (!viewer || !IsWindow(viewer))
        return HELPVIEW_NO_VIEWER;
    if (!text)
        length = 0;
    command.dwData = code;
    command.cbData = length;
    command.lpData = (PVOID)text;
    if (!SendMessageTimeoutA(viewer, WM_COPYDATA, (WPARAM)length, (LPARAM)&command, SMTO_ABORTIFHUNG,
                             HELPVIEW_SEND_TIMEOUT, &answer))
        return IsWindow(viewer) ? HELPVIEW_NO_ANSWER : HELPVIEW_NO_VIEWER;
    return HELPVIEW_SENT;
}

/* Finds a running viewer and sends it the command: see HelpViewSendTo. */
static __inline int HelpViewSend(DWORD code, const char *text, DWORD length)
{
    return HelpViewSendTo(HelpViewFind(), code, text, length);
}

/* A running viewer shows address (zero-terminated; the first 255 bytes). */
static __inline int HelpViewNavigate(const char *address)
{
    size_t length = address ? strlen(address) : 0;
    if (length > HELPVIEW_MAX_ADDRESS)
        length = HELPVIEW_MAX_ADDRESS;
    return HelpViewSend(HELPVIEW_NAVIGATE, address, (DWORD)length);
}

/* A running viewer closes. */
static __inline int HelpViewClose(void)
{
    return HelpViewSend(HELPVIEW_CLOSE, NULL, 0);
}

#endif /* HELPVIEW_H */
