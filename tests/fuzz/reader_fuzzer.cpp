// One reader under a fuzzer: the bytes become a file named for the reader's extension and
// are opened the way WDXOpenTrackFile opens a file (the reader chosen by the name, run on
// its worker to its end, the messages pumped). Built with libFuzzer (-DWAVEDECK_FUZZ=ON,
// clang) or, in every build, with a driver that replays a corpus.
//
// WAVEDECK_FUZZ_EXTENSION names the reader: "wav", "aiff", "mp3", "ogg", "wma", "cda", ...
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "model/track_list.h"
#include "wavedeck.h"
#include "wavedeck_messages.h"
#include "wavedeck_win.h"

namespace {

int gEnd = 0;

LRESULT CALLBACK progressProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == NotifyImportDone || message == NotifyImportFailed) gEnd = static_cast<int>(message);
    return message >= WM_USER ? 0 : DefWindowProcA(window, message, wParam, lParam);
}

struct Session {
    HWND progress = nullptr;
    std::string input;
};

// Made once per process: a window for the progress messages, a folder in memory for the
// input file and the block files.
Session& session() {
    static Session* s = [] {
        auto* made = new Session;
        const char* base = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        std::string folder = std::string(base) + "/wavedeck-fuzz-" + std::to_string(::getpid());
        ::mkdir(folder.c_str(), 0700);
        WDXSetTempFolder(folder.c_str());
        made->input = folder + "/input." WAVEDECK_FUZZ_EXTENSION;
        WNDCLASSA wc{};
        wc.lpfnWndProc = progressProc;
        wc.lpszClassName = "ReaderFuzzerProgress";
        RegisterClassA(&wc);
        made->progress = CreateWindowExA(0, "ReaderFuzzerProgress", "progress", WS_OVERLAPPED, 0, 0, 0, 0, nullptr,
                                         nullptr, nullptr, nullptr);
        return made;
    }();
    return *s;
}

void writeInput(const std::string& path, const uint8_t* data, size_t size) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) std::abort();
    for (size_t done = 0; done < size;) {
        const ssize_t n = ::write(fd, data + done, size - done);
        if (n <= 0) std::abort();
        done += static_cast<size_t>(n);
    }
    ::close(fd);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Session& s = session();
    writeInput(s.input, data, size);
    gEnd = 0;
    MSG msg;
    if (WDXOpenTrackFile(s.progress, s.input.c_str()) == 0) {
        // A reader that never ends is a hang: the fuzzer reports it as a timeout.
        while (gEnd == 0 && GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    } else {
        // A reader that could not start has posted its failure already: it must not end
        // the next input's wait.
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    }
    // No main window takes the track over: it is removed here, with its blocks.
    wd::TrackList& tracks = wd::TrackList::instance();
    while (tracks.count() > 0) tracks.removeTrack(tracks.trackAt(0));
    return 0;
}
