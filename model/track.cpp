#include "model/track.h"

#include <algorithm>
#include <atomic>

#include "model/time_text.h"
#include "model/time_text_receiver.h"

namespace wd {
namespace {

void send(TimeTextReceiver* receiver, TimeTextSlot slot, const std::string& text) {
    if (receiver) receiver->receiveTimeText(slot, text.c_str());
}

// Keeps a channel's selection inside bound samples: a start at or past it moves to its
// last sample, a selection running past it ends one sample before it.
void clampSelection(Channel& c, int bound) {
    c.selStart = std::max(c.selStart, 0);
    c.selLength = std::max(c.selLength, 0);
    if (c.selStart >= bound) c.selStart = bound - 1;
    if (static_cast<int64_t>(c.selStart) + c.selLength > bound) c.selLength = bound - c.selStart - 1;
}

}  // namespace

namespace {
uint64_t nextInstanceSerial() {
    static std::atomic<uint64_t> serial{0};
    return serial++;
}
}  // namespace

Track::Track() : instanceSerial_(nextInstanceSerial()) {}

Track::~Track() = default;

int Track::setChannelCount(int n) {
    if (n < 1 || n > 2) return -1;
    channels_[0] = std::make_unique<Channel>();
    channels_[1] = n > 1 ? std::make_unique<Channel>() : nullptr;
    channelCount_ = n;
    return n;
}

Channel* Track::channel(int i) const { return i == 0 || i == 1 ? channels_[i].get() : nullptr; }

int Track::setChannel(int i, std::unique_ptr<Channel> c) {
    if (i != 0 && i != 1) return -1;
    channels_[i] = std::move(c);
    return 0;
}

int Track::length() const {
    int len = 0;
    for (const auto& c : channels_) {
        if (c) len = std::max(len, c->sequence().length());
    }
    return len;
}

bool Track::assignFrom(const Track* other) {
    if (!other) return false;
    if (other == this) return true;
    for (int i = 0; i < 2; ++i) {
        if (!other->channels_[i]) {
            channels_[i].reset();
            continue;
        }
        if (!channels_[i]) channels_[i] = std::make_unique<Channel>();
        channels_[i]->assignFrom(*other->channels_[i]);
    }
    channelCount_ = other->channelCount_;
    name_ = other->name_;
    id_ = other->id_;
    fitSamplesPerColumn = other->fitSamplesPerColumn;
    zoomFactor = other->zoomFactor;
    samplesPerColumn = other->samplesPerColumn;
    viewColumns = other->viewColumns;
    viewStart = other->viewStart;
    sampleRate = other->sampleRate;
    return true;
}

bool Track::copyTo(Track* other) const { return other && other->assignFrom(this); }

void Track::refreshView() {
    const int len = length();
    // A view is at least one column wide and a column at least one sample, so no
    // division below is by zero, even for an empty track.
    const int w = std::max(viewColumns, 1);
    fitSamplesPerColumn = static_cast<int>(std::max<int64_t>((static_cast<int64_t>(w) + len - 1) / w, 1));

    int z = std::max(zoomFactor, 1);
    int spp = 0;
    while (z > 1 && len < static_cast<int64_t>(z) * w) z /= 2;
    if (z == 1 && len < w) {
        spp = fitSamplesPerColumn;
    } else {
        const int64_t zw = static_cast<int64_t>(z) * w;
        spp = static_cast<int>(std::max<int64_t>((zw + len - 1) / zw, 1));
    }
    zoomFactor = z;
    samplesPerColumn = spp;

    if (viewStart != 0 && len < static_cast<int64_t>(w) * spp + viewStart) viewStart = 0;

    const int bound = len > 0 ? len : static_cast<int>(std::min<int64_t>(static_cast<int64_t>(spp) * DisplayColumns::kMaxColumns, INT32_MAX));
    for (int i = 0; i < 2; ++i) {
        Channel* c = channels_[i].get();
        if (!c) continue;
        clampSelection(*c, bound);
        if (i == 0) reportSelectionTimes(c->selStart, c->selLength);
        DisplayColumns& columns = c->columns();
        const int n = std::min(w, DisplayColumns::kMaxColumns);
        columns.setCount(c->sequence().readColumns(columns.mins.data(), columns.maxs.data(), n, viewStart, spp));
        columns.firstSample = viewStart;
        columns.drawOffset = 0;
    }
}

void Track::reportSelectionTimes(int start, int length) const {
    const std::string startText = timeText(start, sampleRate, TimeTextStyle::Point);
    TimeTextReceiver* receiver = TimeTextReceiver::installed();
    send(receiver, TimeTextSlot::Cursor, startText);
    if (length < 0) return;
    send(receiver, TimeTextSlot::SelectionStart, startText);
    if (length == 0) {
        send(receiver, TimeTextSlot::SelectionEnd, startText);
        send(receiver, TimeTextSlot::SelectionLength, "00:00.000");
        return;
    }
    send(receiver, TimeTextSlot::SelectionEnd, timeText(static_cast<int64_t>(start) + length, sampleRate, TimeTextStyle::Colon));
    send(receiver, TimeTextSlot::SelectionLength, timeText(length, sampleRate, TimeTextStyle::Colon));
}

void Track::reportViewTimes(int position) const {
    const int64_t p = position < 0 ? viewStart : position;
    const int64_t span = static_cast<int64_t>(samplesPerColumn) * viewColumns;
    TimeTextReceiver* receiver = TimeTextReceiver::installed();
    send(receiver, TimeTextSlot::ViewStart, timeText(p, sampleRate, TimeTextStyle::Colon));
    send(receiver, TimeTextSlot::ViewEnd, timeText(p + span, sampleRate, TimeTextStyle::Colon));
    send(receiver, TimeTextSlot::ViewLength, timeText(span, sampleRate, TimeTextStyle::Colon));
}

}  // namespace wd
