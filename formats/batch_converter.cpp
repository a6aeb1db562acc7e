#include "formats/batch_converter.h"

#include <filesystem>
#include <system_error>

#include "formats/exporter.h"
#include "formats/file_operations.h"
#include "formats/importer.h"
#include "model/track_list.h"
#include "services/file_names.h"
#include "services/module.h"
#include "wavedeck_messages.h"
#include "wavedeck_win.h"

namespace wd {
namespace {

BatchConverter*& theConverter() {
    static BatchConverter* converter = nullptr;
    return converter;
}

// The extension of each output type's files; empty for a number without a writer.
std::string extensionOf(int type) {
    switch (type) {
        case kExportWave: return ".wav";
        case kExportMp3: return ".mp3";
        case kExportWma: return ".wma";
        case kExportOggVorbis: return ".ogg";
        default: return "";
    }
}

// The file name of path without its folder and extension ("a.b" of "/in/a.b.wav").
std::string baseNameOf(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

bool writerExists(int type) {
    Exporter* probe = CreateExporterForType(type);
    delete probe;
    return probe != nullptr;
}

// One spelling per file, so that two paths of one file compare equal.
std::string fileKey(const std::string& path) {
    std::error_code error;
    const std::filesystem::path canonical = std::filesystem::weakly_canonical(path, error);
    return error ? path : canonical.string();
}

}  // namespace

void BatchConverter::ImporterDeleter::operator()(Importer* importer) const { Importer::Destroy(importer); }
void BatchConverter::ExporterDeleter::operator()(Exporter* exporter) const { delete exporter; }

BatchConverter* BatchConverter::instance() { return theConverter(); }

bool BatchConverter::create() {
    destroy();
    WNDCLASSA windowClass{};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = &BatchConverter::windowProc;
    windowClass.hInstance = moduleHandle();
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kClassName;
    RegisterClassA(&windowClass);
    auto* converter = new BatchConverter;
    theConverter() = converter;
    converter->window_ = CreateWindowExA(0, kClassName, "wd", 0, 0, 0, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                                         moduleHandle(), nullptr);
    if (!converter->window_) {
        destroy();
        return false;
    }
    ShowWindow(converter->window_, SW_HIDE);
    return true;
}

void BatchConverter::destroy() {
    BatchConverter* converter = theConverter();
    if (!converter) return;
    converter->stopWorkers();
    converter->dropQueuedEndMessages();
    converter->dropCurrentTrack();
    theConverter() = nullptr;
    if (converter->window_) DestroyWindow(converter->window_);
    UnregisterClassA(kClassName, moduleHandle());
    delete converter;
}

BatchConverter::~BatchConverter() = default;

bool BatchConverter::addFile(const char* path) {
    if (!path || !fileExists(path)) return false;
    files_.push_back({path, 0});
    return true;
}

bool BatchConverter::deleteFile(const char* path) {
    if (!path) return false;
    for (auto it = files_.begin(); it != files_.end(); ++it) {
        if (it->path == path) {
            files_.erase(it);
            return true;
        }
    }
    return false;
}

bool BatchConverter::setOutputFolder(const char* folder) {
    if (!folder) return false;
    outputFolder_ = folder;
    return true;
}

void BatchConverter::setOutputType(int type) { outputType_ = type; }

bool BatchConverter::setProgressWindow(HWND window) {
    if (!IsWindow(window)) return false;
    progressWindow_ = window;
    return true;
}

bool BatchConverter::begin() {
    if (running_) return false;
    running_ = true;
    index_ = 0;
    takenNames_.clear();
    for (const BatchFileEntry& entry : files_) takenNames_.insert(fileKey(entry.path));
    convertNext();
    return true;
}

void BatchConverter::cancel() {
    if (importer_) importer_->Cancel();
    if (exporter_) exporter_->Cancel();
    dropQueuedEndMessages();
    dropCurrentTrack();
    running_ = false;
}

LRESULT CALLBACK BatchConverter::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    BatchConverter* converter = theConverter();
    if (converter && converter->window_ == window) return converter->handle(message, wParam, lParam);
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT BatchConverter::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case MsgImportComplete: {
            auto* track = reinterpret_cast<Track*>(lParam);
            if (!running_) {
                // A read that ended just before a cancel: its track has no use.
                if (track) TrackList::instance().removeTrack(track);
                return 0;
            }
            dropCurrentTrack();
            track_ = track;
            startExport();
            return 0;
        }
        case MsgSaveComplete:
            if (!running_) return 0;
            dropCurrentTrack();
            ++index_;
            convertNext();
            return 0;
        case MsgImportFailed:
        case MsgSaveFailed:
            if (!running_) return 0;
            ++index_;
            convertNext();
            return 0;
        default:
            // Cancelled reads and saves (1425, 1444) end the run here: nothing follows them.
            return DefWindowProcA(window_, message, wParam, lParam);
    }
}

void BatchConverter::convertNext() {
    importer_.reset();
    exporter_.reset();
    if (index_ >= static_cast<int>(files_.size())) {
        dropCurrentTrack();
        running_ = false;
        PostMessageA(progressWindow_, NotifyBatchDone, 0, 0);
        return;
    }
    // The list may change during the run: the entry being converted is remembered.
    currentPath_ = files_[static_cast<size_t>(index_)].path;
    Importer* importer = CreateImporterForFile(currentPath_);
    if (!importer) {
        PostMessageA(progressWindow_, NotifyUnsupportedFile, 0, 0);
        PostMessageA(window_, MsgImportFailed, 0, 0);
        return;
    }
    importer_.reset(importer);
    // No file is read that could not be written.
    if (!writerExists(outputType_)) {
        skipAsUnwritten();
        return;
    }
    importer->batchWindow = window_;
    importer->AddProgressWindow(progressWindow_);
    importer->batchMode = true;
    importer->Start(currentPath_);
}

void BatchConverter::startExport() {
    importer_.reset();
    exporter_.reset();
    Exporter* exporter = CreateExporterForType(outputType_);
    if (!exporter) {
        skipAsUnwritten();
        return;
    }
    exporter_.reset(exporter);
    exporter->batchWindow = window_;
    exporter->SetProgressWindow(progressWindow_);
    exporter->batchMode = true;
    exporter->SetTrack(track_);
    exporter->path = outputPathFor(currentPath_);
    exporter->SaveAll();
}

void BatchConverter::skipAsUnwritten() const {
    PostMessageA(progressWindow_, NotifySaveFailed, 0, 0);
    PostMessageA(window_, MsgSaveFailed, 0, 0);
}

std::string BatchConverter::outputPathFor(const std::string& input) {
    const std::string stem = outputFolder_ + "/" + baseNameOf(input), extension = extensionOf(outputType_);
    std::string path = stem + extension;
    for (int n = 2; takenNames_.count(fileKey(path)); ++n) path = stem + " (" + std::to_string(n) + ")" + extension;
    takenNames_.insert(fileKey(path));
    return path;
}

void BatchConverter::dropCurrentTrack() {
    if (track_) TrackList::instance().removeTrack(track_);
    track_ = nullptr;
}

void BatchConverter::stopWorkers() {
    importer_.reset();
    exporter_.reset();
}

void BatchConverter::dropQueuedEndMessages() {
    MSG msg;
    while (PeekMessageA(&msg, window_, MsgImportComplete, MsgSaveFailed, PM_REMOVE)) {
        if (msg.message == MsgImportComplete && msg.lParam) {
            TrackList::instance().removeTrack(reinterpret_cast<Track*>(msg.lParam));
        }
    }
}

}  // namespace wd
