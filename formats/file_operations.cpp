#include "formats/file_operations.h"

#include <vector>

#include "api/file_names.h"
#include "formats/exporter.h"
#include "formats/importer.h"
#include "formats/sound_file_importer.h"
#include "formats/cd_audio_importer.h"
#include "formats/wave_exporter.h"
#include "formats/windows_media_importer.h"
#include "formats/wma_exporter.h"
#include "model/track_list.h"
#include "ui/main_window.h"
#include "wavedeck.h"
#include "wavedeck_messages.h"

namespace wd {

Importer* CreateImporterForFile(const std::string& path) {
    std::vector<char> extension(path.size() + 1, 0);
    if (WDXGetFileExtension(path.c_str(), extension.data()) != 0) return nullptr;
    toLowerAscii(extension.data());
    const std::string ext = extension.data();
    if (ext == "wav" || ext == "aiff") return new SoundFileImporter;
    if (ext == "wma") return new WindowsMediaImporter;
    if (ext == "cda") return new CdAudioImporter;
    return nullptr;
}

Exporter* CreateExporterForType(int type) {
    switch (type) {
        case kExportWave: return new WaveExporter;
        case kExportWma: return new WmaExporter;
        default: return nullptr;
    }
}

namespace {

int save(HWND progressWindow, const char* path, int type, bool selection) {
    MainWindow& main = MainWindow::instance();
    main.setExporter(nullptr);
    Exporter* exporter = CreateExporterForType(type);
    main.setExporter(exporter);
    if (!exporter || !path) return -1;
    Track* track = TrackList::instance().current();
    if (!track) return -1;
    exporter->path = path;
    exporter->SetTrack(track);
    exporter->SetProgressWindow(progressWindow);
    bool started = selection ? exporter->SaveSelection() : exporter->SaveAll();
    return started ? 0 : -1;
}

}  // namespace
}  // namespace wd

int WDXOpenTrackFile(HWND progressWindow, const char* path) {
    wd::MainWindow& main = wd::MainWindow::instance();
    main.setImporter(nullptr);
    if (!path) return -1;
    wd::Importer* importer = wd::CreateImporterForFile(path);
    main.setImporter(importer);
    if (!importer) {
        wd::MainWindow::broadcast(NotifyUnsupportedFile, 0, 0);
        return -1;
    }
    importer->AddProgressWindow(progressWindow);
    return importer->Start(path) ? 0 : -1;
}

int WDXCancelOpenFile(void) {
    if (wd::Importer* importer = wd::MainWindow::instance().importer()) importer->Cancel();
    return 0;
}

int WDXSaveTrackFile(HWND progressWindow, const char* path, int fileType) {
    return wd::save(progressWindow, path, fileType, false);
}

int WDXSaveSelectFile(HWND progressWindow, const char* path, int fileType) {
    return wd::save(progressWindow, path, fileType, true);
}

int WDXCancelSaveFile(void) {
    if (wd::Exporter* exporter = wd::MainWindow::instance().exporter()) exporter->Cancel();
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
