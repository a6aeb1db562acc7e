// Settings, paths and program exports.
#include <cstring>
#include <string>

#include "audio/player.h"
#include "audio/recorder.h"
#include "edit/edit_engine.h"
#include "formats/file_operations.h"
#include "model/track_list.h"
#include "services/file_names.h"
#include "services/module.h"
#include "services/settings.h"
#include "ui/tab_window.h"
#include "wavedeck.h"

int WDXSetTempFolder(const char* folder) { return wd::Settings::instance().setTempFolder(folder) ? 1 : 0; }

int WDXGetTempFolder(char* buffer) {
    if (!buffer) return 0;
    std::string folder = wd::Settings::instance().tempFolder();
    std::memcpy(buffer, folder.c_str(), folder.size() + 1);
    return 1;
}

int WDXSetFormatQuality(int format, int value) { return wd::Settings::instance().setFormatQuality(format, value) ? 1 : 0; }

int WDXGetFormatQuality(int format) { return wd::Settings::instance().formatQuality(format); }

int WDXGetModulePath(char* buffer) {
    if (!buffer) return 0;
    std::string path = wd::modulePath();
    std::memcpy(buffer, path.c_str(), path.size() + 1);
    return 1;
}

int WDXGetFileExtension(const char* path, char* out) { return wd::fileExtension(path, out); }
int WDXGetFileNameNoExtension(const char* path, char* out) { return wd::fileNameNoExtension(path, out); }
int WDXGetFileNameHasExt(const char* path, char* out) { return wd::fileNameHasExt(path, out); }
int WDXGetFilePath(const char* path, char* out) { return wd::filePath(path, out); }

int WDXGetTrackInfo(int what) {
    const wd::Track* track = wd::TrackList::instance().current();
    if (!track) return -1;
    switch (what) {
        case 0: return track->channelCount();
        case 1: return track->sampleRate;
        case 2: return track->length();
        default: return -1;
    }
}

int WDXCloseCurTrack(void) {
    try {
        wd::TabWindow::instance().closeCurrent();
    } catch (...) {
    }
    return 0;
}

void WDXExitProgram(void) {
    try {
        wd::Player& player = wd::Player::instance();
        if (player.isPlaying()) player.stop();
        // A running open or save is stopped and its worker waited for: no worker may go
        // on writing into tracks or posting to windows that are about to go.
        wd::FileOperations::instance().stopAll();
        // A take nobody kept goes with the program; its device stops recording into it first.
        wd::Recorder& recorder = wd::Recorder::instance();
        if (recorder.isRecording()) recorder.stop();
        recorder.discard();
        // A cut, copy or paste has no cancel: it runs to its end before the tracks go.
        wd::EditEngine::instance().waitForWorker();
        // Closes the tracks one by one through the tab strip. A close that removes nothing
        // (no main window listening) ends the loop instead of spinning.
        wd::TrackList& list = wd::TrackList::instance();
        while (const wd::Track* current = list.current()) {
            const uint32_t id = current->id();
            wd::TabWindow::instance().closeCurrent();
            if (list.findById(id)) break;
        }
        wd::EditEngine::instance().clearClipboard();
    } catch (...) {
    }
}

const char* WDXGetVersion(void) { return WAVEDECK_VERSION; }
