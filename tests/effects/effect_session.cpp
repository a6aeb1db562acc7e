#include "effect_session.h"

#include <cmath>

#include "model/track_list.h"
#include "services/settings.h"
#include "wavedeck.h"
#include "wavedeck_messages.h"

namespace wdtest {

EffectSession::EffectSession() {
    previousFolder_ = wd::Settings::instance().tempFolder();
    wd::Settings::instance().setTempFolder(dir_.path().c_str());
    WDXRegisterMainWnd(host_.frame());
    progress_ = host_.addChild(host_.frame(), 0, 0, 1, 1);
    main_ = WDXCreateTrackMainWnd(host_.frame(), 0, 0, 605, 380);
    host_.pump();
}

EffectSession::~EffectSession() {
    WDXExitProgram();
    wd::TrackList& list = wd::TrackList::instance();
    while (list.count() > 0) list.removeTrack(list.trackAt(0));
    host_.pump();
    if (IsWindow(main_)) DestroyWindow(main_);
    host_.pump();
    wd::Settings::instance().setTempFolder(previousFolder_.c_str());
}

wd::Track* EffectSession::open(int channels, int frames, const std::function<float(int, int)>& signal, int rate) {
    wd::Track* track = wd::TrackList::instance().addTrack("generated.wav");
    track->setChannelCount(channels);
    track->sampleRate = rate;
    std::vector<float> buffer(static_cast<size_t>(frames));
    for (int c = 0; c < channels; ++c) {
        for (int i = 0; i < frames; ++i) buffer[static_cast<size_t>(i)] = signal(c, i);
        track->channel(c)->viewRecord.sampleRate = rate;
        track->channel(c)->sequence().appendSamples(buffer.data(), frames);
        track->channel(c)->sequence().flushAppend();
    }
    PostMessageA(main_, MsgImportComplete, 0, reinterpret_cast<LPARAM>(track));
    host_.pumpUntil([&] { return wd::TrackList::instance().current() == track; });
    return track;
}

void EffectSession::select(wd::Track* track, int start, int length, bool first, bool second) {
    for (int c = 0; c < track->channelCount(); ++c) {
        wd::Channel* channel = track->channel(c);
        channel->selStart = start;
        channel->selLength = length;
        channel->selectedFlag = c == 0 ? first : second;
    }
}

std::vector<float> EffectSession::samples(const wd::Track* track, int channel) {
    const wd::Sequence& sequence = track->channel(channel)->sequence();
    std::vector<float> out(static_cast<size_t>(sequence.length()));
    sequence.readSamples(out.data(), 0, sequence.length());
    return out;
}

EffectRun EffectSession::apply(int id, const EffectBlock* block) {
    host_.clearLog();
    EffectRun run;
    run.result = WDXDoEffect(progress_, id, reinterpret_cast<LPARAM>(block));
    if (run.result != 0) return run;
    run.ended = host_.waitForMessage(progress_, NotifyEffectDone, 20000ms);
    // The main window's answer to the effect's end is NotifyTrackChanged to the host.
    host_.waitForMessage(host_.frame(), NotifyTrackChanged, 5000ms);
    for (const LoggedMessage& m : host_.messages(progress_)) {
        if (m.message == NotifyEffectProgress) run.progress.push_back(m.lParam);
        if (m.message == NotifyEffectDone) run.doneWord = m.wParam;
    }
    return run;
}

float testSignal(double frequency, double amplitude, int frame, int rate) {
    const double noise = std::sin(frame * 12.9898 + 78.233) * 0.01;
    return static_cast<float>(amplitude * std::sin(2 * M_PI * frequency * frame / rate) + noise);
}

}  // namespace wdtest
