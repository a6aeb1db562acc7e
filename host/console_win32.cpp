#include "console.h"

#include <windows.h>
#include <io.h>

#include <atomic>
#include <cstdio>

namespace host {
namespace {

// The POSIX numbers of the signals these events stand for: 128 + the number is the status.
constexpr int kHangUp = 1;
constexpr int kInterrupt = 2;
constexpr int kTerminate = 15;

std::atomic<int> gSignal{0};

// Runs on a thread of its own that the system starts for the event.
BOOL WINAPI onControl(DWORD event) {
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) {
        gSignal = kInterrupt;
        return TRUE;
    }
    gSignal = event == CTRL_CLOSE_EVENT ? kHangUp : kTerminate;
    // The process is ended as soon as this returns: wait here, so that the main thread
    // cancels, ends the session and removes the block files while the system allows it
    // (a few seconds); its exit ends this thread.
    Sleep(INFINITE);
    return TRUE;
}

}  // namespace

void catchInterrupts() { SetConsoleCtrlHandler(&onControl, TRUE); }

int interruption() { return gSignal; }

void clearInterruption() { gSignal = 0; }

bool stderrIsTerminal() { return _isatty(_fileno(stderr)) != 0; }

std::string absolutePath(const std::string& path) {
    if (path.empty()) return path;
    std::string full(MAX_PATH, '\0');
    DWORD length = GetFullPathNameA(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length >= full.size()) {
        full.resize(length);
        length = GetFullPathNameA(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    }
    if (length == 0 || length >= full.size()) return path;
    full.resize(length);
    return full;
}

bool isWritableFolder(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
    // The read-only mark says nothing about a folder, and rights are in its access
    // list: making a file there is the one sure answer.
    char probe[MAX_PATH];
    if (!GetTempFileNameA(path.c_str(), "wd", 0, probe)) return false;
    DeleteFileA(probe);
    return true;
}

std::string settingsNotKept() {
    return "the settings cannot be written under HKEY_LOCAL_MACHINE\\SOFTWARE\\Quillmark\\SoundLoom"
           " (run it as an administrator): nothing was changed";
}

}  // namespace host
