// Pictures and input over the system's own windows: a window's pixels are copied out of
// its window DC (children draw into the same surface), and mouse input is posted where
// the system would route it.
#include "support/test_host.h"

#include <cstdio>

namespace wdtest {

namespace {

WPARAM buttonsDown = 0;

WPARAM buttonStateAfter(UINT message) {
    switch (message) {
        case WM_LBUTTONDOWN: buttonsDown |= MK_LBUTTON; break;
        case WM_LBUTTONUP: buttonsDown &= ~static_cast<WPARAM>(MK_LBUTTON); break;
        case WM_RBUTTONDOWN: buttonsDown |= MK_RBUTTON; break;
        case WM_RBUTTONUP: buttonsDown &= ~static_cast<WPARAM>(MK_RBUTTON); break;
        default: break;
    }
    return buttonsDown;
}

// A bottom-up 24-bit BMP: what every picture viewer reads.
bool writeBmp(const std::string& path, const Image& image) {
    const int rowBytes = (image.width * 3 + 3) & ~3;
    const uint32_t dataBytes = static_cast<uint32_t>(rowBytes) * static_cast<uint32_t>(image.height);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    file.bfSize = file.bfOffBits + dataBytes;
    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = image.width;
    info.biHeight = image.height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return false;
    bool ok = std::fwrite(&file, sizeof file, 1, out) == 1 && std::fwrite(&info, sizeof info, 1, out) == 1;
    std::vector<uint8_t> row(static_cast<size_t>(rowBytes), 0);
    for (int y = image.height - 1; ok && y >= 0; --y) {
        for (int x = 0; x < image.width; ++x) {
            const uint32_t p = image.at(x, y);
            row[static_cast<size_t>(x) * 3] = static_cast<uint8_t>(p);
            row[static_cast<size_t>(x) * 3 + 1] = static_cast<uint8_t>(p >> 8);
            row[static_cast<size_t>(x) * 3 + 2] = static_cast<uint8_t>(p >> 16);
        }
        ok = std::fwrite(row.data(), row.size(), 1, out) == 1;
    }
    return std::fclose(out) == 0 && ok;
}

}  // namespace

bool copyWindowPixels(HWND window, Image& image) {
    HDC source = GetWindowDC(window);
    HDC memory = CreateCompatibleDC(source);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = image.width;
    info.bmiHeader.biHeight = -image.height;  // rows top to bottom
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool copied = false;
    if (bitmap) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        copied = BitBlt(memory, 0, 0, image.width, image.height, source, 0, 0, SRCCOPY);
        if (copied) {
            const auto* pixels = static_cast<const uint32_t*>(bits);
            for (size_t i = 0; i < image.pixels.size(); ++i) image.pixels[i] = pixels[i] & 0x00FFFFFFu;
        }
        SelectObject(memory, old);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(window, source);
    return copied;
}

std::string TestHost::capturePicture(HWND window, const std::string& name) {
    const Image image = capture(window);
    const std::string path = outputPath(name + ".bmp");
    return image.width > 0 && writeBmp(path, image) ? path : std::string();
}

void TestHost::mouse(UINT message, HWND window, int x, int y) {
    // Routed as the system routes input when it is read: earlier input is handled first,
    // then the message goes to the window holding the capture, else to the one under the
    // point, in its client coordinates, with the buttons held down.
    pump();
    POINT screen{x, y};
    ClientToScreen(window, &screen);
    SetCursorPos(screen.x, screen.y);
    HWND target = GetCapture();
    if (!target) {
        // The deepest visible child of the window's top-level window under the point.
        target = GetAncestor(window, GA_ROOT);
        for (HWND child = target; child;) {
            target = child;
            POINT inParent = screen;
            ScreenToClient(target, &inParent);
            child = ChildWindowFromPointEx(target, inParent, CWP_SKIPINVISIBLE | CWP_SKIPDISABLED | CWP_SKIPTRANSPARENT);
            if (child == target) break;
        }
    }
    if (!target) return;
    POINT client = screen;
    ScreenToClient(target, &client);
    PostMessageA(target, message, buttonStateAfter(message), MAKELPARAM(client.x, client.y));
}

std::optional<DWORD> gdiObjects() {
    SetLastError(ERROR_SUCCESS);
    const DWORD count = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (count == 0 && GetLastError() != ERROR_SUCCESS) return std::nullopt;
    return count;
}

int scrollBarHeight() { return GetSystemMetrics(SM_CYHSCROLL); }

}  // namespace wdtest
