/* WaveDeck: the audio-CD drive call of this port.
 *
 * On Windows the system shows each audio track of a disc as a small file ("Track01.cda")
 * on the drive, and a host opens a track by opening that file (WDXOpenTrackFile). Here a
 * folder stands for the drive: this call makes such a folder for a disc, and the track
 * files in it then open as on Windows. */
#ifndef WAVEDECK_CD_H
#define WAVEDECK_CD_H

#include "wavedeck_types.h"

/** Makes folder (created when missing) stand for a drive holding disc: a CD device such
 * as "/dev/sr0" or a disc image (".cue" with its ".bin" of the same name, ".toc",
 * ".nrg"). Writes "disc.txt" naming the disc and "TrackNN.cda" for each audio track
 * (data tracks get none), removing track files of an earlier disc. Returns the number of
 * track files, or -1 when the disc cannot be read or the folder cannot be written. */
WD_EXPORT int WINAPI WDXMakeCdTrackFolder(const char* disc, const char* folder);

#endif /* WAVEDECK_CD_H */
