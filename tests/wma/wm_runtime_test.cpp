// The Windows Media runtime stand-in on its own: the codec table and search, the
// writer's placing of samples, the reader's clock, and paths in UTF-16.
#include <gtest/gtest.h>

#include <cmath>
#include <condition_variable>
#include <cstring>
#include <mutex>

#include "formats/wma_writer_context.h"
#include "platform/wmrt/asf_source.h"
#include "platform/wmrt/wm_profile_manager.h"
#include "platform/wmrt/wm_reader.h"
#include "platform/wmrt/wm_text.h"
#include "platform/wmrt/wm_writer.h"
#include "support/signal.h"
#include "support/temp_dir.h"
#include "wma_files.h"

namespace {

using namespace wd::wm;
// The runtime's own result type, also where the system headers declare one.
using wd::wm::HRESULT;

// Writes frames of a 1 kHz tone (amplitude 0.5) with the format's profile.
HRESULT writeTone(const std::string& path, const MediaType& type, DWORD bitrate, const std::vector<QWORD>& times,
                  int framesEach) {
    WmProfile profile(WMT_VER_9_0);
    profile.AddStream(WmStreamConfig(type, bitrate));
    WmWriter writer;
    if (HRESULT hr = writer.SetProfile(profile); failed(hr)) return hr;
    writer.SetOutputFilename(widenText(path));
    if (HRESULT hr = writer.BeginWriting(); failed(hr)) return hr;
    const int channels = type.wave.channels;
    const auto tone = wdtest::toInt16(
        wdtest::sine(channels, static_cast<int>(type.wave.samplesPerSec), static_cast<size_t>(framesEach), {1000}, 0.5));
    for (QWORD time : times) {
        std::unique_ptr<WmBuffer> sample;
        writer.AllocateSample(static_cast<DWORD>(tone.size() * 2), &sample);
        std::memcpy(sample->data(), tone.data(), tone.size() * 2);
        sample->SetLength(static_cast<DWORD>(tone.size() * 2));
        if (HRESULT hr = writer.WriteSample(0, time, 0, sample.get()); failed(hr)) return hr;
    }
    writer.Flush();
    return writer.EndWriting();
}

TEST(WmRuntime, EveryCodecFormatOnOfferEncodesAndReadsBackAtItsRateAndChannels) {
    wdtest::TempDir dir;
    const WmCodecInfo& codecs = WmProfileManager().codecInfo();
    DWORD count = 0;
    ASSERT_EQ(codecs.GetCodecFormatCount(MajorType::Audio, 0, &count), S_OK);
    ASSERT_GT(count, 40u);
    for (DWORD i = 0; i < count; ++i) {
        std::unique_ptr<WmStreamConfig> config;
        MediaType type;
        ASSERT_EQ(codecs.GetCodecFormat(MajorType::Audio, 0, i, &config), S_OK);
        config->GetMediaType(&type);
        SCOPED_TRACE(std::to_string(type.wave.samplesPerSec) + " Hz, " + std::to_string(type.wave.channels) + " ch, " +
                     std::to_string(config->GetBitrate()));
        const std::string path = dir.file("f" + std::to_string(i) + ".wma");
        ASSERT_EQ(writeTone(path, type, config->GetBitrate(), {0}, static_cast<int>(type.wave.samplesPerSec / 10)), S_OK);
        std::atomic<bool> abort{false};
        std::unique_ptr<AsfSource> source;
        ASSERT_EQ(AsfSource::open(path, abort, source), S_OK);
        ASSERT_EQ(source->outputs().size(), 1u);
        EXPECT_EQ(source->outputs()[0].mediaType.wave.samplesPerSec, type.wave.samplesPerSec);
        EXPECT_EQ(source->outputs()[0].mediaType.wave.channels, type.wave.channels);
    }
}

TEST(WmRuntime, TheCodecSearchTakesTheFirstFormatWithinAThousandBitsPerSecond) {
    struct Case {
        int rate;
        int channels;
        DWORD target;
        DWORD found;  // 0: none fits
    };
    const Case cases[] = {
        {44100, 2, 64000, 64000},   {44100, 2, 128000, 128000}, {44100, 2, 63001, 64000}, {44100, 2, 64999, 64000},
        {44100, 2, 65000, 0},       {44100, 2, 100000, 0},      {44100, 1, 128000, 128000}, {22050, 1, 128000, 0},
        {8000, 1, 24000, 24000},    {12345, 2, 64000, 0},
    };
    WmWriter writer;
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.rate) + "/" + std::to_string(c.channels) + " at " + std::to_string(c.target));
        WmProfile profile(WMT_VER_9_0);
        const HRESULT hr = wd::WmaWriterContext(writer, c.rate, c.channels).addAudioStream(profile, c.target);
        if (c.found == 0) {
            EXPECT_EQ(hr, NS_E_NO_MATCHING_FORMAT);
            EXPECT_EQ(profile.GetStreamCount(), 0u);
            continue;
        }
        ASSERT_EQ(hr, S_OK);
        ASSERT_EQ(profile.GetStreamCount(), 1u);
        MediaType type;
        profile.GetStream(0)->GetMediaType(&type);
        EXPECT_EQ(profile.GetStream(0)->GetBitrate(), c.found);
        EXPECT_EQ(type.wave.formatTag, WAVE_FORMAT_WMAUDIO2);
        EXPECT_EQ(type.wave.samplesPerSec, static_cast<DWORD>(c.rate));
        EXPECT_EQ(type.wave.channels, c.channels);
        EXPECT_GE(type.wave.bitsPerSample, 16);
    }
}

TEST(WmRuntime, TheWriterPlacesSamplesByTheirTimeAndRefusesAnOverlap) {
    WMATEST_NEEDS_FFMPEG();
    wdtest::TempDir dir;
    std::unique_ptr<WmStreamConfig> config;
    MediaType type;
    WmProfile profile(WMT_VER_9_0);
    ASSERT_EQ(wd::WmaWriterContext(*std::make_unique<WmWriter>(), 44100, 1).addAudioStream(profile, 64000), S_OK);
    profile.GetStream(0)->GetMediaType(&type);
    // 0.1 s of tone at 0 s, then at 0.2 s: the gap between is silence.
    ASSERT_EQ(writeTone(dir.file("gap.wma"), type, 64000, {0, 2'000'000}, 4410), S_OK);
    const auto decoded = wmatest::decodedSamples(dir.file("gap.wma"));
    ASSERT_GE(decoded.size(), 13230u);
    auto level = [&](size_t from) { return wdtest::rms({decoded.begin() + static_cast<long>(from), decoded.begin() + static_cast<long>(from) + 2000}); };
    EXPECT_NEAR(level(1000), 0.5 / std::sqrt(2.0), 0.03);
    EXPECT_LT(level(6000), 0.01);
    EXPECT_NEAR(level(10000), 0.5 / std::sqrt(2.0), 0.03);
    EXPECT_EQ(writeTone(dir.file("overlap.wma"), type, 64000, {0, 500'000}, 4410), E_INVALIDARG);
}

// Records what a reader calls back, and serves the user clock as the importer does.
class ClockCallback : public WmReaderCallback {
public:
    WmReader reader;
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<QWORD> times;      // OnTime
    std::vector<QWORD> sampleEnds;  // time + duration of each sample
    std::vector<QWORD> clockAtSample;
    std::vector<int> statuses;
    bool userClock = true;
    QWORD clock = 0;

    HRESULT OnStatus(WmtStatus status, HRESULT, WmtAttrDataType, BYTE*, void*) override {
        if (status == WMT_STARTED && userClock) {
            reader.SetUserProvidedClock(TRUE);
            reader.DeliverTime(clock = kUnitsPerSecond);
        }
        std::lock_guard lock(mutex);
        statuses.push_back(status);
        changed.notify_all();
        return S_OK;
    }
    HRESULT OnSample(DWORD, QWORD time, QWORD duration, DWORD, WmBuffer*, void*) override {
        std::lock_guard lock(mutex);
        sampleEnds.push_back(time + duration);
        clockAtSample.push_back(userClock ? clock : UINT64_MAX);
        // Samples follow each other (times are whole 100-ns units).
        if (sampleEnds.size() > 1) {
            EXPECT_NEAR(static_cast<double>(time), static_cast<double>(sampleEnds[sampleEnds.size() - 2]), 1.0);
        }
        EXPECT_LT(time, clockAtSample.back());
        return S_OK;
    }
    HRESULT OnTime(QWORD time, void*) override {
        {
            std::lock_guard lock(mutex);
            times.push_back(time);
        }
        reader.DeliverTime(clock += kUnitsPerSecond);
        return S_OK;
    }
    bool waitFor(int status) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, std::chrono::seconds(10),
                                [&] { return std::find(statuses.begin(), statuses.end(), status) != statuses.end(); });
    }
};

TEST(WmRuntime, TheReaderDeliversUpToTheUserClockThenReportsTheTime) {
    WMATEST_NEEDS_FFMPEG();
    wdtest::TempDir dir;
    const std::string path = dir.file("clock.wma");
    ASSERT_TRUE(wmatest::ffmpeg(wmatest::sineInput(44100, 1, 3.5, 440) + " -c:a wmav2 '" + path + "'"));
    for (bool userClock : {true, false}) {
        SCOPED_TRACE(userClock ? "user clock" : "free running");
        ClockCallback callback;
        callback.userClock = userClock;
        ASSERT_EQ(callback.reader.Open(widenText(path), &callback, nullptr), S_OK);
        ASSERT_TRUE(callback.waitFor(WMT_OPENED));
        ASSERT_EQ(callback.reader.Start(0, 0, 1.0f, nullptr), S_OK);
        ASSERT_TRUE(callback.waitFor(WMT_END_OF_FILE));
        callback.reader.Close();
        EXPECT_EQ(callback.statuses, (std::vector<int>{WMT_OPENED, WMT_STARTED, WMT_END_OF_FILE, WMT_CLOSED}));
        EXPECT_EQ(callback.times, userClock ? (std::vector<QWORD>{10'000'000, 20'000'000, 30'000'000}) : std::vector<QWORD>{});
        ASSERT_FALSE(callback.sampleEnds.empty());
        EXPECT_NEAR(static_cast<double>(callback.sampleEnds.back()) * 44100 / kUnitsPerSecond,
                    static_cast<double>(wmatest::decodedFrames(path)), 1.0);
    }
}

TEST(WmRuntime, PathsSurviveTheTripThroughUtf16) {
    EXPECT_EQ(widenText("caf\xC3\xA9 \xF0\x9F\x8E\xB5"), u"caf\u00E9 \U0001F3B5");
    for (const std::string& path : {std::string("/m\xC3\xBAsica/a.wma"), std::string("/bad\xFF\xC3(/x\xE2\x82.wma")}) {
        EXPECT_EQ(narrowText(widenText(path)), path);
    }
}

}  // namespace
