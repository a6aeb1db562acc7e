#include "formats/file_operations.h"

#include <vector>

#include "formats/cd_audio_importer.h"
#include "formats/exporter.h"
#include "formats/importer.h"
#include "formats/mp3_exporter.h"
#include "formats/mpeg_audio_importer.h"
#include "formats/ogg_vorbis_exporter.h"
#include "formats/ogg_vorbis_importer.h"
#include "formats/sound_file_importer.h"
#include "formats/wave_exporter.h"
#include "formats/windows_media_importer.h"
#include "formats/wma_exporter.h"
#include "model/track_list.h"
#include "services/file_names.h"
#include "services/host_windows.h"
#include "wavedeck_messages.h"

namespace wd {

Importer* CreateImporterForFile(const std::string& path) {
    std::vector<char> extension(path.size() + 1, 0);
    if (fileExtension(path.c_str(), extension.data()) != 0) return nullptr;
    toLowerAscii(extension.data());
    const std::string ext = extension.data();
    if (ext == "mp3" || ext == "mp2" || ext == "mp1") return new MpegAudioImporter;
    if (ext == "ogg") return new OggVorbisImporter;
    // "aif" and "aifc" are the names AIFF files usually carry: they take the same reader.
    if (ext == "wav" || ext == "aiff" || ext == "aif" || ext == "aifc") return new SoundFileImporter;
    if (ext == "wma") return new WindowsMediaImporter;
    if (ext == "cda") return new CdAudioImporter;
    return nullptr;
}

Exporter* CreateExporterForType(int type) {
    switch (type) {
        case kExportWave: return new WaveExporter;
        case kExportMp3: return new Mp3Exporter;
        case kExportWma: return new WmaExporter;
        case kExportOggVorbis: return new OggVorbisExporter;
        default: return nullptr;
    }
}

FileOperations& FileOperations::instance() {
    static FileOperations* operations = new FileOperations;
    return *operations;
}

void FileOperations::ImporterDeleter::operator()(Importer* importer) const { Importer::Destroy(importer); }
void FileOperations::ExporterDeleter::operator()(Exporter* exporter) const { delete exporter; }

void FileOperations::setImporter(Importer* importer) { importer_.reset(importer); }

void FileOperations::setExporter(Exporter* exporter) { exporter_.reset(exporter); }

bool FileOperations::open(HWND progressWindow, const std::string& path) {
    setImporter(nullptr);
    Importer* importer = CreateImporterForFile(path);
    setImporter(importer);
    if (!importer) {
        HostWindows::instance().broadcast(NotifyUnsupportedFile);
        return false;
    }
    importer->AddProgressWindow(progressWindow);
    return importer->Start(path);
}

bool FileOperations::save(HWND progressWindow, const char* path, int type, bool selection) {
    setExporter(nullptr);
    Exporter* exporter = CreateExporterForType(type);
    setExporter(exporter);
    if (!exporter || !path) return false;
    Track* track = TrackList::instance().current();
    if (!track) return false;
    exporter->path = path;
    exporter->SetTrack(track);
    exporter->SetProgressWindow(progressWindow);
    return selection ? exporter->SaveSelection() : exporter->SaveAll();
}

void FileOperations::cancelOpen() {
    if (importer_) importer_->Cancel();
}

void FileOperations::cancelSave() {
    if (exporter_) exporter_->Cancel();
}

void FileOperations::stopAll() {
    setImporter(nullptr);
    setExporter(nullptr);
}

}  // namespace wd
