// The CD drive calls the engine is written against (the kernel32 device calls and the
// CD-ROM requests), over libcdio.
//
// A drive is a folder: it holds the track files ("Track01.cda", ...) and a file that names
// its disc, a device such as /dev/sr0 or a disc image (CUE/BIN, TOC, NRG); see
// CdDriveFolder. A drive's device name is "\\.\" followed by the folder.
#pragma once

#include <cstdint>

#include "platform/files/files.h"
#include "wavedeck_types.h"

namespace wd::cdrom {

#ifndef _WIN32  // <windows.h> has them, with the same values
constexpr UINT DRIVE_UNKNOWN = 0;
constexpr UINT DRIVE_NO_ROOT_DIR = 1;
constexpr UINT DRIVE_FIXED = 3;
constexpr UINT DRIVE_CDROM = 5;

constexpr DWORD GENERIC_READ = 0x80000000u;
constexpr DWORD FILE_SHARE_READ = 1;
constexpr DWORD FILE_SHARE_WRITE = 2;
constexpr DWORD OPEN_EXISTING = 3;
#endif

constexpr DWORD IOCTL_CDROM_READ_TOC = 0x00024000;
constexpr DWORD IOCTL_CDROM_CHECK_VERIFY = 0x00024800;
constexpr DWORD IOCTL_CDROM_RAW_READ = 0x0002403E;

constexpr int MAXIMUM_NUMBER_TRACKS = 100;
/** A raw audio sector: 588 stereo frames of 16-bit samples. */
constexpr DWORD kRawSectorSize = 2352;
/** The sector size RAW_READ_INFO's byte offset counts in. */
constexpr DWORD kCookedSectorSize = 2048;
/** Sectors before sector address 0 (two seconds). */
constexpr int kLeadInSectors = 150;
/** TRACK_DATA's Control bit of a data track. */
constexpr BYTE kDataTrack = 0x04;
/** TRACK_DATA's TrackNumber of the lead-out. */
constexpr BYTE kLeadOutTrack = 0xAA;

/** One table-of-contents entry; Address is 0, minutes, seconds, frames (binary). */
struct TRACK_DATA {
    BYTE Reserved;
    BYTE Control : 4;
    BYTE Adr : 4;
    BYTE TrackNumber;
    BYTE Reserved1;
    BYTE Address[4];
};

/** Length is big-endian and counts the bytes after it. */
struct CDROM_TOC {
    BYTE Length[2];
    BYTE FirstTrack;
    BYTE LastTrack;
    TRACK_DATA TrackData[MAXIMUM_NUMBER_TRACKS];
};

enum TRACK_MODE_TYPE : int32_t { YellowMode2 = 0, XAForm2 = 1, CDDA = 2 };

struct RAW_READ_INFO {
    int64_t DiskOffset;  // sector x 2048
    DWORD SectorCount;
    TRACK_MODE_TYPE TrackMode;
};

static_assert(sizeof(TRACK_DATA) == 8);
static_assert(sizeof(CDROM_TOC) == 804);
static_assert(sizeof(RAW_READ_INFO) == 16);

/** DRIVE_CDROM for a drive folder (one that names a disc), DRIVE_FIXED for another
 * folder, DRIVE_NO_ROOT_DIR for anything else. */
UINT GetDriveTypeA(LPCSTR root);

/**
 * Opens a drive's device, "\\.\" followed by a drive folder, for reading: the disc the
 * folder names. Other names, and a disc that cannot be opened (no medium, a missing or
 * damaged image), give INVALID_HANDLE_VALUE. The handle is for DeviceIoControl and
 * CloseHandle; any thread.
 */
HANDLE CreateFileA(LPCSTR name, DWORD access, DWORD share, void* security, DWORD creation, DWORD flags,
                   HANDLE templateFile);

/**
 * The CD-ROM requests:
 * - IOCTL_CDROM_READ_TOC: out a CDROM_TOC (the tracks that lie on the disc, then the
 *   lead-out);
 * - IOCTL_CDROM_RAW_READ: in a RAW_READ_INFO with TrackMode CDDA, out SectorCount x 2352
 *   bytes of 16-bit little-endian stereo samples; fails for sectors outside the disc or
 *   that cannot be read;
 * - IOCTL_CDROM_CHECK_VERIFY: succeeds while the disc is still in the drive.
 * returned receives the bytes written to out. FALSE for another request, a bad handle or
 * buffers too small.
 */
BOOL DeviceIoControl(HANDLE device, DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize,
                     DWORD* returned, void* overlapped);

BOOL CloseHandle(HANDLE object);

}  // namespace wd::cdrom
