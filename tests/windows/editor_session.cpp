// wavedeck-win driven as a user drives it, from another process, by the messages the
// user's actions produce: it opens a generated file, a mouse drag on the track window
// selects, Amplify runs from the menu with a typed gain and is saved, then undone, Space
// plays the selection through the sound device, Save As writes WAV and MP3, Delete changes
// the track so that closing it asks first, and closing the frame quits. The saved files are read back: by this program (WAV) and through the
// library (MP3). Prints one line per check and a closing count.
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "command_bar.h"
#include "command_list.h"
#include "parameter_box.h"
#include "pcm_wav.h"
#include "wavedeck.h"
#include "wavedeck_messages.h"

namespace {

constexpr int kRate = 44100;
constexpr int kFrames = 3 * kRate;
constexpr double kGainDb = -6.02;  // typed into Amplify's dialog

int16_t sampleAt(int frame, int channel) {
    const double phase = 2 * 3.14159265358979323846 * (channel ? 660.0 : 440.0) * frame / kRate;
    return static_cast<int16_t>(std::lround(12000 * std::sin(phase)));
}

int gPassed = 0, gFailed = 0;

bool check(bool ok, const std::string& what) {
    std::printf("%s %s\n", ok ? "ok    " : "FAILED", what.c_str());
    std::fflush(stdout);
    (ok ? gPassed : gFailed)++;
    return ok;
}

std::string folderOf(const std::string& path) { return path.substr(0, path.find_last_of('\\')); }

// The editor's log: "SECONDS KIND TEXT" lines.
class Log {
public:
    explicit Log(std::string path) : path_(std::move(path)) {}
    const std::string& path() const { return path_; }
    /** Waits up to 20 s for a line of the kind starting with text, after the last one
     * found; the rest of that line. */
    bool waitFor(const std::string& kind, const std::string& text, std::string* rest = nullptr) {
        const DWORD end = GetTickCount() + 20000;
        while (GetTickCount() < end) {
            std::ifstream in(path_);
            size_t n = 0;
            for (std::string line; std::getline(in, line); ++n) {
                if (n < seen_) continue;
                std::istringstream s(line);
                double seconds;
                std::string k, body;
                s >> seconds >> k;
                std::getline(s >> std::ws, body);
                if (k == kind && body.rfind(text, 0) == 0) {
                    seen_ = n + 1;
                    if (rest) *rest = body.substr(text.size());
                    return true;
                }
            }
            Sleep(20);
        }
        std::printf("       (no \"%s %s\" in the log)\n", kind.c_str(), text.c_str());
        return false;
    }

    /** The rest of the last line of the kind starting with text up to the last one waited for. */
    std::string last(const std::string& kind, const std::string& text) const {
        std::ifstream in(path_);
        std::string found;
        size_t n = 0;
        for (std::string line; n < seen_ && std::getline(in, line); ++n) {
            std::istringstream s(line);
            double seconds;
            std::string k, body;
            s >> seconds >> k;
            std::getline(s >> std::ws, body);
            if (k == kind && body.rfind(text, 0) == 0) found = body.substr(text.size());
        }
        return found;
    }

private:
    std::string path_;
    size_t seen_ = 0;
};

struct Found {
    const char* cls;
    const char* title;
    HWND window;
};

BOOL CALLBACK match(HWND window, LPARAM data) {
    auto* f = reinterpret_cast<Found*>(data);
    char cls[64] = {}, title[128] = {};
    GetClassNameA(window, cls, sizeof cls);
    GetWindowTextA(window, title, sizeof title);
    if (std::string(cls) == f->cls && (!f->title || std::string(title) == f->title) && IsWindowVisible(window)) {
        f->window = window;
        return FALSE;
    }
    return TRUE;
}

/** A top-level window of the editor's thread (waits up to 20 s for it). */
HWND topLevel(DWORD thread, const char* cls, const char* title) {
    for (int i = 0; i < 1000; ++i) {
        Found f{cls, title, nullptr};
        EnumThreadWindows(thread, &match, reinterpret_cast<LPARAM>(&f));
        if (f.window) return f.window;
        Sleep(20);
    }
    return nullptr;
}

HWND child(HWND parent, const char* cls) {
    Found f{cls, nullptr, nullptr};
    EnumChildWindows(parent, &match, reinterpret_cast<LPARAM>(&f));
    return f.window;
}

void command(HWND frame, const char* id) {
    const auto& all = desktop::CommandList::all();
    for (size_t i = 0; i < all.size(); ++i) {
        if (all[i].id == id) PostMessageA(frame, WM_COMMAND, desktop::CommandBar::kFirstId + i, 0);
    }
}

void pressOk(HWND dialog) { PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK))); }

void setText(HWND control, const std::string& text) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL, 5000, &result);
}

/** Save As with the system's dialog: types the path where the user types the name. */
bool saveAs(HWND frame, DWORD thread, Log& log, const std::string& path) {
    command(frame, "save-as");
    HWND dialog = log.waitFor("event", "choose save") ? topLevel(thread, "#32770", "Save As") : nullptr;
    if (!dialog) return false;
    // The explorer-style dialog's name box is a combo box (cmb13); the older one an edit (edt1).
    HWND name = GetDlgItem(dialog, 0x47c) ? GetDlgItem(dialog, 0x47c) : GetDlgItem(dialog, 0x480);
    // The dialog fills in the suggested name as it settles: type until the name stays.
    for (int tries = 0; tries < 50; ++tries) {
        setText(name, path);
        Sleep(100);
        char typed[MAX_PATH] = {};
        DWORD_PTR got = 0;
        SendMessageTimeoutA(name, WM_GETTEXT, MAX_PATH, reinterpret_cast<LPARAM>(typed), SMTO_NORMAL, 5000, &got);
        if (path == typed) break;
    }
    pressOk(dialog);
    return log.waitFor("event", "saved " + path);
}

// A saved file's samples against what they should be; the largest difference.
int worstDifference(const std::vector<int16_t>& saved, int channels, int from, int to, double gain) {
    int worst = 0;
    for (int i = from; i < to && channels == 2; ++i) {
        for (int c = 0; c < 2; ++c) {
            const long expected = std::lround(sampleAt(i, c) * gain);
            worst = std::max<int>(worst, static_cast<int>(std::labs(saved[static_cast<size_t>(i) * 2 + c] - expected)));
        }
    }
    return worst;
}

// Milliseconds of a library time text "mm:ss.mmm" or "mm:ss:mmm".
int millisecondsOf(const std::string& text) {
    int m = 0, s = 0, ms = 0;
    char a, b;
    std::istringstream(text) >> m >> a >> s >> b >> ms;
    return (m * 60 + s) * 1000 + ms;
}

// Pumps messages until the window has seen the message, or 60 s have passed.
UINT gSeen = 0;
LRESULT CALLBACK note(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == NotifyImportDone || message == NotifyImportFailed || message == NotifySaveDone || message == NotifySaveFailed) gSeen = message;
    return DefWindowProcA(window, message, wParam, lParam);
}
bool pumpUntil(UINT done) {
    const DWORD end = GetTickCount() + 60000;
    for (MSG msg; GetTickCount() < end && gSeen != done;) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return gSeen == done;
}

/** The MP3 as the library reads it, saved as WAV for this program to read. */
std::vector<int16_t> decodedMp3(const std::string& mp3, const std::string& wav, int& channels, int& rate) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = &note;
    wc.lpszClassName = "EditorSessionCheck";
    RegisterClassA(&wc);
    HWND frame = CreateWindowExA(0, wc.lpszClassName, "", WS_OVERLAPPEDWINDOW, 0, 0, 800, 400, nullptr, nullptr, nullptr, nullptr);
    WDXRegisterMainWnd(frame);
    WDXCreateTrackMainWnd(frame, 0, 0, 800, 300);
    std::vector<int16_t> samples;
    if (WDXOpenTrackFile(frame, mp3.c_str()) == 0 && pumpUntil(NotifyImportDone)) {
        rate = WDXGetTrackInfo(1);
        gSeen = 0;
        if (WDXSaveTrackFile(frame, wav.c_str(), 1) == 0 && pumpUntil(NotifySaveDone)) samples = wintest::readPcm16(wav, channels);
    }
    WDXExitProgram();
    DestroyWindow(frame);
    return samples;
}

}  // namespace

int main() {
    char exe[MAX_PATH] = {}, temp[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    GetTempPathA(MAX_PATH, temp);
    const std::string folder = std::string(temp) + "wavedeck-editor-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string source = folder + "\\tone.wav", amplified = folder + "\\amplified.wav", undone = folder + "\\undone.wav",
                      mp3 = folder + "\\undone.mp3";
    std::vector<int16_t> tone;
    for (int i = 0; i < kFrames; ++i) tone.insert(tone.end(), {sampleAt(i, 0), sampleAt(i, 1)});
    if (!check(wintest::writePcm16(source, tone, 2, kRate), "a three-second stereo tone is written")) return 1;

    Log log(folder + "\\editor.log");
    SetEnvironmentVariableA("WAVEDECK_GUI_LOG", log.path().c_str());
    std::string commandLine = "\"" + folderOf(exe) + "\\wavedeck-win.exe\" \"" + source + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION editor{};
    if (!check(CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &editor) != 0,
               "wavedeck-win.exe starts with the file on its command line")) {
        return 1;
    }
    HWND frame = topLevel(editor.dwThreadId, "WaveDeckFrame", nullptr);
    const bool opened = frame && log.waitFor("event", "opened " + source);
    HWND track = opened ? child(frame, "trackwndclass") : nullptr;
    if (check(track != nullptr, "the file opens and the track window shows it")) {
        // Resizing the frame lays the library's windows out again: the track view gives up
        // all the width and height the frame loses.
        RECT before{}, frameBefore{}, frameAfter{}, r{};
        GetClientRect(track, &before);
        GetWindowRect(frame, &frameBefore);
        SetWindowPos(frame, nullptr, 0, 0, frameBefore.right - frameBefore.left - 120, frameBefore.bottom - frameBefore.top - 80,
                     SWP_NOMOVE | SWP_NOZORDER);
        for (int i = 0; i < 100 && GetClientRect(track, &r) && r.right == before.right; ++i) Sleep(20);
        GetWindowRect(frame, &frameAfter);
        check(frameAfter.right - frameAfter.left == frameBefore.right - frameBefore.left - 120 && r.right == before.right - 120 &&
                  r.bottom == before.bottom - 80,
              "a smaller frame takes its lost width and height from the track window");
        // A drag from a quarter to a half of the track window's width.
        const int y = r.bottom / 3, x1 = r.right / 4, x2 = r.right / 2;
        PostMessageA(track, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x1, y));
        PostMessageA(track, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM((x1 + x2) / 2, y));
        PostMessageA(track, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x2, y));
        PostMessageA(track, WM_LBUTTONUP, 0, MAKELPARAM(x2, y));
        // The library reports the selection at every move and tells the host at the
        // release, which enables Cut: the last report before that is the selection.
        std::string start, end, length;
        if (log.waitFor("event", "enabled cut")) std::istringstream(log.last("event", "selection ")) >> start >> end >> length;
        const int from = millisecondsOf(start) * kRate / 1000, to = millisecondsOf(end) * kRate / 1000;
        // The view shows the whole track across the window: a quarter is 0.75 s.
        check(std::abs(from - kFrames / 4) < kFrames / 50 && std::abs(to - kFrames / 2) < kFrames / 50,
              "the drag selects from " + start + " to " + end + ", a quarter to a half of the track");

        command(frame, "effect-1");
        HWND dialog = log.waitFor("event", "asked Amplify") ? topLevel(editor.dwThreadId, "#32770", "Amplify") : nullptr;
        if (check(dialog != nullptr, "Amplify asks for its gain")) {
            setText(GetDlgItem(dialog, desktop::ParameterBox::kFirstField), "-6.02");
            pressOk(dialog);
        }
        check(log.waitFor("event", "effect done"), "Amplify runs to its end");
        check(saveAs(frame, editor.dwThreadId, log, amplified), "Save As writes the amplified track as WAV");
        command(frame, "undo");
        check(log.waitFor("status", "Undid Amplify."), "Undo takes Amplify back");
        PostMessageA(frame, WM_KEYDOWN, VK_SPACE, 0);
        check(log.waitFor("event", "play 0") && log.waitFor("event", "play stopped"), "Space plays the selection to its end");
        check(saveAs(frame, editor.dwThreadId, log, undone), "Save As writes the track as WAV again");
        check(saveAs(frame, editor.dwThreadId, log, mp3), "Save As writes it as MP3");
        // Delete changes the track; closing it then asks first, and No closes it unsaved.
        PostMessageA(frame, WM_KEYDOWN, VK_DELETE, 0);
        check(log.waitFor("status", "Deleted the selection."), "Delete removes the selection");
        command(frame, "close");
        HWND question = log.waitFor("event", "asked to save undone.mp3") ? topLevel(editor.dwThreadId, "#32770", "WaveDeck") : nullptr;
        if (check(question != nullptr, "closing the changed track asks whether to save it first")) {
            PostMessageA(question, WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(question, IDNO)));
        }
        check(log.waitFor("event", "closed"), "No closes it without saving");
        PostMessageA(frame, WM_CLOSE, 0, 0);
        check(log.waitFor("event", "quit") && WaitForSingleObject(editor.hProcess, 20000) == WAIT_OBJECT_0,
              "closing the frame quits without a question (no track is left)");

        // Amplify changed the selection only (the times are in milliseconds: 50
        // samples either side are left out); a float gain rounds to 16 bits again.
        const double gain = std::pow(10.0, kGainDb / 20);
        const int margin = 50;
        int channels = 0;
        const std::vector<int16_t> a = wintest::readPcm16(amplified, channels);
        if (check(channels == 2 && a.size() == tone.size(), "the amplified WAV is three seconds of stereo")) {
            check(worstDifference(a, channels, from + margin, to - margin, gain) <= 1, "inside the selection every sample is the source's times the gain");
            check(worstDifference(a, channels, 0, from - margin, 1) <= 1 && worstDifference(a, channels, to + margin, kFrames, 1) <= 1,
                  "outside the selection every sample is the source's");
        }
        const std::vector<int16_t> u = wintest::readPcm16(undone, channels);
        check(channels == 2 && u.size() == tone.size() && worstDifference(u, channels, 0, kFrames, 1) <= 1,
              "after Undo the saved WAV is the source, sample for sample");
    }
    CloseHandle(editor.hThread);
    CloseHandle(editor.hProcess);

    // The MP3 through the library: as long as the source and, once its encoder's delay is
    // found, close to it (a 128 kbit/s MP3 of two tones keeps them well above 20 dB).
    int channels = 0, rate = 0;
    const std::vector<int16_t> m = decodedMp3(mp3, folder + "\\decoded.wav", channels, rate);
    const int frames = channels == 2 ? static_cast<int>(m.size() / 2) : 0;
    if (check(channels == 2 && rate == kRate && std::abs(frames - kFrames) <= 2 * 1152, "the MP3 holds three seconds of stereo at 44,100 Hz")) {
        double best = 0;
        int lag = 0;
        for (int d = -2400; d <= 2400; ++d) {
            double sum = 0;
            for (int i = kRate; i < 2 * kRate; i += 3) sum += static_cast<double>(m[static_cast<size_t>(i + d) * 2]) * sampleAt(i, 0);
            if (sum > best) best = sum, lag = d;
        }
        double signal = 0, noise = 0;
        for (int i = kRate / 2; i < kFrames - kRate / 2; ++i) {
            for (int c = 0; c < 2; ++c) {
                const double want = sampleAt(i, c), got = m[static_cast<size_t>(i + lag) * 2 + c];
                signal += want * want;
                noise += (got - want) * (got - want);
            }
        }
        const double snr = 10 * std::log10(signal / std::max(noise, 1.0));
        check(snr > 20, "the MP3's samples follow the source's (" + std::to_string(static_cast<int>(snr)) + " dB after a delay of " +
                            std::to_string(lag) + " samples)");
    }
    if (gFailed == 0) {
        for (const std::string& f : {source, amplified, undone, mp3, folder + "\\decoded.wav", log.path()}) DeleteFileA(f.c_str());
        RemoveDirectoryA(folder.c_str());
    } else {
        std::printf("the files and the editor's log are kept in %s\n", folder.c_str());
    }
    std::printf("%d passed, %d failed\n", gPassed, gFailed);
    return gFailed == 0 ? 0 : 1;
}
