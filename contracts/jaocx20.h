/*
 * jaocx20.dll: the ActiveX control container that helpview hosts its
 * browser control with.
 *
 * Every function uses the Win32 standard calling convention and is exported
 * under its plain name; helpview links against its import library. Texts
 * passed in are zero-terminated 8-bit texts in the system code page; texts
 * handed out are written into the caller's buffer, zero-terminated.
 *
 * All calls are made on one thread, which has initialised COM as a
 * single-threaded apartment, and JAInitializePBClient comes first. The
 * container keeps its controls in site windows of its own, children of the
 * parent given to JACreateControl, and delivers their events (outgoing
 * dispatch calls) to the subscribed callback on that same thread.
 *
 * Ownership of controls: JACreateControl hands out an interface pointer
 * whose reference belongs to the container. The caller uses it (it may
 * QueryInterface for further interfaces and Release those) but never
 * releases it; JADeleteControl ends the control and the pointer.
 */
#ifndef JAOCX20_CONTRACT_H
#define JAOCX20_CONTRACT_H

#include <windows.h>
#include <ole2.h>
#include <oleauto.h>

#ifdef __cplusplus
extern "C" {
#endif

/* An event being delivered: valid only during the callback that receives
   it, and only for the JAGetEvent* functions. */
typedef struct JAEventRecord *JAEVENT;

/* Size of the buffers that receive control and event names: at most 255
   characters and the terminating zero. */
#define JA_NAME_SIZE 256

/* Prefixes of JACreateControl's creation text: "ProgID:" followed by a
   ProgID (Shell.Explorer.2), or "CLSID:" followed by a class identifier in
   braces. */
#define JA_CREATE_PROGID "ProgID:"
#define JA_CREATE_CLSID  "CLSID:"

/* JACreateControl flags. */
#define JA_CREATE_VISIBLE 0x0001u /* show the site window and activate the control in place at once */

/* JASetControlResizeStyle: which edges of the control follow the reference
   window's client area when it changes size. The distances measured when
   the style is set are kept. */
#define JA_RESIZE_MOVE_X 0x0001u /* keep the distance to the right edge by moving */
#define JA_RESIZE_SIZE_X 0x0010u /* keep the distance to the right edge by growing */
#define JA_RESIZE_MOVE_Y 0x0100u /* keep the distance to the bottom edge by moving */
#define JA_RESIZE_SIZE_Y 0x1000u /* keep the distance to the bottom edge by growing */

/* The event callback given to JASubscribeEvents. dispid: the member of the
   control's default source interface that was called; event: the event
   (see JAGetEvent*); user: the value given to JASubscribeEvents. Called on
   the container's thread, possibly while the caller is inside a call to the
   control. The result is ignored; return 0. */
typedef LONG (__stdcall *JAEventProc)(DISPID dispid, JAEVENT event, LONG_PTR user);

/* Prepares the container (registers its site window class). Returns S_OK;
   calling it again does no harm. */
HRESULT __stdcall JAInitializePBClient(void);

/* Creates the control described by creation (JA_CREATE_PROGID or
   JA_CREATE_CLSID followed by the identifier) in a site window that is a
   child of parent, at x, y with the given size, and names it name (at most
   255 characters; JAGetControlName gives it back). flags: JA_CREATE_*.
   licenseKey: the licence for a control that asks for one
   (IClassFactory2), NULL otherwise. reserved: 0.
   On success *control receives the control's default dispatch interface
   (for Shell.Explorer.2 that is its IWebBrowser2), owned by the container;
   on failure *control is NULL and the result is the failing HRESULT. */
HRESULT __stdcall JACreateControl(HWND parent, const char *name, int x, int y, int width,
                                  int height, const char *creation, DWORD flags,
                                  IDispatch **control, const char *licenseKey, DWORD reserved);

/* Makes the control follow the size of reference (NULL: the site's parent)
   as style (JA_RESIZE_* bits; 0 turns following off) says. */
HRESULT __stdcall JASetControlResizeStyle(IDispatch *control, HWND reference, DWORD style);

/* Connects to the control's default source interface and delivers every
   event it fires to callback with user. A second call replaces the
   callback; callback NULL disconnects. */
HRESULT __stdcall JASubscribeEvents(IDispatch *control, JAEventProc callback, LONG_PTR user);

/* Disconnects the events, closes the control, destroys its site window and
   drops the container's references: control is invalid afterwards. */
HRESULT __stdcall JADeleteControl(IDispatch *control);

/* The control that fired event, with a reference of its own that the
   caller gives back with JAReleaseDispatch. NULL when event is not valid. */
IDispatch *__stdcall JAGetEventSenderDispatch(JAEVENT event);

/* Gives back a reference from JAGetEventSenderDispatch; NULL is allowed and
   does nothing. */
void __stdcall JAReleaseDispatch(IDispatch *sender);

/* Writes the name that control was created with into name, a buffer of
   JA_NAME_SIZE bytes. control may be any interface of one of the
   container's controls (compared by COM identity). parent: NULL searches
   every control, otherwise only those whose site is a child of parent.
   Returns the name's length; 0 with an empty text when the control is not
   found (or is NULL). */
int __stdcall JAGetControlName(IDispatch *control, HWND parent, char *name);

/* Writes the event's name as the control's type information gives it
   (such as "TitleChange") into buffer, at most size bytes with the zero.
   Returns the name's length; 0 with an empty text when it is unknown. */
int __stdcall JAGetEventName(JAEVENT event, char *buffer, int size);

/* Fills value with the event's parameter named name (compared without
   regard to letter case, as OLE Automation names are), converted to
   type unless type is VT_EMPTY (0: as the control passed it; a by-reference
   value is then given as the value it refers to). value must be
   initialised (VariantInit); it is cleared first, so on failure it is
   VT_EMPTY. The caller owns the copy and frees it with VariantClear.
   Returns S_OK, DISP_E_MEMBERNOTFOUND for an unknown name, or the failing
   HRESULT of the conversion. */
HRESULT __stdcall JAGetEventNamedParameterValue(JAEVENT event, const char *name, VARIANT *value,
                                                VARTYPE type);

#ifdef __cplusplus
}
#endif

#endif
