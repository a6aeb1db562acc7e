/* Windows-shaped base types of the WaveDeck interface.
 *
 * The library keeps the names and meanings of the Windows types its interface was
 * designed around, so a host written against them ports with few changes. Handles are
 * pointer-sized; there is no calling-convention decoration on Linux. On Windows the
 * system's own headers supply them, and exports use the standard calling convention. */
#ifndef WAVEDECK_TYPES_H
#define WAVEDECK_TYPES_H

#include <stdint.h>

#ifdef __cplusplus
#define WD_EXTERN_C extern "C"
#else
#define WD_EXTERN_C extern
#endif

#ifdef _WIN32
#include <windows.h>

/* The DLL's export list is its .def file, which also strips the stdcall decoration. */
#define WD_EXPORT WD_EXTERN_C
#else

/** Marks a function exported from libwavedeck.so; everything else is hidden. */
#define WD_EXPORT WD_EXTERN_C __attribute__((visibility("default")))

#ifndef WINAPI
#define WINAPI
#endif
#ifndef CALLBACK
#define CALLBACK
#endif

typedef int BOOL;
typedef unsigned char BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef unsigned int UINT;
typedef uintptr_t WPARAM;
typedef intptr_t LPARAM;
typedef intptr_t LRESULT;
typedef uintptr_t UINT_PTR;
typedef char CHAR;
typedef const char* LPCSTR;
typedef char* LPSTR;
typedef void* LPVOID;
typedef uint16_t ATOM;
typedef DWORD COLORREF;

typedef struct HWND__* HWND;
typedef struct HINSTANCE__* HINSTANCE;
typedef HINSTANCE HMODULE;
typedef struct HDC__* HDC;
typedef struct HGDIOBJ__* HGDIOBJ;
typedef struct HKEY__* HKEY;
typedef struct HMENU__* HMENU;
typedef struct HICON__* HICON;
typedef struct HCURSOR__* HCURSOR;
typedef HGDIOBJ HPEN;
typedef HGDIOBJ HBRUSH;
typedef HGDIOBJ HFONT;
typedef HGDIOBJ HBITMAP;
typedef void* HANDLE;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

typedef struct tagRECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
} RECT;

typedef struct tagPOINT {
    LONG x;
    LONG y;
} POINT;

typedef struct tagSIZE {
    LONG cx;
    LONG cy;
} SIZE;

#define WM_USER 0x0400

#ifdef __cplusplus
/* The same helpers as the macros below, without C casts. */
constexpr WORD LOWORD(uintptr_t l) { return static_cast<WORD>(l & 0xffff); }
constexpr WORD HIWORD(uintptr_t l) { return static_cast<WORD>((l >> 16) & 0xffff); }
constexpr LONG MAKELONG(uintptr_t a, uintptr_t b) {
    return static_cast<LONG>(static_cast<DWORD>(a & 0xffff) | static_cast<DWORD>(b & 0xffff) << 16);
}
constexpr LPARAM MAKELPARAM(uintptr_t l, uintptr_t h) { return static_cast<LPARAM>(static_cast<DWORD>(MAKELONG(l, h))); }
constexpr COLORREF RGB(int r, int g, int b) {
    return static_cast<COLORREF>((r & 0xff) | (g & 0xff) << 8 | (b & 0xff) << 16);
}
constexpr BYTE GetRValue(COLORREF c) { return static_cast<BYTE>(c & 0xff); }
constexpr BYTE GetGValue(COLORREF c) { return static_cast<BYTE>((c >> 8) & 0xff); }
constexpr BYTE GetBValue(COLORREF c) { return static_cast<BYTE>((c >> 16) & 0xff); }
#else
#define LOWORD(l) ((WORD)(((uintptr_t)(l)) & 0xffff))
#define HIWORD(l) ((WORD)((((uintptr_t)(l)) >> 16) & 0xffff))
#define MAKELONG(a, b) ((LONG)(((WORD)(((uintptr_t)(a)) & 0xffff)) | ((DWORD)((WORD)(((uintptr_t)(b)) & 0xffff))) << 16))
#define MAKELPARAM(l, h) ((LPARAM)(DWORD)MAKELONG(l, h))
#define RGB(r, g, b) ((COLORREF)(((BYTE)(r) | ((WORD)((BYTE)(g)) << 8)) | (((DWORD)(BYTE)(b)) << 16)))
#define GetRValue(c) ((BYTE)(c))
#define GetGValue(c) ((BYTE)(((WORD)(c)) >> 8))
#define GetBValue(c) ((BYTE)((c) >> 16))
#endif

#endif /* _WIN32 */

#endif /* WAVEDECK_TYPES_H */
