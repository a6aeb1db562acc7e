// Converts a list of audio files, one after the other, into one output format.
#pragma once

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "wavedeck_types.h"

namespace wd {

class Importer;
class Exporter;
class Track;

/** One file of the batch list. */
struct BatchFileEntry {
    std::string path;
    uint8_t flag = 0;  ///< 0 when added; kept for the host, not used by the conversion
};

/**
 * Reads each file of its list into a temporary Track with the reader its name selects,
 * writes the track with the writer of the output type into the output folder under the
 * input's name, and drops the track. The steps are chained by the end messages that the
 * readers and writers post to a hidden window of the converter (class "wd_temp_class"),
 * so the run is driven by the message loop of the thread that made the converter while the
 * work runs on the readers' and writers' workers.
 *
 * The host's progress window receives, per file, 1126 then 1128 (or 1127) from the
 * reader, 1144 then 1145 (or 1146) from the writer, or 1129 for a file no reader takes;
 * and 1155 once after the last file. A cancelled run ends without 1155.
 *
 * Output names: folder + "/" + the input's file name without its extension + the type's
 * extension. A name that one of the list's inputs holds, or that an earlier file of the
 * same run was written to, gets " (2)", " (3)", ... before the extension, so no input is
 * overwritten and no output of the run replaces another; an older file of the name is
 * replaced.
 *
 * One converter at a time; every call on the thread that made it.
 */
class BatchConverter {
public:
    static constexpr const char* kClassName = "wd_temp_class";

    /** The converter, or null when none exists. */
    static BatchConverter* instance();
    /** Destroys an existing converter and makes a new one with an empty list and folder.
     * @returns false (no converter then) when its hidden window cannot be made. */
    static bool create();
    /** Stops a run (cancelling its reader and writer and waiting for them), drops its
     * track and destroys the converter; nothing when none exists. */
    static void destroy();

    /** Appends an entry; refused (false) for null and for a path where no file is found.
     * The same path may be listed twice. */
    bool addFile(const char* path);
    /** Removes the first entry whose path is byte for byte equal; false when none is. */
    bool deleteFile(const char* path);
    /** Stores the folder as given; refused (false) for null. */
    bool setOutputFolder(const char* folder);
    /** The output type (1 WAV, 2 MP3, 3 WMA, 4 Ogg Vorbis) as given; a number without a
     * writer makes every file fail its save (1146) without being read. */
    void setOutputType(int type);
    /** Stored when it is a window; false (the old one kept) otherwise. */
    bool setProgressWindow(HWND window);
    /** Starts the run at the first entry. Refused (false) while a run goes on. */
    bool begin();
    /** Cancels the running reader and writer (the file being written is not kept), drops
     * the current track and ends the run; the end messages still under way are dropped. */
    void cancel();

    const std::vector<BatchFileEntry>& files() const { return files_; }
    HWND window() const { return window_; }
    bool running() const { return running_; }

private:
    BatchConverter() = default;
    ~BatchConverter();

    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);

    void convertNext();
    void startExport();
    /** Skips the current file as not written: 1146 to the host, 1446 to the hidden window. */
    void skipAsUnwritten() const;
    std::string outputPathFor(const std::string& input);
    void dropCurrentTrack();
    void stopWorkers();
    /** Removes the end messages still queued for the hidden window (and the tracks that
     * finished reads carry): they belong to a run that has stopped. */
    void dropQueuedEndMessages();

    struct ImporterDeleter {
        void operator()(Importer* importer) const;
    };
    struct ExporterDeleter {
        void operator()(Exporter* exporter) const;
    };

    HWND window_ = nullptr;
    HWND progressWindow_ = nullptr;
    std::vector<BatchFileEntry> files_;
    std::string outputFolder_;
    std::unique_ptr<Importer, ImporterDeleter> importer_;
    std::unique_ptr<Exporter, ExporterDeleter> exporter_;
    int index_ = 0;
    std::string currentPath_;
    Track* track_ = nullptr;
    int outputType_ = 0;
    bool running_ = false;
    std::set<std::string> takenNames_;  // inputs of the list and outputs of this run
};

}  // namespace wd
