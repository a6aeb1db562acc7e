#include "formats/sound_file_open.h"

#include <cstdio>
#include <memory>
#include <mutex>
#include <unordered_map>

#include "platform/files/file_io.h"

namespace wd {
namespace {

sf_count_t lengthOf(void* data) { return fileSize(*static_cast<int*>(data)); }

sf_count_t seekIn(sf_count_t offset, int whence, void* data) { return seekFile(*static_cast<int*>(data), offset, whence); }

// Whole reads and writes as libsndfile expects; a short count means the end or a failure.
sf_count_t readFrom(void* dst, sf_count_t count, void* data) {
    sf_count_t done = 0;
    while (done < count) {
        const long got = readFile(*static_cast<int*>(data), static_cast<char*>(dst) + done, static_cast<size_t>(count - done));
        if (got <= 0) break;
        done += got;
    }
    return done;
}

sf_count_t writeTo(const void* src, sf_count_t count, void* data) {
    sf_count_t done = 0;
    while (done < count) {
        const long wrote = writeFile(*static_cast<int*>(data), static_cast<const char*>(src) + done, static_cast<size_t>(count - done));
        if (wrote <= 0) break;
        done += wrote;
    }
    return done;
}

sf_count_t tellIn(void* data) { return seekFile(*static_cast<int*>(data), 0, SEEK_CUR); }

SF_VIRTUAL_IO& virtualIo() {
    static SF_VIRTUAL_IO io{lengthOf, seekIn, readFrom, writeTo, tellIn};
    return io;
}

// The duplicate each open sound file reads and writes through.
struct OpenFiles {
    std::mutex mutex;
    std::unordered_map<SNDFILE*, std::unique_ptr<int>> descriptors;
};

OpenFiles& openFiles() {
    static auto* files = new OpenFiles;
    return *files;
}

}  // namespace

SNDFILE* openSoundFileOn(int fd, int mode, SF_INFO* info) {
    auto own = std::make_unique<int>(fd >= 0 ? duplicateFile(fd) : -1);
    if (*own < 0) return nullptr;
    SNDFILE* file = sf_open_virtual(&virtualIo(), mode, info, own.get());
    if (!file) {
        closeFile(*own);
        return nullptr;
    }
    OpenFiles& files = openFiles();
    std::lock_guard lock(files.mutex);
    files.descriptors[file] = std::move(own);
    return file;
}

bool closeSoundFile(SNDFILE* file) {
    std::unique_ptr<int> own;
    {
        OpenFiles& files = openFiles();
        std::lock_guard lock(files.mutex);
        auto it = files.descriptors.find(file);
        if (it != files.descriptors.end()) {
            own = std::move(it->second);
            files.descriptors.erase(it);
        }
    }
    const bool closed = sf_close(file) == 0;
    const bool released = !own || closeFile(*own);
    return closed && released;
}

}  // namespace wd
