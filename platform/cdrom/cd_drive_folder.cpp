#include "platform/cdrom/cd_drive_folder.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <system_error>

#include "platform/cdrom/cd_disc.h"

namespace wd::cdrom {
namespace {

namespace fs = std::filesystem;

constexpr int kSectorsPerSecond = 75;

void putLittleEndian(std::string& record, size_t at, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) record[at + static_cast<size_t>(i)] = static_cast<char>(value >> (8 * i) & 0xFF);
}

void putMsf(std::string& record, size_t at, uint32_t sectors) {
    record[at] = static_cast<char>(sectors % kSectorsPerSecond);
    record[at + 1] = static_cast<char>(sectors / kSectorsPerSecond % 60);
    record[at + 2] = static_cast<char>(sectors / kSectorsPerSecond / 60);
}

// The record Windows shows for a track; the serial tells discs apart.
std::string trackRecord(int number, uint32_t serial, int32_t start, int32_t length) {
    std::string r(CdDriveFolder::kTrackFileSize, '\0');
    r.replace(0, 4, "RIFF");
    putLittleEndian(r, 4, CdDriveFolder::kTrackFileSize - 8, 4);
    r.replace(8, 8, "CDDAfmt ");
    putLittleEndian(r, 16, 24, 4);
    putLittleEndian(r, 20, 1, 2);
    putLittleEndian(r, 22, static_cast<uint32_t>(number), 2);
    putLittleEndian(r, 24, serial, 4);
    putLittleEndian(r, 28, static_cast<uint32_t>(start + 150), 4);
    putLittleEndian(r, 32, static_cast<uint32_t>(length), 4);
    putMsf(r, 36, static_cast<uint32_t>(start + 150));
    putMsf(r, 40, static_cast<uint32_t>(length));
    return r;
}

uint32_t serialOf(const DiscToc& toc) {
    uint32_t h = 2166136261u;  // FNV-1a over the track addresses
    auto mix = [&h](uint32_t v) {
        for (int i = 0; i < 4; ++i) h = (h ^ (v >> (8 * i) & 0xFF)) * 16777619u;
    };
    for (const auto& t : toc.tracks) mix(static_cast<uint32_t>(t.start));
    mix(static_cast<uint32_t>(toc.leadOut));
    return h;
}

bool writeWhole(const fs::path& path, const std::string& bytes) {
    std::FILE* f = std::fopen(path.string().c_str(), "wb");
    if (!f) return false;
    const bool wrote = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && wrote;
}

}  // namespace

std::optional<std::string> CdDriveFolder::discOf(const std::string& folder) {
    std::ifstream in(fs::path(folder) / kDiscFileName);
    std::string line;
    if (!in || !std::getline(in, line) || line.empty()) return std::nullopt;
    const fs::path disc(line);
    return disc.is_absolute() ? line : (fs::path(folder) / disc).string();
}

int CdDriveFolder::make(const std::string& disc, const std::string& folder) {
    std::unique_ptr<CdDisc> d = openDisc(disc);
    DiscToc toc;
    if (!d || !d->readToc(toc)) return -1;
    std::error_code error;
    fs::create_directories(folder, error);
    if (!fs::is_directory(folder, error)) return -1;
    const std::regex trackName("Track[0-9][0-9]\\.cda");
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        if (std::regex_match(entry.path().filename().string(), trackName)) fs::remove(entry.path(), error);
    }
    const fs::path absolute = fs::absolute(disc, error);
    if (error || !writeWhole(fs::path(folder) / kDiscFileName, absolute.string() + "\n")) return -1;
    const uint32_t serial = serialOf(toc);
    int written = 0;
    for (size_t i = 0; i < toc.tracks.size(); ++i) {
        const DiscToc::Track& t = toc.tracks[i];
        if (!t.audio) continue;
        const int32_t end = i + 1 < toc.tracks.size() ? toc.tracks[i + 1].start : toc.leadOut;
        char name[16];
        std::snprintf(name, sizeof name, "Track%02d.cda", t.number);
        if (!writeWhole(fs::path(folder) / name, trackRecord(t.number, serial, t.start, end - t.start))) return -1;
        ++written;
    }
    return written;
}

}  // namespace wd::cdrom
