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
#include "editor_core.h"
#include "host_window.h"
#include "library_pane.h"
#include "progress_panel.h"
#include "record_panel.h"
#include "selection_fields.h"

namespace desktop {

class EditorWindow : public EditorCore {
public:
    EditorWindow();
    ~EditorWindow() override;
    EditorWindow(const EditorWindow&) = delete;
    EditorWindow& operator=(const EditorWindow&) = delete;

    GtkWidget* window() const { return window_; }
    /** Asks whether to bring back the tracks of a run that ended without closing them.
     * Call before the main loop: the question runs a loop of its own. */
    void offerRecovery();

private:
    void buildCommands();
    GtkWidget* buildLayout();
    void addRecentMenu();
    std::optional<LRESULT> onMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void about();

    HWND progressWindow() const override { return progress_->handle(); }
    std::vector<std::string> chooseFilesToOpen() override;
    std::string chooseSavePath(bool selection, const std::string& current, const std::string& name) override;
    std::optional<ParameterBlock> askParameters(const std::string& title, const std::string& explanation,
                                                const std::vector<Parameter>& parameters) override;
    Answer askToSave(const std::string& trackName) override;
    Answer askToSaveAll(const std::vector<std::string>& names) override;
    void showError(const std::string& sentence) override;
    void showWork(const std::string& text, bool cancellable) override;
    void showProgress(double fraction) override { progressPanel_.update(fraction, 1); }
    void hideWork() override { progressPanel_.end(); }
    void showTitle(const std::string& title) override;
    void showStatus(const std::string& format, const std::string& selection, const std::string& view,
                    const std::array<std::string, 6>& times) override;
    void refreshCommands(const std::string& undoLabel, const std::string& redoLabel) override;
    void showContextMenu() override;
    std::string absolutePath(const std::string& path) override;
    void exit() override { gtk_main_quit(); }
    void stopRecording() override { record_->close(); }
    /** In the desktop's recent files, its folder the dialogs' next, in this run and the next. */
    void fileUsed(const std::string& path) override;
    void later(std::function<void()> run) override;

    GtkWidget* window_ = nullptr;
    GtkWidget* formatLabel_ = nullptr;
    CommandTable commands_;
    ProgressPanel progressPanel_;
    std::unique_ptr<RecordPanel> record_;
    std::unique_ptr<SelectionFields> selection_;
    std::unique_ptr<LibraryPane> main_;
    std::unique_ptr<LibraryPane> time_;
    std::unique_ptr<LibraryPane> volume_;
    std::unique_ptr<HostWindow> notify_;
    std::unique_ptr<HostWindow> progress_;
    std::array<std::unique_ptr<HostWindow>, 6> timeTexts_;
    std::string lastFolder_;
};

}  // namespace desktop
