#include "effects/convert_format.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "effects/channel_source.h"
#include "model/track.h"

namespace wd {
namespace {

constexpr double kMaxRatio = 256;  // libsamplerate's range of conversion ratios

}  // namespace

ConvertFormat::ConvertFormat() = default;

ConvertFormat::~ConvertFormat() = default;

bool ConvertFormat::setParameters(const void* block) {
    if (block) {
        rateWord_ = floatWord(block, 0);
        channels_ = intWord(block, 4);
        mode_ = intWord(block, 5);
        weights_[0] = intWord(block, 6);
        weights_[1] = intWord(block, 7);
    }
    return true;
}

Effect::Plan ConvertFormat::plan() {
    const int rate = track_->sampleRate;
    const int count = track_->channelCount();
    if (!std::isfinite(rateWord_) || std::lround(rateWord_) < 1 || rate < 1 || count < 1) return Plan::Refuse;
    if (channels_ < 1 || channels_ > 2 || mode_ < 0 || mode_ > 2) return Plan::Refuse;
    newRate_ = static_cast<int>(std::lround(rateWord_));
    const double ratio = static_cast<double>(newRate_) / rate;
    if (ratio < 1 / kMaxRatio || ratio > kMaxRatio) return Plan::Refuse;
    expected_ = static_cast<int64_t>(std::floor(ratio * track_->length()));
    if (expected_ > Sequence::kMaxLength) return Plan::Refuse;
    return newRate_ == rate && channels_ == count ? Plan::Nothing : Plan::Work;
}

bool ConvertFormat::process() {
    const int sourceCount = track_->channelCount() == 2 && track_->channel(1) ? 2 : 1;
    // Which old channels feed the new ones (mono to mono or stereo: channel 0 alone).
    bool used[2] = {true, false};
    if (sourceCount == 2) {
        used[0] = channels_ == 2 || mode_ != 1;
        used[1] = channels_ == 2 || mode_ != 0;
    }
    ChannelSource sources[2];
    for (int i = 0; i < 2; ++i) {
        if (used[i]) sources[i].open(track_->channel(i), track_->sampleRate, newRate_);
    }
    for (int i = 0; i < channels_; ++i) built_[i] = std::make_unique<Channel>();
    const double w1 = weights_[0] / 100.0, w2 = weights_[1] / 100.0;
    std::vector<float> in[2] = {std::vector<float>(kChunk), std::vector<float>(kChunk)};
    std::vector<float> out[2] = {std::vector<float>(kChunk), std::vector<float>(kChunk)};
    int64_t done = 0;
    bool more = true;
    bool ok = true;
    while (more && ok) {
        int got[2] = {0, 0};
        more = false;
        for (int i = 0; i < 2; ++i) {
            if (!used[i]) continue;
            std::fill(in[i].begin(), in[i].end(), 0.0f);
            got[i] = sources[i].read(in[i].data(), kChunk);
            more = more || got[i] == kChunk;
        }
        int n[2] = {got[0], got[1]};
        if (sourceCount == 1 && channels_ == 2) {
            n[1] = got[0];
            for (int k = 0; k < got[0]; ++k) {
                out[0][static_cast<size_t>(k)] = static_cast<float>(in[0][static_cast<size_t>(k)] * w1);
                out[1][static_cast<size_t>(k)] = static_cast<float>(in[0][static_cast<size_t>(k)] * w2);
            }
        } else if (sourceCount == 2 && channels_ == 1) {
            if (mode_ == 2) {
                n[0] = std::max(got[0], got[1]);
                for (int k = 0; k < n[0]; ++k) {
                    out[0][static_cast<size_t>(k)] =
                        static_cast<float>(in[0][static_cast<size_t>(k)] * w1 + in[1][static_cast<size_t>(k)] * w2);
                }
            } else {
                n[0] = got[mode_];
                out[0] = in[mode_];
            }
        } else {
            out[0] = in[0];
            out[1] = in[1];
        }
        for (int i = 0; i < channels_ && ok; ++i) {
            ok = n[i] == 0 || built_[i]->sequence().appendSamples(out[i].data(), n[i]) == n[i];
        }
        done += n[0];
        if (expected_ > 0) notifyProgress(done * 100 / expected_);
        ok = ok && !stopRequested();
    }
    for (int i = 0; i < channels_ && ok; ++i) ok = built_[i]->sequence().flushAppend() >= 0;
    for (ChannelSource& source : sources) source.close();
    ready_ = ok;
    return ok;
}

void ConvertFormat::complete(Track& track) {
    if (!ready_) return;
    // A worker that started on the track since this one ended is let finish first: the
    // channels it works on are about to go.
    BusyTracks::instance().waitUntilFree(track.id());
    const Channel& old = *track.channel(0);
    const int selStart = old.selStart, selLength = old.selLength;
    const int columns = old.viewColumns, height = old.viewHeight;
    track.setChannelCount(channels_);
    track.sampleRate = newRate_;
    for (int i = 0; i < channels_; ++i) {
        Channel& c = *built_[i];
        c.selStart = selStart;
        c.selLength = selLength;
        c.viewColumns = columns;
        c.viewHeight = height;
        c.viewRecord.sampleRate = newRate_;
        track.setChannel(i, std::move(built_[i]));
    }
    // The view fits the new length from its start.
    const int w = std::max(track.viewColumns, 1);
    const int fit = static_cast<int>((static_cast<int64_t>(w) + track.length() - 1) / w);
    track.fitSamplesPerColumn = fit;
    track.samplesPerColumn = fit;
    track.zoomFactor = 1;
    track.viewStart = 0;
    track.reportSelectionTimes(selStart, selLength);
    track.reportViewTimes(0);
    for (int i = 0; i < channels_; ++i) {
        Channel& c = *track.channel(i);
        c.viewRecord.fitSamplesPerColumn = fit;
        c.viewRecord.viewStart = 0;
        c.updateColumns(4, 0, track);
    }
    ready_ = false;
}

}  // namespace wd
