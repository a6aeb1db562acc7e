// The exported drawing calls: each finds its objects by handle and forwards to the
// DeviceContext; a bad handle gives the Windows failure result, never a crash.
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "platform/gdi/dib_decoder.h"
#include "platform/gdi/gdi.h"
#include "res/resource_table.h"
#include "wavedeck_win.h"

namespace wd::gdi {

namespace {

template <class T>
std::shared_ptr<T> objectOf(const void* handle, ObjectKind kind) {
    return GdiHandles::instance().findAs<T>(reinterpret_cast<uintptr_t>(handle), kind);
}

std::string_view textOf(LPCSTR text, int length) {
    if (!text) return {};
    return length < 0 ? std::string_view(text) : std::string_view(text, static_cast<size_t>(length));
}

template <class H>
H handleOf(uintptr_t value) {
    return reinterpret_cast<H>(value);
}

}  // namespace

HDC createWindowDC(std::shared_ptr<Surface> surface, int originX, int originY, const PixelRect& clip, HWND window) {
    auto dc = DeviceContext::makeWindow(std::move(surface), originX, originY, clip, window);
    return handleOf<HDC>(GdiHandles::instance().add(dc));
}

bool releaseWindowDC(HWND window, HDC dc) {
    auto context = findDC(dc);
    if (!context || context->isMemory() || context->window() != window) return false;
    return GdiHandles::instance().remove(handleValue(dc));
}

std::shared_ptr<DeviceContext> findDC(HDC dc) { return objectOf<DeviceContext>(dc, ObjectKind::DeviceContext); }

}  // namespace wd::gdi

using namespace wd::gdi;

HDC WINAPI CreateCompatibleDC(HDC) {
    return handleOf<HDC>(GdiHandles::instance().add(DeviceContext::makeMemory()));
}

BOOL WINAPI DeleteDC(HDC dc) {
    auto context = findDC(dc);
    if (!context || !context->isMemory()) return FALSE;
    return GdiHandles::instance().remove(handleValue(dc)) ? TRUE : FALSE;
}

HBITMAP WINAPI CreateCompatibleBitmap(HDC, int width, int height) {
    if (width <= 0 || height <= 0 || width > 32767 || height > 32767) return nullptr;
    return handleOf<HBITMAP>(GdiHandles::instance().add(std::make_shared<Bitmap>(width, height)));
}

HGDIOBJ WINAPI SelectObject(HDC dc, HGDIOBJ object) {
    auto context = findDC(dc);
    auto selected = GdiHandles::instance().find(handleValue(object));
    if (!context || !selected) return nullptr;
    return handleOf<HGDIOBJ>(context->select(handleValue(object), selected));
}

BOOL WINAPI DeleteObject(HGDIOBJ object) {
    auto& handles = GdiHandles::instance();
    auto found = handles.find(handleValue(object));
    if (!found || found->kind() == ObjectKind::DeviceContext) return FALSE;
    if (found->stock()) return TRUE;  // deleting a stock object is harmless
    if (found->selections() > 0) return FALSE;
    return handles.remove(handleValue(object)) ? TRUE : FALSE;
}

HGDIOBJ WINAPI GetStockObject(int index) { return handleOf<HGDIOBJ>(GdiHandles::instance().stock(index)); }

int WINAPI GetObjectA(HGDIOBJ object, int size, LPVOID buffer) {
    auto bitmap = objectOf<Bitmap>(object, ObjectKind::Bitmap);
    if (!bitmap) return 0;
    if (!buffer) return static_cast<int>(sizeof(BITMAP));
    if (size < static_cast<int>(sizeof(BITMAP))) return 0;
    BITMAP info{};
    info.bmWidth = bitmap->surface()->width();
    info.bmHeight = bitmap->surface()->height();
    info.bmWidthBytes = info.bmWidth * 4;
    info.bmPlanes = 1;
    info.bmBitsPixel = 32;
    std::memcpy(buffer, &info, sizeof info);
    return static_cast<int>(sizeof(BITMAP));
}

HPEN WINAPI CreatePen(int style, int width, COLORREF color) {
    if (style != PS_SOLID && style != PS_NULL) return nullptr;
    return handleOf<HPEN>(GdiHandles::instance().add(std::make_shared<Pen>(style, width, pixelOf(color))));
}

HBRUSH WINAPI CreateSolidBrush(COLORREF color) {
    return handleOf<HBRUSH>(GdiHandles::instance().add(std::make_shared<Brush>(false, pixelOf(color))));
}

HFONT WINAPI CreateFontA(int height, int width, int, int, int weight, DWORD italic, DWORD, DWORD, DWORD, DWORD, DWORD,
                         DWORD, DWORD, LPCSTR faceName) {
    FontRequest request{faceName ? faceName : "", height, width < 0 ? -width : width, weight, italic != 0};
    return handleOf<HFONT>(GdiHandles::instance().add(std::make_shared<Font>(std::move(request))));
}

int WINAPI FillRect(HDC dc, const RECT* rect, HBRUSH brush) {
    auto context = findDC(dc);
    auto fill = objectOf<Brush>(brush, ObjectKind::Brush);
    if (!context || !fill || !rect) return 0;
    context->fillRect(*rect, *fill);
    return 1;
}

BOOL WINAPI Rectangle(HDC dc, int left, int top, int right, int bottom) {
    auto context = findDC(dc);
    if (!context) return FALSE;
    context->rectangle(left, top, right, bottom);
    return TRUE;
}

BOOL WINAPI Polygon(HDC dc, const POINT* points, int count) {
    auto context = findDC(dc);
    if (!context || !points || count < 2) return FALSE;
    std::vector<raster::Point> corners;
    for (int i = 0; i < count; ++i) corners.push_back({points[i].x, points[i].y});
    context->polygon(corners);
    return TRUE;
}

COLORREF WINAPI SetPixel(HDC dc, int x, int y, COLORREF color) {
    auto context = findDC(dc);
    return context ? context->setPixel(x, y, color) : CLR_INVALID;
}

COLORREF WINAPI GetPixel(HDC dc, int x, int y) {
    auto context = findDC(dc);
    return context ? context->getPixel(x, y) : CLR_INVALID;
}

BOOL WINAPI MoveToEx(HDC dc, int x, int y, POINT* previous) {
    auto context = findDC(dc);
    if (!context) return FALSE;
    POINT old = context->moveTo(x, y);
    if (previous) *previous = old;
    return TRUE;
}

BOOL WINAPI LineTo(HDC dc, int x, int y) {
    auto context = findDC(dc);
    if (!context) return FALSE;
    context->lineTo(x, y);
    return TRUE;
}

int WINAPI SetBkMode(HDC dc, int mode) {
    auto context = findDC(dc);
    return context ? context->setBkMode(mode) : 0;
}

COLORREF WINAPI SetBkColor(HDC dc, COLORREF color) {
    auto context = findDC(dc);
    return context ? context->setBkColor(color) : CLR_INVALID;
}

COLORREF WINAPI SetTextColor(HDC dc, COLORREF color) {
    auto context = findDC(dc);
    return context ? context->setTextColor(color) : CLR_INVALID;
}

int WINAPI SetStretchBltMode(HDC dc, int mode) {
    auto context = findDC(dc);
    return context ? context->setStretchMode(mode) : 0;
}

BOOL WINAPI TextOutA(HDC dc, int x, int y, LPCSTR text, int length) {
    auto context = findDC(dc);
    if (!context || (!text && length > 0)) return FALSE;
    return context->textOut(x, y, textOf(text, length < 0 ? 0 : length)) ? TRUE : FALSE;
}

int WINAPI DrawTextA(HDC dc, LPCSTR text, int length, RECT* rect, UINT format) {
    auto context = findDC(dc);
    if (!context || !rect || !text) return 0;
    return context->drawText(textOf(text, length), rect, format);
}

BOOL WINAPI GetTextExtentPoint32A(HDC dc, LPCSTR text, int length, SIZE* size) {
    auto context = findDC(dc);
    if (!context || !size || length < 0 || (!text && length > 0)) return FALSE;
    return context->textExtent(textOf(text, length), size) ? TRUE : FALSE;
}

BOOL WINAPI BitBlt(HDC dc, int x, int y, int width, int height, HDC source, int sourceX, int sourceY, DWORD rop) {
    auto context = findDC(dc);
    auto from = findDC(source);
    if (!context || (rop == SRCCOPY && !from)) return FALSE;
    return context->bitBlt(x, y, width, height, from.get(), sourceX, sourceY, rop) ? TRUE : FALSE;
}

BOOL WINAPI StretchBlt(HDC dc, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
                       int sourceWidth, int sourceHeight, DWORD rop) {
    auto context = findDC(dc);
    auto from = findDC(source);
    if (!context || !from || rop != SRCCOPY) return FALSE;
    return context->stretchBlt(x, y, width, height, *from, sourceX, sourceY, sourceWidth, sourceHeight) ? TRUE : FALSE;
}

HBITMAP WINAPI LoadBitmapA(HINSTANCE, LPCSTR name) {
    // Resources are those built into the module holding the drawing layer; names are
    // numeric ids, given as MAKEINTRESOURCEA(id) or as the text "#id".
    int id = 0;
    if (IS_INTRESOURCE(name)) {
        id = static_cast<int>(reinterpret_cast<uintptr_t>(name));
    } else if (name && name[0] == '#') {
        id = std::atoi(name + 1);
    }
    if (id <= 0) return nullptr;
    auto bytes = wd::res::findResource(wd::res::kTypeBitmap, id);
    auto pixels = decodeDib(bytes.data(), bytes.size());
    if (!pixels) return nullptr;
    auto bitmap = std::make_shared<Bitmap>(pixels->width(), pixels->height());
    *bitmap->surface() = std::move(*pixels);
    return handleOf<HBITMAP>(GdiHandles::instance().add(bitmap));
}
