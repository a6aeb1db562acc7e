// The host-facing call of the CD drive stand-in.
#include "platform/cdrom/cd_drive_folder.h"
#include "wavedeck_cd.h"

int WDXMakeCdTrackFolder(const char* disc, const char* folder) {
    if (!disc || !folder || !*disc || !*folder) return -1;
    try {
        return wd::cdrom::CdDriveFolder::make(disc, folder);
    } catch (...) {
        return -1;  // nothing is thrown across the interface
    }
}
