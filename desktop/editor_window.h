// The desktop editor's frame: menus and tool bar from the command table, the library's
// main window (tabs, track view, amplitude scale), the large time, the level meter and,
// while recording, the record panel; the status bar with the selection times and the
// progress of the running operation. It is the host that registers with the library and
// turns its notifications into enabled commands, progress and sentences.
#pragma once

#include <gtk/gtk.h>

#include <array>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "command_table.h"
#include "host_window.h"
#include "library_pane.h"
#include "progress_panel.h"
#include "record_panel.h"
#include "selection_fields.h"
#include "track_tabs.h"

namespace desktop {

class EditorWindow {
public:
    EditorWindow();
    ~EditorWindow();
    EditorWindow(const EditorWindow&) = delete;
    EditorWindow& operator=(const EditorWindow&) = delete;

    GtkWidget* window() const { return window_; }
    /** Opens the files one after another, each as a new track. */
    void openFiles(const std::vector<std::string>& paths);
    /** Asks whether to bring back the tracks of a run that ended without closing them.
     * Call before the main loop: the question runs a loop of its own. */
    void offerRecovery();

private:
    enum class Work { None, Opening, Saving, Effect, Edit };
    /** What to do once the current track may go: close it, or close all and quit. */
    enum class Closing { None, Track, Quit };

    void buildCommands();
    GtkWidget* buildLayout();
    void addRecentMenu();
    /** A file opened or saved: in the desktop's recent files, its folder the dialogs' next,
     * in this run and the next. */
    void remember(const std::string& path);
    std::optional<LRESULT> onNotification(UINT message, WPARAM wParam, LPARAM lParam);
    std::optional<LRESULT> onProgress(UINT message, WPARAM wParam, LPARAM lParam);

    // Commands.
    void chooseAndOpen();
    void openNext();
    void save(bool selection, bool choosePath);
    void startSave(const std::string& path, bool selection);
    void runEffect(int id, const std::string& name);
    /** name: what Undo calls it (null: nothing to undo); done: the sentence at its end. */
    void runEdit(int (*edit)(HWND), const char* name, const char* doing, const char* done);
    void did(const std::string& name);  // the current track changed by a step Undo takes back
    void undoOrRedo(bool undo);
    void insertGenerated(bool noise);
    void play(int mode);
    void togglePlay();
    void closeTrack(Closing why);
    void continueClosing();
    void finishOpening();
    void quit();
    void showContextMenu();
    void about();

    // State.
    bool idle() const { return work_ == Work::None; }
    bool hasTrack() const;
    bool playing() const;
    /** The current track may hold changes that were not saved. */
    bool unsaved();
    void newTrackComing(const std::string& name);  // a take or a copy is about to get its tab
    std::string currentPath();
    void refresh();
    void showTimes();
    void beginWork(Work work, const std::string& text, std::function<void()> cancel);
    void endWork();
    void error(const std::string& sentence);
    void say(const std::string& sentence);
    std::string nameOf(const std::string& path) const;

    GtkWidget* window_ = nullptr;
    GtkWidget* formatLabel_ = nullptr;
    CommandTable commands_;
    ProgressPanel progressPanel_;
    std::unique_ptr<RecordPanel> record_;
    std::unique_ptr<SelectionFields> selection_;
    std::string timesText_;  // the selection as the status bar words it
    std::unique_ptr<LibraryPane> main_;
    std::unique_ptr<LibraryPane> time_;
    std::unique_ptr<LibraryPane> volume_;
    std::unique_ptr<TrackTabs> tabs_;
    std::unique_ptr<HostWindow> notify_;
    std::unique_ptr<HostWindow> progress_;
    std::array<std::unique_ptr<HostWindow>, 6> timeTexts_;
    std::array<std::string, 6> times_;

    Work work_ = Work::None;
    std::deque<std::string> toOpen_;
    std::string workPath_;         // the file being opened or saved
    bool workIsSelection_ = false;
    int workTrack_ = 0;            // the serial of the track being saved or changed
    std::string workName_;         // the running effect
    std::string workDone_;         // what the running edit says at its end
    // Opening ends when the reader said it finished and the library took its track over:
    // the two messages come in either order.
    bool importRead_ = false;
    bool takenOver_ = false;
    std::string cancelledOpen_;    // an open cancelled so late that its track may still come
    std::string comingName_;       // the name of the take or copy whose tab comes next
    int takes_ = 0;
    int lastEffect_ = 0;
    bool paused_ = false;
    bool wasPlaying_ = false;
    Closing closing_ = Closing::None;
    bool saveAll_ = false;
    std::string lastFolder_;         // quitting: every unsaved track is saved first
};

}  // namespace desktop
