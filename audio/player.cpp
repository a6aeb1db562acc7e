#include "audio/player.h"

#include <algorithm>

#include "audio/wave_devices.h"
#include "model/sample_converter.h"
#include "model/track.h"
#include "wavedeck_messages.h"
#include "wavedeck_win.h"

namespace wd {
namespace {

constexpr int kMonoFrames = Player::kBufferBytes / 2;
constexpr int kStereoFrames = Player::kBufferBytes / 4;

/** n = frames to read from p toward the end e: none at or past it, at most `frames`. */
int playCount(int p, int e, int frames) {
    if (p >= e) return 0;
    return static_cast<int64_t>(p) + frames >= e ? e - p : frames;
}

}  // namespace

Player& Player::instance() {
    static auto* player = new Player;
    return *player;
}

bool Player::play(Track& track, int mode, bool recording) {
    if (mode < kPlaySelection || mode > kLoopSelection || !track.channel(0)) return false;
    const Channel& first = *track.channel(0);
    const int capturedStart = first.selStart;
    const int capturedLength = first.selLength;
    playingRecording_.store(recording);
    stop();

    std::unique_lock lock(mutex_);
    // Nothing of the old play runs any more: its device is closed.
    for (PlayBuffer& buffer : buffers_) buffer.allocate(kBufferBytes);
    stopFlag_.store(false);
    track_ = &track;
    mode_ = mode;

    const int channels = track.channelCount();
    const Channel* second = channels == 2 ? track.channel(1) : nullptr;
    if (!second) {
        layout_ = Layout::Mono;
    } else if (first.selectedFlag) {
        layout_ = second->selectedFlag ? Layout::Both : Layout::Left;
    } else {
        layout_ = Layout::Right;
    }
    const WORD outputChannels = layout_ == Layout::Both ? 2 : 1;
    format_ = WAVEFORMATEX{};
    format_.wFormatTag = WAVE_FORMAT_PCM;
    format_.nChannels = outputChannels;
    format_.nSamplesPerSec = static_cast<DWORD>(track.sampleRate);
    format_.wBitsPerSample = 16;
    format_.nBlockAlign = static_cast<WORD>(2 * outputChannels);
    format_.nAvgBytesPerSec = format_.nSamplesPerSec * format_.nBlockAlign;
    meter_.start(format_.nAvgBytesPerSec, kBufferBytes);

    const int length0 = first.sequence().length();
    const int length1 = second ? second->sequence().length() : 0;
    if (mode == kPlayToEnd) {
        end0_ = length0;
        end1_ = length1;
    } else if (!second) {
        end0_ = first.selLength ? first.selStart + first.selLength : length0;
        end1_ = 0;
    } else {
        end0_ = capturedLength ? capturedStart + capturedLength : length0;
        end1_ = second->selLength ? capturedStart + capturedLength : length1;
    }
    endMax_ = second ? std::max(end0_, end1_) : end0_;

    fillPosition_.store(capturedStart);
    for (PlayBuffer& buffer : buffers_) fill(buffer);
    playing_.store(true);
    if (!recording) post(MsgPlayStarted);

    const int deviceNumber = WaveDevices::instance().waveOut();
    if (waveOutOpen(&device_, static_cast<UINT>(deviceNumber), &format_, reinterpret_cast<DWORD_PTR>(&waveCallback),
                    reinterpret_cast<DWORD_PTR>(this), CALLBACK_FUNCTION) != MMSYSERR_NOERROR) {
        device_ = nullptr;
    }
    const bool opened = device_ != nullptr;
    int submitted = 0;
    if (device_) {
        current_ = kBufferCount - 1;
        queued_ = 0;
        for (int i = 0; i < kBufferCount; ++i) submitted += submit(device_) ? 1 : 0;
    }
    paused_.store(false);
    lock.unlock();
    // Without a device that plays, the play would stay silent in the playing state: end
    // it now, so the main window hears MsgPlayStopped as after any other stop.
    if (submitted == 0) stop();
    return opened;
}

bool Player::stop() {
    if (!playing_.load()) return false;
    stopFlag_.store(true);
    if (device_) {
        // The reset returns the queued buffers through the callback, which ignores them
        // now; after the close no callback runs.
        waveOutReset(device_);
        waveOutClose(device_);
        device_ = nullptr;
    }
    playing_.store(false);
    paused_.store(false);
    if (!playingRecording_.load()) post(MsgPlayStopped);
    return true;
}

bool Player::stopPlayingTrack(const Track* track) {
    return playing_.load() && track_ == track && stop();
}

void Player::pause() {
    if (!playing_.load()) return;
    waveOutPause(device_);
    paused_.store(true);
}

void Player::resume() {
    if (!playing_.load()) return;
    waveOutRestart(device_);
    paused_.store(false);
}

void Player::addWindow(HWND window) {
    std::lock_guard lock(windowsMutex_);
    if (std::find(windows_.begin(), windows_.end(), window) == windows_.end()) windows_.push_back(window);
}

void Player::post(UINT message) {
    std::lock_guard lock(windowsMutex_);
    for (HWND window : windows_) PostMessageA(window, message, 0, 0);
}

void CALLBACK Player::waveCallback(void* handle, UINT message, DWORD_PTR instance, DWORD_PTR param1, DWORD_PTR) {
    auto* player = reinterpret_cast<Player*>(instance);
    if (message != WOM_DONE || player->stopFlag_.load()) return;
    player->bufferDone(static_cast<HWAVEOUT>(handle), reinterpret_cast<WAVEHDR*>(param1));
}

void Player::bufferDone(HWAVEOUT device, WAVEHDR* header) {
    std::lock_guard lock(mutex_);
    // A stop may have begun while this thread waited for the lock.
    if (stopFlag_.load() || !header || !(header->dwFlags & WHDR_DONE)) return;
    --queued_;
    header->dwFlags = 0;
    if (waveOutUnprepareHeader(device, header, sizeof *header) != MMSYSERR_NOERROR) return;
    const auto* finished = reinterpret_cast<const PlayBuffer*>(header->dwUser);
    const int64_t reached = static_cast<int64_t>(finished->start()) + finished->frameCount();
    if (mode_ != kLoopSelection && reached >= playEnd()) {
        post(MsgPlayRangeEnd);
        return;
    }
    try {
        fill(buffers_[static_cast<size_t>((current_ + 1) % kBufferCount)]);
    } catch (...) {
        // No memory to read with: end the play rather than lose the device thread.
        post(MsgPlayRangeEnd);
        return;
    }
    if (submit(device)) {
        if (!playingRecording_.load()) post(MsgPlayProgress);
    } else if (queued_ == 0) {
        // The device took none back (its server went away): nothing will ever finish
        // again, so report the end and let the main window stop the play.
        post(MsgPlayRangeEnd);
    }
}

int Player::playEnd() const {
    switch (layout_) {
        case Layout::Right: return end1_;
        case Layout::Both: return endMax_;
        default: return end0_;
    }
}

void Player::fill(PlayBuffer& buffer) {
    buffer.clear();
    if (mode_ == kLoopSelection) {
        loopFill(buffer);
    } else {
        playFill(buffer);
    }
}

int Player::read(int channel, int16_t* dst, int start, int count) const {
    if (count < 1) return 0;
    return SampleConverter::readChannelPcm16(*track_->channel(channel), dst, start, count);
}

void Player::playFill(PlayBuffer& buffer) {
    const int p = fillPosition_.load();
    const int end = playEnd();
    int n = 0;
    if (layout_ == Layout::Both) {
        n = playCount(p, end, kStereoFrames);
        left_.fill(0);
        right_.fill(0);
        read(0, left_.data(), p, n);
        read(1, right_.data(), p, n);
        SampleConverter::interleavePair(left_.data(), right_.data(), 2, kStereoFrames * 2, buffer.samples());
    } else {
        n = playCount(p, end, kMonoFrames);
        read(layout_ == Layout::Right ? 1 : 0, buffer.samples(), p, n);
    }
    buffer.setRange(p, n);
    fillPosition_.store(p + n);
}

int Player::readFrames(int16_t* first, int16_t* second, int offset, int start, int count) const {
    if (!second) return read(layout_ == Layout::Right ? 1 : 0, first + offset, start, count);
    return std::max(read(0, first + offset, start, count), read(1, second + offset, start, count));
}

int Player::fillPieces(int16_t* first, int16_t* second, int frames, int p, int loopStart, int end) const {
    int filled = 0;
    while (filled < frames) {
        const int missing = frames - filled;
        const bool atLoopStart = p == loopStart;
        int count = missing;
        int next = p + missing;
        if (end < static_cast<int64_t>(p) + missing) {
            count = end - p;  // may be 0 or less: the piece then reads nothing
            next = loopStart;
        }
        const int got = readFrames(first, second, filled, p, count);
        filled += got;
        p = next;
        // A piece from the loop start that delivers nothing means every later piece
        // delivers nothing either (an empty range, or one beyond the data): the rest of
        // the buffer stays silent.
        if (got == 0 && atLoopStart) break;
    }
    return p;
}

void Player::loopFill(PlayBuffer& buffer) {
    int p = fillPosition_.load();
    const bool both = layout_ == Layout::Both;
    const int frames = both ? kStereoFrames : kMonoFrames;
    const Channel& source = *track_->channel(layout_ == Layout::Right ? 1 : 0);
    const int loopStart = source.selStart;
    int rangeLength = source.selLength;
    if (rangeLength == 0) {
        rangeLength = source.sequence().length() - loopStart;
        if (both) rangeLength = std::max(rangeLength, track_->channel(1)->sequence().length() - loopStart);
    }
    const int end = both ? endMax_ : end0_;
    int16_t* first = both ? left_.data() : buffer.samples();
    int16_t* second = both ? right_.data() : nullptr;
    if (both) {
        left_.fill(0);
        right_.fill(0);
    }
    if (rangeLength < frames) {
        p = fillPieces(first, second, frames, p, loopStart, end);
    } else if (static_cast<int64_t>(p) + frames <= end) {
        readFrames(first, second, 0, p, frames);
        p += frames;
    } else {
        // The range's end, then its start. A position already past the end (only when the
        // selection changed under the play) reads nothing before the wrap.
        const int head = std::clamp(end - p, 0, frames);
        readFrames(first, second, 0, p, head);
        const int rest = frames - head;
        readFrames(first, second, head, loopStart, rest);
        p = loopStart + rest;
    }
    if (both) SampleConverter::interleavePair(left_.data(), right_.data(), 2, kStereoFrames * 2, buffer.samples());
    fillPosition_.store(p);
    buffer.setRange(p, 0);
}

bool Player::submit(HWAVEOUT device) {
    current_ = (current_ + 1) % kBufferCount;
    PlayBuffer& buffer = buffers_[static_cast<size_t>(current_)];
    WAVEHDR& header = buffer.prepareHeader();
    LevelRecord level;
    if (meter_.measure(buffer.samples(), buffer.capacity(), format_.nChannels, level)) {
        if (LevelListener* listener = levelListener_.load()) listener->levelsMeasured(level);
    }
    if (waveOutPrepareHeader(device, &header, sizeof header) != MMSYSERR_NOERROR) return false;
    if (waveOutWrite(device, &header, sizeof header) != MMSYSERR_NOERROR) return false;
    ++queued_;
    return true;
}

}  // namespace wd
