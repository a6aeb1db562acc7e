// One reader under a fuzzer: the bytes become a file named for the reader's extension and
// are opened the way WDXOpenTrackFile opens a file (the reader chosen by the name, run on
// its worker to its end, the messages pumped). Built with libFuzzer (-DWAVEDECK_FUZZ=ON,
// clang) or, in every build, with a driver that replays a corpus.
//
// WAVEDECK_FUZZ_EXTENSION names the reader: "wav", "aiff", "mp3", "ogg", "wma", "cda", ...
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "formats/file_operations.h"
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

// libFuzzer's timeout alarm interrupts system calls: those are tried again.
void writeInput(const std::string& path, const uint8_t* data, size_t size) {
    int fd;
    do fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        std::perror(path.c_str());
        std::abort();
    }
    for (size_t done = 0; done < size;) {
        const ssize_t n = ::write(fd, data + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            std::perror(path.c_str());
            std::abort();
        }
        done += static_cast<size_t>(n);
    }
    ::close(fd);
}

// The CD reader's input is a track file; the folder holding it stands for the drive. It
// gets a disc of two 30-sector audio tracks, so that a track record read to its end reads
// sectors of a real image.
void makeDisc(const std::string& folder) {
    const std::string cue = "FILE \"disc.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
                            "  TRACK 02 AUDIO\n    INDEX 01 00:00:30\n";
    std::string bin(60 * 2352, '\0');
    for (size_t i = 0; i < bin.size(); ++i) bin[i] = static_cast<char>(i * 7 % 251);
    writeInput(folder + "/disc.cue", reinterpret_cast<const uint8_t*>(cue.data()), cue.size());
    writeInput(folder + "/disc.bin", reinterpret_cast<const uint8_t*>(bin.data()), bin.size());
    const std::string disc = folder + "/disc.cue\n";
    writeInput(folder + "/disc.txt", reinterpret_cast<const uint8_t*>(disc.data()), disc.size());
}

struct Session {
    HWND progress = nullptr;
    std::string folder;
    std::string input;
};

// Made once per process: a window for the progress messages, a folder in memory for the
// input file and the block files.
Session& session() {
    static Session* s = [] {
        auto* made = new Session;
        const char* base = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        const std::string folder = std::string(base) + "/wavedeck-fuzz-" + std::to_string(::getpid());
        ::mkdir(folder.c_str(), 0700);
        made->folder = folder;
        // Memory-backed: nothing of a run may stay behind.
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(session().folder, ignored);
        });
        WDXSetTempFolder(folder.c_str());
        made->input = folder + "/input." WAVEDECK_FUZZ_EXTENSION;
        if (std::string(WAVEDECK_FUZZ_EXTENSION) == "cda") makeDisc(folder);
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

}  // namespace

// The leak checker's suppressions when run by hand (CTest passes tests/lsan.supp): a
// library's own losses are not the readers'.
extern "C" const char* __lsan_default_suppressions();
extern "C" const char* __lsan_default_suppressions() { return "leak:libvorbisfile.so\n"; }

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
    // The reader's worker goes on briefly after its last message: it is waited for, so no
    // input's work overlaps the next and the leak check sees its buffers freed.
    wd::FileOperations::instance().stopAll();
    // No main window takes the track over: it is removed here, with its blocks.
    wd::TrackList& tracks = wd::TrackList::instance();
    while (tracks.count() > 0) tracks.removeTrack(tracks.trackAt(0));
    return 0;
}
