/* The host-facing window and message API of WaveDeck, under the Windows names and
 * signatures, so a host written for the Windows library ports with few changes.
 * The library's windows and the host's own windows live in one window system; the
 * default display is headless (windows draw into memory). */
#ifndef WAVEDECK_WIN_H
#define WAVEDECK_WIN_H

#include "wavedeck_types.h"

typedef LRESULT(CALLBACK* WNDPROC)(HWND, UINT, WPARAM, LPARAM);

typedef struct tagMSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
} MSG;

/* Messages (Windows numbers). */
#define WM_NULL 0x0000
#define WM_CREATE 0x0001
#define WM_DESTROY 0x0002
#define WM_MOVE 0x0003
#define WM_SIZE 0x0005
#define WM_ENABLE 0x000A
#define WM_SETTEXT 0x000C
#define WM_GETTEXT 0x000D
#define WM_PAINT 0x000F
#define WM_CLOSE 0x0010
#define WM_QUIT 0x0012
#define WM_ERASEBKGND 0x0014
#define WM_SHOWWINDOW 0x0018
#define WM_TIMER 0x0113
#define WM_HSCROLL 0x0114
#define WM_VSCROLL 0x0115
#define WM_MOUSEMOVE 0x0200
#define WM_LBUTTONDOWN 0x0201
#define WM_LBUTTONUP 0x0202
#define WM_RBUTTONDOWN 0x0204
#define WM_RBUTTONUP 0x0205
#define WM_CAPTURECHANGED 0x0215

/* Window styles. */
#define WS_OVERLAPPED 0x00000000L
#define WS_CHILD 0x40000000L
#define WS_VISIBLE 0x10000000L
#define WS_DISABLED 0x08000000L
#define WS_CLIPCHILDREN 0x02000000L
#define WS_HSCROLL 0x00100000L
#define WS_VSCROLL 0x00200000L
#define WS_BORDER 0x00800000L

#define SW_HIDE 0
#define SW_SHOWNORMAL 1
#define SW_SHOW 5

#define PM_NOREMOVE 0x0000
#define PM_REMOVE 0x0001

WD_EXPORT BOOL WINAPI PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
/** Same thread: calls the window procedure at once. Another thread: queues the message
 * for the window's thread and waits until that thread has handled it (inside its
 * GetMessageA or PeekMessageA). 0 for a window that does not exist. */
WD_EXPORT LRESULT WINAPI SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
WD_EXPORT BOOL WINAPI IsWindow(HWND window);
WD_EXPORT BOOL WINAPI GetMessageA(MSG* msg, HWND window, UINT filterMin, UINT filterMax);
WD_EXPORT BOOL WINAPI PeekMessageA(MSG* msg, HWND window, UINT filterMin, UINT filterMax, UINT remove);
WD_EXPORT BOOL WINAPI TranslateMessage(const MSG* msg);
WD_EXPORT LRESULT WINAPI DispatchMessageA(const MSG* msg);
WD_EXPORT LRESULT WINAPI DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
WD_EXPORT void WINAPI PostQuitMessage(int exitCode);

#endif /* WAVEDECK_WIN_H */
