#include "editor_window.h"

#include <algorithm>
#include <cstring>
#include <map>

#include "batch_dialog.h"
#include "devices_dialog.h"
#include "editor_settings.h"
#include "event_log.h"
#include "file_types.h"
#include "message_pump.h"
#include "parameter_dialog.h"
#include "quit_question.h"
#include "recovery_question.h"
#include "settings_dialog.h"
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

    notify_ = std::make_unique<HostWindow>([this](UINT m, WPARAM w, LPARAM l) { return onMessage(m, w, l); });
    progress_ = std::make_unique<HostWindow>([this](UINT m, WPARAM w, LPARAM l) { return onMessage(m, w, l); });
    for (size_t i = 0; i < timeTexts_.size(); ++i) {
        timeTexts_[i] = std::make_unique<HostWindow>([this, i](UINT m, WPARAM, LPARAM l) -> std::optional<LRESULT> {
            if (m != WM_SETTEXT) return std::nullopt;
            timeText(i, reinterpret_cast<const char*>(l));
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
    attach(main_->child(), [this] { return main_->row(TrackTabs::kEdgeRow); });
    main_->onPress([this](int x, int y) {
        if (y < kTabStripHeight) tabs().pressed(x);
    });
    // A tab's tooltip gives the whole path of its file.
    gtk_widget_set_has_tooltip(main_->widget(), TRUE);
    g_signal_connect(main_->widget(), "query-tooltip", G_CALLBACK(+[](GtkWidget*, int x, int y, gboolean, GtkTooltip* tip, gpointer self) -> gboolean {
        auto& editor = *static_cast<EditorWindow*>(self);
        const int index = y < kTabStripHeight ? editor.tabs().tabAt(x) : -1;
        if (index < 0 || static_cast<size_t>(index) >= editor.tabs().all().size()) return FALSE;
        const TrackRecord& track = editor.tabs().all()[static_cast<size_t>(index)];
        gtk_tooltip_set_text(tip, (track.path.empty() ? track.name + " (not saved yet)" : track.path).c_str());
        return TRUE;
    }), this);
    record_ = std::make_unique<RecordPanel>([this](const std::string& s) { say(s); }, [this](const std::string& s) { error(s); }, [this] { refresh(); },
                                            [this] { newTrackComing("Recording " + std::to_string(nextTake())); });
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

void EditorWindow::fileUsed(const std::string& path) {
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
    // The commands without a toolkit are the core's; these open the editor's own dialogs.
    const std::map<std::string, Binding> own = {
        {"record", {[this] { record_->open(); }, [this] { return idle() && !playing(); }}},
        {"batch", {[this] { BatchDialog::run(GTK_WINDOW(window_)); }}},
        {"devices", {[this] { DevicesDialog::run(GTK_WINDOW(window_)); }}},
        {"settings", {[this] { SettingsDialog::run(GTK_WINDOW(window_)); }}},
        {"about", {[this] { about(); }, [] { return true; }}},
    };
    for (const CommandSpec& spec : CommandList::all()) {
        Binding b = binding(spec);
        if (const auto it = own.find(spec.id); it != own.end()) {
            b.run = it->second.run;
            if (it->second.available) b.available = it->second.available;
        }
        Command c;
        c.id = spec.id;
        c.menu = spec.menu;
        c.label = spec.label;
        for (const KeySpec& k : spec.keys) c.keys.push_back(gdkKey(k));
        c.icon = spec.icon;
        c.separatorBefore = spec.separatorBefore;
        c.run = b.run;
        c.available = b.available;
        commands_.add(std::move(c));
    }
}

std::optional<LRESULT> EditorWindow::onMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (onLibraryMessage(message, wParam, lParam)) return 0;
    return message >= WM_USER ? std::optional<LRESULT>(0) : std::nullopt;
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
            newTrackComing(fileNameOf(offer.name));
            if (WDXRecoverTrack(kept) == 0) {
                ++recovered;
                continue;
            }
            newTrackComing("");
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

std::vector<std::string> EditorWindow::chooseFilesToOpen() {
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
    return paths;
}

std::string EditorWindow::chooseSavePath(bool selection, const std::string& current, const std::string& name) {
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
    if (!current.empty()) {
        if (fileTypeOf(current) != 0) gtk_file_chooser_set_filter(GTK_FILE_CHOOSER(chooser), filters[static_cast<size_t>(fileTypeOf(current) - 1)]);
        gtk_file_chooser_set_filename(GTK_FILE_CHOOSER(chooser), current.c_str());
    } else {
        if (!lastFolder_.empty()) gtk_file_chooser_set_current_folder(GTK_FILE_CHOOSER(chooser), lastFolder_.c_str());
        gtk_file_chooser_set_current_name(GTK_FILE_CHOOSER(chooser), name.c_str());
    }
    std::string path;
    if (gtk_dialog_run(GTK_DIALOG(chooser)) == GTK_RESPONSE_ACCEPT) {
        gchar* chosen = gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(chooser));
        path = chosen ? chosen : "";
        g_free(chosen);
        // A name without a known extension takes the chosen type's.
        if (!path.empty() && fileTypeOf(path) == 0) {
            const auto it = std::find(filters.begin(), filters.end(), gtk_file_chooser_get_filter(GTK_FILE_CHOOSER(chooser)));
            path += std::string(".") + kFileTypes[it == filters.end() ? 0 : it - filters.begin()].extension;
        }
    }
    gtk_widget_destroy(chooser);
    return path;
}


std::string EditorWindow::absolutePath(const std::string& path) {
    gchar* absolute = g_canonicalize_filename(path.c_str(), nullptr);
    std::string result = absolute;
    g_free(absolute);
    return result;
}

// ---------------------------------------------------------------- dialogs and status

std::optional<ParameterBlock> EditorWindow::askParameters(const std::string& title, const std::string& explanation,
                                                          const std::vector<Parameter>& parameters) {
    return ParameterDialog::ask(GTK_WINDOW(window_), title, explanation, parameters);
}

EditorCore::Answer EditorWindow::askToSave(const std::string& trackName) {
    GtkWidget* ask = gtk_message_dialog_new(GTK_WINDOW(window_), GTK_DIALOG_MODAL, GTK_MESSAGE_QUESTION, GTK_BUTTONS_NONE,
                                            "Save the changes to %s before closing it?", trackName.c_str());
    gtk_message_dialog_format_secondary_text(GTK_MESSAGE_DIALOG(ask), "Changes that are not saved are lost.");
    gtk_dialog_add_buttons(GTK_DIALOG(ask), "Close _without Saving", GTK_RESPONSE_REJECT, "_Cancel", GTK_RESPONSE_CANCEL, "_Save",
                           GTK_RESPONSE_ACCEPT, nullptr);
    gtk_dialog_set_default_response(GTK_DIALOG(ask), GTK_RESPONSE_ACCEPT);
    const int answer = gtk_dialog_run(GTK_DIALOG(ask));
    gtk_widget_destroy(ask);
    return answer == GTK_RESPONSE_ACCEPT ? Answer::Save : answer == GTK_RESPONSE_REJECT ? Answer::Discard : Answer::Cancel;
}

EditorCore::Answer EditorWindow::askToSaveAll(const std::vector<std::string>& names) {
    const QuitQuestion::Answer answer = QuitQuestion::ask(GTK_WINDOW(window_), names);
    return answer == QuitQuestion::Answer::Save ? Answer::Save : answer == QuitQuestion::Answer::Discard ? Answer::Discard : Answer::Cancel;
}

void EditorWindow::showError(const std::string& sentence) {
    GtkWidget* dialog = gtk_message_dialog_new(GTK_WINDOW(window_), GTK_DIALOG_MODAL, GTK_MESSAGE_ERROR, GTK_BUTTONS_CLOSE, "%s", sentence.c_str());
    gtk_dialog_run(GTK_DIALOG(dialog));
    gtk_widget_destroy(dialog);
}

void EditorWindow::later(std::function<void()> run) { MessagePump::defer(std::move(run)); }

void EditorWindow::showWork(const std::string& text, bool cancellable) {
    progressPanel_.begin(text, cancellable ? std::function<void()>([this] { cancelWork(); }) : std::function<void()>());
}

void EditorWindow::showTitle(const std::string& title) { gtk_window_set_title(GTK_WINDOW(window_), title.c_str()); }

void EditorWindow::showStatus(const std::string& format, const std::string&, const std::string&, const std::array<std::string, 6>& times) {
    if (format != gtk_label_get_text(GTK_LABEL(formatLabel_))) gtk_label_set_text(GTK_LABEL(formatLabel_), format.c_str());
    selection_->show({times[0], times[1], times[2]});
}

void EditorWindow::refreshCommands(const std::string& undoLabel, const std::string& redoLabel) {
    commands_.setLabel("undo", undoLabel);
    commands_.setLabel("redo", redoLabel);
    commands_.refresh();
}

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
