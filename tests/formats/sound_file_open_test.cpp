// The descriptor a reader or writer hands to libsndfile stays its own, whether the open
// succeeds or fails: a close of it by the library would make the owner's own close hit a
// file some other thread opened under the same number. And libsndfile's own copy goes
// with the sound file: a long batch must not run out of descriptors.
#include <gtest/gtest.h>

#include "formats/sound_file_open.h"
#include "platform/files/file_io.h"
#include "support/sound_files.h"
#include "support/temp_dir.h"

namespace {

TEST(SoundFileOpen, TheCallersDescriptorOutlivesTheSoundFileAndNoneIsLeft) {
    wdtest::TempDir dir;
    ASSERT_TRUE(wdtest::writePcm16(dir.file("good.wav"), SF_FORMAT_WAV, 1, 8000, wdtest::testPattern(800, 1)));
    ASSERT_TRUE(wdtest::writeFile(dir.file("words.wav"), "not a sound file\n"));
    const struct {
        const char* name;
        int mode;
        bool opens;
    } cases[] = {{"good.wav", SFM_READ, true}, {"words.wav", SFM_READ, false}, {"words.wav", SFM_WRITE, false}};
    // The lowest free descriptor number now; the same once every open below is let go.
    const int probe = wd::openForReading(dir.file("good.wav"));
    ASSERT_TRUE(wd::closeFile(probe));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (int round = 0; round < 10; ++round) {
            const int fd = wd::openForReading(dir.file(c.name));
            ASSERT_GE(fd, 0);
            SF_INFO info{};  // a write with no format asked for fails
            SNDFILE* file = wd::openSoundFileOn(fd, c.mode, &info);
            EXPECT_EQ(file != nullptr, c.opens);
            if (file) EXPECT_TRUE(wd::closeSoundFile(file));
            const int next = wd::duplicateFile(fd);
            EXPECT_GE(next, 0) << "the library closed the caller's descriptor";
            wd::closeFile(next);
            EXPECT_TRUE(wd::closeFile(fd));
        }
    }
    const int after = wd::openForReading(dir.file("good.wav"));
    EXPECT_EQ(after, probe) << "descriptors were left open";
    wd::closeFile(after);
}

}  // namespace
