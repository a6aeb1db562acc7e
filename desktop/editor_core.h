// What the editors do, without a toolkit: opening, saving, effects, edits, playing and
// closing through the library's exports, the one long operation that runs, each track's
// file and unsaved changes (through TrackTabs), and the sentences, title and status texts
// that follow. The GTK and the Win32 editor derive from it and supply the dialogs, the
// progress bar and the status bar.
#pragma once

#include <array>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "command_list.h"
#include "parameters.h"
#include "track_tabs.h"
#include "wavedeck_win.h"

namespace desktop {

class EditorCore {
public:
    virtual ~EditorCore();
    EditorCore(const EditorCore&) = delete;
    EditorCore& operator=(const EditorCore&) = delete;

    /** Opens the files one after another, each as a new track. */
    void openFiles(const std::vector<std::string>& paths);

protected:
    enum class Work { None, Opening, Saving, Effect, Edit, Converting };
    /** What to do once the current track may go: close it, or close all and quit. */
    enum class Closing { None, Track, Quit };
    /** To a question about unsaved changes. */
    enum class Answer { Cancel, Discard, Save };
    using Binding = CommandBinding;

    EditorCore() = default;
    /** Follows the library's main window; stripRow as TrackTabs takes it. */
    void attach(HWND mainWindow, std::function<std::vector<uint32_t>()> stripRow);
    /** What a command of the list does and when it is available; an empty run for the
     * commands an editor binds itself (record, batch, devices, settings, about). */
    Binding binding(const CommandSpec& spec);
    /** A notification or progress message of the library; false for any other. */
    bool onLibraryMessage(UINT message, WPARAM wParam, LPARAM lParam);
    /** Time text index (in WDXRegSelViewHWND's order) arrived. */
    void timeText(size_t index, const char* text);

    // Commands.
    void chooseAndOpen();
    void save(bool selection, bool choosePath);
    void runEffect(int id, const std::string& label);
    void closeTrack(Closing why);
    void quit();
    /** Ends the running operation, as its Cancel button does. */
    void cancelWork();

    // State.
    bool idle() const { return work_ == Work::None; }
    Work work() const { return work_; }
    bool cancellable() const { return static_cast<bool>(cancel_); }
    bool hasTrack() const;
    bool playing() const;
    TrackTabs& tabs() { return *tabs_; }
    /** A take or a copy is about to get its tab. */
    void newTrackComing(const std::string& name) { comingName_ = name; }
    int nextTake() { return ++takes_; }
    void refresh();
    void beginWork(Work work, const std::string& text, std::function<void()> cancel);
    void progress(double done, double total);
    void endWork();
    void say(const std::string& sentence);
    void error(const std::string& sentence);

    // What the toolkit does.
    /** Where the library posts progress and end messages. */
    virtual HWND progressWindow() const = 0;
    virtual std::vector<std::string> chooseFilesToOpen() = 0;
    /** The path to save to with a known extension, or empty when the user cancelled;
     * current: the track's file (empty: none), else name: the name to suggest. */
    virtual std::string chooseSavePath(bool selection, const std::string& current, const std::string& name) = 0;
    virtual std::optional<ParameterBlock> askParameters(const std::string& title, const std::string& explanation,
                                                        const std::vector<Parameter>& parameters) = 0;
    virtual Answer askToSave(const std::string& trackName) = 0;
    /** Quitting: names holds one line per unsaved track. */
    virtual Answer askToSaveAll(const std::vector<std::string>& names) = 0;
    virtual void showError(const std::string& sentence) = 0;
    virtual void showWork(const std::string& text, bool cancellable) = 0;
    virtual void showProgress(double fraction) = 0;
    virtual void hideWork() = 0;
    virtual void showTitle(const std::string& title) = 0;
    /** format: the track's rate, channels, type and length; selection and view: the
     * times in words; times: the library's six texts. */
    virtual void showStatus(const std::string& format, const std::string& selection, const std::string& view,
                            const std::array<std::string, 6>& times) = 0;
    /** Enables the commands; the labels Undo and Redo show now. */
    virtual void refreshCommands(const std::string& undoLabel, const std::string& redoLabel) = 0;
    virtual void showContextMenu() = 0;
    /** The full path of a file named on a command line or dropped. */
    virtual std::string absolutePath(const std::string& path) = 0;
    /** Closes the frame once every track is closed. */
    virtual void exit() = 0;
    /** Ends recording, before quitting. */
    virtual void stopRecording() {}
    /** A file was opened or saved. */
    virtual void fileUsed(const std::string&) {}
    /** Runs what would open a modal dialog after the library's message that led to it. */
    virtual void later(std::function<void()> run) { run(); }

private:
    void openNext();
    void finishOpening();
    void startSave(const std::string& path, bool selection);
    /** name: what Undo calls it (null: nothing to undo); done: the sentence at its end. */
    void runEdit(int(WINAPI* edit)(HWND), const char* name, const char* doing, const char* done);
    void inPlace(int(WINAPI* edit)(), const char* name, const char* done);
    void did(const std::string& name);
    void undoOrRedo(bool undo);
    void insertGenerated(bool noise);
    void play(int mode);
    void togglePlay();
    void continueClosing();
    bool unsaved();
    void showTimes();

    std::unique_ptr<TrackTabs> tabs_;
    std::array<std::string, 6> times_;
    std::string timesText_;  // the selection as the status bar words it
    std::string format_;
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
    std::string cancelledOpen_;  // an open cancelled so late that its track may still come
    std::string comingName_;     // the name of the take or copy whose tab comes next
    int takes_ = 0;
    int lastEffect_ = 0;
    bool paused_ = false;
    bool wasPlaying_ = false;
    Closing closing_ = Closing::None;
    bool saveAll_ = false;  // quitting: every unsaved track is saved first
};

}  // namespace desktop
