/* The host-facing window and message API of WaveDeck, under the Windows names and
 * signatures, so a host written for the Windows library ports with few changes.
 * The library's windows and the host's own windows live in one window system; the
 * default display is headless (windows draw into memory).
 *
 * Threads: every window belongs to the thread that created it and receives its messages
 * only on that thread, inside GetMessageA, PeekMessageA or DispatchMessageA. PostMessageA,
 * SendMessageA, InvalidateRect and IsWindow may be called from any thread; everything
 * else that takes a window is meant for the window's own thread. Device contexts and GDI
 * objects must not be used by two threads at the same time.
 *
 * Numbers, structures and results are those of the Windows calls of the same name. Where
 * behaviour is narrower than on Windows, the comment says so. */
#ifndef WAVEDECK_WIN_H
#define WAVEDECK_WIN_H

#include "wavedeck_types.h"

#ifdef _WIN32
/* The system's own user32 and gdi32, which wavedeck_types.h brought in. */
#else
typedef LRESULT(CALLBACK* WNDPROC)(HWND, UINT, WPARAM, LPARAM);
typedef void(CALLBACK* TIMERPROC)(HWND, UINT, UINT_PTR, DWORD);

typedef struct tagMSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
} MSG;

typedef struct tagWNDCLASSA {
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    LPCSTR lpszMenuName;
    LPCSTR lpszClassName;
} WNDCLASSA;

typedef struct tagCREATESTRUCTA {
    LPVOID lpCreateParams;
    HINSTANCE hInstance;
    HMENU hMenu;
    HWND hwndParent;
    int cy;
    int cx;
    int y;
    int x;
    LONG style;
    LPCSTR lpszName;
    LPCSTR lpszClass;
    DWORD dwExStyle;
} CREATESTRUCTA;

typedef struct tagPAINTSTRUCT {
    HDC hdc;
    BOOL fErase;
    RECT rcPaint;
    BOOL fRestore;
    BOOL fIncUpdate;
    BYTE rgbReserved[32];
} PAINTSTRUCT;

typedef struct tagSCROLLINFO {
    UINT cbSize;
    UINT fMask;
    int nMin;
    int nMax;
    UINT nPage;
    int nPos;
    int nTrackPos;
} SCROLLINFO;

typedef struct tagBITMAP {
    LONG bmType;
    LONG bmWidth;
    LONG bmHeight;
    LONG bmWidthBytes;
    WORD bmPlanes;
    WORD bmBitsPixel;
    LPVOID bmBits;
} BITMAP;

#ifdef __cplusplus
#define MAKEINTRESOURCEA(i) (reinterpret_cast<LPSTR>(static_cast<uintptr_t>(static_cast<WORD>(i))))
#define IS_INTRESOURCE(r) ((reinterpret_cast<uintptr_t>(r) >> 16) == 0)
#else
#define MAKEINTRESOURCEA(i) ((LPSTR)(uintptr_t)((WORD)(i)))
#define IS_INTRESOURCE(r) ((((uintptr_t)(r)) >> 16) == 0)
#endif

/* Messages (Windows numbers). */
#define WM_NULL 0x0000
#define WM_CREATE 0x0001
#define WM_DESTROY 0x0002
#define WM_MOVE 0x0003
#define WM_SIZE 0x0005
#define WM_ENABLE 0x000A
#define WM_SETTEXT 0x000C
#define WM_GETTEXT 0x000D
#define WM_GETTEXTLENGTH 0x000E
#define WM_PAINT 0x000F
#define WM_CLOSE 0x0010
#define WM_QUIT 0x0012
#define WM_ERASEBKGND 0x0014
#define WM_SHOWWINDOW 0x0018
#define WM_NCDESTROY 0x0082
#define WM_TIMER 0x0113
#define WM_HSCROLL 0x0114
#define WM_VSCROLL 0x0115
#define WM_MOUSEMOVE 0x0200
#define WM_LBUTTONDOWN 0x0201
#define WM_LBUTTONUP 0x0202
#define WM_RBUTTONDOWN 0x0204
#define WM_RBUTTONUP 0x0205
#define WM_MOUSEWHEEL 0x020A
#define WM_MOUSEHWHEEL 0x020E
#define WM_CAPTURECHANGED 0x0215

/* GetQueueStatus flags. */
#define QS_MOUSEMOVE 0x0002
#define QS_MOUSEBUTTON 0x0004
#define QS_MOUSE (QS_MOUSEMOVE | QS_MOUSEBUTTON)
#define QS_POSTMESSAGE 0x0008
#define QS_TIMER 0x0010
#define QS_PAINT 0x0020
#define QS_SENDMESSAGE 0x0040

/* Mouse key state in the wParam of mouse messages. */
#define MK_LBUTTON 0x0001
#define MK_RBUTTON 0x0002

/* One notch of a mouse wheel, in the delta of WM_MOUSEWHEEL and WM_MOUSEHWHEEL. */
#define WHEEL_DELTA 120

/* WM_SIZE wParam. */
#define SIZE_RESTORED 0

/* Class styles. */
#define CS_VREDRAW 0x0001
#define CS_HREDRAW 0x0002

/* Window styles. */
#define WS_OVERLAPPED 0x00000000L
#define WS_POPUP 0x80000000L
#define WS_CHILD 0x40000000L
#define WS_VISIBLE 0x10000000L
#define WS_DISABLED 0x08000000L
#define WS_CLIPCHILDREN 0x02000000L
#define WS_HSCROLL 0x00100000L
#define WS_VSCROLL 0x00200000L
#define WS_BORDER 0x00800000L

#define CW_USEDEFAULT (-2147483647 - 1)

#define SW_HIDE 0
#define SW_SHOWNORMAL 1
#define SW_SHOW 5

#define PM_NOREMOVE 0x0000
#define PM_REMOVE 0x0001

/* GetWindowLongPtrA / SetWindowLongPtrA indexes. */
#define GWLP_WNDPROC (-4)
#define GWLP_HINSTANCE (-6)
#define GWL_STYLE (-16)
#define GWLP_USERDATA (-21)

/* Scroll bars: SB_HORZ/SB_VERT name the bar, SB_* codes travel in WM_HSCROLL's low word. */
#define SB_HORZ 0
#define SB_VERT 1
#define SB_LINELEFT 0
#define SB_LINERIGHT 1
#define SB_PAGELEFT 2
#define SB_PAGERIGHT 3
#define SB_THUMBPOSITION 4
#define SB_THUMBTRACK 5
#define SB_LEFT 6
#define SB_RIGHT 7
#define SB_ENDSCROLL 8
#define SIF_RANGE 0x0001
#define SIF_PAGE 0x0002
#define SIF_POS 0x0004
#define SIF_DISABLENOSCROLL 0x0008
#define SIF_TRACKPOS 0x0010
#define SIF_ALL (SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS)
#define ESB_ENABLE_BOTH 0x0000
#define ESB_DISABLE_LEFT 0x0001
#define ESB_DISABLE_RIGHT 0x0002
#define ESB_DISABLE_BOTH 0x0003
/** Height of a horizontal scroll bar in pixels (the window loses it from its client area). */
#define WD_SCROLLBAR_SIZE 17

/* Standard cursor. */
#define IDC_ARROW MAKEINTRESOURCEA(32512)

/* GetGuiResources. */
#define GR_GDIOBJECTS 0
#define GR_USEROBJECTS 1

/* Error codes of the window layer, read with GetLastError. */
#define ERROR_INVALID_WINDOW_HANDLE 1400
#define ERROR_CLASS_ALREADY_EXISTS 1410
#define ERROR_CLASS_DOES_NOT_EXIST 1411
#define ERROR_CLASS_HAS_WINDOWS 1412
#define ERROR_WINDOW_OF_OTHER_THREAD 1408

/* Drawing. */
#define TRANSPARENT 1
#define OPAQUE 2
#define PS_SOLID 0
#define PS_NULL 5
#define SRCCOPY 0x00CC0020u
#define PATCOPY 0x00F00021u
#define BLACKNESS 0x00000042u
#define WHITENESS 0x00FF0062u
#define COLORONCOLOR 3
#define CLR_INVALID 0xFFFFFFFFu
#define OBJ_PEN 1
#define OBJ_BRUSH 2
#define OBJ_DC 3
#define OBJ_FONT 6
#define OBJ_BITMAP 7
#define OBJ_MEMDC 10

/* Stock objects: never counted, never deleted. */
#define WHITE_BRUSH 0
#define LTGRAY_BRUSH 1
#define GRAY_BRUSH 2
#define DKGRAY_BRUSH 3
#define BLACK_BRUSH 4
#define NULL_BRUSH 5
#define HOLLOW_BRUSH NULL_BRUSH
#define WHITE_PEN 6
#define BLACK_PEN 7
#define NULL_PEN 8
#define SYSTEM_FONT 13
#define DEFAULT_GUI_FONT 17

/* Fonts. */
#define FW_DONTCARE 0
#define FW_NORMAL 400
#define FW_BOLD 700
#define ANSI_CHARSET 0
#define DEFAULT_CHARSET 1
#define OUT_DEFAULT_PRECIS 0
#define CLIP_DEFAULT_PRECIS 0
#define DEFAULT_QUALITY 0
#define DEFAULT_PITCH 0
#define FF_DONTCARE 0

/* DrawTextA formats. */
#define DT_TOP 0x00000000
#define DT_LEFT 0x00000000
#define DT_CENTER 0x00000001
#define DT_RIGHT 0x00000002
#define DT_VCENTER 0x00000004
#define DT_BOTTOM 0x00000008
#define DT_SINGLELINE 0x00000020
#define DT_NOCLIP 0x00000100
#define DT_CALCRECT 0x00000400

/* ---- Window classes ---- */
/** 0 with ERROR_CLASS_ALREADY_EXISTS when a class of that name (letter case ignored)
 * exists; class names are process-wide. */
WD_EXPORT ATOM WINAPI RegisterClassA(const WNDCLASSA* windowClass);
/** FALSE with ERROR_CLASS_DOES_NOT_EXIST for an unknown class (or another module's), and
 * FALSE with ERROR_CLASS_HAS_WINDOWS while windows of the class exist. */
WD_EXPORT BOOL WINAPI UnregisterClassA(LPCSTR className, HINSTANCE instance);
/** A handle for the standard cursors (the headless display has no pointer image). */
WD_EXPORT HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR name);

/* ---- Windows ---- */
/** Sends WM_CREATE (a result of -1 destroys the window and gives null), then WM_SIZE and
 * WM_MOVE; with WS_VISIBLE shows the window. Handles are never reused while the process
 * runs, so a stale handle never names a newer window. A child window (WS_CHILD) needs
 * a parent window. */
WD_EXPORT HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                                      int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                                      LPVOID param);
/** Only on the window's thread. Sends WM_DESTROY to the window and then to its children,
 * then WM_NCDESTROY to the children and last to the window; releases the capture and
 * the timers and drops messages still queued for the windows. */
WD_EXPORT BOOL WINAPI DestroyWindow(HWND window);
WD_EXPORT BOOL WINAPI IsWindow(HWND window);
/** TRUE when the window and all its ancestors are visible. */
WD_EXPORT BOOL WINAPI IsWindowVisible(HWND window);
WD_EXPORT BOOL WINAPI IsWindowEnabled(HWND window);
/** Returns whether the window was visible before. Showing invalidates the whole window. */
WD_EXPORT BOOL WINAPI ShowWindow(HWND window, int command);
/** Sends WM_PAINT at once when the window has an update region. */
WD_EXPORT BOOL WINAPI UpdateWindow(HWND window);
/** Position in the parent's client coordinates (the screen for a top-level window).
 * Sends WM_MOVE and WM_SIZE (client size in lParam) when they changed. */
WD_EXPORT BOOL WINAPI MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint);
/** Returns whether the window was disabled before; sends WM_ENABLE on a change. A
 * disabled window receives no mouse input. */
WD_EXPORT BOOL WINAPI EnableWindow(HWND window, BOOL enable);
WD_EXPORT HWND WINAPI GetParent(HWND window);
WD_EXPORT BOOL WINAPI GetClientRect(HWND window, RECT* rect);
/** The window rectangle in screen coordinates. */
WD_EXPORT BOOL WINAPI GetWindowRect(HWND window, RECT* rect);
WD_EXPORT BOOL WINAPI ClientToScreen(HWND window, POINT* point);
WD_EXPORT BOOL WINAPI ScreenToClient(HWND window, POINT* point);
WD_EXPORT BOOL WINAPI SetWindowTextA(HWND window, LPCSTR text);
WD_EXPORT int WINAPI GetWindowTextA(HWND window, LPSTR buffer, int size);
WD_EXPORT int WINAPI GetWindowTextLengthA(HWND window);
/** Supports GWLP_WNDPROC, GWLP_HINSTANCE, GWL_STYLE (read only) and GWLP_USERDATA. */
WD_EXPORT intptr_t WINAPI GetWindowLongPtrA(HWND window, int index);
WD_EXPORT intptr_t WINAPI SetWindowLongPtrA(HWND window, int index, intptr_t value);
WD_EXPORT LRESULT WINAPI CallWindowProcA(WNDPROC proc, HWND window, UINT message, WPARAM wParam, LPARAM lParam);

/* ---- Messages ---- */
/** Queues the message for the window's thread (any thread may post). FALSE with
 * ERROR_INVALID_WINDOW_HANDLE for a destroyed window (the message is lost). A null
 * window queues a thread message for the calling thread when it has a queue; it is
 * returned by GetMessageA but dispatched to no window. Messages from one sender arrive
 * in the order posted. */
WD_EXPORT BOOL WINAPI PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
/** Same thread: calls the window procedure at once. Another thread: queues the message
 * for the window's thread and waits until that thread has handled it (inside its
 * GetMessageA or PeekMessageA). 0 for a window that does not exist. */
WD_EXPORT LRESULT WINAPI SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
/** Handles sent messages first, then returns, in this order: posted messages, mouse
 * input, WM_QUIT, WM_PAINT for a visible window with an update region, WM_TIMER.
 * Waits when there is nothing. FALSE for WM_QUIT. */
WD_EXPORT BOOL WINAPI GetMessageA(MSG* msg, HWND window, UINT filterMin, UINT filterMax);
/** As GetMessageA without waiting; FALSE when there is nothing. */
WD_EXPORT BOOL WINAPI PeekMessageA(MSG* msg, HWND window, UINT filterMin, UINT filterMax, UINT remove);
/** Keyboard translation: there is no keyboard input, so nothing to translate (FALSE). */
WD_EXPORT BOOL WINAPI TranslateMessage(const MSG* msg);
WD_EXPORT LRESULT WINAPI DispatchMessageA(const MSG* msg);
/** WM_CLOSE destroys the window; WM_PAINT validates; WM_ERASEBKGND fills with the class
 * background brush (1) or does nothing (0); WM_SETTEXT, WM_GETTEXT and
 * WM_GETTEXTLENGTH keep the window text; WM_MOUSEWHEEL and WM_MOUSEHWHEEL scroll a
 * window whose horizontal bar can move (a tenth of the page per notch, at least one
 * unit, delivered as WM_HSCROLL SB_THUMBTRACK, SB_THUMBPOSITION and SB_ENDSCROLL; wheel
 * up and tilt left go back) and are sent on to the parent otherwise; everything else
 * gives 0. */
WD_EXPORT LRESULT WINAPI DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
WD_EXPORT void WINAPI PostQuitMessage(int exitCode);
/** What the calling thread's queue holds (QS_* bits, limited to flags), in both words.
 * Mouse input not yet routed to a thread counts for every thread. */
WD_EXPORT DWORD WINAPI GetQueueStatus(UINT flags);
/** Milliseconds since the window system started (the time of each MSG). */
WD_EXPORT DWORD WINAPI GetTickCount(void);
WD_EXPORT DWORD WINAPI GetLastError(void);
WD_EXPORT void WINAPI SetLastError(DWORD error);

/* ---- Painting ---- */
/** Null rect: the whole client area. Any thread may invalidate. */
WD_EXPORT BOOL WINAPI InvalidateRect(HWND window, const RECT* rect, BOOL erase);
WD_EXPORT BOOL WINAPI ValidateRect(HWND window, const RECT* rect);
WD_EXPORT BOOL WINAPI GetUpdateRect(HWND window, RECT* rect, BOOL erase);
/** Sends WM_ERASEBKGND when erasing was asked for, validates the update region and
 * returns a device context clipped to it. */
WD_EXPORT HDC WINAPI BeginPaint(HWND window, PAINTSTRUCT* paint);
WD_EXPORT BOOL WINAPI EndPaint(HWND window, const PAINTSTRUCT* paint);
/** A device context of the client area; release it with ReleaseDC. */
WD_EXPORT HDC WINAPI GetDC(HWND window);
WD_EXPORT int WINAPI ReleaseDC(HWND window, HDC dc);

/* ---- Timers and capture ---- */
/** WM_TIMER arrives about every period (ms), never more than one pending per timer.
 * Setting an existing id restarts it. With a timer procedure, DispatchMessageA calls
 * it instead of the window procedure. A null window makes a thread timer (id chosen). */
WD_EXPORT UINT_PTR WINAPI SetTimer(HWND window, UINT_PTR id, UINT period, TIMERPROC proc);
WD_EXPORT BOOL WINAPI KillTimer(HWND window, UINT_PTR id);
/** Mouse input goes to the capturing window, wherever the point. Returns the previous
 * capture window; the window losing the capture gets WM_CAPTURECHANGED. */
WD_EXPORT HWND WINAPI SetCapture(HWND window);
WD_EXPORT BOOL WINAPI ReleaseCapture(void);
WD_EXPORT HWND WINAPI GetCapture(void);

/* ---- Scroll bars (SB_HORZ: the bar of a WS_HSCROLL window) ---- */
/** Sets what the mask names; returns the new position. A range that leaves nothing to
 * scroll (max - min < 1 or page > max - min) hides the bar, or with SIF_DISABLENOSCROLL
 * keeps it and disables both arrows. The position is kept within min .. max - page + 1. */
WD_EXPORT int WINAPI SetScrollInfo(HWND window, int bar, const SCROLLINFO* info, BOOL redraw);
WD_EXPORT BOOL WINAPI GetScrollInfo(HWND window, int bar, SCROLLINFO* info);
WD_EXPORT int WINAPI SetScrollPos(HWND window, int bar, int position, BOOL redraw);
WD_EXPORT int WINAPI GetScrollPos(HWND window, int bar);
/** ESB_* flags; FALSE when the arrows already were in that state. */
WD_EXPORT BOOL WINAPI EnableScrollBar(HWND window, UINT bar, UINT arrows);

/* ---- Drawing: device contexts and objects ---- */
/** A memory device context holding a 1 x 1 bitmap until another is selected. */
WD_EXPORT HDC WINAPI CreateCompatibleDC(HDC dc);
WD_EXPORT BOOL WINAPI DeleteDC(HDC dc);
/** Always 32 bits per pixel, filled black. */
WD_EXPORT HBITMAP WINAPI CreateCompatibleBitmap(HDC dc, int width, int height);
/** Returns the object it replaces; a bitmap can be selected into one memory DC only. */
WD_EXPORT HGDIOBJ WINAPI SelectObject(HDC dc, HGDIOBJ object);
/** FALSE for an object still selected into a device context (it stays alive). */
WD_EXPORT BOOL WINAPI DeleteObject(HGDIOBJ object);
WD_EXPORT HGDIOBJ WINAPI GetStockObject(int index);
/** Bitmaps only: fills a BITMAP. */
WD_EXPORT int WINAPI GetObjectA(HGDIOBJ object, int size, LPVOID buffer);
/** Width 0 counts as 1. */
WD_EXPORT HPEN WINAPI CreatePen(int style, int width, COLORREF color);
WD_EXPORT HBRUSH WINAPI CreateSolidBrush(COLORREF color);
/** A positive height is the cell height (ascent + descent), a negative one the em
 * height, 0 a default; a non-zero width is the average character width. The face
 * resolves through fontconfig ("Arial" gives Liberation Sans). */
WD_EXPORT HFONT WINAPI CreateFontA(int height, int width, int escapement, int orientation, int weight,
                                   DWORD italic, DWORD underline, DWORD strikeOut, DWORD charSet,
                                   DWORD outPrecision, DWORD clipPrecision, DWORD quality, DWORD pitchAndFamily,
                                   LPCSTR faceName);
/** Live device contexts plus GDI objects (GR_GDIOBJECTS) or windows (GR_USEROBJECTS) of
 * this process; stock objects are not counted. The process argument is ignored. */
WD_EXPORT DWORD WINAPI GetGuiResources(HANDLE process, DWORD flags);

/* ---- Drawing: operations (right and bottom edges excluded, as GDI) ---- */
WD_EXPORT int WINAPI FillRect(HDC dc, const RECT* rect, HBRUSH brush);
/** Outline with the pen inside the rectangle, interior with the brush. */
WD_EXPORT BOOL WINAPI Rectangle(HDC dc, int left, int top, int right, int bottom);
/** Fills the interior (pixel centres inside, alternate rule) with the brush, then
 * outlines with the pen. */
WD_EXPORT BOOL WINAPI Polygon(HDC dc, const POINT* points, int count);
WD_EXPORT COLORREF WINAPI SetPixel(HDC dc, int x, int y, COLORREF color);
WD_EXPORT COLORREF WINAPI GetPixel(HDC dc, int x, int y);
WD_EXPORT BOOL WINAPI MoveToEx(HDC dc, int x, int y, POINT* previous);
/** Draws from the current position to (x, y) without the end pixel. A pen of width w
 * covers, for every pixel of that one-pixel line, the w x w square reaching w / 2
 * pixels left of and above it. */
WD_EXPORT BOOL WINAPI LineTo(HDC dc, int x, int y);
WD_EXPORT int WINAPI SetBkMode(HDC dc, int mode);
WD_EXPORT COLORREF WINAPI SetBkColor(HDC dc, COLORREF color);
WD_EXPORT COLORREF WINAPI SetTextColor(HDC dc, COLORREF color);
/** Nearest-neighbour always; the mode is kept and returned. */
WD_EXPORT int WINAPI SetStretchBltMode(HDC dc, int mode);
/** Text top-left at (x, y); glyphs are rendered by FreeType with grey anti-aliasing. */
WD_EXPORT BOOL WINAPI TextOutA(HDC dc, int x, int y, LPCSTR text, int length);
/** length -1: up to the zero. Returns the height of the text. */
WD_EXPORT int WINAPI DrawTextA(HDC dc, LPCSTR text, int length, RECT* rect, UINT format);
/** Sum of the hinted advances; cy is the cell height of the font. */
WD_EXPORT BOOL WINAPI GetTextExtentPoint32A(HDC dc, LPCSTR text, int length, SIZE* size);
/** SRCCOPY, PATCOPY, BLACKNESS and WHITENESS. */
WD_EXPORT BOOL WINAPI BitBlt(HDC dc, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
                             DWORD rop);
/** Nearest neighbour: destination column i takes source column
 * sourceX + (2 i + 1) * sourceWidth / (2 width), and the same for rows. SRCCOPY only. */
WD_EXPORT BOOL WINAPI StretchBlt(HDC dc, int x, int y, int width, int height, HDC source, int sourceX,
                                 int sourceY, int sourceWidth, int sourceHeight, DWORD rop);
/** A bitmap resource of the library (MAKEINTRESOURCEA(id)); null when there is none. */
WD_EXPORT HBITMAP WINAPI LoadBitmapA(HINSTANCE instance, LPCSTR name);

/* ---- Headless display (this port's own) ---- */
/** Writes the window with its visible children composited, at its window size, as an
 * RGB PNG file. Call on the window's thread. 1 on success, 0 otherwise. */
WD_EXPORT int WDXCaptureWindowPng(HWND window, const char* path);
/** Copies the composited window (as for WDXCaptureWindowPng) as 0x00RRGGBB pixels, rows
 * top to bottom, into a buffer of width x height; width and height must be the window's
 * size (GetWindowRect). 1 on success, 0 otherwise. */
WD_EXPORT int WDXCaptureWindowPixels(HWND window, DWORD* pixels, int width, int height);
/** Queues a mouse event at a screen point: message is WM_MOUSEMOVE, WM_LBUTTONDOWN,
 * WM_LBUTTONUP, WM_RBUTTONDOWN or WM_RBUTTONUP. When a thread takes the event from its
 * queue it goes to the capturing window, else to the deepest visible, enabled window
 * under the point, with client coordinates in lParam. A click on a scroll bar scrolls
 * as on Windows (WM_HSCROLL with the arrow or page code, then SB_ENDSCROLL). 1 when
 * queued, 0 for another message. */
WD_EXPORT int WDXInjectMouse(UINT message, int screenX, int screenY);
/** The name of the display backend in use ("headless"). */
WD_EXPORT const char* WDXGetDisplayName(void);

/* ---- Showing the library's windows in a desktop toolkit (this port's own) ----
 * A desktop host shows each of its top-level windows in a drawing surface of its
 * toolkit, at the same screen coordinates, and runs the window system's messages from
 * its toolkit's main loop:
 *   - poll WDXGetWakeDescriptor() in the main loop; when it is readable, take messages
 *     with PeekMessageA (PM_REMOVE) and dispatch them until none is left;
 *   - WDXWatchWindowPixels(top, hostWindow, message) for each top-level window; on that
 *     message, redraw the surface from WDXCaptureWindowPixels (never by polling);
 *   - turn pointer events into WDXInjectMouse and WDXInjectMouseWheel at the same
 *     screen point, and size the windows with MoveWindow. */
/** A file descriptor that is readable whenever the calling thread's queue has work: a
 * message posted or sent from any thread, mouse input, a window to paint, a timer due.
 * It goes quiet when PeekMessageA or GetMessageA, without a filter, finds nothing. Made
 * on the first call of a thread and the same afterwards; the library owns it (never
 * close it). -1 when the system gives no descriptor. */
WD_EXPORT int WDXGetWakeDescriptor(void);
/** After the composed pixels of window (as WDXCaptureWindowPixels returns them) change
 * (a paint or drawing through GetDC ends, its scroll bar is redrawn, a visible child is
 * shown, hidden, moved, resized or destroyed), posts message to notify with wParam the
 * window, once: the next comes only after the window was captured again
 * (WDXCaptureWindowPixels or WDXCaptureWindowPng), so a burst of paints costs the host
 * one redraw. A null notify ends the watch. 1 on success, 0 for a window or notify
 * window that does not exist. */
WD_EXPORT int WDXWatchWindowPixels(HWND window, HWND notify, UINT message);
/** Queues a wheel turn at a screen point: message WM_MOUSEWHEEL (delta > 0: away from
 * the user) or WM_MOUSEHWHEEL (delta > 0: to the right), delta in WHEEL_DELTA units
 * per notch. It goes to the capturing window, else to the deepest visible, enabled
 * window under the point, with the delta in the high word of wParam and the screen
 * point in lParam (see DefWindowProcA). 1 when queued, 0 for another message. */
WD_EXPORT int WDXInjectMouseWheel(UINT message, int delta, int screenX, int screenY);

#endif /* _WIN32 */

#endif /* WAVEDECK_WIN_H */
