#include "editor_window.h"

#include <algorithm>
#include <cstring>
#include <map>

#include "batch_dialog.h"
#include "command_list.h"
#include "devices_dialog.h"
#include "editor_settings.h"
#include "effect_catalog.h"
#include "event_log.h"
#include "failure_text.h"
#include "file_types.h"
#include "message_pump.h"
#include "parameter_dialog.h"
#include "quit_question.h"
#include "recovery_question.h"
#include "settings_dialog.h"
#include "time_format.h"
#include "wavedeck.h"
#include "wavedeck_messages.h"

namespace desktop {

namespace {

// The library's main window keeps its 565 x 330 canvas one to one at this size: the tab
// strip (30) above, the amplitude scale (40) beside, the scroll bar (17) below.
constexpr int kMainWidth = 565 + 40;
constexpr int kMainHeight = 30 + 330 + WD_SCROLLBAR_SIZE;
constexpr int kTabStripHeight = 30;
constexpr int kTimeWidth = 220;
constexpr int kBottomHeight = 44;

Key gdkKey(const KeySpec& spec) {
    guint keyval = static_cast<guint>(spec.code);  // the characters' key values are their codes
    switch (spec.code) {
        case kKeyDelete: keyval = GDK_KEY_Delete; break;
        case kKeyHome: keyval = GDK_KEY_Home; break;
        case kKeyEnd: keyval = GDK_KEY_End; break;
        case kKeyLeft: keyval = GDK_KEY_Left; break;
        case kKeyRight: keyval = GDK_KEY_Right; break;
        case kKeyEscape: keyval = GDK_KEY_Escape; break;
        case kKeyPadPlus: keyval = GDK_KEY_KP_Add; break;
        case kKeyPadMinus: keyval = GDK_KEY_KP_Subtract; break;
        default: break;
    }
    int modifiers = 0;
    if (spec.modifiers & kCtrl) modifiers |= GDK_CONTROL_MASK;
    if (spec.modifiers & kShift) modifiers |= GDK_SHIFT_MASK;
    return Key{keyval, static_cast<GdkModifierType>(modifiers)};
}

}  // namespace

EditorWindow::EditorWindow() {
    window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(window_), "WaveDeck");
    gtk_window_set_default_size(GTK_WINDOW(window_), 960, 620);
    lastFolder_ = EditorSettings::lastFolder();

    notify_ = std::make_unique<HostWindow>([this](UINT m, WPARAM w, LPARAM l) { return onNotification(m, w, l); });
    progress_ = std::make_unique<HostWindow>([this](UINT m, WPARAM w, LPARAM l) { return onProgress(m, w, l); });
    for (size_t i = 0; i < timeTexts_.size(); ++i) {
        timeTexts_[i] = std::make_unique<HostWindow>([this, i](UINT m, WPARAM, LPARAM l) -> std::optional<LRESULT> {
            if (m != WM_SETTEXT) return std::nullopt;
            times_[i] = l ? reinterpret_cast<const char*>(l) : "";
            showTimes();
            if (i == 2) EventLog::instance().event("selection " + times_[0] + " " + times_[1] + " " + times_[2]);
            return TRUE;
        });
    }
    WDXRegisterMainWnd(notify_->handle());
    WDXRegNotifyRecHWND(notify_->handle());
    WDXRegSelViewHWND(timeTexts_[0]->handle(), timeTexts_[1]->handle(), timeTexts_[2]->handle(), timeTexts_[3]->handle(),
                      timeTexts_[4]->handle(), timeTexts_[5]->handle());

    main_ = std::make_unique<LibraryPane>("main", kMainWidth, kMainHeight,
                                          [](HWND parent, int w, int h) { return WDXCreateTrackMainWnd(parent, 0, 0, w, h); });
    time_ = std::make_unique<LibraryPane>("time", kTimeWidth, kBottomHeight,
                                          [](HWND parent, int w, int h) { return WDXCreateTimeWnd(parent, 0, 0, w, h); });
    volume_ = std::make_unique<LibraryPane>("meter", -1, kBottomHeight,
                                            [](HWND parent, int w, int h) { return WDXCreateVolumeWnd(parent, 0, 0, w, h); });
    main_->onZoom([this](int direction) { commands_.run(direction > 0 ? "zoom-in" : "zoom-out"); });
    tabs_ = std::make_unique<TrackTabs>(main_->child(), [this] { return main_->row(TrackTabs::kEdgeRow); });
    main_->onPress([this](int x, int y) {
        if (y < kTabStripHeight) tabs_->pressed(x);
    });
    // A tab's tooltip gives the whole path of its file.
    gtk_widget_set_has_tooltip(main_->widget(), TRUE);
    g_signal_connect(main_->widget(), "query-tooltip", G_CALLBACK(+[](GtkWidget*, int x, int y, gboolean, GtkTooltip* tip, gpointer self) -> gboolean {
        auto& editor = *static_cast<EditorWindow*>(self);
        const int index = y < kTabStripHeight ? editor.tabs_->tabAt(x) : -1;
        if (index < 0 || static_cast<size_t>(index) >= editor.tabs_->all().size()) return FALSE;
        const TrackRecord& track = editor.tabs_->all()[static_cast<size_t>(index)];
        gtk_tooltip_set_text(tip, (track.path.empty() ? track.name + " (not saved yet)" : track.path).c_str());
        return TRUE;
    }), this);
    tabs_->onTakenOver([this](TrackRecord& record) {
        if (work_ == Work::Opening) {
            record.path = workPath_;
            record.name = nameOf(workPath_);
            // The track is on screen from the next redraw of the track view.
            EventLog::instance().event("taken over " + workPath_);
            takenOver_ = true;
            finishOpening();
        } else if (!cancelledOpen_.empty() && comingName_.empty()) {
            // The reader had finished when Cancel came: the file is open after all.
            record.path = cancelledOpen_;
            record.name = nameOf(cancelledOpen_);
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
    record_ = std::make_unique<RecordPanel>([this](const std::string& s) { say(s); }, [this](const std::string& s) { error(s); }, [this] { refresh(); },
                                            [this] { newTrackComing("Recording " + std::to_string(++takes_)); });
    commands_.afterRun([this] { refresh(); });

    buildCommands();
    gtk_container_add(GTK_CONTAINER(window_), buildLayout());

    g_signal_connect(window_, "key-press-event", G_CALLBACK(+[](GtkWidget* w, GdkEventKey* e, gpointer self) -> gboolean {
        // Typing a time: the field takes its digits, Delete and Home before the commands do.
        if (GTK_IS_ENTRY(gtk_window_get_focus(GTK_WINDOW(w))) && gtk_window_propagate_key_event(GTK_WINDOW(w), e)) return TRUE;
        return static_cast<EditorWindow*>(self)->commands_.handleKey(e);
    }), this);
    g_signal_connect(window_, "delete-event", G_CALLBACK(+[](GtkWidget*, GdkEvent*, gpointer self) -> gboolean {
        static_cast<EditorWindow*>(self)->quit();
        return TRUE;  // the window goes only when every track could be closed
    }), this);
    static GtkTargetEntry uris = {const_cast<gchar*>("text/uri-list"), 0, 0};
    gtk_drag_dest_set(window_, GTK_DEST_DEFAULT_ALL, &uris, 1, GDK_ACTION_COPY);
    g_signal_connect(window_, "drag-data-received",
                     G_CALLBACK(+[](GtkWidget*, GdkDragContext*, int, int, GtkSelectionData* data, guint, guint, gpointer self) {
                         gchar** list = gtk_selection_data_get_uris(data);
                         std::vector<std::string> paths;
                         for (gchar** u = list; u && *u; ++u) {
                             if (gchar* path = g_filename_from_uri(*u, nullptr, nullptr)) {
                                 paths.emplace_back(path);
                                 g_free(path);
                             }
                         }
                         g_strfreev(list);
                         static_cast<EditorWindow*>(self)->openFiles(paths);
                     }),
                     this);
    gtk_widget_show_all(window_);
    say("Open a sound file (Ctrl+O) or drop one here.");
    refresh();
}

EditorWindow::~EditorWindow() = default;

void EditorWindow::addRecentMenu() {
    GtkWidget* open = commands_.menuItem("open");
    GtkWidget* fileMenu = gtk_widget_get_parent(open);
    GtkWidget* recent = gtk_recent_chooser_menu_new_for_manager(gtk_recent_manager_get_default());
    gtk_recent_chooser_set_limit(GTK_RECENT_CHOOSER(recent), 10);
    gtk_recent_chooser_set_sort_type(GTK_RECENT_CHOOSER(recent), GTK_RECENT_SORT_MRU);
    gtk_recent_chooser_set_local_only(GTK_RECENT_CHOOSER(recent), TRUE);
    // Only what this editor opened or saved.
    GtkRecentFilter* ours = gtk_recent_filter_new();
    gtk_recent_filter_add_application(ours, g_get_application_name());
    gtk_recent_chooser_set_filter(GTK_RECENT_CHOOSER(recent), ours);
    g_signal_connect(recent, "item-activated", G_CALLBACK(+[](GtkRecentChooser* chooser, gpointer self) {
        gchar* uri = gtk_recent_chooser_get_current_uri(chooser);
        gchar* path = uri ? g_filename_from_uri(uri, nullptr, nullptr) : nullptr;
        if (path) static_cast<EditorWindow*>(self)->openFiles({path});
        g_free(path);
        g_free(uri);
    }), this);
    GtkWidget* item = gtk_menu_item_new_with_mnemonic("Open _Recent");
    gtk_menu_item_set_submenu(GTK_MENU_ITEM(item), recent);
    GList* children = gtk_container_get_children(GTK_CONTAINER(fileMenu));
    const int position = g_list_index(children, open) + 1;
    g_list_free(children);
    gtk_menu_shell_insert(GTK_MENU_SHELL(fileMenu), item, position);
}

void EditorWindow::remember(const std::string& path) {
    gchar* uri = g_filename_to_uri(path.c_str(), nullptr, nullptr);
    if (uri) gtk_recent_manager_add_item(gtk_recent_manager_get_default(), uri);
    g_free(uri);
    gchar* folder = g_path_get_dirname(path.c_str());
    if (lastFolder_ != folder) EditorSettings::setLastFolder(folder);
    lastFolder_ = folder;
    g_free(folder);
}

GtkWidget* EditorWindow::buildLayout() {
    GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    gtk_box_pack_start(GTK_BOX(box), commands_.buildMenuBar(), FALSE, FALSE, 0);
    addRecentMenu();
    gtk_box_pack_start(GTK_BOX(box), commands_.buildToolBar(), FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(box), main_->widget(), TRUE, TRUE, 0);
    gtk_box_pack_start(GTK_BOX(box), record_->widget(), FALSE, FALSE, 2);
    GtkWidget* bottom = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 4);
    gtk_box_pack_start(GTK_BOX(bottom), time_->widget(), FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(bottom), volume_->widget(), TRUE, TRUE, 0);
    gtk_box_pack_start(GTK_BOX(box), bottom, FALSE, FALSE, 2);
    GtkWidget* status = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 8);
    GtkWidget* bar = gtk_statusbar_new();
    EventLog::instance().onStatus([bar](const std::string& text) {
        gtk_statusbar_remove_all(GTK_STATUSBAR(bar), 1);
        gtk_statusbar_push(GTK_STATUSBAR(bar), 1, text.c_str());
    });
    selection_ = std::make_unique<SelectionFields>([this](const std::string& s) { error(s); });
    formatLabel_ = gtk_label_new("");
    gtk_box_pack_start(GTK_BOX(status), bar, TRUE, TRUE, 0);
    gtk_box_pack_start(GTK_BOX(status), formatLabel_, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(status), selection_->widget(), FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(status), progressPanel_.widget(), FALSE, FALSE, 4);
    gtk_box_pack_start(GTK_BOX(box), status, FALSE, FALSE, 0);
    return box;
}

void EditorWindow::buildCommands() {
    // An in-place edit: done at once, undone as one step.
    auto inPlace = [this](int (*op)(), const char* name, const char* done) {
        return [this, op, name, done] {
            if (op() != 0) return;
            did(name);
            say(done);
        };
    };
    // What each command of the list does, and the editor's own test for those that the
    // library's availability query does not cover.
    struct Action {
        std::function<void()> run;
        std::function<bool()> available = {};
    };
    const std::map<std::string, Action> actions = {
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
        {"delete", {inPlace(&WDXDeleteSelection, "Delete", "Deleted the selection.")}},
        {"trim", {inPlace(&WDXTrimSelection, "Trim", "Trimmed the track to the selection.")}},
        {"silence", {inPlace(&WDXSilenceSelection, "Silence", "Silenced the selection.")}},
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
        {"cancel-work", {[this] { progressPanel_.cancel(); }, [this] { return progressPanel_.cancellable(); }}},
        {"stop", {[this] {
                      WDXStopTrack();
                      paused_ = false;
                      refresh();
                  },
                  [this] { return playing() || paused_; }}},
        {"record", {[this] { record_->open(); }, [this] { return idle() && !playing(); }}},
        {"zoom-in", {[] { WDXZoomIn(); }}},
        {"zoom-out", {[] { WDXZoomOut(); }}},
        {"zoom-fit", {[] { WDXZoomFit(); }}},
        {"batch", {[this] { BatchDialog::run(GTK_WINDOW(window_)); }}},
        {"devices", {[this] { DevicesDialog::run(GTK_WINDOW(window_)); }}},
        {"settings", {[this] { SettingsDialog::run(GTK_WINDOW(window_)); }}},
        {"about", {[this] { about(); }, [] { return true; }}},
    };
    for (const CommandSpec& spec : CommandList::all()) {
        Command c;
        c.id = spec.id;
        c.menu = spec.menu;
        c.label = spec.label;
        for (const KeySpec& k : spec.keys) c.keys.push_back(gdkKey(k));
        c.icon = spec.icon;
        c.separatorBefore = spec.separatorBefore;
        if (spec.effect != 0) {
            c.run = [this, id = spec.effect, label = spec.label] { runEffect(id, label); };
        } else {
            const Action& action = actions.at(spec.id);
            c.run = action.run;
            c.available = action.available;
        }
        // Availability: the library's own answer for the command's place in its menu
        // layout (group, item), and nothing while an operation of the editor runs.
        if (!c.available) c.available = [this, group = spec.group, item = spec.item] { return idle() && WDXCanOperate(group, item) != 0; };
        commands_.add(std::move(c));
    }
}

// ---------------------------------------------------------------- notifications

std::optional<LRESULT> EditorWindow::onNotification(UINT message, WPARAM, LPARAM) {
    switch (message) {
        case NotifySelectionChanged:
        case NotifyTrackChanged: refresh(); return 0;
        case NotifyTrackContextMenu: showContextMenu(); return 0;
        case NotifyWaveOutDeviceChanged: say("Playing through another device now."); return 0;
        case NotifyWaveInDeviceChanged: say("Recording from another device now."); return 0;
        default: return message >= WM_USER ? std::optional<LRESULT>(0) : std::nullopt;
    }
}

std::optional<LRESULT> EditorWindow::onProgress(UINT message, WPARAM wParam, LPARAM lParam) {
    const double total = static_cast<double>(wParam), done = static_cast<double>(lParam);
    switch (message) {
        case NotifyImportProgress:
        case NotifySaveProgress: progressPanel_.update(done, total); return 0;
        case NotifyEffectProgress:
        case NotifyEditProgress: progressPanel_.update(done, 100); return 0;
        case NotifyImportDone:
            if (work_ != Work::Opening) return 0;
            importRead_ = true;
            finishOpening();
            return 0;
        case NotifyImportFailed:
            if (work_ != Work::Opening) return 0;
            endWork();
            error("Could not open " + nameOf(workPath_) + ": " + failureReason(WDXGetLastFailure(0), false));
            openNext();
            return 0;
        case NotifyEffectDone:
            if (work_ != Work::Effect) return 0;
            endWork();
            if (wParam == 0) {
                // Stopped or refused: the track and its history are as they were.
                EventLog::instance().event("effect stopped");
                say(workName_ + " was stopped: the track is as it was.");
                return 0;
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
            return 0;
        case NotifyEditDone:
            if (work_ != Work::Edit) return 0;
            EventLog::instance().event("edit done");
            say(workDone_);
            endWork();
            refresh();
            return 0;
        case NotifySaveDone:
            if (work_ != Work::Saving) return 0;
            if (TrackRecord* saved = tabs_->find(workTrack_); saved && !workIsSelection_) {
                saved->path = workPath_;
                saved->name = nameOf(workPath_);
                saved->modified = false;
            }
            EventLog::instance().event("saved " + workPath_);
            remember(workPath_);
            say("Saved " + nameOf(workPath_) + ".");
            endWork();
            // The next question is a modal dialog: not from inside this message.
            if (closing_ != Closing::None) MessagePump::defer([this] { continueClosing(); });
            return 0;
        case NotifySaveFailed:
            if (work_ != Work::Saving) return 0;
            endWork();
            closing_ = Closing::None;
            error("Could not save " + workPath_ + ": " + failureReason(WDXGetLastFailure(1), true));
            return 0;
        default: return message >= WM_USER ? std::optional<LRESULT>(0) : std::nullopt;
    }
}

// ---------------------------------------------------------------- files

void EditorWindow::offerRecovery() {
    const std::vector<RecoveryQuestion::Offer> offers = RecoveryQuestion::offers();
    if (offers.empty()) return;
    EventLog::instance().event("asked to recover " + std::to_string(offers.size()) + " tracks");
    const RecoveryQuestion::Answer answer = RecoveryQuestion::ask(GTK_WINDOW(window_), offers);
    if (answer == RecoveryQuestion::Answer::Discard) {
        WDXDiscardRecovery();
        say("The tracks of the earlier session were discarded.");
    }
    if (answer != RecoveryQuestion::Answer::Recover) return;
    // Each recovery removes its offer, so the next one moves to the place of the first kept;
    // the take-over comes within the call and names the tab.
    int kept = 0, recovered = 0;
    for (const RecoveryQuestion::Offer& offer : offers) {
        if (offer.problem == WD_FAILURE_NONE) {
            newTrackComing(nameOf(offer.name));
            if (WDXRecoverTrack(kept) == 0) {
                ++recovered;
                continue;
            }
            comingName_.clear();
        }
        ++kept;
    }
    const auto tracks = [](int n) { return n == 1 ? std::string("1 track") : std::to_string(n) + " tracks"; };
    if (kept == 0) {
        say("Recovered " + tracks(recovered) + ".");
    } else {
        error("Recovered " + tracks(recovered) + "; " + tracks(kept) + " could not be recovered.");
    }
}

void EditorWindow::openFiles(const std::vector<std::string>& paths) {
    for (const std::string& p : paths) {
        gchar* absolute = g_canonicalize_filename(p.c_str(), nullptr);
        toOpen_.emplace_back(absolute);
        g_free(absolute);
    }
    if (idle()) openNext();
}

void EditorWindow::openNext() {
    if (!idle() || toOpen_.empty()) return;
    workPath_ = toOpen_.front();
    toOpen_.pop_front();
    importRead_ = false;
    takenOver_ = false;
    cancelledOpen_.clear();
    beginWork(Work::Opening, "Opening " + nameOf(workPath_), [this] {
        if (importRead_) return;  // read to the end: it opens, whatever Cancel would say
        WDXCancelOpenFile();
        cancelledOpen_ = workPath_;
        endWork();
        say("Opening " + nameOf(workPath_) + " was cancelled.");
        toOpen_.clear();
    });
    EventLog::instance().event("open " + workPath_);
    if (WDXOpenTrackFile(progress_->handle(), workPath_.c_str()) != 0) {
        endWork();
        const int failure = WDXGetLastFailure(0);
        if (failure != WD_FAILURE_NONE) {
            error("Could not open " + nameOf(workPath_) + ": " + failureReason(failure, false));
        } else {
            error(nameOf(workPath_) + " cannot be opened: WaveDeck reads WAV, AIFF, MP3, Ogg Vorbis, WMA and CD track (.cda) files.");
        }
        openNext();
    }
}

void EditorWindow::finishOpening() {
    if (work_ != Work::Opening || !importRead_ || !takenOver_) return;
    EventLog::instance().event("opened " + workPath_);
    say("Opened " + nameOf(workPath_) + ".");
    remember(workPath_);
    endWork();
    openNext();
}

void EditorWindow::chooseAndOpen() {
    GtkWidget* chooser = gtk_file_chooser_dialog_new("Open", GTK_WINDOW(window_), GTK_FILE_CHOOSER_ACTION_OPEN, "_Cancel", GTK_RESPONSE_CANCEL,
                                                     "_Open", GTK_RESPONSE_ACCEPT, nullptr);
    gtk_file_chooser_set_select_multiple(GTK_FILE_CHOOSER(chooser), TRUE);
    if (!lastFolder_.empty()) gtk_file_chooser_set_current_folder(GTK_FILE_CHOOSER(chooser), lastFolder_.c_str());
    EventLog::instance().event("choose in " + lastFolder_);
    GtkFileFilter* sounds = gtk_file_filter_new();
    gtk_file_filter_set_name(sounds, "Sound files");
    for (const char* p : {"*.wav", "*.aif", "*.aiff", "*.aifc", "*.mp3", "*.mp2", "*.mp1", "*.ogg", "*.wma", "*.cda"}) {
        gtk_file_filter_add_pattern(sounds, p);
        std::string upper = p;
        std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
        gtk_file_filter_add_pattern(sounds, upper.c_str());
    }
    GtkFileFilter* all = gtk_file_filter_new();
    gtk_file_filter_set_name(all, "All files");
    gtk_file_filter_add_pattern(all, "*");
    gtk_file_chooser_add_filter(GTK_FILE_CHOOSER(chooser), sounds);
    gtk_file_chooser_add_filter(GTK_FILE_CHOOSER(chooser), all);
    std::vector<std::string> paths;
    if (gtk_dialog_run(GTK_DIALOG(chooser)) == GTK_RESPONSE_ACCEPT) {
        GSList* names = gtk_file_chooser_get_filenames(GTK_FILE_CHOOSER(chooser));
        for (GSList* n = names; n; n = n->next) paths.emplace_back(static_cast<char*>(n->data));
        g_slist_free_full(names, g_free);
    }
    gtk_widget_destroy(chooser);
    openFiles(paths);
}

void EditorWindow::save(bool selection, bool choosePath) {
    const std::string path0 = currentPath();
    if (!selection && !choosePath && !path0.empty() && fileTypeOf(path0) != 0) {
        startSave(path0, false);
        return;
    }
    GtkWidget* chooser = gtk_file_chooser_dialog_new(selection ? "Save Selection As" : "Save As", GTK_WINDOW(window_), GTK_FILE_CHOOSER_ACTION_SAVE,
                                                     "_Cancel", GTK_RESPONSE_CANCEL, "_Save", GTK_RESPONSE_ACCEPT, nullptr);
    gtk_file_chooser_set_do_overwrite_confirmation(GTK_FILE_CHOOSER(chooser), TRUE);
    std::vector<GtkFileFilter*> filters;
    for (const FileType& t : kFileTypes) {
        GtkFileFilter* f = gtk_file_filter_new();
        gtk_file_filter_set_name(f, (std::string(t.name) + " (*." + t.extension + ")").c_str());
        gtk_file_filter_add_pattern(f, (std::string("*.") + t.extension).c_str());
        gtk_file_chooser_add_filter(GTK_FILE_CHOOSER(chooser), f);
        filters.push_back(f);
    }
    if (!path0.empty() && !selection) {
        if (fileTypeOf(path0) != 0) gtk_file_chooser_set_filter(GTK_FILE_CHOOSER(chooser), filters[static_cast<size_t>(fileTypeOf(path0) - 1)]);
        gtk_file_chooser_set_filename(GTK_FILE_CHOOSER(chooser), path0.c_str());
    } else {
        const TrackRecord* track = tabs_->current();
        const std::string name = selection ? "selection.wav" : (track && !track->name.empty() ? track->name : "untitled") + ".wav";
        if (!lastFolder_.empty()) gtk_file_chooser_set_current_folder(GTK_FILE_CHOOSER(chooser), lastFolder_.c_str());
        gtk_file_chooser_set_current_name(GTK_FILE_CHOOSER(chooser), name.c_str());
    }
    std::string path;
    if (gtk_dialog_run(GTK_DIALOG(chooser)) == GTK_RESPONSE_ACCEPT) {
        gchar* name = gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(chooser));
        path = name ? name : "";
        g_free(name);
        // A name without a known extension takes the chosen type's.
        if (!path.empty() && fileTypeOf(path) == 0) {
            const auto it = std::find(filters.begin(), filters.end(), gtk_file_chooser_get_filter(GTK_FILE_CHOOSER(chooser)));
            path += std::string(".") + kFileTypes[it == filters.end() ? 0 : it - filters.begin()].extension;
        }
    }
    gtk_widget_destroy(chooser);
    if (path.empty()) {
        closing_ = Closing::None;
        return;
    }
    startSave(path, selection);
}

void EditorWindow::startSave(const std::string& path, bool selection) {
    workPath_ = path;
    workIsSelection_ = selection;
    workTrack_ = tabs_->current() ? tabs_->current()->serial : 0;
    beginWork(Work::Saving, "Saving " + nameOf(path), [this] {
        WDXCancelSaveFile();
        endWork();
        closing_ = Closing::None;
        say("Saving was cancelled: " + nameOf(workPath_) + " was left as it was.");
    });
    const int type = fileTypeOf(path);
    const int started = selection ? WDXSaveSelectFile(progress_->handle(), path.c_str(), type) : WDXSaveTrackFile(progress_->handle(), path.c_str(), type);
    if (started != 0) {
        endWork();
        closing_ = Closing::None;
        const int failure = WDXGetLastFailure(1);
        error("Could not save " + nameOf(path) +
              (type == 0 ? ": name it .wav, .mp3, .wma or .ogg." : failure != WD_FAILURE_NONE ? ": " + failureReason(failure, true) : "."));
    }
}

// ---------------------------------------------------------------- editing

void EditorWindow::runEffect(int id, const std::string& label) {
    const std::string name = CommandList::plainLabel(label);
    const std::vector<Parameter> parameters = EffectCatalog::parameters(id, WDXGetTrackInfo(1), WDXGetTrackInfo(0));
    const Effect* effect = EffectCatalog::find(id);
    const std::string explanation = effect ? effect->explanation : std::string();
    ParameterBlock block = Parameters::defaults(parameters);
    if (!parameters.empty()) {
        auto asked = ParameterDialog::ask(GTK_WINDOW(window_), name, explanation, parameters);
        if (!asked) return;
        block = *asked;
    }
    beginWork(Work::Effect, name, [] { WDXCancelEffect(); });
    lastEffect_ = id;
    workName_ = name;
    workTrack_ = tabs_->current() ? tabs_->current()->serial : 0;
    if (id == 23) newTrackComing("Copy of " + (tabs_->current() ? tabs_->current()->name : std::string("the track")));
    EventLog::instance().event("effect " + std::to_string(id));
    if (WDXDoEffect(progress_->handle(), id, reinterpret_cast<LPARAM>(block.data())) != 0) {
        endWork();
        error(name + " could not start: the track is busy with another operation.");
        return;
    }
}

void EditorWindow::runEdit(int (*edit)(HWND), const char* name, const char* doing, const char* done) {
    beginWork(Work::Edit, doing, {});
    if (edit(progress_->handle()) != 0) {
        endWork();
        error(std::string(doing) + " could not start.");
        return;
    }
    workDone_ = done;
    if (name) did(name);
}

void EditorWindow::did(const std::string& name) {
    TrackRecord* track = tabs_->current();
    if (!track) return;
    track->modified = true;
    track->undo.push_back(name);
    track->redo.clear();
}

void EditorWindow::undoOrRedo(bool undo) {
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

void EditorWindow::insertGenerated(bool noise) {
    const std::vector<Parameter> parameters = EffectCatalog::insertParameters(noise);
    auto block = ParameterDialog::ask(GTK_WINDOW(window_), noise ? "Insert Noise" : "Insert Silence",
                                      "Inserted at the cursor, or at the start of the selection.", parameters);
    if (!block) return;
    const int ms = static_cast<int>((*block)[0]);
    const int result = noise ? WDXInsertNoise(ms, (*block)[1], static_cast<int>((*block)[2])) : WDXInsertSilence(ms);
    if (result != 0) {
        error("Could not insert at the cursor.");
        return;
    }
    did(noise ? "Insert Noise" : "Insert Silence");
    say(std::string(noise ? "Inserted noise" : "Inserted silence") + " at the cursor.");
}

// ---------------------------------------------------------------- playing

void EditorWindow::play(int mode) {
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

void EditorWindow::togglePlay() {
    if (playing() && !paused_) {
        WDXStopTrack();
        refresh();
        return;
    }
    // The selection, or from the cursor to the end when nothing is selected.
    play(WDXCanCutOrCopy() ? 0 : 1);
}

// ---------------------------------------------------------------- closing

void EditorWindow::closeTrack(Closing why) {
    closing_ = why;
    saveAll_ = false;
    if (why == Closing::Quit) {
        std::vector<std::string> names;
        for (const TrackRecord& r : tabs_->all()) {
            if (r.modified) names.push_back(r.path.empty() ? r.name + " (never saved)" : r.path);
        }
        if (!names.empty()) {
            EventLog::instance().event("asked to save " + std::to_string(names.size()) + " tracks");
            const QuitQuestion::Answer answer = QuitQuestion::ask(GTK_WINDOW(window_), names);
            if (answer == QuitQuestion::Answer::Cancel) {
                closing_ = Closing::None;
                refresh();
                return;
            }
            saveAll_ = answer == QuitQuestion::Answer::Save;
        }
    }
    continueClosing();
}

void EditorWindow::continueClosing() {
    while (closing_ != Closing::None && hasTrack()) {
        if (unsaved()) {
            if (closing_ == Closing::Quit) {
                if (saveAll_) {
                    save(false, false);  // quitting goes on when the save is done
                    return;
                }
            } else {
                GtkWidget* ask = gtk_message_dialog_new(GTK_WINDOW(window_), GTK_DIALOG_MODAL, GTK_MESSAGE_QUESTION, GTK_BUTTONS_NONE,
                                                        "Save the changes to %s before closing it?", tabs_->current()->name.c_str());
                gtk_message_dialog_format_secondary_text(GTK_MESSAGE_DIALOG(ask), "Changes that are not saved are lost.");
                gtk_dialog_add_buttons(GTK_DIALOG(ask), "Close _without Saving", GTK_RESPONSE_REJECT, "_Cancel", GTK_RESPONSE_CANCEL, "_Save",
                                       GTK_RESPONSE_ACCEPT, nullptr);
                gtk_dialog_set_default_response(GTK_DIALOG(ask), GTK_RESPONSE_ACCEPT);
                EventLog::instance().event("asked to save " + tabs_->current()->name);
                const int answer = gtk_dialog_run(GTK_DIALOG(ask));
                gtk_widget_destroy(ask);
                if (answer == GTK_RESPONSE_ACCEPT) {
                    save(false, false);  // closing goes on when the save is done
                    return;
                }
                if (answer != GTK_RESPONSE_REJECT) {
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
        gtk_main_quit();
    }
    closing_ = Closing::None;
    refresh();
}

void EditorWindow::quit() {
    if (work_ == Work::Effect || work_ == Work::Edit) {
        say("Wait until the running operation has finished, then quit.");
        return;
    }
    if (work_ == Work::Opening) WDXCancelOpenFile();
    if (work_ == Work::Saving) WDXCancelSaveFile();
    toOpen_.clear();
    endWork();
    if (playing()) WDXStopTrack();
    record_->close();
    closeTrack(Closing::Quit);
}

// ---------------------------------------------------------------- state

bool EditorWindow::hasTrack() const { return WDXGetTrackInfo(0) > 0; }

// With a track, saving is refused only while the player runs.
bool EditorWindow::playing() const { return hasTrack() && WDXCanOperate(1, 2) == 0; }

bool EditorWindow::unsaved() { return hasTrack() && tabs_->current() && tabs_->current()->modified; }

std::string EditorWindow::currentPath() { return tabs_->current() ? tabs_->current()->path : std::string(); }

void EditorWindow::newTrackComing(const std::string& name) { comingName_ = name; }

void EditorWindow::refresh() {
    const bool nowPlaying = playing();
    if (wasPlaying_ && !nowPlaying) EventLog::instance().event("play stopped");
    wasPlaying_ = nowPlaying;
    const TrackRecord* track = tabs_->current();
    commands_.setLabel("undo", track && !track->undo.empty() && !track->undo.back().empty() ? "_Undo " + track->undo.back() : "_Undo");
    commands_.setLabel("redo", track && !track->redo.empty() && !track->redo.back().empty() ? "_Redo " + track->redo.back() : "_Redo");
    commands_.refresh();
    std::string title = "WaveDeck";
    if (hasTrack() && tabs_->current()) title = (unsaved() ? "*" : "") + tabs_->current()->name + " – WaveDeck";
    if (title != gtk_window_get_title(GTK_WINDOW(window_))) {
        gtk_window_set_title(GTK_WINDOW(window_), title.c_str());
        EventLog::instance().event("title " + title);
    }
    if (!hasTrack()) times_ = {};
    showTimes();
}

void EditorWindow::showTimes() {
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
        format = std::to_string(rate) + " Hz · " + (channels == 1 ? "mono" : channels == 2 ? "stereo" : std::to_string(channels) + " channels") + " · " +
                 (source.empty() ? "not saved" : source) + " · " + TimeFormat::format(rate > 0 ? int64_t{WDXGetTrackInfo(2)} * 1000 / rate : 0);
    }
    if (format != gtk_label_get_text(GTK_LABEL(formatLabel_))) {
        gtk_label_set_text(GTK_LABEL(formatLabel_), format.c_str());
        EventLog::instance().event("format " + format);
    }
    selection_->show({times_[0], times_[1], times_[2]});
    const std::string text = times_[2].empty() ? "" : "Selection " + clock(times_[0]) + " – " + clock(times_[1]) + " (" + clock(times_[2]) + ")";
    if (text == timesText_) return;
    timesText_ = text;
    EventLog::instance().event("times " + text);
}

void EditorWindow::beginWork(Work work, const std::string& text, std::function<void()> cancel) {
    work_ = work;
    progressPanel_.begin(text, std::move(cancel));
    refresh();
}

void EditorWindow::endWork() {
    work_ = Work::None;
    progressPanel_.end();
    refresh();
}

void EditorWindow::say(const std::string& sentence) { EventLog::instance().status(sentence); }

void EditorWindow::error(const std::string& sentence) {
    EventLog::instance().status(sentence);
    // Often reached from a library message: the dialog waits until that has returned.
    MessagePump::defer([this, sentence] {
        GtkWidget* dialog = gtk_message_dialog_new(GTK_WINDOW(window_), GTK_DIALOG_MODAL, GTK_MESSAGE_ERROR, GTK_BUTTONS_CLOSE, "%s", sentence.c_str());
        gtk_dialog_run(GTK_DIALOG(dialog));
        gtk_widget_destroy(dialog);
    });
}

std::string EditorWindow::nameOf(const std::string& path) const { return fileNameOf(path); }

void EditorWindow::showContextMenu() {
    GtkWidget* menu = commands_.buildPopup({"cut", "copy", "paste", "paste-mix", "paste-insert", "delete", "trim", "select-all"});
    g_signal_connect(menu, "deactivate", G_CALLBACK(+[](GtkMenuShell* m, gpointer) {
        g_idle_add([](gpointer w) -> gboolean {
            gtk_widget_destroy(GTK_WIDGET(w));
            return G_SOURCE_REMOVE;
        }, m);
    }), nullptr);
    // The library says so after the button went up: the menu opens where it was released.
    gtk_menu_popup_at_pointer(GTK_MENU(menu), main_->lastButtonEvent());
}

void EditorWindow::about() {
    gtk_show_about_dialog(GTK_WINDOW(window_), "program-name", "WaveDeck", "version", WDXGetVersion(), "comments",
                          "An audio editor on the WaveDeck library.", nullptr);
}

}  // namespace desktop
