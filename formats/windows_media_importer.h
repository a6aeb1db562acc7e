// Reads Windows Media audio files (.wma) into a Track through the Windows Media reader.
#pragma once

#include <memory>
#include <string>

#include "formats/importer.h"

namespace wd {

class WindowsMediaReaderCallback;

/**
 * Start opens the file on the calling thread (it waits until the reader has read the
 * header) and starts the reader; the samples then arrive on the reader's runtime thread,
 * where the WindowsMediaReaderCallback builds the Track and reports progress (1126, in
 * frames of the first audio stream against the duration the header states) and the end.
 *
 * Cancel stops and closes the reader, waiting until no callback runs, then posts 1425
 * and removes the Track made so far, unless the import had already ended: a Track
 * already reported with 1424 stays. Start, Cancel and the destructor run on the
 * user-interface thread.
 */
class WindowsMediaImporter : public Importer {
public:
    WindowsMediaImporter();
    /** Cancels a running import first. */
    ~WindowsMediaImporter() override;

    bool Start(const std::string& path) override;
    void Cancel() override;

private:
    std::unique_ptr<WindowsMediaReaderCallback> callback_;
};

}  // namespace wd
