#include "formats/windows_media_importer.h"

#include "formats/output_file.h"
#include "formats/windows_media_reader_callback.h"
#include "model/track_list.h"
#include "platform/wmrt/wm_text.h"
#include "wavedeck_messages.h"

namespace wd {

WindowsMediaImporter::WindowsMediaImporter() : callback_(std::make_unique<WindowsMediaReaderCallback>(*this)) {}

WindowsMediaImporter::~WindowsMediaImporter() { Cancel(); }

bool WindowsMediaImporter::Start(const std::string& path) {
    Cancel();
    beginRead();
    callback_ = std::make_unique<WindowsMediaReaderCallback>(*this);
    callback_->setProgressWindow(progressWindows.empty() ? nullptr : progressWindows.front());
    callback_->setReader(std::make_unique<wm::WmReader>());
    wm::HRESULT hr = callback_->open(wm::widenText(path));
    if (wm::succeeded(hr)) hr = callback_->reader()->Start(0, 0, 1.0f, nullptr);
    if (wm::failed(hr)) {
        callback_->close();
        callback_->setEnded();
        // The reader opens by name: whether the file itself is the trouble is asked here.
        FileProblem problem = FileProblem::NotSound;
        FileDescriptor probe(openRegularFileForReading(path, &problem));
        setFailure(probe.get() >= 0 ? FileProblem::NotSound : problem);
        PostMessageA(finalWindow(), MsgImportFailed, 0, 0);
        NotifyProgressWindows(NotifyImportFailed, 0, 0);
        return false;
    }
    return true;
}

void WindowsMediaImporter::Cancel() {
    if (!callback_->reader()) return;
    callback_->close();
    if (callback_->ended()) return;
    callback_->setEnded();
    PostMessageA(finalWindow(), MsgImportCancelled, 0, 0);
    if (Track* track = callback_->track()) TrackList::instance().removeTrack(track);
    callback_->forgetTrack();
}

}  // namespace wd
