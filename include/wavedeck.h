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
WD_EXPORT HWND WCreateTrackWnd(HWND parent, int x, int y, int width, int height);
WD_EXPORT HWND WCreateTrackTab(HWND parent, int x, int y, int width, int height);
WD_EXPORT HWND WDXCreateTrackMainWnd(HWND parent, int x, int y, int width, int height);
WD_EXPORT HWND WDXCreateVolumeWnd(HWND parent, int x, int y, int width, int height);
WD_EXPORT HWND WDXCreateTimeWnd(HWND parent, int x, int y, int width, int height);
WD_EXPORT HWND WDXCreateRecordWnd(HWND parent, int x, int y, int width, int height);

/* ---- Host registration ---- */
WD_EXPORT int WDXRegisterMainWnd(HWND window);
WD_EXPORT int WDXRegNotifyRecHWND(HWND window);
/** Windows that receive the time texts: selection start, end and length, view start,
 * end and length. Null handles are allowed. */
WD_EXPORT int WDXRegSelViewHWND(HWND selStart, HWND selEnd, HWND selLength, HWND viewStart, HWND viewEnd,
                                HWND viewLength);

/* ---- Files ---- */
WD_EXPORT int WDXOpenTrackFile(HWND notifyWindow, const char* path);
WD_EXPORT int WDXCancelOpenFile(void);
WD_EXPORT int WDXSaveTrackFile(HWND progressWindow, const char* path, int fileType);
WD_EXPORT int WDXSaveSelectFile(HWND progressWindow, const char* path, int fileType);
WD_EXPORT int WDXCancelSaveFile(void);
WD_EXPORT int WDXCanSaveSelect(void);

/* ---- Playback and recording ---- */
/* -1 without a current track, and when the output device refuses the track's rate or
 * channels (the play then stops at once, as any other stop). */
WD_EXPORT int WDXPlayTrack(int mode);
WD_EXPORT int WDXPauseTrack(void);
WD_EXPORT int WDXStopTrack(void);
WD_EXPORT int WDXRestartTrack(void);
WD_EXPORT int WDXPlayControl(int mode);
WD_EXPORT int WDXSetRecordParam(int channels, int sampleRate, int bitsPerSample);
/** 0 when recording began; -1 when the wave-in device refuses the format set with
 * WDXSetRecordParam or cannot record (nothing of the new take then remains). */
WD_EXPORT int WDXBeginRecord(void);
WD_EXPORT int WDXStopRecord(void);
WD_EXPORT int WDXPlayRecord(void);
/** Keep or discard the take: -1 (the take stays) while its device would not stop. */
WD_EXPORT int WDXSureRecord(void);
WD_EXPORT int WDXCancelRecord(void);
/** The take being made or held (this port's own): what = 0 its length in samples per
 * channel, 1 the largest absolute sample of the last buffer recorded (0 to 32767), 2
 * whether recording runs (1 or 0). -1 without a take or for another what. */
WD_EXPORT int WDXGetRecordInfo(int what);

/* ---- Editing, selection and view (all act on the current track) ---- */
WD_EXPORT int WDXCanCutOrCopy(void);
WD_EXPORT int WDXCanPaste(void);
WD_EXPORT int WDXCut(HWND progressWindow);
WD_EXPORT int WDXCopy(HWND progressWindow);
WD_EXPORT int WDXPaste(HWND progressWindow);
WD_EXPORT int WDXPasteMix(HWND progressWindow);
WD_EXPORT int WDXPasteInsert(HWND progressWindow);
WD_EXPORT int WDXTrimSelection(void);
WD_EXPORT int WDXDeleteSelection(void);
WD_EXPORT int WDXSilenceSelection(void);
WD_EXPORT int WDXInsertSilence(int milliseconds);
/** parameter: the bits of a float amplitude; kind 0 white noise, 1 pink noise. */
WD_EXPORT int WDXInsertNoise(int milliseconds, DWORD parameter, int kind);
WD_EXPORT int WDXSelStart(void);
WD_EXPORT int WDXSelBackward(void);
WD_EXPORT int WDXSelForward(void);
WD_EXPORT int WDXSelEnd(void);
WD_EXPORT int WDXSelectAll(void);
WD_EXPORT int WDXSelectStart(void);
WD_EXPORT int WDXSelectEnd(void);
WD_EXPORT int WDXZoomIn(void);
WD_EXPORT int WDXZoomOut(void);
WD_EXPORT int WDXZoomFit(void);
WD_EXPORT int WDXUndo(void);
WD_EXPORT int WDXRedo(void);
WD_EXPORT int WDXCanUndo(void);
WD_EXPORT int WDXCanRedo(void);

/* ---- Effects ---- */
WD_EXPORT int WDXCanDoEffect(int effectId);
/** parameter: the effect's parameter word (a pointer to its parameter block or a value). */
WD_EXPORT int WDXDoEffect(HWND progressWindow, int effectId, LPARAM parameter);

/* ---- Batch conversion ---- */
WD_EXPORT int WDXInitBatchConvert(void);
WD_EXPORT void WDXUninitBatchConvert(void);
WD_EXPORT int WDXBeginConvert(void);
WD_EXPORT int WDXCancelConvert(void);
WD_EXPORT int WDXAddFiles(const char* fileList);
WD_EXPORT int WDXDeleteFiles(const char* fileList);
WD_EXPORT int WDXSetOutputDir(const char* folder);
WD_EXPORT int WDXSetOutputType(int fileType);
WD_EXPORT int WDXSetProgHWND(HWND progressWindow);

/* ---- Mixer and devices ---- */
WD_EXPORT int WDXGetVolMute(int line);
WD_EXPORT void WDXSetVolMute(int line, int mute);
WD_EXPORT void WDXGetVolVol(int line, int* left, int* right);
WD_EXPORT void WDXSetVolVol(int line, int left, int right);
WD_EXPORT void WDXGetVolMinMax(int line, int* minimum, int* maximum);
WD_EXPORT int WDXGetRecLineCount(void);
WD_EXPORT int WDXGetRecLineMin(void);
WD_EXPORT int WDXGetRecLineMax(void);
WD_EXPORT int WDXGetRecCurLine(void);
WD_EXPORT int WDXGetRecCurLineValue(void);
WD_EXPORT int WDXSetRecCurLine(int line);
WD_EXPORT int WDXSetRecCurLineValue(int value);
WD_EXPORT int WDXGetRecLineName(int line, char* buffer);
WD_EXPORT int WDXGetWaveInDeviceCount(void);
WD_EXPORT int WDXGetWaveOutDeviceCount(void);
WD_EXPORT int WDXGetWaveInDevice(void);
WD_EXPORT int WDXGetWaveOutDevice(void);
WD_EXPORT int WDXSetWaveInDevice(int device);
WD_EXPORT int WDXSetWaveOutDevice(int device);
WD_EXPORT int WDXGetWaveInDeviceName(int device, char* buffer);
WD_EXPORT int WDXGetWaveOutDeviceName(int device, char* buffer);

/* ---- Settings, paths and program ---- */
/** 1 when folder is an existing, writable directory and became the temporary folder;
 * 0 otherwise (nothing changes). Takes effect for block files made afterwards. */
WD_EXPORT int WDXSetTempFolder(const char* folder);
/** Copies the temporary folder; 0 for a null buffer, else 1. */
WD_EXPORT int WDXGetTempFolder(char* buffer);
/** format: 1 MP3 (bit rate, kbit/s), 2 WMA (bit rate, kbit/s), 3 Ogg Vorbis (quality
 * level). 1 for a known format (the value is stored at once), else 0. */
WD_EXPORT int WDXSetFormatQuality(int format, int value);
/** The stored value, or 0 for an unknown format. */
WD_EXPORT int WDXGetFormatQuality(int format);
/** Copies the folder of the library file, without a trailing separator; returns 1
 * (0 for a null buffer). */
WD_EXPORT int WDXGetModulePath(char* buffer);
/** Everything after the last "." of the path (letter case kept); -1 without one. */
WD_EXPORT int WDXGetFileExtension(const char* path, char* out);
/** The name between the last separator and the last "."; -1 when there is no
 * separator, no dot (out then receives the whole path) or the name is empty. */
WD_EXPORT int WDXGetFileNameNoExtension(const char* path, char* out);
/** Everything after the last backslash (only "\" counts), or the whole path. 0. */
WD_EXPORT int WDXGetFileNameHasExt(const char* path, char* out);
/** Everything before the last separator ("\" first, else "/"); -1 without one. */
WD_EXPORT int WDXGetFilePath(const char* path, char* out);
WD_EXPORT int WDXCanOperate(int group, int item);
/** what: 0 channel count, 1 sample rate, 2 length in samples; -1 otherwise or without
 * a current track. */
WD_EXPORT int WDXGetTrackInfo(int what);
WD_EXPORT int WDXCloseCurTrack(void);
WD_EXPORT void WDXExitProgram(void);

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
WD_EXPORT int WDXGetLastFailure(int operation);

/* ---- Library information (this port's own) ---- */
/** The library's version as "major.minor.patch". */
WD_EXPORT const char* WDXGetVersion(void);

/* ---- Stopping an effect (this port's own) ---- */
/** Asks the effect running on the current track to stop. Its worker stops between chunks;
 * the track and its undo history stay as they were before the effect, and the effect ends
 * with 1132 carrying wParam 0 (as for parameters it refuses). 0 when an effect was asked
 * to stop, -1 when none runs on the current track. */
WD_EXPORT int WDXCancelEffect(void);

/* ---- Tracks left by a process that ended without closing them (this port's own) ---- */
/* A process keeps a journal of its open tracks and their undo histories beside their
 * blocks in the temporary folder. The next process to look (the first of these calls)
 * finds the journals of processes that are gone and offers their tracks, which no other
 * process can take meanwhile. Offers are numbered 0 to count - 1; recovering one removes
 * it, so the numbers after it move down by one. */
/** Sessions (ended processes) with tracks on offer. */
WD_EXPORT int WDXGetRecoverySessionCount(void);
/** Tracks on offer in all sessions. */
WD_EXPORT int WDXGetRecoveryTrackCount(void);
/** Copies the name of offer index (at most size bytes with the terminating zero) into out.
 * 0, or -1 for a bad index, a null out or a size below 1. */
WD_EXPORT int WDXGetRecoveryTrackName(int index, char* out, int size);
/** The length in samples of offer index; -1 for a bad index. */
WD_EXPORT int WDXGetRecoveryTrackLength(int index);
/** Why offer index cannot be recovered: WD_FAILURE_NONE when it can,
 * WD_FAILURE_SOURCE_CHANGED when a file its samples are read from was changed, moved or
 * deleted since, WD_FAILURE_NOT_SOUND when its journal is damaged; -1 for a bad index. */
WD_EXPORT int WDXGetRecoveryTrackProblem(int index);
/** Brings offer index back as a new track with its undo history, taken over as an opened
 * file is (1154, then 1151) and made current. Needs the main window. 0, or -1 (the offer
 * stays) for a bad index, an offer with a problem or when its blocks cannot be read. */
WD_EXPORT int WDXRecoverTrack(int index);
/** WDXRecoverTrack for every offer that can be recovered. The number recovered. */
WD_EXPORT int WDXRecoverAllTracks(void);
/** Gives up every offer: their journals and blocks are deleted. 0. */
WD_EXPORT int WDXDiscardRecovery(void);

#endif /* WAVEDECK_H */
