/* WaveDeck: the exported interface of the audio-editing library.
 *
 * A host creates the library's windows inside its own frame, calls these functions for
 * its commands and learns about progress and changes from window messages posted to the
 * windows it registers (message numbers in wavedeck_messages.h). Every function is called
 * on the host's user-interface thread. Unless noted, results are 0 for success and -1
 * for failure; availability queries answer 1 (yes) or 0 (no). Nothing is thrown.
 *
 * Functions that copy a text into a caller's buffer take no length: the buffer must hold
 * a full path or device name (WD_MAX_TEXT bytes is always enough). */
#ifndef WAVEDECK_H
#define WAVEDECK_H

#include "wavedeck_types.h"

/** Room a host reserves for any text the library copies out. */
#define WD_MAX_TEXT 4096

/* ---- Windows: each makes a child of parent at the client position and size, shows
 * and updates it; the result is the new window, or null. ---- */
WD_EXPORT HWND WINAPI WCreateTrackWnd(HWND parent, int x, int y, int width, int height);
WD_EXPORT HWND WINAPI WCreateTrackTab(HWND parent, int x, int y, int width, int height);
WD_EXPORT HWND WINAPI WDXCreateTrackMainWnd(HWND parent, int x, int y, int width, int height);
WD_EXPORT HWND WINAPI WDXCreateVolumeWnd(HWND parent, int x, int y, int width, int height);
WD_EXPORT HWND WINAPI WDXCreateTimeWnd(HWND parent, int x, int y, int width, int height);
WD_EXPORT HWND WINAPI WDXCreateRecordWnd(HWND parent, int x, int y, int width, int height);

/* ---- Host registration ---- */
WD_EXPORT int WINAPI WDXRegisterMainWnd(HWND window);
WD_EXPORT int WINAPI WDXRegNotifyRecHWND(HWND window);
/** Windows that receive the time texts: selection start, end and length, view start,
 * end and length. Null handles are allowed. */
WD_EXPORT int WINAPI WDXRegSelViewHWND(HWND selStart, HWND selEnd, HWND selLength, HWND viewStart, HWND viewEnd,
                                HWND viewLength);

/* ---- Files ---- */
WD_EXPORT int WINAPI WDXOpenTrackFile(HWND notifyWindow, const char* path);
WD_EXPORT int WINAPI WDXCancelOpenFile(void);
WD_EXPORT int WINAPI WDXSaveTrackFile(HWND progressWindow, const char* path, int fileType);
WD_EXPORT int WINAPI WDXSaveSelectFile(HWND progressWindow, const char* path, int fileType);
WD_EXPORT int WINAPI WDXCancelSaveFile(void);
WD_EXPORT int WINAPI WDXCanSaveSelect(void);

/* ---- Playback and recording ---- */
/* -1 without a current track, and when the output device refuses the track's rate or
 * channels (the play then stops at once, as any other stop). */
WD_EXPORT int WINAPI WDXPlayTrack(int mode);
WD_EXPORT int WINAPI WDXPauseTrack(void);
WD_EXPORT int WINAPI WDXStopTrack(void);
WD_EXPORT int WINAPI WDXRestartTrack(void);
WD_EXPORT int WINAPI WDXPlayControl(int mode);
WD_EXPORT int WINAPI WDXSetRecordParam(int channels, int sampleRate, int bitsPerSample);
/** 0 when recording began; -1 when the wave-in device refuses the format set with
 * WDXSetRecordParam or cannot record (nothing of the new take then remains). */
WD_EXPORT int WINAPI WDXBeginRecord(void);
WD_EXPORT int WINAPI WDXStopRecord(void);
WD_EXPORT int WINAPI WDXPlayRecord(void);
/** Keep or discard the take: -1 (the take stays) while its device would not stop. */
WD_EXPORT int WINAPI WDXSureRecord(void);
WD_EXPORT int WINAPI WDXCancelRecord(void);
/** The take being made or held (this port's own): what = 0 its length in samples per
 * channel, 1 the largest absolute sample of the last buffer recorded (0 to 32767), 2
 * whether recording runs (1 or 0). -1 without a take or for another what. */
WD_EXPORT int WINAPI WDXGetRecordInfo(int what);

/* ---- Editing, selection and view (all act on the current track) ---- */
WD_EXPORT int WINAPI WDXCanCutOrCopy(void);
WD_EXPORT int WINAPI WDXCanPaste(void);
WD_EXPORT int WINAPI WDXCut(HWND progressWindow);
WD_EXPORT int WINAPI WDXCopy(HWND progressWindow);
WD_EXPORT int WINAPI WDXPaste(HWND progressWindow);
WD_EXPORT int WINAPI WDXPasteMix(HWND progressWindow);
WD_EXPORT int WINAPI WDXPasteInsert(HWND progressWindow);
WD_EXPORT int WINAPI WDXTrimSelection(void);
WD_EXPORT int WINAPI WDXDeleteSelection(void);
WD_EXPORT int WINAPI WDXSilenceSelection(void);
WD_EXPORT int WINAPI WDXInsertSilence(int milliseconds);
/** parameter: the bits of a float amplitude; kind 0 white noise, 1 pink noise. */
WD_EXPORT int WINAPI WDXInsertNoise(int milliseconds, DWORD parameter, int kind);
WD_EXPORT int WINAPI WDXSelStart(void);
WD_EXPORT int WINAPI WDXSelBackward(void);
WD_EXPORT int WINAPI WDXSelForward(void);
WD_EXPORT int WINAPI WDXSelEnd(void);
WD_EXPORT int WINAPI WDXSelectAll(void);
WD_EXPORT int WINAPI WDXSelectStart(void);
WD_EXPORT int WINAPI WDXSelectEnd(void);
WD_EXPORT int WINAPI WDXZoomIn(void);
WD_EXPORT int WINAPI WDXZoomOut(void);
WD_EXPORT int WINAPI WDXZoomFit(void);
WD_EXPORT int WINAPI WDXUndo(void);
WD_EXPORT int WINAPI WDXRedo(void);
WD_EXPORT int WINAPI WDXCanUndo(void);
WD_EXPORT int WINAPI WDXCanRedo(void);

/* ---- Effects ---- */
WD_EXPORT int WINAPI WDXCanDoEffect(int effectId);
/** parameter: the effect's parameter word (a pointer to its parameter block or a value). */
WD_EXPORT int WINAPI WDXDoEffect(HWND progressWindow, int effectId, LPARAM parameter);

/* ---- Batch conversion ---- */
WD_EXPORT int WINAPI WDXInitBatchConvert(void);
WD_EXPORT void WINAPI WDXUninitBatchConvert(void);
WD_EXPORT int WINAPI WDXBeginConvert(void);
WD_EXPORT int WINAPI WDXCancelConvert(void);
WD_EXPORT int WINAPI WDXAddFiles(const char* fileList);
WD_EXPORT int WINAPI WDXDeleteFiles(const char* fileList);
WD_EXPORT int WINAPI WDXSetOutputDir(const char* folder);
WD_EXPORT int WINAPI WDXSetOutputType(int fileType);
WD_EXPORT int WINAPI WDXSetProgHWND(HWND progressWindow);

/* ---- Mixer and devices ---- */
WD_EXPORT int WINAPI WDXGetVolMute(int line);
WD_EXPORT void WINAPI WDXSetVolMute(int line, int mute);
WD_EXPORT void WINAPI WDXGetVolVol(int line, int* left, int* right);
WD_EXPORT void WINAPI WDXSetVolVol(int line, int left, int right);
WD_EXPORT void WINAPI WDXGetVolMinMax(int line, int* minimum, int* maximum);
WD_EXPORT int WINAPI WDXGetRecLineCount(void);
WD_EXPORT int WINAPI WDXGetRecLineMin(void);
WD_EXPORT int WINAPI WDXGetRecLineMax(void);
WD_EXPORT int WINAPI WDXGetRecCurLine(void);
WD_EXPORT int WINAPI WDXGetRecCurLineValue(void);
WD_EXPORT int WINAPI WDXSetRecCurLine(int line);
WD_EXPORT int WINAPI WDXSetRecCurLineValue(int value);
WD_EXPORT int WINAPI WDXGetRecLineName(int line, char* buffer);
WD_EXPORT int WINAPI WDXGetWaveInDeviceCount(void);
WD_EXPORT int WINAPI WDXGetWaveOutDeviceCount(void);
WD_EXPORT int WINAPI WDXGetWaveInDevice(void);
WD_EXPORT int WINAPI WDXGetWaveOutDevice(void);
WD_EXPORT int WINAPI WDXSetWaveInDevice(int device);
WD_EXPORT int WINAPI WDXSetWaveOutDevice(int device);
WD_EXPORT int WINAPI WDXGetWaveInDeviceName(int device, char* buffer);
WD_EXPORT int WINAPI WDXGetWaveOutDeviceName(int device, char* buffer);

/* ---- Settings, paths and program ---- */
/** 1 when folder is an existing, writable directory and became the temporary folder;
 * 0 otherwise (nothing changes). Takes effect for block files made afterwards. */
WD_EXPORT int WINAPI WDXSetTempFolder(const char* folder);
/** Copies the temporary folder; 0 for a null buffer, else 1. */
WD_EXPORT int WINAPI WDXGetTempFolder(char* buffer);
/** format: 1 MP3 (bit rate, kbit/s), 2 WMA (bit rate, kbit/s), 3 Ogg Vorbis (quality
 * level). 1 for a known format (the value is stored at once), else 0. */
WD_EXPORT int WINAPI WDXSetFormatQuality(int format, int value);
/** The stored value, or 0 for an unknown format. */
WD_EXPORT int WINAPI WDXGetFormatQuality(int format);
/** Copies the folder of the library file, without a trailing separator; returns 1
 * (0 for a null buffer). */
WD_EXPORT int WINAPI WDXGetModulePath(char* buffer);
/** Everything after the last "." of the path (letter case kept); -1 without one. */
WD_EXPORT int WINAPI WDXGetFileExtension(const char* path, char* out);
/** The name between the last separator and the last "."; -1 when there is no
 * separator, no dot (out then receives the whole path) or the name is empty. */
WD_EXPORT int WINAPI WDXGetFileNameNoExtension(const char* path, char* out);
/** Everything after the last backslash (only "\" counts), or the whole path. 0. */
WD_EXPORT int WINAPI WDXGetFileNameHasExt(const char* path, char* out);
/** Everything before the last separator ("\" first, else "/"); -1 without one. */
WD_EXPORT int WINAPI WDXGetFilePath(const char* path, char* out);
WD_EXPORT int WINAPI WDXCanOperate(int group, int item);
/** what: 0 channel count, 1 sample rate, 2 length in samples; -1 otherwise or without
 * a current track. */
WD_EXPORT int WINAPI WDXGetTrackInfo(int what);
WD_EXPORT int WINAPI WDXCloseCurTrack(void);
WD_EXPORT void WINAPI WDXExitProgram(void);

/* ---- Why an open or a save failed (this port's own) ---- */
#define WD_FAILURE_NONE 0             /* no failure, or none is known */
#define WD_FAILURE_MISSING 1          /* the file, or the folder it was to go to, does not exist */
#define WD_FAILURE_NOT_A_FILE 2       /* a folder, a FIFO, a socket or a device */
#define WD_FAILURE_NO_PERMISSION 3    /* the file or its folder may not be read or written */
#define WD_FAILURE_DISK_FULL 4        /* no space left where the file was to go */
#define WD_FAILURE_NAME_TOO_LONG 5    /* the path, or a name in it, is too long */
#define WD_FAILURE_NOT_SOUND 6        /* not a file of the format its name says, or damaged */
#define WD_FAILURE_TOO_LONG 7         /* more than 2,147,483,647 samples per channel */
#define WD_FAILURE_TEMP_FULL 8        /* no space left in the temporary folder */
#define WD_FAILURE_TEMP_UNWRITABLE 9  /* the temporary folder cannot be made or written */
#define WD_FAILURE_ENCODER 10         /* the encoder library is missing or refused the set-up */
#define WD_FAILURE_OTHER 11
#define WD_FAILURE_SOURCE_CHANGED 12  /* a file the track's samples are read from was rewritten
                                         in place by another program since it was opened */
/** Why the last WDXOpenTrackFile (operation 0) or the last WDXSaveTrackFile or
 * WDXSaveSelectFile (operation 1) failed: a WD_FAILURE_ code, read after 1127 (open) or
 * 1146 (save); WD_FAILURE_NONE while it runs, after success, after a cancel, and for any
 * other operation. */
WD_EXPORT int WINAPI WDXGetLastFailure(int operation);

/* ---- Library information (this port's own) ---- */
/** The library's version as "major.minor.patch". */
WD_EXPORT const char* WINAPI WDXGetVersion(void);

/* ---- Stopping an effect (this port's own) ---- */
/** Asks the effect running on the current track to stop. Its worker stops between chunks;
 * the track and its undo history stay as they were before the effect, and the effect ends
 * with 1132 carrying wParam 0 (as for parameters it refuses). 0 when an effect was asked
 * to stop, -1 when none runs on the current track. */
WD_EXPORT int WINAPI WDXCancelEffect(void);

/* ---- Setting the selection (this port's own) ---- */
/** Selects length samples from start on every channel of the current track (the
 * channels' selected flags stay as they are), repaints the track window, reports the
 * selection times and posts 1151. A range running past the end is cut at the end; a
 * start past the end puts the cursor at the end. -1 (nothing changes) without a current
 * track, while the player plays, while a worker works on the track, and for a negative
 * start or length; else 0. */
WD_EXPORT int WINAPI WDXSetSelection(int start, int length);

/* ---- Tracks left by a process that ended without closing them (this port's own) ---- */
/* A process keeps a journal of its open tracks and their undo histories beside their
 * blocks in the temporary folder. The next process to look (the first of these calls)
 * finds the journals of processes that are gone and offers their tracks, which no other
 * process can take meanwhile. Offers are numbered 0 to count - 1; recovering one removes
 * it, so the numbers after it move down by one. */
/** Sessions (ended processes) with tracks on offer. */
WD_EXPORT int WINAPI WDXGetRecoverySessionCount(void);
/** Tracks on offer in all sessions. */
WD_EXPORT int WINAPI WDXGetRecoveryTrackCount(void);
/** Copies the name of offer index (at most size bytes with the terminating zero) into out.
 * 0, or -1 for a bad index, a null out or a size below 1. */
WD_EXPORT int WINAPI WDXGetRecoveryTrackName(int index, char* out, int size);
/** The length in samples of offer index; -1 for a bad index. */
WD_EXPORT int WINAPI WDXGetRecoveryTrackLength(int index);
/** Why offer index cannot be recovered: WD_FAILURE_NONE when it can,
 * WD_FAILURE_SOURCE_CHANGED when a file its samples are read from was changed, moved or
 * deleted since, WD_FAILURE_NOT_SOUND when its journal is damaged; -1 for a bad index. */
WD_EXPORT int WINAPI WDXGetRecoveryTrackProblem(int index);
/** Brings offer index back as a new track with its undo history, taken over as an opened
 * file is (1154, then 1151) and made current. Needs the main window. 0, or -1 (the offer
 * stays) for a bad index, an offer with a problem or when its blocks cannot be read. */
WD_EXPORT int WINAPI WDXRecoverTrack(int index);
/** WDXRecoverTrack for every offer that can be recovered. The number recovered. */
WD_EXPORT int WINAPI WDXRecoverAllTracks(void);
/** Gives up every offer: their journals and blocks are deleted. 0. */
WD_EXPORT int WINAPI WDXDiscardRecovery(void);

#endif /* WAVEDECK_H */
