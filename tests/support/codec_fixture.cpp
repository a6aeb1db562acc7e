#include "support/codec_fixture.h"

#include "model/track_list.h"
#include "support/signal.h"
#include "support/sound_files.h"
#include "wavedeck_messages.h"

namespace wdtest {

void CodecFixture::requirePrograms(std::initializer_list<const char*> programs) {
    for (const char* program : programs) {
        if (!haveProgram(program)) GTEST_SKIP() << program << " is not installed";
    }
}

std::string CodecFixture::sh(const std::string& command) {
    int code = -1;
    std::string out = runCommand(command + " 2>&1", &code);
    EXPECT_EQ(code, 0) << command << "\n" << out;
    return out;
}

std::string CodecFixture::fill(std::string command, const std::string& in, const std::string& out) {
    command.replace(command.find("IN"), 2, "'" + in + "'");
    command.replace(command.find("OUT"), 3, "'" + out + "'");
    return command;
}

std::vector<float> CodecFixture::writeSweep(const std::string& path, int channels, int rate, size_t frames) {
    auto pcm = toInt16(sweep(channels, rate, frames, 100, 5000, 0.5));
    EXPECT_TRUE(writePcm16(path, SF_FORMAT_WAV, channels, rate, pcm));
    std::vector<float> out(pcm.size());
    for (size_t i = 0; i < pcm.size(); ++i) out[i] = pcm[i] / 32768.0f;
    return out;
}

std::vector<float> CodecFixture::telltaleStereo(int rate, size_t frames) {
    auto stereo = sweep(2, rate, frames, 100, 5000, 0.5);
    for (size_t i = 1; i < stereo.size(); i += 2) stereo[i] = -stereo[i];
    return stereo;
}

void CodecFixture::selectChannelOne(wd::Track& track, int start, int length) {
    for (int c = 0; c < 2; ++c) {
        track.channel(c)->selStart = start;
        track.channel(c)->selLength = length;
    }
    track.channel(0)->selectedFlag = false;
    track.channel(1)->selectedFlag = true;
}

void CodecFixture::expectHostileFiles(const std::vector<Hostile>& hostile) {
    for (const Hostile& h : hostile) {
        SCOPED_TRACE(h.name);
        ASSERT_TRUE(writeFile(dir.file(h.name), h.bytes));
        keepForFuzzing(dir.file(h.name));
        wd::Track* track = files.open(dir.file(h.name));
        if (h.minLength < 0 && !track) {
            EXPECT_EQ(files.host.count(files.main, MsgImportFailed), 1u);
            EXPECT_EQ(files.host.count(files.progress, NotifyImportFailed), 1u);
            EXPECT_EQ(wd::TrackList::instance().count(), 0);
            continue;
        }
        ASSERT_TRUE(track);
        EXPECT_GE(track->length(), h.minLength);
        EXPECT_LE(track->length(), h.maxLength);
    }
}

std::string CodecFixture::noise(size_t count, uint32_t seed) {
    std::string out(count, '\0');
    for (char& c : out) c = static_cast<char>((seed = seed * 1664525u + 1013904223u) >> 24);
    return out;
}

}  // namespace wdtest
