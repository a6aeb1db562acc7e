#include "wma_files.h"

#include <algorithm>
#include <cstring>
#include <sstream>

#include "support/signal.h"

namespace wmatest {
namespace {

constexpr uint8_t kStreamProperties[16] = {0x91, 0x07, 0xDC, 0xB7, 0xB7, 0xA9, 0xCF, 0x11,
                                           0x8E, 0xE6, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65};
constexpr uint8_t kAudioStream[16] = {0x40, 0x9E, 0x69, 0xF8, 0x4D, 0x5B, 0xCF, 0x11,
                                      0xA8, 0xFD, 0x00, 0x80, 0x5F, 0x5C, 0x44, 0x2B};
constexpr uint8_t kContentEncryption[16] = {0xFB, 0xB3, 0x11, 0x22, 0x23, 0xBD, 0xD2, 0x11,
                                            0xB4, 0xB7, 0x00, 0xA0, 0xC9, 0x55, 0xFC, 0x6E};

void putLittleEndian(std::string& bytes, size_t at, uint64_t value, int size) {
    for (int i = 0; i < size; ++i) bytes[at + static_cast<size_t>(i)] = static_cast<char>(value >> (8 * i));
}

uint64_t littleEndian(const std::string& bytes, size_t at, int size) {
    uint64_t v = 0;
    for (int i = size - 1; i >= 0; --i) v = v << 8 | static_cast<uint8_t>(bytes[at + static_cast<size_t>(i)]);
    return v;
}

}  // namespace

bool ffmpeg(const std::string& arguments) {
    int code = -1;
    wdtest::runCommand("ffmpeg -nostdin -hide_banner -loglevel error -y " + arguments, &code);
    return code == 0;
}

std::string sineInput(int rate, int channels, double seconds, double frequency) {
    std::ostringstream input;
    input << "-f lavfi -i 'sine=f=" << frequency << ":r=" << rate << ":d=" << seconds
          << (channels == 2 ? ",pan=stereo|c0=c0|c1=c0" : "") << "'";
    return input.str();
}

std::vector<float> firstSecond(const std::vector<float>& samples, int rate) {
    return {samples.begin(), samples.begin() + std::min<long>(rate, static_cast<long>(samples.size()))};
}

long decodedFrames(const std::string& path) {
    std::istringstream lines(wdtest::runCommand("ffprobe -v error -select_streams a:0 -show_entries frame=nb_samples -of csv=p=0 '" +
                                                path + "'"));
    long total = 0;
    for (long n = 0; lines >> n;) total += n;
    return total;
}

std::string probe(const std::string& path, const std::string& entry) {
    std::string value = wdtest::runCommand("ffprobe -v error -select_streams a:0 -show_entries " + entry +
                                           " -of default=nw=1:nk=1 '" + path + "'");
    while (!value.empty() && (value.back() == '\n' || value.back() == '\r')) value.pop_back();
    return value;
}

std::vector<float> decodedSamples(const std::string& path) {
    const std::string raw = wdtest::runCommand("ffmpeg -nostdin -v error -i '" + path +
                                               "' -map 0:a:0 -af 'pan=mono|c0=c0' -f f32le -");
    std::vector<float> samples(raw.size() / sizeof(float));
    std::memcpy(samples.data(), raw.data(), samples.size() * sizeof(float));
    return samples;
}

std::string withEncryptionObject(const std::string& asf) {
    // GUID, size, then four empty fields: secret data, protection type, key id, licence URL.
    std::string object(40, '\0');
    object.replace(0, 16, reinterpret_cast<const char*>(kContentEncryption), 16);
    putLittleEndian(object, 16, object.size(), 8);
    std::string out = asf;
    out.insert(30, object);
    putLittleEndian(out, 16, littleEndian(out, 16, 8) + object.size(), 8);
    putLittleEndian(out, 24, littleEndian(out, 24, 4) + 1, 4);
    return out;
}

std::string withAudioFormatTag(const std::string& asf, uint16_t tag) {
    std::string out = asf;
    const std::string guid(reinterpret_cast<const char*>(kStreamProperties), 16);
    for (size_t at = out.find(guid); at != std::string::npos; at = out.find(guid, at + 1)) {
        // Type-specific data (the WAVEFORMATEX) follows 78 bytes into the object.
        if (out.compare(at + 24, 16, reinterpret_cast<const char*>(kAudioStream), 16) == 0) {
            putLittleEndian(out, at + 78, tag, 2);
        }
    }
    return out;
}

}  // namespace wmatest
