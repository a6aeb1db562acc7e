// wavedeck-win's frame: a plain Win32 window with the menus, tool bar and keys built from
// the shared command list, the library's main window (tabs, track view, amplitude scale),
// its time window and level meter and, while recording, its record window; below them the
// status bar with the sentence, the track's format, the selection and view times and the
// progress of the running operation with Cancel. It registers with the library and turns
// its notifications into enabled commands, progress and sentences.
#pragma once

#include <windows.h>

#include <array>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "command_bar.h"
#include "track_tabs.h"

namespace desktop {

class FrameWindow {
public:
    FrameWindow();
    ~FrameWindow();
    FrameWindow(const FrameWindow&) = delete;
    FrameWindow& operator=(const FrameWindow&) = delete;

    HWND handle() const { return window_; }
    /** Opens the files one after another, each as a new track. */
    void openFiles(const std::vector<std::string>& paths);
    /** Sees every message before it is dispatched: the keys, and presses on the tab strip.
     * True when it was handled. */
    bool preTranslate(MSG& message);

private:
    enum class Work { None, Opening, Saving, Effect, Edit, Converting };
    /** What to do once the current track may go: close it, or close all and quit. */
    enum class Closing { None, Track, Quit };

    static LRESULT CALLBACK frameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK timeTextProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT onMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void onLibrary(UINT message, WPARAM wParam, LPARAM lParam);
    void onConverting(UINT message, WPARAM wParam, LPARAM lParam);
    CommandBar::Binding bind(const CommandSpec& spec);
    void layout();

    // Commands.
    void chooseAndOpen();
    void openNext();
    void finishOpening();
    void save(bool selection, bool choosePath);
    void startSave(const std::string& path, bool selection);
    void runEffect(int id, const std::string& label);
    /** name: what Undo calls it (null: nothing to undo); done: the sentence at its end. */
    void runEdit(int(WINAPI* edit)(HWND), const char* name, const char* doing, const char* done);
    void inPlace(int(WINAPI* edit)(), const char* name, const char* done);
    void did(const std::string& name);
    void undoOrRedo(bool undo);
    void insertGenerated(bool noise);
    void play(int mode);
    void togglePlay();
    void stop();
    void record();
    void batchConvert();
    void chooseDevices();
    void chooseQualities();
    void closeTrack(Closing why);
    void continueClosing();
    void quit();
    void showContextMenu();

    // State.
    bool idle() const { return work_ == Work::None; }
    bool hasTrack() const;
    bool playing() const;
    bool unsaved();
    void refresh();
    void showTimes();
    void beginWork(Work work, const std::string& text, std::function<void()> cancel);
    void progress(double done, double total);
    void endWork();
    void say(const std::string& sentence);
    void error(const std::string& sentence);
    /** Yes, No or Cancel to a question about unsaved changes (IDYES saves). */
    int ask(const std::string& question, const std::string& detail);

    HWND window_ = nullptr;
    HWND toolBar_ = nullptr;
    HWND status_ = nullptr;
    HWND progressBar_ = nullptr;
    HWND cancelButton_ = nullptr;
    HWND main_ = nullptr;
    HWND time_ = nullptr;
    HWND meter_ = nullptr;
    HWND recordWindow_ = nullptr;
    std::unique_ptr<CommandBar> commands_;
    std::unique_ptr<TrackTabs> tabs_;
    std::array<HWND, 6> timeTexts_{};
    std::array<std::string, 6> times_;
    std::string title_;

    Work work_ = Work::None;
    std::function<void()> cancel_;
    std::deque<std::string> toOpen_;
    std::string workPath_;      // the file being opened or saved
    bool workIsSelection_ = false;
    int workTrack_ = 0;         // the serial of the track being saved or changed
    std::string workName_;      // the running effect
    std::string workDone_;      // what the running edit says at its end
    // Opening ends when the reader said it finished and the library took its track over:
    // the two messages come in either order.
    bool importRead_ = false;
    bool takenOver_ = false;
    std::string comingName_;    // the name of the take or copy whose tab comes next
    int takes_ = 0;
    int lastEffect_ = 0;
    bool paused_ = false;
    bool wasPlaying_ = false;
    bool recording_ = false;
    int converted_ = 0;
    int convertFailed_ = 0;
    int toConvert_ = 0;
    Closing closing_ = Closing::None;
    bool saveAll_ = false;
};

}  // namespace desktop
