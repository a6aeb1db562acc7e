// File exports: opening and saving tracks.
#include "formats/exporter.h"
#include "formats/file_operations.h"
#include "formats/importer.h"
#include "model/track_list.h"
#include "wavedeck.h"

// Nothing is thrown across the exported interface: a failure to start gives -1.

int WDXOpenTrackFile(HWND progressWindow, const char* path) {
    if (!path) {
        wd::FileOperations::instance().setImporter(nullptr);
        return -1;
    }
    try {
        return wd::FileOperations::instance().open(progressWindow, path) ? 0 : -1;
    } catch (...) {
        return -1;
    }
}

int WDXCancelOpenFile(void) {
    wd::FileOperations::instance().cancelOpen();
    return 0;
}

int WDXSaveTrackFile(HWND progressWindow, const char* path, int fileType) {
    try {
        return wd::FileOperations::instance().save(progressWindow, path, fileType, false) ? 0 : -1;
    } catch (...) {
        return -1;
    }
}

int WDXSaveSelectFile(HWND progressWindow, const char* path, int fileType) {
    try {
        return wd::FileOperations::instance().save(progressWindow, path, fileType, true) ? 0 : -1;
    } catch (...) {
        return -1;
    }
}

int WDXCancelSaveFile(void) {
    wd::FileOperations::instance().cancelSave();
    return 0;
}

int WDXCanSaveSelect(void) {
    const wd::Track* track = wd::TrackList::instance().current();
    if (!track) return 0;
    const wd::Channel* c0 = track->channel(0);
    if (c0 && c0->selectedFlag && c0->selLength > 0) return 1;
    const wd::Channel* c1 = track->channelCount() == 2 ? track->channel(1) : nullptr;
    return c1 && c1->selectedFlag && c1->selLength >= 1 ? 1 : 0;
}

int WDXGetLastFailure(int operation) {
    const wd::FileOperations& files = wd::FileOperations::instance();
    wd::FileProblem problem = wd::FileProblem::None;
    if (operation == 0 && files.importer()) problem = files.importer()->failure();
    if (operation == 1 && files.exporter()) problem = files.exporter()->failure();
    return static_cast<int>(problem);
}
