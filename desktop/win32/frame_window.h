// wavedeck-win's frame: a plain Win32 window with the menus, tool bar and keys built from
// the shared command list, the library's main window (tabs, track view, amplitude scale),
// its time window and level meter and, while recording, its record window; below them the
// status bar with the sentence, the track's format, the selection and view times and the
// progress of the running operation with Cancel. It registers with the library and turns
// its notifications into enabled commands, progress and sentences.
#pragma once

#include <windows.h>

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "command_bar.h"
#include "editor_core.h"

namespace desktop {

class FrameWindow : public EditorCore {
public:
    FrameWindow();
    ~FrameWindow() override;
    FrameWindow(const FrameWindow&) = delete;
    FrameWindow& operator=(const FrameWindow&) = delete;

    HWND handle() const { return window_; }
    /** Sees every message before it is dispatched: the keys, and presses on the tab strip.
     * True when it was handled. */
    bool preTranslate(MSG& message);

private:
    static LRESULT CALLBACK frameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK timeTextProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT onMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void onConverting(UINT message, WPARAM wParam, LPARAM lParam);
    Binding bind(const CommandSpec& spec);
    void layout();
    void record();
    void batchConvert();
    void chooseDevices();
    void chooseQualities();
    /** The files an open dialog chose (title: its caption); none when cancelled. */
    std::vector<std::string> chooseFiles(const char* title);

    HWND progressWindow() const override { return window_; }
    std::vector<std::string> chooseFilesToOpen() override { return chooseFiles("Open"); }
    std::string chooseSavePath(bool selection, const std::string& current, const std::string& name) override;
    std::optional<ParameterBlock> askParameters(const std::string& title, const std::string& explanation,
                                                const std::vector<Parameter>& parameters) override;
    Answer askToSave(const std::string& trackName) override;
    Answer askToSaveAll(const std::vector<std::string>& names) override;
    void showError(const std::string& sentence) override;
    void showWork(const std::string& text, bool cancellable) override;
    void showProgress(double fraction) override;
    void hideWork() override;
    void showTitle(const std::string& title) override;
    void showStatus(const std::string& format, const std::string& selection, const std::string& view,
                    const std::array<std::string, 6>& times) override;
    void refreshCommands(const std::string& undoLabel, const std::string& redoLabel) override;
    void showContextMenu() override;
    std::string absolutePath(const std::string& path) override;
    void exit() override { DestroyWindow(window_); }
    void stopRecording() override;

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
    std::array<HWND, 6> timeTexts_{};
    bool recording_ = false;
    int converted_ = 0;
    int convertFailed_ = 0;
    int toConvert_ = 0;
};

}  // namespace desktop
