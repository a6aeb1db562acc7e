// The fitted view of an opened track redrawn right after the page cache lost the block
// files, as a host sees it: zoom to fit, then paint. Prints "seconds peakKiB" (the redraw
// alone; the peak of the whole process) for bench/first_road.sh.
//
//   bench_redraw FILE
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "wavedeck.h"
#include "wavedeck_messages.h"
#include "wavedeck_win.h"

namespace {

int gEnded = 0;

LRESULT CALLBACK hostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == NotifyImportDone || message == NotifyImportFailed) gEnded = message;
    return message >= WM_USER ? 0 : DefWindowProcA(window, message, wParam, lParam);
}

long peakKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
    }
    return 0;
}

// Drops every block file of this process from the page cache.
void evictBlockFiles() {
    std::vector<char> temp(WD_MAX_TEXT, 0);
    WDXGetTempFolder(temp.data());
    const std::string mine = "wavedeck-" + std::to_string(::getpid()) + "-";
    std::error_code ec;
    for (const auto& folder : std::filesystem::directory_iterator(temp.data(), ec)) {
        if (folder.path().filename().string().rfind(mine, 0) != 0) continue;
        for (const auto& block : std::filesystem::directory_iterator(folder.path(), ec)) {
            const int fd = ::open(block.path().c_str(), O_RDONLY);
            if (fd < 0) continue;
            ::fdatasync(fd);
            ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
            ::close(fd);
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench_redraw FILE\n");
        return 2;
    }
    WNDCLASSA wc{};
    wc.lpfnWndProc = hostProc;
    wc.lpszClassName = "BenchRedrawHost";
    RegisterClassA(&wc);
    HWND frame = CreateWindowExA(0, "BenchRedrawHost", "bench", WS_OVERLAPPED | WS_VISIBLE, 0, 0, 605, 377, nullptr,
                                 nullptr, nullptr, nullptr);
    WDXRegisterMainWnd(frame);
    WDXCreateTrackMainWnd(frame, 0, 0, 605, 377);
    if (WDXOpenTrackFile(frame, argv[1]) != 0) return 1;
    MSG msg;
    while (!gEnded && GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    if (gEnded != NotifyImportDone) return 1;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);

    evictBlockFiles();
    const auto start = std::chrono::steady_clock::now();
    WDXZoomFit();
    UpdateWindow(frame);
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%.6f %ld\n", seconds, peakKiB());
    WDXExitProgram();
    return 0;
}
