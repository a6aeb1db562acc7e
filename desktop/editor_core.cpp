#include "editor_core.h"

#include <algorithm>
#include <cctype>
#include <map>

#include "effect_catalog.h"
#include "event_log.h"
#include "failure_text.h"
#include "file_types.h"
#include "time_format.h"
#include "wavedeck.h"
#include "wavedeck_messages.h"

namespace desktop {

EditorCore::~EditorCore() = default;

void EditorCore::attach(HWND mainWindow, std::function<std::vector<uint32_t>()> stripRow) {
    tabs_ = std::make_unique<TrackTabs>(mainWindow, std::move(stripRow));
    tabs_->onTakenOver([this](TrackRecord& record) {
        if (work_ == Work::Opening) {
            record.path = workPath_;
            record.name = fileNameOf(workPath_);
            // The track is on screen from the next redraw of the track view.
            EventLog::instance().event("taken over " + workPath_);
            takenOver_ = true;
            finishOpening();
        } else if (!cancelledOpen_.empty() && comingName_.empty()) {
            // The reader had finished when Cancel came: the file is open after all.
            record.path = cancelledOpen_;
            record.name = fileNameOf(cancelledOpen_);
            say("Opened " + record.name + ": it was read before Cancel came.");
            cancelledOpen_.clear();
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
}

EditorCore::Binding EditorCore::binding(const CommandSpec& spec) {
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
        {"play", {[this] { togglePlay(); }, [this] { return idle() && hasTrack(); }}},
        {"play-loop", {[this] { play(2); }, [this] { return idle() && hasTrack() && (playing() || WDXCanCutOrCopy()); }}},
        {"pause", {[this] {
                       WDXPauseTrack();
                       paused_ = true;
                       say("Paused: Play goes on from here.");
                   },
                   [this] { return playing(); }}},
        {"cancel-work", {[this] { cancelWork(); }, [this] { return cancellable(); }}},
        {"stop", {[this] {
                      WDXStopTrack();
                      paused_ = false;
                      refresh();
                  },
                  [this] { return playing() || paused_; }}},
        {"zoom-in", {[] { WDXZoomIn(); }}},
        {"zoom-out", {[] { WDXZoomOut(); }}},
        {"zoom-fit", {[] { WDXZoomFit(); }}},
    };
    const auto it = actions.find(spec.id);
    Binding b = it == actions.end() ? Binding{} : it->second;
    if (!b.available) b.available = can;
    return b;
}

void EditorCore::timeText(size_t index, const char* text) {
    times_[index] = text ? text : "";
    showTimes();
    if (index == 2) EventLog::instance().event("selection " + times_[0] + " " + times_[1] + " " + times_[2]);
}

bool EditorCore::onLibraryMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    const double total = static_cast<double>(wParam), done = static_cast<double>(lParam);
    switch (message) {
        case NotifySelectionChanged:
        case NotifyTrackChanged: refresh(); return true;
        case NotifyTrackContextMenu: showContextMenu(); return true;
        case NotifyWaveOutDeviceChanged: say("Playing through another device now."); return true;
        case NotifyWaveInDeviceChanged: say("Recording from another device now."); return true;
        case NotifyImportProgress:
        case NotifySaveProgress: progress(done, total); return true;
        case NotifyEffectProgress:
        case NotifyEditProgress: progress(done, 100); return true;
        case NotifyImportDone:
            if (work_ != Work::Opening) return true;
            importRead_ = true;
            finishOpening();
            return true;
        case NotifyImportFailed:
            if (work_ != Work::Opening) return true;
            endWork();
            error("Could not open " + fileNameOf(workPath_) + ": " + failureReason(WDXGetLastFailure(0), false));
            openNext();
            return true;
        case NotifyEffectDone:
            if (work_ != Work::Effect) return true;
            endWork();
            if (wParam == 0) {
                // Stopped or refused: the track and its history are as they were.
                EventLog::instance().event("effect stopped");
                say(workName_ + " was stopped: the track is as it was.");
                return true;
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
            return true;
        case NotifyEditDone:
            if (work_ != Work::Edit) return true;
            EventLog::instance().event("edit done");
            say(workDone_);
            endWork();
            return true;
        case NotifySaveDone:
            if (work_ != Work::Saving) return true;
            if (TrackRecord* saved = tabs_->find(workTrack_); saved && !workIsSelection_) {
                saved->path = workPath_;
                saved->name = fileNameOf(workPath_);
                saved->modified = false;
            }
            EventLog::instance().event("saved " + workPath_);
            fileUsed(workPath_);
            say("Saved " + fileNameOf(workPath_) + ".");
            endWork();
            // The next question is a modal dialog: not from inside this message.
            if (closing_ != Closing::None) later([this] { continueClosing(); });
            return true;
        case NotifySaveFailed:
            if (work_ != Work::Saving) return true;
            endWork();
            closing_ = Closing::None;
            error("Could not save " + workPath_ + ": " + failureReason(WDXGetLastFailure(1), true));
            return true;
        default: return false;
    }
}

// ---------------------------------------------------------------- files

void EditorCore::openFiles(const std::vector<std::string>& paths) {
    for (const std::string& p : paths) toOpen_.push_back(absolutePath(p));
    if (idle()) openNext();
}

void EditorCore::openNext() {
    if (!idle() || toOpen_.empty()) return;
    workPath_ = toOpen_.front();
    toOpen_.pop_front();
    importRead_ = false;
    takenOver_ = false;
    cancelledOpen_.clear();
    beginWork(Work::Opening, "Opening " + fileNameOf(workPath_), [this] {
        if (importRead_) return;  // read to the end: it opens, whatever Cancel would say
        WDXCancelOpenFile();
        cancelledOpen_ = workPath_;
        endWork();
        say("Opening " + fileNameOf(workPath_) + " was cancelled.");
        toOpen_.clear();
    });
    EventLog::instance().event("open " + workPath_);
    if (WDXOpenTrackFile(progressWindow(), workPath_.c_str()) != 0) {
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

void EditorCore::finishOpening() {
    if (work_ != Work::Opening || !importRead_ || !takenOver_) return;
    EventLog::instance().event("opened " + workPath_);
    say("Opened " + fileNameOf(workPath_) + ".");
    fileUsed(workPath_);
    endWork();
    openNext();
}

void EditorCore::chooseAndOpen() { openFiles(chooseFilesToOpen()); }

void EditorCore::save(bool selection, bool choosePath) {
    const TrackRecord* track = tabs_->current();
    const std::string current = track ? track->path : std::string();
    if (!selection && !choosePath && !current.empty() && fileTypeOf(current) != 0) {
        startSave(current, false);
        return;
    }
    const std::string name = selection ? "selection.wav" : (track && !track->name.empty() ? track->name : "untitled") + ".wav";
    const std::string path = chooseSavePath(selection, selection ? std::string() : current, name);
    if (path.empty()) {
        closing_ = Closing::None;
        return;
    }
    startSave(path, selection);
}

void EditorCore::startSave(const std::string& path, bool selection) {
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
    const int started = selection ? WDXSaveSelectFile(progressWindow(), path.c_str(), type) : WDXSaveTrackFile(progressWindow(), path.c_str(), type);
    if (started != 0) {
        endWork();
        closing_ = Closing::None;
        const int failure = WDXGetLastFailure(1);
        error("Could not save " + fileNameOf(path) +
              (type == 0 ? ": name it .wav, .mp3, .wma or .ogg." : failure != WD_FAILURE_NONE ? ": " + failureReason(failure, true) : "."));
    }
}

// ---------------------------------------------------------------- editing

void EditorCore::runEffect(int id, const std::string& label) {
    const std::string name = CommandList::plainLabel(label);
    const std::vector<Parameter> parameters = EffectCatalog::parameters(id, WDXGetTrackInfo(1), WDXGetTrackInfo(0));
    const Effect* effect = EffectCatalog::find(id);
    ParameterBlock block = Parameters::defaults(parameters);
    if (!parameters.empty()) {
        EventLog::instance().event("asked " + name);
        auto asked = askParameters(name, effect ? effect->explanation : std::string(), parameters);
        if (!asked) return;
        block = *asked;
    }
    beginWork(Work::Effect, name, [] { WDXCancelEffect(); });
    lastEffect_ = id;
    workName_ = name;
    workTrack_ = tabs_->current() ? tabs_->current()->serial : 0;
    if (id == 23) newTrackComing("Copy of " + (tabs_->current() ? tabs_->current()->name : std::string("the track")));
    EventLog::instance().event("effect " + std::to_string(id));
    if (WDXDoEffect(progressWindow(), id, reinterpret_cast<LPARAM>(block.data())) != 0) {
        endWork();
        error(name + " could not start: the track is busy with another operation.");
    }
}

void EditorCore::runEdit(int(WINAPI* edit)(HWND), const char* name, const char* doing, const char* done) {
    beginWork(Work::Edit, doing, {});
    if (edit(progressWindow()) != 0) {
        endWork();
        error(std::string(doing) + " could not start.");
        return;
    }
    workDone_ = done;
    if (name) did(name);
}

void EditorCore::inPlace(int(WINAPI* edit)(), const char* name, const char* done) {
    if (edit() != 0) return;
    did(name);
    say(done);
}

void EditorCore::did(const std::string& name) {
    TrackRecord* track = tabs_->current();
    if (!track) return;
    track->modified = true;
    track->undo.push_back(name);
    track->redo.clear();
}

void EditorCore::undoOrRedo(bool undo) {
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

void EditorCore::insertGenerated(bool noise) {
    auto block = askParameters(noise ? "Insert Noise" : "Insert Silence", "Inserted at the cursor, or at the start of the selection.",
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

// ---------------------------------------------------------------- playing

void EditorCore::play(int mode) {
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

void EditorCore::togglePlay() {
    if (playing() && !paused_) {
        WDXStopTrack();
        refresh();
        return;
    }
    // The selection, or from the cursor to the end when nothing is selected.
    play(WDXCanCutOrCopy() ? 0 : 1);
}

// ---------------------------------------------------------------- closing

void EditorCore::closeTrack(Closing why) {
    closing_ = why;
    saveAll_ = false;
    if (why == Closing::Quit) {
        std::vector<std::string> names;
        for (const TrackRecord& r : tabs_->all()) {
            if (r.modified) names.push_back(r.path.empty() ? r.name + " (never saved)" : r.path);
        }
        if (!names.empty()) {
            EventLog::instance().event("asked to save " + std::to_string(names.size()) + " tracks");
            const Answer answer = askToSaveAll(names);
            if (answer == Answer::Cancel) {
                closing_ = Closing::None;
                refresh();
                return;
            }
            saveAll_ = answer == Answer::Save;
        }
    }
    continueClosing();
}

void EditorCore::continueClosing() {
    while (closing_ != Closing::None && hasTrack()) {
        if (unsaved()) {
            if (closing_ == Closing::Quit) {
                if (saveAll_) {
                    save(false, false);  // quitting goes on when the save is done
                    return;
                }
            } else {
                EventLog::instance().event("asked to save " + tabs_->current()->name);
                const Answer answer = askToSave(tabs_->current()->name);
                if (answer == Answer::Save) {
                    save(false, false);  // closing goes on when the save is done
                    return;
                }
                if (answer != Answer::Discard) {
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
        exit();
    }
    closing_ = Closing::None;
    refresh();
}

void EditorCore::quit() {
    if (work_ == Work::Effect || work_ == Work::Edit) {
        say("Wait until the running operation has finished, then quit.");
        return;
    }
    if (work_ == Work::Opening) WDXCancelOpenFile();
    if (work_ == Work::Saving) WDXCancelSaveFile();
    if (work_ == Work::Converting) WDXCancelConvert();
    toOpen_.clear();
    endWork();
    if (playing()) WDXStopTrack();
    stopRecording();
    closeTrack(Closing::Quit);
}

void EditorCore::cancelWork() {
    const auto cancel = cancel_;  // it ends the work, which forgets cancel_
    if (cancel) cancel();
}

// ---------------------------------------------------------------- state

bool EditorCore::hasTrack() const { return WDXGetTrackInfo(0) > 0; }

// With a track, saving is refused only while the player runs.
bool EditorCore::playing() const { return hasTrack() && WDXCanOperate(1, 2) == 0; }

bool EditorCore::unsaved() { return hasTrack() && tabs_->current() && tabs_->current()->modified; }

void EditorCore::refresh() {
    const bool nowPlaying = playing();
    if (wasPlaying_ && !nowPlaying) EventLog::instance().event("play stopped");
    wasPlaying_ = nowPlaying;
    const TrackRecord* track = tabs_->current();
    refreshCommands(track && !track->undo.empty() && !track->undo.back().empty() ? "_Undo " + track->undo.back() : "_Undo",
                    track && !track->redo.empty() && !track->redo.back().empty() ? "_Redo " + track->redo.back() : "_Redo");
    std::string title = "WaveDeck";
    if (hasTrack() && track) title = (unsaved() ? "*" : "") + track->name + " \u2013 WaveDeck";
    if (title != title_) {
        title_ = title;
        showTitle(title);
        EventLog::instance().event("title " + title);
    }
    if (!hasTrack()) times_ = {};
    showTimes();
}

void EditorCore::showTimes() {
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
    if (format != format_) {
        format_ = format;
        EventLog::instance().event("format " + format);
    }
    const std::string text = times_[2].empty() ? "" : "Selection " + clock(times_[0]) + " \u2013 " + clock(times_[1]) + " (" + clock(times_[2]) + ")";
    const std::string view = times_[5].empty() ? "" : "View " + clock(times_[3]) + " \u2013 " + clock(times_[4]);
    showStatus(format, text, view, times_);
    if (text == timesText_) return;
    timesText_ = text;
    EventLog::instance().event("times " + text);
}

void EditorCore::beginWork(Work work, const std::string& text, std::function<void()> cancel) {
    work_ = work;
    cancel_ = std::move(cancel);
    showWork(text, static_cast<bool>(cancel_));
    refresh();
}

void EditorCore::progress(double done, double total) {
    if (total > 0) showProgress(std::clamp(done / total, 0.0, 1.0));
}

void EditorCore::endWork() {
    work_ = Work::None;
    cancel_ = nullptr;
    hideWork();
    refresh();
}

void EditorCore::say(const std::string& sentence) { EventLog::instance().status(sentence); }

void EditorCore::error(const std::string& sentence) {
    EventLog::instance().status(sentence);
    // Often reached from a library message: the dialog waits until that has returned.
    later([this, sentence] { showError(sentence); });
}

}  // namespace desktop
