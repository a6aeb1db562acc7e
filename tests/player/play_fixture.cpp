#include "play_fixture.h"

#include <algorithm>

namespace playtest {

void PlayerTest::SetUp() {
    backend = &nullBackend();
    backend->setDevices(1, 1, 2);
    backend->setSpeed(std::numeric_limits<double>::infinity());
    backend->setOpenFails(false);
    backend->setCapture(0, true);
    temp = std::make_unique<wdtest::TempDir>();
    previousTemp = wd::Settings::instance().tempFolder();
    wd::Settings::instance().setTempFolder(temp->path().c_str());
    host = std::make_unique<wdtest::TestHost>();
    mainWindow = host->addChild(host->frame(), 0, 0, 10, 10, 0,
                                [](HWND, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
                                    if (message != MsgPlayRangeEnd) return std::nullopt;
                                    wd::Player::instance().stop();
                                    return 0;
                                });
    player.addWindow(mainWindow);
}

void PlayerTest::TearDown() {
    player.stop();
    player.setPlayingRecording(false);
    host.reset();
    backend->setOpenFails(false);
    backend->setSpeed(std::numeric_limits<double>::infinity());
    wd::Settings::instance().setTempFolder(previousTemp.c_str());
}

std::unique_ptr<wd::Track> PlayerTest::makeTrack(int channels, int length, int rate) {
    auto track = std::make_unique<wd::Track>();
    std::vector<std::vector<float>> signals(static_cast<size_t>(channels), std::vector<float>(static_cast<size_t>(length)));
    for (int c = 0; c < channels; ++c) {
        for (int i = 0; i < length; ++i) signals[static_cast<size_t>(c)][static_cast<size_t>(i)] = sampleFor(stair(c, i));
    }
    fillTrack(*track, signals, rate);
    return track;
}

void PlayerTest::fillTrack(wd::Track& track, const std::vector<std::vector<float>>& signals, int rate) {
    track.setChannelCount(static_cast<int>(signals.size()));
    track.sampleRate = rate;
    for (size_t c = 0; c < signals.size(); ++c) {
        const int length = static_cast<int>(signals[c].size());
        wd::Sequence& sequence = track.channel(static_cast<int>(c))->sequence();
        EXPECT_EQ(sequence.appendSamples(signals[c].data(), length), length);
        EXPECT_GE(sequence.flushAppend(), 0);
    }
}

std::vector<int16_t> PlayerTest::played() {
    std::vector<BYTE> bytes = backend->captured(0);
    std::vector<int16_t> samples(bytes.size() / 2);
    for (size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<int16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
    }
    return samples;
}

bool PlayerTest::waitForStop(size_t times, std::chrono::milliseconds deadline) {
    return host->waitForMessage(mainWindow, MsgPlayStopped, deadline, times);
}

std::vector<UINT> PlayerTest::messages() {
    std::vector<UINT> found;
    for (const wdtest::LoggedMessage& m : host->messages(mainWindow)) {
        if (std::find(std::begin(kPlayMessages), std::end(kPlayMessages), m.message) != std::end(kPlayMessages)) {
            found.push_back(m.message);
        }
    }
    return found;
}

std::vector<int16_t> stairs(int channel, int length) {
    std::vector<int16_t> samples(static_cast<size_t>(length));
    for (int i = 0; i < length; ++i) samples[static_cast<size_t>(i)] = stair(channel, i);
    return samples;
}

namespace {

int16_t at(const std::vector<int16_t>& channel, int i) {
    return i >= 0 && static_cast<size_t>(i) < channel.size() ? channel[static_cast<size_t>(i)] : int16_t{0};
}

}  // namespace

std::vector<int16_t> rangeStream(const std::vector<std::vector<int16_t>>& channels, int start, int end) {
    const int frames = channels.size() == 2 ? kStereoFrames : kMonoFrames;
    const int length = std::max(end - start, 0);
    const int buffers = (length + frames - 1) / frames;
    std::vector<int16_t> stream(static_cast<size_t>(buffers) * kMonoFrames, 0);
    for (int i = 0; i < length; ++i) {
        for (size_t c = 0; c < channels.size(); ++c) {
            stream[static_cast<size_t>(i) * channels.size() + c] = at(channels[c], start + i);
        }
    }
    return stream;
}

void expectRangeThenSilence(const std::vector<int16_t>& got, const std::vector<int16_t>& expected) {
    ASSERT_GE(got.size(), expected.size()) << "the device did not receive the whole range";
    EXPECT_LE(got.size(), expected.size() + 2 * static_cast<size_t>(kMonoFrames)) << "more than two trailing buffers";
    size_t mismatches = 0;
    for (size_t i = 0; i < expected.size(); ++i) {
        if (got[i] != expected[i] && ++mismatches <= 5) {
            ADD_FAILURE() << "sample " << i << ": got " << got[i] << ", expected " << expected[i];
        }
    }
    EXPECT_EQ(mismatches, 0u);
    const auto loud = std::find_if(got.begin() + static_cast<long>(expected.size()), got.end(),
                                   [](int16_t s) { return s != 0; });
    EXPECT_EQ(loud, got.end()) << "sound after the range, at sample " << (loud - got.begin());
}

std::vector<int16_t> loopStream(const std::vector<std::vector<int16_t>>& channels, int start, int end,
                                size_t count) {
    std::vector<int16_t> stream(count, 0);
    const size_t width = channels.size();
    const int length = end - start;
    for (size_t k = 0; k < count; ++k) {
        const int frame = static_cast<int>(k / width);
        stream[k] = at(channels[k % width], start + frame % length);
    }
    return stream;
}

}  // namespace playtest
