// The descriptor a reader or writer hands to libsndfile stays its own, whether the open
// succeeds or fails: a close of it by the library would make the owner's own close hit a
// file some other thread opened under the same number.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include "formats/sound_file_open.h"
#include "support/sound_files.h"
#include "support/temp_dir.h"

namespace {

TEST(SoundFileOpen, TheCallersDescriptorOutlivesTheSoundFileOpenedOrNot) {
    wdtest::TempDir dir;
    ASSERT_TRUE(wdtest::writePcm16(dir.file("good.wav"), SF_FORMAT_WAV, 1, 8000, wdtest::testPattern(800, 1)));
    ASSERT_TRUE(wdtest::writeFile(dir.file("words.wav"), "not a sound file\n"));
    const struct {
        const char* name;
        int mode;
        bool opens;
    } cases[] = {{"good.wav", SFM_READ, true}, {"words.wav", SFM_READ, false}, {"words.wav", SFM_WRITE, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const int fd = ::open(dir.file(c.name).c_str(), c.mode == SFM_READ ? O_RDONLY : O_RDONLY | O_CLOEXEC);
        ASSERT_GE(fd, 0);
        SF_INFO info{};  // a write with no format asked for fails
        SNDFILE* file = wd::openSoundFileOn(fd, c.mode, &info);
        EXPECT_EQ(file != nullptr, c.opens);
        if (file) sf_close(file);
        EXPECT_NE(::fcntl(fd, F_GETFD), -1) << "the library closed the caller's descriptor";
        EXPECT_EQ(::close(fd), 0);
    }
}

}  // namespace
