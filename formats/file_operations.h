// The open and save flow: choosing a reader or writer, and the one current reader and writer.
#pragma once

#include <memory>
#include <string>

#include "wavedeck_types.h"

namespace wd {

class Importer;
class Exporter;

/** A new reader chosen by the path's lower-cased extension alone ("mp3", "mp2", "mp1",
 * "ogg", "wav", "aiff", "aif", "aifc", "wma", "cda"), or null when no reader handles it. */
Importer* CreateImporterForFile(const std::string& path);
/** A new writer for an output type number (1 WAV, 2 MP3, 3 WMA, 4 Ogg Vorbis), or null. */
Exporter* CreateExporterForType(int type);

/**
 * One per process: holds the reader of the last open and the writer of the last save
 * until the next open or save replaces them. Replacing or stopping one cancels its worker
 * and waits for it first, so no worker outlives its object. User-interface thread only.
 */
class FileOperations {
public:
    static FileOperations& instance();
    FileOperations(const FileOperations&) = delete;
    FileOperations& operator=(const FileOperations&) = delete;

    /** Replaces the current reader by one for path and starts it. Without a reader for the
     * extension every registered host window gets 1129. @returns true when it started. */
    bool open(HWND progressWindow, const std::string& path);
    /** Replaces the current writer by one of the type and starts saving the current track
     * (or its selection). @returns false without a writer for the type, without a current
     * track, or when it could not start. */
    bool save(HWND progressWindow, const char* path, int type, bool selection);
    void cancelOpen();
    void cancelSave();
    /** Stops a running open and save and waits for their workers (the program ends). */
    void stopAll();

    Importer* importer() const { return importer_.get(); }
    Exporter* exporter() const { return exporter_.get(); }
    /** Replaces the current reader (or writer); the old one is cancelled and destroyed first. */
    void setImporter(Importer* importer);
    void setExporter(Exporter* exporter);

private:
    FileOperations() = default;

    struct ImporterDeleter {
        void operator()(Importer* importer) const;
    };
    struct ExporterDeleter {
        void operator()(Exporter* exporter) const;
    };
    std::unique_ptr<Importer, ImporterDeleter> importer_;
    std::unique_ptr<Exporter, ExporterDeleter> exporter_;
};

}  // namespace wd
