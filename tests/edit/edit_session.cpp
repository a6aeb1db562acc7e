#include "edit_session.h"

#include "model/track_list.h"
#include "services/settings.h"
#include "support/sequence_samples.h"
#include "wavedeck.h"
#include "wavedeck_messages.h"

namespace wdtest {

std::vector<float> ramp(int n, float first, float step) {
    std::vector<float> v(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) v[static_cast<size_t>(i)] = first + step * static_cast<float>(i);
    return v;
}

void select(wd::Track& track, int start, int length, std::vector<bool> flags) {
    for (int i = 0; i < track.channelCount(); ++i) {
        track.channel(i)->selStart = start;
        track.channel(i)->selLength = length;
        if (!flags.empty()) track.channel(i)->selectedFlag = flags[static_cast<size_t>(i)];
    }
}

Channels samples(const wd::Track& track) {
    Channels out;
    for (int i = 0; i < track.channelCount(); ++i) out.push_back(readAll(track.channel(i)->sequence()));
    return out;
}

EditSession::EditSession() : previousFolder_(wd::Settings::instance().tempFolder()) {
    wd::Settings::instance().setTempFolder(dir_.path().c_str());
    notified_ = host_.addChild(host_.frame(), 0, 0, 1, 1);
    progress_ = host_.addChild(host_.frame(), 1, 0, 1, 1);
    WDXRegisterMainWnd(notified_);
    main_ = WDXCreateTrackMainWnd(host_.frame(), 0, 10, 605, 400);
}

EditSession::~EditSession() {
    WDXStopTrack();
    WDXExitProgram();
    DestroyWindow(main_);
    host_.pump();
    wd::Settings::instance().setTempFolder(previousFolder_.c_str());
}

wd::Track* EditSession::open(const Channels& channels, int sampleRate) {
    wd::Track* track = wd::TrackList::instance().addTrack("edited");
    track->setChannelCount(static_cast<int>(channels.size()));
    track->sampleRate = sampleRate;
    for (size_t c = 0; c < channels.size(); ++c) fill(track->channel(static_cast<int>(c))->sequence(), channels[c]);
    PostMessageA(main_, MsgImportComplete, 0, reinterpret_cast<LPARAM>(track));
    host_.pumpUntil([&] { return wd::TrackList::instance().current() == track; });
    host_.clearLog();
    return track;
}

int EditSession::run(int(WINAPI* exportCall)(HWND)) {
    host_.clearLog();
    const int result = exportCall(progress_);
    if (result != 0) return result;
    return host_.waitForMessage(progress_, NotifyEditDone, std::chrono::seconds(30)) ? 0 : -2;
}

std::vector<long> EditSession::progress() const {
    std::vector<long> out;
    for (const auto& m : host_.messages(progress_, NotifyEditProgress)) out.push_back(static_cast<long>(m.lParam));
    return out;
}

std::vector<UINT> EditSession::notifications() {
    host_.pump();
    std::vector<UINT> out;
    for (const auto& m : host_.messages(notified_)) {
        if (m.message >= WM_USER) out.push_back(m.message);
    }
    return out;
}

}  // namespace wdtest
