#include "support/file_session.h"

#include "model/track_list.h"
#include "support/signal.h"
#include "formats/file_operations.h"
#include "services/library_windows.h"
#include "wavedeck.h"
#include "wavedeck_messages.h"

namespace wdtest {

FileSession::FileSession() {
    main = host.addChild(host.frame(), 0, 0, 10, 10);
    progress = host.addChild(host.frame(), 0, 20, 10, 10);
    wd::LibraryWindows::instance().setWindow(wd::LibraryWindows::Which::Main, main);
}

FileSession::~FileSession() {
    WDXCancelOpenFile();
    WDXCancelSaveFile();
    wd::FileOperations::instance().stopAll();
    wd::LibraryWindows::instance().setWindow(wd::LibraryWindows::Which::Main, nullptr);
    wd::TrackList& tracks = wd::TrackList::instance();
    while (tracks.count() > 0) tracks.removeTrack(tracks.trackAt(0));
}

wd::Track* FileSession::open(const std::string& path) {
    host.clearLog();
    if (WDXOpenTrackFile(progress, path.c_str()) != 0) return nullptr;
    host.pumpUntil([&] {
        return host.count(main, MsgImportComplete) + host.count(main, MsgImportFailed) > 0 &&
               host.count(progress, NotifyImportDone) + host.count(progress, NotifyImportFailed) > 0;
    });
    auto done = host.messages(main, MsgImportComplete);
    if (done.empty()) return nullptr;
    auto* track = reinterpret_cast<wd::Track*>(done.front().lParam);
    wd::TrackList::instance().setCurrent(track);
    return track;
}

bool FileSession::save(const std::string& path, int type, bool selection) {
    host.clearLog();
    int started = selection ? WDXSaveSelectFile(progress, path.c_str(), type) : WDXSaveTrackFile(progress, path.c_str(), type);
    if (started != 0) return false;
    host.pumpUntil([&] {
        return host.count(main, MsgSaveComplete) + host.count(main, MsgSaveFailed) > 0 &&
               host.count(progress, NotifySaveDone) + host.count(progress, NotifySaveFailed) > 0;
    });
    return host.count(main, MsgSaveComplete) == 1 && host.count(progress, NotifySaveDone) == 1;
}

std::vector<float> FileSession::samplesOf(const wd::Track& track, int channel) {
    const wd::Sequence& sequence = track.channel(channel)->sequence();
    std::vector<float> out(static_cast<size_t>(sequence.length()));
    sequence.readSamples(out.data(), 0, sequence.length());
    return out;
}

wd::Track* FileSession::makeTrack(const std::vector<float>& interleaved, int channels, int rate) {
    wd::Track* track = wd::TrackList::instance().addTrack("made");
    track->setChannelCount(channels);
    track->sampleRate = rate;
    for (int c = 0; c < channels; ++c) {
        std::vector<float> one = channel(interleaved, channels, c);
        track->channel(c)->sequence().appendSamples(one.data(), static_cast<int>(one.size()));
        track->channel(c)->sequence().flushAppend();
    }
    wd::TrackList::instance().setCurrent(track);
    return track;
}

}  // namespace wdtest
