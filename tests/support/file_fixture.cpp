#include "support/file_fixture.h"

#include "formats/file_operations.h"
#include "model/track_list.h"
#include "services/library_windows.h"
#include "wavedeck.h"
#include "wavedeck_messages.h"

namespace wdtest {

using wd::Track;
using wd::TrackList;

void FileFixture::SetUp() {
    main = host.addChild(host.frame(), 0, 0, 10, 10);
    progressWindow = host.addChild(host.frame(), 0, 20, 10, 10);
    // The test window stands in for the library's main window: the end messages come here.
    wd::LibraryWindows::instance().setWindow(wd::LibraryWindows::Which::Main, main);
    tracksBefore = TrackList::instance().count();
}

void FileFixture::TearDown() {
    WDXCancelOpenFile();
    WDXCancelSaveFile();
    wd::FileOperations::instance().stopAll();
    wd::LibraryWindows::instance().setWindow(wd::LibraryWindows::Which::Main, nullptr);
    while (TrackList::instance().count() > 0) TrackList::instance().removeTrack(TrackList::instance().trackAt(0));
}

Track* FileFixture::open(const std::string& path) {
    host.clearLog();
    // A reader that cannot start posts its failure too.
    WDXOpenTrackFile(progressWindow, path.c_str());
    const bool ended = host.pumpUntil(
        [&] {
            return host.count(main, MsgImportComplete) + host.count(main, MsgImportFailed) > 0 &&
                   host.count(progressWindow, NotifyImportDone) + host.count(progressWindow, NotifyImportFailed) > 0;
        },
        20s);
    EXPECT_TRUE(ended) << "no end message for " << path;
    auto done = host.messages(main, MsgImportComplete);
    if (done.empty()) return nullptr;
    auto* track = reinterpret_cast<Track*>(done.front().lParam);
    TrackList::instance().setCurrent(track);
    return track;
}

bool FileFixture::save(const std::string& path, int type, bool selection) {
    host.clearLog();
    const int started = selection ? WDXSaveSelectFile(progressWindow, path.c_str(), type)
                                  : WDXSaveTrackFile(progressWindow, path.c_str(), type);
    if (started != 0) return false;
    host.pumpUntil(
        [&] {
            return host.count(main, MsgSaveComplete) + host.count(main, MsgSaveFailed) > 0 &&
                   host.count(progressWindow, NotifySaveDone) + host.count(progressWindow, NotifySaveFailed) > 0;
        },
        20s);
    return host.count(main, MsgSaveComplete) == 1 && host.count(progressWindow, NotifySaveDone) == 1;
}

std::vector<float> FileFixture::samplesOf(const Track& track, int channel) {
    std::vector<float> out(static_cast<size_t>(track.length()));
    track.channel(channel)->sequence().readSamples(out.data(), 0, track.length());
    return out;
}

std::vector<LPARAM> FileFixture::progress(UINT msg) const {
    std::vector<LPARAM> values;
    for (const auto& m : host.messages(progressWindow, msg)) values.push_back(m.lParam);
    return values;
}

}  // namespace wdtest
