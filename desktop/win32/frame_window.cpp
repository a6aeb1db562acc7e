#include "frame_window.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>
#include <windowsx.h>

#include <algorithm>
#include <cstring>
#include <map>

#include "effect_catalog.h"
#include "event_log.h"
#include "failure_text.h"
#include "file_types.h"
#include "parameter_box.h"
#include "time_format.h"
#include "wavedeck.h"
#include "wavedeck_messages.h"
#include "wide_text.h"

namespace desktop {

namespace {

constexpr const char* kFrameClass = "WaveDeckFrame";
constexpr const char* kTimeTextClass = "WaveDeckTimeText";
constexpr UINT kCancelId = 100;
constexpr int kBottomHeight = 44;  // the time window and the level meter
constexpr int kTimeWidth = 220;
constexpr int kRecordHeight = 86;
constexpr int kGap = 4;
// Status bar parts from the right: view, selection, format; the sentence takes the rest,
// and the progress bar with Cancel covers its right end while an operation runs.
constexpr int kViewPart = 220;
constexpr int kSelectionPart = 275;
constexpr int kFormatPart = 195;
constexpr int kProgressWidth = 230;
constexpr int kCancelWidth = 64;

FrameWindow* theFrame = nullptr;  // one frame per process

HINSTANCE instance() { return GetModuleHandleA(nullptr); }

std::string joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& l : lines) text += "\u2022  " + l + "\n";
    return text;
}

}  // namespace

FrameWindow::FrameWindow() {
    theFrame = this;
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES | ICC_PROGRESS_CLASS | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    WNDCLASSA frameClass{};
    frameClass.lpfnWndProc = &FrameWindow::frameProc;
    frameClass.hInstance = instance();
    frameClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    frameClass.hIcon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
    frameClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    frameClass.lpszClassName = kFrameClass;
    RegisterClassA(&frameClass);
    WNDCLASSA timeClass{};
    timeClass.lpfnWndProc = &FrameWindow::timeTextProc;
    timeClass.hInstance = instance();
    timeClass.lpszClassName = kTimeTextClass;
    RegisterClassA(&timeClass);

    commands_ = std::make_unique<CommandBar>([this](const CommandSpec& spec) { return bind(spec); });
    commands_->afterRun([this] { refresh(); });
    window_ = CreateWindowExA(WS_EX_ACCEPTFILES, kFrameClass, "WaveDeck", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT, 980,
                              660, nullptr, commands_->buildMenu(), instance(), nullptr);
    toolBar_ = commands_->buildToolBar(window_);
    status_ = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0, window_, nullptr, instance(), nullptr);
    progressBar_ = CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD | PBS_SMOOTH, 0, 0, 0, 0, window_, nullptr, instance(), nullptr);
    SendMessageA(progressBar_, PBM_SETRANGE32, 0, 1000);
    cancelButton_ = CreateWindowExA(0, "BUTTON", "Cancel", WS_CHILD | BS_PUSHBUTTON, 0, 0, 0, 0, window_,
                                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(kCancelId)), instance(), nullptr);
    SendMessageA(cancelButton_, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    EventLog::instance().onStatus([this](const std::string& text) { SendMessageW(status_, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(wide(text).c_str())); });

    // The library sends the six time texts as WM_SETTEXT to windows of the host's own.
    for (size_t i = 0; i < timeTexts_.size(); ++i) {
        timeTexts_[i] = CreateWindowExA(0, kTimeTextClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance(), nullptr);
        SetWindowLongPtrA(timeTexts_[i], GWLP_USERDATA, static_cast<LONG_PTR>(i));
    }
    WDXRegisterMainWnd(window_);
    WDXRegNotifyRecHWND(window_);
    WDXRegSelViewHWND(timeTexts_[0], timeTexts_[1], timeTexts_[2], timeTexts_[3], timeTexts_[4], timeTexts_[5]);
    RECT client{};
    GetClientRect(window_, &client);
    main_ = WDXCreateTrackMainWnd(window_, 0, 0, client.right, client.bottom / 2);
    time_ = WDXCreateTimeWnd(window_, 0, 0, kTimeWidth, kBottomHeight);
    meter_ = WDXCreateVolumeWnd(window_, 0, 0, client.right, kBottomHeight);
    tabs_ = std::make_unique<TrackTabs>(main_, [this] {
        // The strip as the screen shows it.
        RECT r{};
        GetClientRect(main_, &r);
        std::vector<uint32_t> row(static_cast<size_t>(r.right));
        HDC dc = GetDC(main_);
        for (int x = 0; x < r.right; ++x) {
            const COLORREF c = GetPixel(dc, x, TrackTabs::kEdgeRow);
            row[static_cast<size_t>(x)] = static_cast<uint32_t>(GetRValue(c)) << 16 | static_cast<uint32_t>(GetGValue(c)) << 8 | GetBValue(c);
        }
        ReleaseDC(main_, dc);
        return row;
    });
    tabs_->onTakenOver([this](TrackRecord& record) {
        if (work_ == Work::Opening) {
            record.path = workPath_;
            record.name = fileNameOf(workPath_);
            takenOver_ = true;
            finishOpening();
        } else {
            // A take or a copy: it exists nowhere else yet.
            record.name = comingName_.empty() ? "Untitled" : comingName_;
            record.modified = true;
            comingName_.clear();
        }
        refresh();
    });
    tabs_->onClosed([this] {
        // The library reports no times for the track that is current now.
        times_ = {};
        refresh();
    });
    layout();
    say("Open a sound file (Ctrl+O) or drop one here.");
    refresh();
}

FrameWindow::~FrameWindow() {
    tabs_.reset();
    for (HWND t : timeTexts_) DestroyWindow(t);
    theFrame = nullptr;
}

LRESULT CALLBACK FrameWindow::frameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (theFrame && theFrame->window_ == window) return theFrame->onMessage(message, wParam, lParam);
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK FrameWindow::timeTextProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_SETTEXT || !theFrame) return DefWindowProcA(window, message, wParam, lParam);
    const auto i = static_cast<size_t>(GetWindowLongPtrA(window, GWLP_USERDATA));
    theFrame->times_[i] = lParam ? reinterpret_cast<const char*>(lParam) : "";
    theFrame->showTimes();
    if (i == 2) EventLog::instance().event("selection " + theFrame->times_[0] + " " + theFrame->times_[1] + " " + theFrame->times_[2]);
    return TRUE;
}

bool FrameWindow::preTranslate(MSG& message) {
    if (message.message == WM_LBUTTONDOWN && main_ && GetParent(message.hwnd) == main_) {
        char name[32] = {};
        GetClassNameA(message.hwnd, name, sizeof name);
        if (std::strcmp(name, "TrackTabClass") == 0) {
            POINT p{GET_X_LPARAM(message.lParam), GET_Y_LPARAM(message.lParam)};
            MapWindowPoints(message.hwnd, main_, &p, 1);
            tabs_->pressed(p.x);
        }
    }
    return TranslateAcceleratorW(window_, commands_->accelerators(), &message) != 0;
}

LRESULT FrameWindow::onMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SIZE: layout(); return 0;
        case WM_GETMINMAXINFO: {
            auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
            limits->ptMinTrackSize = POINT{700, 480};
            return 0;
        }
        case WM_COMMAND:
            if (LOWORD(wParam) == kCancelId) {
                if (cancel_) {
                    EventLog::instance().event("cancel");
                    const auto cancel = cancel_;  // it ends the work, which forgets cancel_
                    cancel();
                }
                return 0;
            }
            commands_->command(LOWORD(wParam));
            return 0;
        case WM_DROPFILES: {
            auto drop = reinterpret_cast<HDROP>(wParam);
            std::vector<std::string> paths;
            const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
            for (UINT i = 0; i < count; ++i) {
                char path[MAX_PATH] = {};
                if (DragQueryFileA(drop, i, path, MAX_PATH)) paths.emplace_back(path);
            }
            DragFinish(drop);
            EventLog::instance().event("dropped " + std::to_string(paths.size()));
            openFiles(paths);
            return 0;
        }
        case WM_CLOSE: quit(); return 0;  // the window goes only when every track could be closed
        case WM_DESTROY: PostQuitMessage(0); return 0;
        default: break;
    }
    if (message >= WM_USER && message < WM_APP) {
        onLibrary(message, wParam, lParam);
        return 0;
    }
    return DefWindowProcA(window_, message, wParam, lParam);
}

void FrameWindow::layout() {
    RECT client{};
    GetClientRect(window_, &client);
    const int w = client.right, h = client.bottom;
    SendMessageA(toolBar_, TB_AUTOSIZE, 0, 0);
    SendMessageA(status_, WM_SIZE, 0, 0);
    RECT bar{}, status{};
    GetWindowRect(toolBar_, &bar);
    GetWindowRect(status_, &status);
    const int top = bar.bottom - bar.top + kGap, statusTop = h - (status.bottom - status.top);
    const int edges[4] = {std::max(0, w - kViewPart - kSelectionPart - kFormatPart), std::max(0, w - kViewPart - kSelectionPart),
                          std::max(0, w - kViewPart), -1};
    SendMessageA(status_, SB_SETPARTS, 4, reinterpret_cast<LPARAM>(edges));
    RECT part{};
    SendMessageA(status_, SB_GETRECT, 0, reinterpret_cast<LPARAM>(&part));
    MapWindowPoints(status_, window_, reinterpret_cast<POINT*>(&part), 2);
    const int barLeft = std::max<int>(part.left, static_cast<int>(part.right) - kProgressWidth);
    SetWindowPos(progressBar_, HWND_TOP, barLeft + 2, part.top + 3, std::max<int>(1, part.right - barLeft - kCancelWidth - 8), part.bottom - part.top - 6,
                 SWP_NOACTIVATE);
    SetWindowPos(cancelButton_, HWND_TOP, part.right - kCancelWidth - 2, part.top + 1, kCancelWidth, part.bottom - part.top - 2, SWP_NOACTIVATE);
    // Bottom up: the time window and the meter, the record window while it shows, then
    // the library's main window takes the rest (it lays out its own children).
    const int bottomRow = statusTop - kGap - kBottomHeight;
    MoveWindow(time_, kGap, bottomRow, kTimeWidth, kBottomHeight, TRUE);
    MoveWindow(meter_, kGap + kTimeWidth + kGap, bottomRow, std::max(1, w - kTimeWidth - 3 * kGap), kBottomHeight, TRUE);
    int mainBottom = bottomRow - kGap;
    if (recordWindow_) {
        mainBottom -= kRecordHeight + kGap;
        MoveWindow(recordWindow_, kGap, mainBottom + kGap, w - 2 * kGap, kRecordHeight, TRUE);
    }
    MoveWindow(main_, kGap, top, std::max(1, w - 2 * kGap), std::max(1, mainBottom - top), TRUE);
}

// ---------------------------------------------------------------- commands

CommandBar::Binding FrameWindow::bind(const CommandSpec& spec) {
    using Binding = CommandBar::Binding;
    // Availability: the library's own answer for the command's place in its menu layout
    // (group, item), and nothing while an operation of the editor runs.
    const auto can = [this, group = spec.group, item = spec.item] { return idle() && WDXCanOperate(group, item) != 0; };
    if (spec.effect != 0) return Binding{[this, id = spec.effect, label = spec.label] { runEffect(id, label); }, can};
    const std::map<std::string, Binding> actions = {
        {"open", {[this] { chooseAndOpen(); }}},
        {"save", {[this] { save(false, false); }}},
        {"save-as", {[this] { save(false, true); }}},
        {"save-selection", {[this] { save(true, true); }}},
        {"close", {[this] { closeTrack(Closing::Track); }}},
        {"quit", {[this] { quit(); }, [] { return true; }}},
        {"undo", {[this] { undoOrRedo(true); }}},
        {"redo", {[this] { undoOrRedo(false); }}},
        {"cut", {[this] { runEdit(&WDXCut, "Cut", "Cutting", "Cut the selection to the clipboard."); }}},
        {"copy", {[this] { runEdit(&WDXCopy, nullptr, "Copying", "Copied the selection to the clipboard."); }}},
        {"paste-insert", {[this] { runEdit(&WDXPasteInsert, "Paste", "Pasting", "Inserted the clipboard at the cursor."); }}},
        {"paste", {[this] { runEdit(&WDXPaste, "Paste Over", "Pasting", "Replaced the selection with the clipboard."); }}},
        {"paste-mix", {[this] { runEdit(&WDXPasteMix, "Paste Mix", "Mixing in", "Mixed the clipboard into the track."); }}},
        {"delete", {[this] { inPlace(&WDXDeleteSelection, "Delete", "Deleted the selection."); }}},
        {"trim", {[this] { inPlace(&WDXTrimSelection, "Trim", "Trimmed the track to the selection."); }}},
        {"silence", {[this] { inPlace(&WDXSilenceSelection, "Silence", "Silenced the selection."); }}},
        {"insert-silence", {[this] { insertGenerated(false); }}},
        {"insert-noise", {[this] { insertGenerated(true); }}},
        {"select-all", {[] { WDXSelectAll(); }}},
        {"cursor-start", {[] { WDXSelStart(); }}},
        {"cursor-end", {[] { WDXSelEnd(); }}},
        {"cursor-back", {[] { WDXSelBackward(); }}},
        {"cursor-forward", {[] { WDXSelForward(); }}},
        {"select-to-start", {[] { WDXSelectStart(); }}},
        {"select-to-end", {[] { WDXSelectEnd(); }}},
        {"play", {[this] { togglePlay(); }, [this] { return idle() && hasTrack() && !recording_; }}},
        {"play-loop", {[this] { play(2); }, [this] { return idle() && hasTrack() && !recording_ && (playing() || WDXCanCutOrCopy()); }}},
        {"pause", {[this] {
                       WDXPauseTrack();
                       paused_ = true;
                       say("Paused: Play goes on from here.");
                   },
                   [this] { return playing(); }}},
        {"cancel-work", {[this] { SendMessageA(window_, WM_COMMAND, kCancelId, 0); }, [this] { return static_cast<bool>(cancel_); }}},
        {"stop", {[this] { stop(); }, [this] { return playing() || paused_ || recording_; }}},
        {"record", {[this] { record(); }, [this] { return idle() && !playing(); }}},
        {"zoom-in", {[] { WDXZoomIn(); }}},
        {"zoom-out", {[] { WDXZoomOut(); }}},
        {"zoom-fit", {[] { WDXZoomFit(); }}},
        {"batch", {[this] { batchConvert(); }}},
        {"devices", {[this] { chooseDevices(); }}},
        {"settings", {[this] { chooseQualities(); }}},
        {"about", {[this] {
                       const std::string text = std::string("WaveDeck ") + WDXGetVersion() + "\nAn audio editor on the WaveDeck library.";
                       MessageBoxW(window_, wide(text).c_str(), L"About WaveDeck", MB_OK | MB_ICONINFORMATION);
                   },
                   [] { return true; }}},
    };
    Binding b = actions.at(spec.id);
    if (!b.available) b.available = can;
    return b;
}

void FrameWindow::openFiles(const std::vector<std::string>& paths) {
    for (const std::string& p : paths) {
        char full[MAX_PATH] = {};
        toOpen_.emplace_back(GetFullPathNameA(p.c_str(), MAX_PATH, full, nullptr) ? full : p);
    }
    if (idle()) openNext();
}

void FrameWindow::openNext() {
    if (!idle() || toOpen_.empty()) return;
    workPath_ = toOpen_.front();
    toOpen_.pop_front();
    importRead_ = false;
    takenOver_ = false;
    beginWork(Work::Opening, "Opening " + fileNameOf(workPath_), [this] {
        if (importRead_) return;  // read to the end: it opens, whatever Cancel would say
        WDXCancelOpenFile();
        endWork();
        say("Opening " + fileNameOf(workPath_) + " was cancelled.");
        toOpen_.clear();
    });
    if (WDXOpenTrackFile(window_, workPath_.c_str()) != 0) {
        endWork();
        const int failure = WDXGetLastFailure(0);
        if (failure != WD_FAILURE_NONE) {
            error("Could not open " + fileNameOf(workPath_) + ": " + failureReason(failure, false));
        } else {
            error(fileNameOf(workPath_) + " cannot be opened: WaveDeck reads WAV, AIFF, MP3, Ogg Vorbis, WMA and CD track (.cda) files.");
        }
        openNext();
    }
}

void FrameWindow::finishOpening() {
    if (work_ != Work::Opening || !importRead_ || !takenOver_) return;
    EventLog::instance().event("opened " + workPath_);
    say("Opened " + fileNameOf(workPath_) + ".");
    endWork();
    openNext();
}

void FrameWindow::chooseAndOpen() {
    std::vector<char> names(32768, 0);
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = window_;
    dialog.lpstrFilter = "Sound files\0*.wav;*.aif;*.aiff;*.aifc;*.mp3;*.mp2;*.mp1;*.ogg;*.wma;*.cda\0All files\0*.*\0";
    dialog.lpstrFile = names.data();
    dialog.nMaxFile = static_cast<DWORD>(names.size());
    dialog.lpstrTitle = "Open";
    dialog.Flags = OFN_EXPLORER | OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    EventLog::instance().event("choose open");
    if (!GetOpenFileNameA(&dialog)) return;
    // One file: its path. Several: the folder, then each name, each ended by a zero.
    std::vector<std::string> parts;
    for (const char* p = names.data(); *p; p += std::strlen(p) + 1) parts.emplace_back(p);
    std::vector<std::string> paths;
    if (parts.size() == 1) paths = parts;
    for (size_t i = 1; i < parts.size(); ++i) paths.push_back(parts[0] + "\\" + parts[i]);
    openFiles(paths);
}

void FrameWindow::save(bool selection, bool choosePath) {
    const TrackRecord* track = tabs_->current();
    const std::string path0 = track ? track->path : std::string();
    if (!selection && !choosePath && !path0.empty() && fileTypeOf(path0) != 0) {
        startSave(path0, false);
        return;
    }
    std::vector<char> name(MAX_PATH * 4, 0);
    const std::string suggested = !path0.empty() && !selection ? path0
                                  : selection                  ? std::string("selection.wav")
                                                               : (track && !track->name.empty() ? track->name : std::string("untitled")) + ".wav";
    suggested.copy(name.data(), name.size() - 1);
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = window_;
    dialog.lpstrFilter = "WAV (*.wav)\0*.wav\0MP3 (*.mp3)\0*.mp3\0WMA (*.wma)\0*.wma\0Ogg Vorbis (*.ogg)\0*.ogg\0";
    dialog.nFilterIndex = static_cast<DWORD>(std::max(1, fileTypeOf(suggested)));
    dialog.lpstrFile = name.data();
    dialog.nMaxFile = static_cast<DWORD>(name.size());
    dialog.lpstrTitle = selection ? "Save Selection As" : "Save As";
    dialog.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
    EventLog::instance().event("choose save");
    if (!GetSaveFileNameA(&dialog)) {
        closing_ = Closing::None;
        return;
    }
    std::string path = name.data();
    // A name without a known extension takes the chosen type's.
    if (fileTypeOf(path) == 0) path += std::string(".") + kFileTypes[std::clamp<DWORD>(dialog.nFilterIndex, 1, 4) - 1].extension;
    startSave(path, selection);
}

void FrameWindow::startSave(const std::string& path, bool selection) {
    workPath_ = path;
    workIsSelection_ = selection;
    workTrack_ = tabs_->current() ? tabs_->current()->serial : 0;
    beginWork(Work::Saving, "Saving " + fileNameOf(path), [this] {
        WDXCancelSaveFile();
        endWork();
        closing_ = Closing::None;
        say("Saving was cancelled: " + fileNameOf(workPath_) + " was left as it was.");
    });
    const int type = fileTypeOf(path);
    const int started = selection ? WDXSaveSelectFile(window_, path.c_str(), type) : WDXSaveTrackFile(window_, path.c_str(), type);
    if (started != 0) {
        endWork();
        closing_ = Closing::None;
        const int failure = WDXGetLastFailure(1);
        error("Could not save " + fileNameOf(path) +
              (type == 0 ? ": name it .wav, .mp3, .wma or .ogg." : failure != WD_FAILURE_NONE ? ": " + failureReason(failure, true) : "."));
    }
}

void FrameWindow::runEffect(int id, const std::string& label) {
    const std::string name = CommandList::plainLabel(label);
    const std::vector<Parameter> parameters = EffectCatalog::parameters(id, WDXGetTrackInfo(1), WDXGetTrackInfo(0));
    const Effect* effect = EffectCatalog::find(id);
    ParameterBlock block = Parameters::defaults(parameters);
    if (!parameters.empty()) {
        EventLog::instance().event("asked " + name);
        auto asked = ParameterBox::ask(window_, name, effect ? effect->explanation : std::string(), parameters);
        if (!asked) return;
        block = *asked;
    }
    beginWork(Work::Effect, name, [] { WDXCancelEffect(); });
    lastEffect_ = id;
    workName_ = name;
    workTrack_ = tabs_->current() ? tabs_->current()->serial : 0;
    if (id == 23) comingName_ = "Copy of " + (tabs_->current() ? tabs_->current()->name : std::string("the track"));
    EventLog::instance().event("effect " + std::to_string(id));
    if (WDXDoEffect(window_, id, reinterpret_cast<LPARAM>(block.data())) != 0) {
        endWork();
        error(name + " could not start: the track is busy with another operation.");
    }
}

void FrameWindow::runEdit(int(WINAPI* edit)(HWND), const char* name, const char* doing, const char* done) {
    beginWork(Work::Edit, doing, {});
    if (edit(window_) != 0) {
        endWork();
        error(std::string(doing) + " could not start.");
        return;
    }
    workDone_ = done;
    if (name) did(name);
}

void FrameWindow::inPlace(int(WINAPI* edit)(), const char* name, const char* done) {
    if (edit() != 0) return;
    did(name);
    say(done);
}

void FrameWindow::did(const std::string& name) {
    TrackRecord* track = tabs_->current();
    if (!track) return;
    track->modified = true;
    track->undo.push_back(name);
    track->redo.clear();
}

void FrameWindow::undoOrRedo(bool undo) {
    TrackRecord* track = tabs_->current();
    if ((undo ? WDXUndo() : WDXRedo()) != 0 || !track) return;
    track->modified = true;
    auto& from = undo ? track->undo : track->redo;
    auto& to = undo ? track->redo : track->undo;
    const std::string name = from.empty() ? std::string() : from.back();
    if (!from.empty()) from.pop_back();
    to.push_back(name);
    say(name.empty() ? (undo ? "Undid the last change." : "Redid the change.") : (undo ? "Undid " : "Redid ") + name + ".");
}

void FrameWindow::insertGenerated(bool noise) {
    auto block = ParameterBox::ask(window_, noise ? "Insert Noise" : "Insert Silence", "Inserted at the cursor, or at the start of the selection.",
                                   EffectCatalog::insertParameters(noise));
    if (!block) return;
    const int ms = static_cast<int>((*block)[0]);
    if ((noise ? WDXInsertNoise(ms, (*block)[1], static_cast<int>((*block)[2])) : WDXInsertSilence(ms)) != 0) {
        error("Could not insert at the cursor.");
        return;
    }
    did(noise ? "Insert Noise" : "Insert Silence");
    say(std::string(noise ? "Inserted noise" : "Inserted silence") + " at the cursor.");
}

void FrameWindow::play(int mode) {
    // Paused: goes on where it paused.
    const int started = paused_ ? WDXPlayControl(mode) : WDXPlayTrack(mode);
    paused_ = false;
    refresh();
    if (started != 0) {
        error("The sound device cannot play this track's rate or channels: choose another in Tools > Sound Devices.");
        return;
    }
    EventLog::instance().event("play " + std::to_string(mode));
}

void FrameWindow::togglePlay() {
    if (playing() && !paused_) {
        WDXStopTrack();
        return;
    }
    // The selection, or from the cursor to the end when nothing is selected.
    play(WDXCanCutOrCopy() ? 0 : 1);
}

void FrameWindow::stop() {
    if (recording_) {
        record();
        return;
    }
    WDXStopTrack();
    paused_ = false;
}

void FrameWindow::record() {
    if (!recording_) {
        RECT client{};
        GetClientRect(window_, &client);
        recordWindow_ = WDXCreateRecordWnd(window_, 0, 0, client.right, kRecordHeight);
        layout();
        WDXSetRecordParam(2, 44100, 16);
        if (WDXBeginRecord() != 0) {
            DestroyWindow(recordWindow_);
            recordWindow_ = nullptr;
            layout();
            error("The sound device cannot record: choose another in Tools > Sound Devices.");
            return;
        }
        recording_ = true;
        commands_->setLabel("record", "Stop _Recording");
        say("Recording: Record or Stop ends it.");
        return;
    }
    WDXStopRecord();
    recording_ = false;
    commands_->setLabel("record", "_Record…");
    const int length = WDXGetRecordInfo(0);
    const std::string seconds = std::to_string(length > 0 ? length / 44100 : 0);
    if (MessageBoxW(window_, wide("Keep the recording (" + seconds + " s) as a new track?").c_str(), L"Recording", MB_YESNO | MB_ICONQUESTION) == IDYES) {
        comingName_ = "Recording " + std::to_string(++takes_);
        WDXSureRecord();
    } else {
        WDXCancelRecord();
        say("The recording was discarded.");
    }
    DestroyWindow(recordWindow_);
    recordWindow_ = nullptr;
    layout();
}

void FrameWindow::batchConvert() {
    std::vector<char> names(65536, 0);
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = window_;
    dialog.lpstrFilter = "Sound files\0*.wav;*.aif;*.aiff;*.mp3;*.ogg;*.wma;*.cda\0All files\0*.*\0";
    dialog.lpstrFile = names.data();
    dialog.nMaxFile = static_cast<DWORD>(names.size());
    dialog.lpstrTitle = "Files to Convert";
    dialog.Flags = OFN_EXPLORER | OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    if (!GetOpenFileNameA(&dialog)) return;
    std::vector<std::string> parts;
    for (const char* p = names.data(); *p; p += std::strlen(p) + 1) parts.emplace_back(p);
    std::vector<std::string> files;
    if (parts.size() == 1) files = parts;
    for (size_t i = 1; i < parts.size(); ++i) files.push_back(parts[0] + "\\" + parts[i]);
    Parameter type;
    type.label = "Convert _to";
    type.kind = Parameter::Kind::Choice;
    for (const FileType& t : kFileTypes) type.choices.emplace_back(t.name);
    const auto chosen = ParameterBox::ask(window_, "Batch Convert", "Each file is written in the chosen type into the folder chosen next.", {type});
    if (!chosen) return;
    BROWSEINFOA browse{};
    browse.hwndOwner = window_;
    browse.lpszTitle = "The folder for the converted files";
    browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    LPITEMIDLIST folderItem = SHBrowseForFolderA(&browse);
    if (!folderItem) return;
    char folder[MAX_PATH] = {};
    const bool gotFolder = SHGetPathFromIDListA(folderItem, folder);
    CoTaskMemFree(folderItem);
    if (!gotFolder) return;
    WDXInitBatchConvert();
    for (const std::string& f : files) WDXAddFiles(f.c_str());
    WDXSetOutputDir(folder);
    WDXSetOutputType(static_cast<int>((*chosen)[0]) + 1);
    WDXSetProgHWND(window_);
    converted_ = convertFailed_ = 0;
    toConvert_ = static_cast<int>(files.size());
    beginWork(Work::Converting, "Converting " + std::to_string(toConvert_) + " files", [this] {
        WDXCancelConvert();
        WDXUninitBatchConvert();
        endWork();
        say("Converting was cancelled after " + std::to_string(converted_) + " files.");
    });
    WDXBeginConvert();
}

void FrameWindow::chooseDevices() {
    auto devices = [](bool output) {
        Parameter p;
        p.label = output ? "_Play through" : "_Record from";
        p.word = output ? 0 : 1;
        p.kind = Parameter::Kind::Choice;
        const int count = output ? WDXGetWaveOutDeviceCount() : WDXGetWaveInDeviceCount();
        for (int i = 0; i < count; ++i) {
            std::vector<char> name(WD_MAX_TEXT, 0);
            if (output) WDXGetWaveOutDeviceName(i, name.data());
            else WDXGetWaveInDeviceName(i, name.data());
            p.choices.emplace_back(name.data());
        }
        p.value = std::max(0, output ? WDXGetWaveOutDevice() : WDXGetWaveInDevice());
        return p;
    };
    const std::vector<Parameter> parameters{devices(true), devices(false)};
    if (parameters[0].choices.empty() && parameters[1].choices.empty()) {
        error("This computer has no sound devices.");
        return;
    }
    const auto chosen = ParameterBox::ask(window_, "Sound Devices", "", parameters);
    if (!chosen) return;
    if (!parameters[0].choices.empty()) WDXSetWaveOutDevice(static_cast<int>((*chosen)[0]));
    if (!parameters[1].choices.empty()) WDXSetWaveInDevice(static_cast<int>((*chosen)[1]));
}

void FrameWindow::chooseQualities() {
    auto quality = [](const char* label, int format, double lowest, double highest) {
        Parameter p;
        p.label = label;
        p.word = format - 1;
        p.kind = Parameter::Kind::Int;
        p.minimum = lowest;
        p.maximum = highest;
        p.value = std::clamp<double>(WDXGetFormatQuality(format), lowest, highest);
        return p;
    };
    const auto chosen = ParameterBox::ask(window_, "Settings", "The quality of saved lossy files.",
                                          {quality("_MP3 bit rate (kbit/s)", 1, 32, 320), quality("_WMA bit rate (kbit/s)", 2, 32, 320),
                                           quality("_Ogg Vorbis quality (0 to 10)", 3, 0, 10)});
    if (!chosen) return;
    for (int format = 1; format <= 3; ++format) WDXSetFormatQuality(format, static_cast<int>((*chosen)[static_cast<size_t>(format - 1)]));
    say("The new qualities hold for the next save.");
}

// ---------------------------------------------------------------- closing

int FrameWindow::ask(const std::string& question, const std::string& detail) {
    return MessageBoxW(window_, wide(question + "\n\n" + detail).c_str(), L"WaveDeck", MB_YESNOCANCEL | MB_ICONQUESTION);
}

void FrameWindow::closeTrack(Closing why) {
    closing_ = why;
    saveAll_ = false;
    if (why == Closing::Quit) {
        std::vector<std::string> names;
        for (const TrackRecord& r : tabs_->all()) {
            if (r.modified) names.push_back(r.path.empty() ? r.name + " (never saved)" : r.path);
        }
        if (!names.empty()) {
            EventLog::instance().event("asked to save " + std::to_string(names.size()) + " tracks");
            const std::string question = names.size() == 1 ? "Save the changes to 1 track before quitting?"
                                                            : "Save the changes to " + std::to_string(names.size()) + " tracks before quitting?";
            const int answer = ask(question, joined(names) + "Yes saves them, No quits without saving.");
            if (answer == IDCANCEL) {
                closing_ = Closing::None;
                refresh();
                return;
            }
            saveAll_ = answer == IDYES;
        }
    }
    continueClosing();
}

void FrameWindow::continueClosing() {
    while (closing_ != Closing::None && hasTrack()) {
        if (unsaved()) {
            if (closing_ == Closing::Quit) {
                if (saveAll_) {
                    save(false, false);  // quitting goes on when the save is done
                    return;
                }
            } else {
                EventLog::instance().event("asked to save " + tabs_->current()->name);
                const int answer = ask("Save the changes to " + tabs_->current()->name + " before closing it?",
                                       "Changes that are not saved are lost. Yes saves, No closes without saving.");
                if (answer == IDYES) {
                    save(false, false);  // closing goes on when the save is done
                    return;
                }
                if (answer != IDNO) {
                    closing_ = Closing::None;
                    return;
                }
            }
        }
        WDXCloseCurTrack();
        EventLog::instance().event("closed");
        if (closing_ == Closing::Track) closing_ = Closing::None;
    }
    if (closing_ == Closing::Quit) {
        WDXExitProgram();
        EventLog::instance().event("quit");
        DestroyWindow(window_);
        return;
    }
    closing_ = Closing::None;
    refresh();
}

void FrameWindow::quit() {
    if (work_ == Work::Effect || work_ == Work::Edit) {
        say("Wait until the running operation has finished, then quit.");
        return;
    }
    if (work_ == Work::Opening) WDXCancelOpenFile();
    if (work_ == Work::Saving) WDXCancelSaveFile();
    if (work_ == Work::Converting) WDXCancelConvert();
    toOpen_.clear();
    endWork();
    if (recording_) {
        WDXCancelRecord();
        recording_ = false;
    }
    if (playing()) WDXStopTrack();
    closeTrack(Closing::Quit);
}

void FrameWindow::showContextMenu() {
    HMENU popup = commands_->buildPopup({"cut", "copy", "paste-insert", "paste", "paste-mix", "delete", "trim", "select-all"});
    POINT at{};
    GetCursorPos(&at);
    const UINT chosen = TrackPopupMenu(popup, TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, window_, nullptr);
    DestroyMenu(popup);
    if (chosen) commands_->command(chosen);
}

// ---------------------------------------------------------------- the library's messages

void FrameWindow::onLibrary(UINT message, WPARAM wParam, LPARAM lParam) {
    if (work_ == Work::Converting) {
        onConverting(message, wParam, lParam);
        return;
    }
    const double total = static_cast<double>(wParam), done = static_cast<double>(lParam);
    switch (message) {
        case NotifySelectionChanged:
        case NotifyTrackChanged: refresh(); return;
        case NotifyTrackContextMenu: showContextMenu(); return;
        case NotifyWaveOutDeviceChanged: say("Playing through another device now."); return;
        case NotifyWaveInDeviceChanged: say("Recording from another device now."); return;
        case NotifyImportProgress:
        case NotifySaveProgress: progress(done, total); return;
        case NotifyEffectProgress:
        case NotifyEditProgress: progress(done, 100); return;
        case NotifyImportDone:
            if (work_ != Work::Opening) return;
            importRead_ = true;
            finishOpening();
            return;
        case NotifyImportFailed:
            if (work_ != Work::Opening) return;
            endWork();
            error("Could not open " + fileNameOf(workPath_) + ": " + failureReason(WDXGetLastFailure(0), false));
            openNext();
            return;
        case NotifyEffectDone:
            if (work_ != Work::Effect) return;
            endWork();
            if (wParam == 0) {
                // Stopped or refused: the track and its history are as they were.
                EventLog::instance().event("effect stopped");
                say(workName_ + " was stopped: the track is as it was.");
                return;
            }
            EventLog::instance().event("effect done");
            if (lastEffect_ == 23) {
                say("Copied the selection to a new track.");
            } else if (TrackRecord* track = tabs_->find(workTrack_)) {
                track->modified = true;
                track->undo.push_back(workName_);
                track->redo.clear();
                say("Applied " + workName_ + (track == tabs_->current() ? "." : " to " + track->name + "."));
            }
            refresh();
            return;
        case NotifyEditDone:
            if (work_ != Work::Edit) return;
            EventLog::instance().event("edit done");
            say(workDone_);
            endWork();
            return;
        case NotifySaveDone:
            if (work_ != Work::Saving) return;
            if (TrackRecord* saved = tabs_->find(workTrack_); saved && !workIsSelection_) {
                saved->path = workPath_;
                saved->name = fileNameOf(workPath_);
                saved->modified = false;
            }
            EventLog::instance().event("saved " + workPath_);
            say("Saved " + fileNameOf(workPath_) + ".");
            endWork();
            if (closing_ != Closing::None) continueClosing();
            return;
        case NotifySaveFailed:
            if (work_ != Work::Saving) return;
            endWork();
            closing_ = Closing::None;
            error("Could not save " + workPath_ + ": " + failureReason(WDXGetLastFailure(1), true));
            return;
        default: return;
    }
}

void FrameWindow::onConverting(UINT message, WPARAM wParam, LPARAM lParam) {
    // Each file is read (the first half of its share of the bar), then written.
    const double part = wParam ? static_cast<double>(lParam) / static_cast<double>(wParam) : 0;
    switch (message) {
        case NotifyImportProgress: progress(converted_ + 0.5 * part, toConvert_); return;
        case NotifySaveProgress: progress(converted_ + 0.5 + 0.5 * part, toConvert_); return;
        case NotifySaveDone: ++converted_; return;
        case NotifyImportFailed:
        case NotifyUnsupportedFile:
        case NotifySaveFailed:
            ++convertFailed_;
            ++converted_;
            return;
        case NotifyBatchDone:
            WDXUninitBatchConvert();
            endWork();
            EventLog::instance().event("converted");
            if (convertFailed_ == 0) {
                say("Converted " + std::to_string(converted_) + " files.");
            } else {
                error("Converted " + std::to_string(converted_ - convertFailed_) + " files; " + std::to_string(convertFailed_) + " could not be converted.");
            }
            return;
        default: return;
    }
}

// ---------------------------------------------------------------- state

bool FrameWindow::hasTrack() const { return WDXGetTrackInfo(0) > 0; }

// With a track, saving is refused only while the player runs.
bool FrameWindow::playing() const { return hasTrack() && WDXCanOperate(1, 2) == 0; }

bool FrameWindow::unsaved() { return hasTrack() && tabs_->current() && tabs_->current()->modified; }

void FrameWindow::refresh() {
    const bool nowPlaying = playing();
    if (wasPlaying_ && !nowPlaying) EventLog::instance().event("play stopped");
    wasPlaying_ = nowPlaying;
    const TrackRecord* track = tabs_->current();
    commands_->setLabel("undo", track && !track->undo.empty() && !track->undo.back().empty() ? "_Undo " + track->undo.back() : "_Undo");
    commands_->setLabel("redo", track && !track->redo.empty() && !track->redo.back().empty() ? "_Redo " + track->redo.back() : "_Redo");
    commands_->refresh();
    DrawMenuBar(window_);
    std::string title = "WaveDeck";
    if (hasTrack() && track) title = (unsaved() ? "*" : "") + track->name + " \u2013 WaveDeck";
    if (title != title_) {
        title_ = title;
        SetWindowTextW(window_, wide(title).c_str());
        EventLog::instance().event("title " + title);
    }
    if (!hasTrack()) times_ = {};
    showTimes();
}

void FrameWindow::showTimes() {
    auto clock = [](const std::string& text) {
        const auto ms = TimeFormat::parse(text);
        return ms ? TimeFormat::format(*ms) : text;
    };
    std::string format;
    if (hasTrack()) {
        const int rate = WDXGetTrackInfo(1), channels = WDXGetTrackInfo(0);
        const TrackRecord* track = tabs_->current();
        std::string source = track && !track->path.empty() ? lowerExtension(track->path) : "";
        std::transform(source.begin(), source.end(), source.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
        format = std::to_string(rate) + " Hz \u00b7 " + (channels == 1 ? "mono" : channels == 2 ? "stereo" : std::to_string(channels) + " channels") +
                 " \u00b7 " + (source.empty() ? "not saved" : source) + " \u00b7 " +
                 TimeFormat::format(rate > 0 ? int64_t{WDXGetTrackInfo(2)} * 1000 / rate : 0);
    }
    const std::string selection = times_[2].empty() ? "" : "Selection " + clock(times_[0]) + " \u2013 " + clock(times_[1]) + " (" + clock(times_[2]) + ")";
    const std::string view = times_[5].empty() ? "" : "View " + clock(times_[3]) + " \u2013 " + clock(times_[4]);
    SendMessageW(status_, SB_SETTEXTW, 1, reinterpret_cast<LPARAM>(wide(format).c_str()));
    SendMessageW(status_, SB_SETTEXTW, 2, reinterpret_cast<LPARAM>(wide(selection).c_str()));
    SendMessageW(status_, SB_SETTEXTW, 3, reinterpret_cast<LPARAM>(wide(view).c_str()));
}

void FrameWindow::beginWork(Work work, const std::string& text, std::function<void()> cancel) {
    work_ = work;
    cancel_ = std::move(cancel);
    SendMessageA(progressBar_, PBM_SETPOS, 0, 0);
    ShowWindow(progressBar_, SW_SHOW);
    ShowWindow(cancelButton_, cancel_ ? SW_SHOW : SW_HIDE);
    say(text + "\u2026");
    refresh();
}

void FrameWindow::progress(double done, double total) {
    if (total <= 0) return;
    SendMessageA(progressBar_, PBM_SETPOS, static_cast<WPARAM>(std::clamp(done / total, 0.0, 1.0) * 1000), 0);
}

void FrameWindow::endWork() {
    work_ = Work::None;
    cancel_ = nullptr;
    ShowWindow(progressBar_, SW_HIDE);
    ShowWindow(cancelButton_, SW_HIDE);
    refresh();
}

void FrameWindow::say(const std::string& sentence) { EventLog::instance().status(sentence); }

void FrameWindow::error(const std::string& sentence) {
    EventLog::instance().status(sentence);
    EventLog::instance().event("error " + sentence);
    MessageBoxW(window_, wide(sentence).c_str(), L"WaveDeck", MB_OK | MB_ICONERROR);
}

}  // namespace desktop
