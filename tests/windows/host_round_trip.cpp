// A Windows host written against the public headers only: it loads wavedeck.dll with
// LoadLibrary, opens a WAV file it made, turns the wave upside down, saves it, and reads
// the saved file back itself. Prints one line per check and a closing count.
#include <windows.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "pcm_wav.h"
#include "wavedeck.h"
#include "wavedeck_messages.h"

namespace {

constexpr int kRate = 44100;
constexpr int kFrames = kRate;  // one second, stereo
constexpr int kInvert = 4;
constexpr int kWavType = 1;

std::map<std::pair<HWND, UINT>, int> gSeen;

LRESULT CALLBACK note(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message >= WM_USER) ++gSeen[{window, message}];
    return DefWindowProcA(window, message, wParam, lParam);
}

// The exports this host calls, looked up by name.
struct Library {
    HMODULE module = nullptr;
    decltype(&WDXRegisterMainWnd) registerMainWnd = nullptr;
    decltype(&WDXCreateTrackMainWnd) createTrackMainWnd = nullptr;
    decltype(&WDXSetTempFolder) setTempFolder = nullptr;
    decltype(&WDXOpenTrackFile) openTrackFile = nullptr;
    decltype(&WDXGetTrackInfo) getTrackInfo = nullptr;
    decltype(&WDXSelectAll) selectAll = nullptr;
    decltype(&WDXDoEffect) doEffect = nullptr;
    decltype(&WDXSaveTrackFile) saveTrackFile = nullptr;
    decltype(&WDXExitProgram) exitProgram = nullptr;

    template <typename F>
    void find(F& fn, const char* name) {
        fn = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    }
    bool load() {
        module = LoadLibraryA("wavedeck.dll");
        if (!module) return false;
        find(registerMainWnd, "WDXRegisterMainWnd");
        find(createTrackMainWnd, "WDXCreateTrackMainWnd");
        find(setTempFolder, "WDXSetTempFolder");
        find(openTrackFile, "WDXOpenTrackFile");
        find(getTrackInfo, "WDXGetTrackInfo");
        find(selectAll, "WDXSelectAll");
        find(doEffect, "WDXDoEffect");
        find(saveTrackFile, "WDXSaveTrackFile");
        find(exitProgram, "WDXExitProgram");
        return registerMainWnd && createTrackMainWnd && setTempFolder && openTrackFile && getTrackInfo && selectAll &&
               doEffect && saveTrackFile && exitProgram;
    }
};

// Pumps messages until window has seen one of the messages, or 60 s have passed.
bool waitFor(HWND window, UINT one, UINT other) {
    const DWORD end = GetTickCount() + 60000;
    MSG msg;
    while (GetTickCount() < end) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        if (gSeen[{window, one}] || gSeen[{window, other}]) return gSeen[{window, one}] > 0;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return false;
}

int16_t sampleAt(int frame, int channel) {
    const double phase = 2 * 3.14159265358979323846 * (channel ? 660.0 : 440.0) * frame / kRate;
    return static_cast<int16_t>(std::lround(12000 * std::sin(phase)));
}

bool writeSource(const std::string& path) {
    std::vector<int16_t> samples;
    for (int i = 0; i < kFrames; ++i) samples.insert(samples.end(), {sampleAt(i, 0), sampleAt(i, 1)});
    return wintest::writePcm16(path, samples, 2, kRate);
}

int gPassed = 0, gFailed = 0;

bool check(bool ok, const char* what) {
    std::printf("%s %s\n", ok ? "ok    " : "FAILED", what);
    (ok ? gPassed : gFailed)++;
    return ok;
}

}  // namespace

int main() {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string folder = std::string(temp) + "wavedeck-host-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder.c_str(), nullptr);
    CreateDirectoryA((folder + "\\blocks").c_str(), nullptr);
    const std::string source = folder + "\\tone.wav";
    const std::string saved = folder + "\\inverted.wav";

    Library wd;
    if (!check(writeSource(source), "the source WAV is written") || !check(wd.load(), "wavedeck.dll loads with its exports")) {
        std::printf("%d passed, %d failed\n", gPassed, gFailed);
        return 1;
    }
    WNDCLASSA wc{};
    wc.lpfnWndProc = &note;
    wc.lpszClassName = "WaveDeckTestHost";
    RegisterClassA(&wc);
    HWND frame = CreateWindowExA(0, wc.lpszClassName, "host", WS_OVERLAPPEDWINDOW, 0, 0, 800, 400, nullptr, nullptr, nullptr,
                                 nullptr);
    HWND progress = CreateWindowExA(0, wc.lpszClassName, "progress", WS_CHILD, 0, 0, 0, 0, frame, nullptr, nullptr, nullptr);
    wd.registerMainWnd(frame);
    check(wd.createTrackMainWnd(frame, 0, 0, 800, 300) != nullptr, "the track window is made");
    check(wd.setTempFolder((folder + "\\blocks").c_str()) == 1, "the temporary folder is taken");

    bool opened = wd.openTrackFile(progress, source.c_str()) == 0 && waitFor(progress, NotifyImportDone, NotifyImportFailed) &&
                  waitFor(frame, NotifyTrackChanged, NotifyTrackChanged);
    check(opened && wd.getTrackInfo(0) == 2 && wd.getTrackInfo(1) == kRate && wd.getTrackInfo(2) == kFrames,
          "the WAV opens as a one-second stereo track at 44,100 Hz");

    wd.selectAll();
    gSeen.clear();
    int32_t block[8] = {};
    const bool inverted = wd.doEffect(progress, kInvert, reinterpret_cast<LPARAM>(block)) == 0 &&
                          waitFor(progress, NotifyEffectDone, NotifyEffectDone);
    check(inverted, "the invert effect runs to its end");

    const bool savedOk = wd.saveTrackFile(progress, saved.c_str(), kWavType) == 0 && waitFor(progress, NotifySaveDone, NotifySaveFailed);
    check(savedOk, "the track is saved as WAV");

    int channels = 0;
    const std::vector<int16_t> back = wintest::readPcm16(saved, channels);
    check(channels == 2 && back.size() == static_cast<size_t>(kFrames) * 2, "the saved file holds one second of 16-bit stereo");
    // Inversion of a 16-bit value through floating point: -x, give or take one step.
    int worst = 0;
    for (size_t i = 0; i < back.size() && channels == 2; ++i) {
        const int expected = -sampleAt(static_cast<int>(i / 2), static_cast<int>(i % 2));
        worst = std::max(worst, std::abs(back[i] - expected));
    }
    check(!back.empty() && worst <= 1, "every saved sample is the source's upside down (within one step)");

    wd.exitProgram();
    DestroyWindow(frame);
    FreeLibrary(wd.module);
    DeleteFileA(source.c_str());
    DeleteFileA(saved.c_str());
    RemoveDirectoryA((folder + "\\blocks").c_str());
    RemoveDirectoryA(folder.c_str());
    std::printf("%d passed, %d failed\n", gPassed, gFailed);
    return gFailed == 0 ? 0 : 1;
}
