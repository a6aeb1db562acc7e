#include "formats/cd_audio_importer.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <vector>

#include "formats/output_file.h"
#include "model/sample_converter.h"
#include "model/track_list.h"
#include "platform/cdrom/cdrom.h"
#include "platform/files/file_io.h"
#include "wavedeck_messages.h"

namespace wd {
namespace {

using namespace cdrom;

constexpr size_t kRecordSize = 44;
constexpr size_t kTrackNumberOffset = 22;

int32_t sectorOf(const TRACK_DATA& entry) {
    return (entry.Address[1] * 60 + entry.Address[2]) * 75 + entry.Address[3] - kLeadInSectors;
}

// The track number of a CD track record, or -1 when the file is not one.
int trackNumberOf(const std::string& path) {
    FileDescriptor fd(openRegularFileForReading(path));
    if (fd.get() < 0) return -1;
    unsigned char record[kRecordSize];
    size_t got = 0;
    while (got < kRecordSize) {
        const long n = readFile(fd.get(), record + got, kRecordSize - got);
        if (n == 0 || (n < 0 && errno != EINTR)) return -1;
        if (n > 0) got += static_cast<size_t>(n);
    }
    if (std::memcmp(record, "RIFF", 4) != 0 || std::memcmp(record + 8, "CDDA", 4) != 0) return -1;
    return record[kTrackNumberOffset] | record[kTrackNumberOffset + 1] << 8;
}

// The drive of a track file is the folder that holds it.
std::string driveOf(const std::string& path) {
    const std::string folder = std::filesystem::path(path).parent_path().string();
    return folder.empty() ? "." : folder;
}

// Closes the device handle when it goes.
struct DeviceHandle {
    HANDLE handle;
    ~DeviceHandle() {
        if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    }
};

}  // namespace

CdAudioImporter::~CdAudioImporter() { Cancel(); }

void CdAudioImporter::fail() {
    // A reason found on the way stays; otherwise the track file or its disc is not one
    // to read.
    if (failure() == FileProblem::None) setFailure(FileProblem::NotSound);
    NotifyProgressWindows(NotifyImportFailed, 0, 0);
    PostMessageA(finalWindow(), MsgImportFailed, 0, 0);
}

void CdAudioImporter::run() {
    const std::string drive = driveOf(path());
    if (GetDriveTypeA(drive.c_str()) != DRIVE_CDROM) return fail();
    DeviceHandle device{CreateFileA(("\\\\.\\" + drive).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, 0, nullptr)};
    if (device.handle == INVALID_HANDLE_VALUE) return fail();
    CDROM_TOC toc{};
    DWORD got = 0;
    if (!DeviceIoControl(device.handle, IOCTL_CDROM_READ_TOC, nullptr, 0, &toc, sizeof toc, &got, nullptr)) return fail();
    const int t = trackNumberOf(path());
    if (t < 1 || t < toc.FirstTrack || t > toc.LastTrack) return fail();
    const TRACK_DATA& entry = toc.TrackData[t - toc.FirstTrack];
    // Raw reads of a data track would give its bytes as noise.
    if (entry.Control & kDataTrack) return fail();
    // The track runs up to the sector before the next track's (or the lead-out's) start.
    const int32_t start = sectorOf(entry);
    const int32_t end = sectorOf(toc.TrackData[t - toc.FirstTrack + 1]);
    if (start < 0 || end <= start) return fail();

    Track* track = TrackList::instance().addTrack(path(), TrackList::Building::Yes);
    if (!track || track->setChannelCount(2) != 2) {
        if (track) TrackList::instance().removeTrack(track);
        return fail();
    }
    track->sampleRate = kSampleRate;

    constexpr size_t kRawBytes = kSectorsPerRead * kRawSectorSize;
    std::vector<int16_t> raw(kRawBytes / 2);
    std::vector<float> values(kRawBytes / 2);
    std::vector<float> left(kRawBytes / 4), right(kRawBytes / 4);
    auto release = [&] {
        raw = {};
        values = {};
        left = {};
        right = {};
    };
    auto abandon = [&](bool failed) {
        release();
        if (failed) setFailure(FileProblem::Other, track);
        TrackList::instance().removeTrack(track);
        if (failed) return fail();
        PostMessageA(finalWindow(), MsgImportCancelled, 0, 0);
    };
    const int64_t total = static_cast<int64_t>(end - start) * kRawSectorSize;
    int64_t done = 0;
    for (int32_t s = start; s < end; s += kSectorsPerRead) {
        const int count = s + kSectorsPerRead < end ? kSectorsPerRead : end - s;
        if (cancelled()) return abandon(false);
        RAW_READ_INFO info{static_cast<int64_t>(s) * kCookedSectorSize, static_cast<DWORD>(count), CDDA};
        const auto bytes = static_cast<DWORD>(count) * kRawSectorSize;
        if (!DeviceIoControl(device.handle, IOCTL_CDROM_RAW_READ, &info, sizeof info, raw.data(), bytes, &got, nullptr)) {
            // A scratched block is skipped; a disc that has gone ends the import.
            if (!DeviceIoControl(device.handle, IOCTL_CDROM_CHECK_VERIFY, nullptr, 0, nullptr, 0, &got, nullptr)) {
                return abandon(true);
            }
            continue;
        }
        if (cancelled()) return abandon(false);
        SampleConverter::pcm16ToFloat(raw.data(), static_cast<int>(bytes), values.data());
        SampleConverter::deinterleavePair(values.data(), 12, static_cast<int>(bytes) * 2, left.data(), right.data());
        const int frames = count * kFramesPerSector;
        if (track->channel(0)->sequence().appendSamples(left.data(), frames) != frames ||
            track->channel(1)->sequence().appendSamples(right.data(), frames) != frames) {
            return abandon(true);
        }
        done += bytes;
        NotifyProgressWindows(NotifyImportProgress, 100, static_cast<LPARAM>(done * 100 / total));
    }
    release();
    if (track->channel(0)->sequence().flushAppend() < 0 || track->channel(1)->sequence().flushAppend() < 0) {
        setFailure(FileProblem::Other, track);
        TrackList::instance().removeTrack(track);
        return fail();
    }
    NotifyProgressWindows(NotifyImportDone, 0, 0);
    PostMessageA(finalWindow(), MsgImportComplete, 0, reinterpret_cast<LPARAM>(track));
}

}  // namespace wd
