#include "failure_text.h"

#include <vector>

#include "wavedeck.h"

namespace desktop {

namespace {
#ifdef _WIN32
constexpr const char* kEncoderLibrary = "lame_enc.dll";
#else
constexpr const char* kEncoderLibrary = "liblame_enc.so";
#endif
}  // namespace

std::string failureReason(int failure, bool writing) {
    std::vector<char> folder(WD_MAX_TEXT, 0);
    WDXGetTempFolder(folder.data());
    const std::string temp = "WaveDeck's temporary folder (" + std::string(folder.data()) + ", in Tools > Settings)";
    switch (failure) {
        case WD_FAILURE_MISSING: return writing ? "its folder does not exist." : "the file is not there any more.";
        case WD_FAILURE_NOT_A_FILE: return "that is a folder, a pipe or a device, not a file.";
        case WD_FAILURE_NO_PERMISSION: return writing ? "you may not write there." : "you may not read it.";
        case WD_FAILURE_DISK_FULL: return "the disk is full. A file that was there before is unchanged.";
        case WD_FAILURE_NAME_TOO_LONG: return "the name or its path is too long for the system.";
        case WD_FAILURE_NOT_SOUND: return "it is not a sound file of the type its name says, or it is damaged.";
        case WD_FAILURE_TOO_LONG: return "it is longer than a track can hold (2,147,483,647 samples per channel).";
        case WD_FAILURE_TEMP_FULL: return "there is no room left in " + temp + ".";
        case WD_FAILURE_TEMP_UNWRITABLE: return temp + " cannot be made or written.";
        case WD_FAILURE_ENCODER:
            return std::string("the encoder is missing or cannot take this track's rate or channels (MP3 needs ") + kEncoderLibrary +
                   " beside WaveDeck).";
        case WD_FAILURE_SOURCE_CHANGED:
            return "another program changed the sound file this track plays from since it was opened; open that file again.";
        default: return writing ? "the file could not be written." : "it could not be read to its end.";
    }
}

}  // namespace desktop
