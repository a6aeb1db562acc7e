#include "platform/cdrom/cdrom.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string_view>
#include <system_error>

#include "platform/audio/handle_table.h"
#include "platform/cdrom/cd_disc.h"
#include "platform/cdrom/cd_drive_folder.h"

namespace wd::cdrom {
namespace {

constexpr std::string_view kDevicePrefix = "\\\\.\\";

// An open drive: one request at a time.
struct Device {
    std::mutex mutex;
    std::unique_ptr<CdDisc> disc;
};

HandleTable<Device>& devices() {
    static auto* table = new HandleTable<Device>;
    return *table;
}

void putAddress(TRACK_DATA& entry, int32_t sector) {
    const int32_t address = sector + kLeadInSectors;
    entry.Address[0] = 0;
    entry.Address[1] = static_cast<BYTE>(address / (75 * 60));
    entry.Address[2] = static_cast<BYTE>(address / 75 % 60);
    entry.Address[3] = static_cast<BYTE>(address % 75);
}

BOOL readToc(CdDisc& disc, void* out, DWORD outSize, DWORD* returned) {
    DiscToc toc;
    if (outSize < sizeof(CDROM_TOC) || !disc.readToc(toc) || toc.tracks.empty()) return FALSE;
    CDROM_TOC result{};
    const size_t tracks = std::min<size_t>(toc.tracks.size(), MAXIMUM_NUMBER_TRACKS - 1);
    for (size_t i = 0; i <= tracks; ++i) {
        TRACK_DATA& entry = result.TrackData[i];
        entry.Adr = 1;
        if (i < tracks) {
            entry.TrackNumber = static_cast<BYTE>(toc.tracks[i].number);
            entry.Control = toc.tracks[i].audio ? 0 : kDataTrack;
            putAddress(entry, toc.tracks[i].start);
        } else {
            entry.TrackNumber = kLeadOutTrack;
            putAddress(entry, toc.leadOut);
        }
    }
    result.FirstTrack = static_cast<BYTE>(toc.tracks.front().number);
    result.LastTrack = static_cast<BYTE>(toc.tracks[tracks - 1].number);
    const auto length = static_cast<DWORD>(2 + sizeof(TRACK_DATA) * (tracks + 1));
    result.Length[0] = static_cast<BYTE>(length >> 8);
    result.Length[1] = static_cast<BYTE>(length & 0xFF);
    *static_cast<CDROM_TOC*>(out) = result;
    if (returned) *returned = length + 2;
    return TRUE;
}

BOOL rawRead(CdDisc& disc, const void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned) {
    if (!in || inSize < sizeof(RAW_READ_INFO)) return FALSE;
    const auto& info = *static_cast<const RAW_READ_INFO*>(in);
    const uint64_t bytes = static_cast<uint64_t>(info.SectorCount) * kRawSectorSize;
    if (info.TrackMode != CDDA || info.DiskOffset < 0 || info.DiskOffset % kCookedSectorSize != 0 || bytes > outSize ||
        info.DiskOffset / kCookedSectorSize > INT32_MAX) {
        return FALSE;
    }
    const auto sector = static_cast<int32_t>(info.DiskOffset / kCookedSectorSize);
    if (!disc.readAudio(sector, info.SectorCount, static_cast<uint8_t*>(out))) return FALSE;
    if (returned) *returned = static_cast<DWORD>(bytes);
    return TRUE;
}

}  // namespace

UINT GetDriveTypeA(LPCSTR root) {
    if (!root) return DRIVE_NO_ROOT_DIR;
    if (CdDriveFolder::discOf(root)) return DRIVE_CDROM;
    std::error_code error;
    return std::filesystem::is_directory(root, error) ? DRIVE_FIXED : DRIVE_NO_ROOT_DIR;
}

HANDLE CreateFileA(LPCSTR name, DWORD access, DWORD, void*, DWORD creation, DWORD, HANDLE) {
    const std::string_view n = name ? name : "";
    if (n.substr(0, kDevicePrefix.size()) != kDevicePrefix || creation != OPEN_EXISTING || (access & ~GENERIC_READ) != 0) {
        return INVALID_HANDLE_VALUE;
    }
    const std::optional<std::string> source = CdDriveFolder::discOf(std::string(n.substr(kDevicePrefix.size())));
    auto device = std::make_shared<Device>();
    device->disc = source ? openDisc(*source) : nullptr;
    if (!device->disc) return INVALID_HANDLE_VALUE;
    const uintptr_t handle = devices().reserve();
    devices().bind(handle, std::move(device));
    return reinterpret_cast<HANDLE>(handle);
}

BOOL DeviceIoControl(HANDLE handle, DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned,
                     void*) {
    const std::shared_ptr<Device> device = devices().find(handle);
    if (!device) return FALSE;
    std::lock_guard lock(device->mutex);
    switch (code) {
        case IOCTL_CDROM_READ_TOC: return out ? readToc(*device->disc, out, outSize, returned) : FALSE;
        case IOCTL_CDROM_RAW_READ: return out ? rawRead(*device->disc, in, inSize, out, outSize, returned) : FALSE;
        case IOCTL_CDROM_CHECK_VERIFY: return device->disc->present() ? TRUE : FALSE;
        default: return FALSE;
    }
}

BOOL CloseHandle(HANDLE object) { return devices().remove(object) ? TRUE : FALSE; }

}  // namespace wd::cdrom
