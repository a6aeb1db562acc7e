#include "frame_window.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>
#include <windowsx.h>

#include <algorithm>
#include <cstring>

#include "event_log.h"
#include "file_types.h"
#include "parameter_box.h"
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
    attach(main_, [this] {
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
    layout();
    say("Open a sound file (Ctrl+O) or drop one here.");
    refresh();
}

FrameWindow::~FrameWindow() {
    for (HWND t : timeTexts_) DestroyWindow(t);
    theFrame = nullptr;
}

LRESULT CALLBACK FrameWindow::frameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (theFrame && theFrame->window_ == window) return theFrame->onMessage(message, wParam, lParam);
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK FrameWindow::timeTextProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_SETTEXT || !theFrame) return DefWindowProcA(window, message, wParam, lParam);
    theFrame->timeText(static_cast<size_t>(GetWindowLongPtrA(window, GWLP_USERDATA)), reinterpret_cast<const char*>(lParam));
    return TRUE;
}

bool FrameWindow::preTranslate(MSG& message) {
    if (message.message == WM_LBUTTONDOWN && main_ && GetParent(message.hwnd) == main_) {
        char name[32] = {};
        GetClassNameA(message.hwnd, name, sizeof name);
        if (std::strcmp(name, "TrackTabClass") == 0) {
            POINT p{GET_X_LPARAM(message.lParam), GET_Y_LPARAM(message.lParam)};
            MapWindowPoints(message.hwnd, main_, &p, 1);
            tabs().pressed(p.x);
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
                EventLog::instance().event("cancel");
                cancelWork();
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
        if (!idle() && work() == Work::Converting) onConverting(message, wParam, lParam);
        else onLibraryMessage(message, wParam, lParam);
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

EditorCore::Binding FrameWindow::bind(const CommandSpec& spec) {
    Binding b = binding(spec);
    const auto always = [] { return true; };
    if (spec.id == "record") b = {[this] { record(); }, [this] { return idle() && !playing(); }};
    if (spec.id == "batch") b.run = [this] { batchConvert(); };
    if (spec.id == "devices") b.run = [this] { chooseDevices(); };
    if (spec.id == "settings") b.run = [this] { chooseQualities(); };
    if (spec.id == "about") {
        b = {[this] {
                 const std::string text = std::string("WaveDeck ") + WDXGetVersion() + "\nAn audio editor on the WaveDeck library.";
                 MessageBoxW(window_, wide(text).c_str(), L"About WaveDeck", MB_OK | MB_ICONINFORMATION);
             },
             always};
    }
    if (spec.id == "stop") {
        // Stop ends a recording too.
        b = {[this, stop = b.run] { recording_ ? record() : stop(); }, [this, can = b.available] { return recording_ || can(); }};
    }
    return b;
}

std::vector<std::string> FrameWindow::chooseFiles(const char* title) {
    std::vector<char> names(65536, 0);
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = window_;
    dialog.lpstrFilter = "Sound files\0*.wav;*.aif;*.aiff;*.aifc;*.mp3;*.mp2;*.mp1;*.ogg;*.wma;*.cda\0All files\0*.*\0";
    dialog.lpstrFile = names.data();
    dialog.nMaxFile = static_cast<DWORD>(names.size());
    dialog.lpstrTitle = title;
    dialog.Flags = OFN_EXPLORER | OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    EventLog::instance().event("choose open");
    if (!GetOpenFileNameA(&dialog)) return {};
    // One file: its path. Several: the folder, then each name, each ended by a zero.
    std::vector<std::string> parts;
    for (const char* p = names.data(); *p; p += std::strlen(p) + 1) parts.emplace_back(p);
    std::vector<std::string> paths;
    if (parts.size() == 1) paths = parts;
    for (size_t i = 1; i < parts.size(); ++i) paths.push_back(parts[0] + "\\" + parts[i]);
    return paths;
}

std::string FrameWindow::chooseSavePath(bool selection, const std::string& current, const std::string& name) {
    std::vector<char> chosen(MAX_PATH * 4, 0);
    const std::string suggested = current.empty() ? name : current;
    suggested.copy(chosen.data(), chosen.size() - 1);
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = window_;
    dialog.lpstrFilter = "WAV (*.wav)\0*.wav\0MP3 (*.mp3)\0*.mp3\0WMA (*.wma)\0*.wma\0Ogg Vorbis (*.ogg)\0*.ogg\0";
    dialog.nFilterIndex = static_cast<DWORD>(std::max(1, fileTypeOf(suggested)));
    dialog.lpstrFile = chosen.data();
    dialog.nMaxFile = static_cast<DWORD>(chosen.size());
    dialog.lpstrTitle = selection ? "Save Selection As" : "Save As";
    dialog.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
    EventLog::instance().event("choose save");
    if (!GetSaveFileNameA(&dialog)) return {};
    std::string path = chosen.data();
    // A name without a known extension takes the chosen type's.
    if (fileTypeOf(path) == 0) path += std::string(".") + kFileTypes[std::clamp<DWORD>(dialog.nFilterIndex, 1, 4) - 1].extension;
    return path;
}

std::string FrameWindow::absolutePath(const std::string& path) {
    char full[MAX_PATH] = {};
    return GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr) ? std::string(full) : path;
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
        newTrackComing("Recording " + std::to_string(nextTake()));
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
    const std::vector<std::string> files = chooseFiles("Files to Convert");
    if (files.empty()) return;
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

void FrameWindow::stopRecording() {
    if (!recording_) return;
    WDXCancelRecord();
    recording_ = false;
}

// ---------------------------------------------------------------- questions and status

std::optional<ParameterBlock> FrameWindow::askParameters(const std::string& title, const std::string& explanation,
                                                         const std::vector<Parameter>& parameters) {
    return ParameterBox::ask(window_, title, explanation, parameters);
}

EditorCore::Answer FrameWindow::askToSave(const std::string& trackName) {
    const std::string text = "Save the changes to " + trackName + " before closing it?\n\nChanges that are not saved are lost. Yes saves, No closes without saving.";
    const int answer = MessageBoxW(window_, wide(text).c_str(), L"WaveDeck", MB_YESNOCANCEL | MB_ICONQUESTION);
    return answer == IDYES ? Answer::Save : answer == IDNO ? Answer::Discard : Answer::Cancel;
}

EditorCore::Answer FrameWindow::askToSaveAll(const std::vector<std::string>& names) {
    const std::string question = names.size() == 1 ? "Save the changes to 1 track before quitting?"
                                                    : "Save the changes to " + std::to_string(names.size()) + " tracks before quitting?";
    const std::string text = question + "\n\n" + joined(names) + "Yes saves them, No quits without saving.";
    const int answer = MessageBoxW(window_, wide(text).c_str(), L"Quit WaveDeck", MB_YESNOCANCEL | MB_ICONQUESTION);
    return answer == IDYES ? Answer::Save : answer == IDNO ? Answer::Discard : Answer::Cancel;
}

void FrameWindow::showError(const std::string& sentence) {
    EventLog::instance().event("error " + sentence);
    MessageBoxW(window_, wide(sentence).c_str(), L"WaveDeck", MB_OK | MB_ICONERROR);
}

void FrameWindow::showContextMenu() {
    HMENU popup = commands_->buildPopup({"cut", "copy", "paste-insert", "paste", "paste-mix", "delete", "trim", "select-all"});
    POINT at{};
    GetCursorPos(&at);
    const UINT chosen = TrackPopupMenu(popup, TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, window_, nullptr);
    DestroyMenu(popup);
    if (chosen) commands_->command(chosen);
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

void FrameWindow::refreshCommands(const std::string& undoLabel, const std::string& redoLabel) {
    commands_->setLabel("undo", undoLabel);
    commands_->setLabel("redo", redoLabel);
    commands_->refresh();
    DrawMenuBar(window_);
}

void FrameWindow::showTitle(const std::string& title) { SetWindowTextW(window_, wide(title).c_str()); }

void FrameWindow::showStatus(const std::string& format, const std::string& selection, const std::string& view, const std::array<std::string, 6>&) {
    SendMessageW(status_, SB_SETTEXTW, 1, reinterpret_cast<LPARAM>(wide(format).c_str()));
    SendMessageW(status_, SB_SETTEXTW, 2, reinterpret_cast<LPARAM>(wide(selection).c_str()));
    SendMessageW(status_, SB_SETTEXTW, 3, reinterpret_cast<LPARAM>(wide(view).c_str()));
}

void FrameWindow::showWork(const std::string& text, bool cancellable) {
    SendMessageA(progressBar_, PBM_SETPOS, 0, 0);
    ShowWindow(progressBar_, SW_SHOW);
    ShowWindow(cancelButton_, cancellable ? SW_SHOW : SW_HIDE);
    say(text + "\u2026");
}

void FrameWindow::showProgress(double fraction) { SendMessageA(progressBar_, PBM_SETPOS, static_cast<WPARAM>(fraction * 1000), 0); }

void FrameWindow::hideWork() {
    ShowWindow(progressBar_, SW_HIDE);
    ShowWindow(cancelButton_, SW_HIDE);
}

}  // namespace desktop
