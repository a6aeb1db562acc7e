/* WaveDeck: the numbers of the window messages the library posts.
 *
 * The library never calls the host: everything the host learns after an export has
 * returned arrives as a message in the user range (WM_USER = 1024) posted to a window the
 * host registered (WDXRegisterMainWnd, WDXRegNotifyRecHWND) or passed to an export as its
 * progress window. All are posted with PostMessageA, except the six time texts, which are
 * sent with SendMessageA as WM_SETTEXT (wParam 0, lParam the text) to the windows
 * registered with WDXRegSelViewHWND. A message to a null or destroyed window is lost.
 *
 * Progress protocol of a long operation (open, save, cut, copy, paste, effect): the export
 * starts one worker and returns at once; the worker posts a progress message after each
 * chunk and one closing message at its end (none after a cancel).
 *
 * Unless noted, wParam and lParam are 0. The numbers are fixed. */
#ifndef WAVEDECK_MESSAGES_H
#define WAVEDECK_MESSAGES_H

#include "wavedeck_types.h"

enum WDNotification {
    /* ---- To the host ---- */

    /** Reading a file: wParam total, lParam done, in the reader's unit (the disc reader
     * sends 100 and a percentage). To the window passed to WDXOpenTrackFile. */
    NotifyImportProgress = WM_USER + 102,
    /** The file could not be read to the end, or reading could not start. */
    NotifyImportFailed = WM_USER + 103,
    /** The file was read; the track is about to become current. */
    NotifyImportDone = WM_USER + 104,
    /** No reader exists for the file's extension. To every registered host window (from
     * WDXOpenTrackFile) or to the batch progress window (batch conversion). */
    NotifyUnsupportedFile = WM_USER + 105,
    /** An effect's progress: lParam percent done, 0 to 100. To its progress window. */
    NotifyEffectProgress = WM_USER + 106,
    /** An effect ended: wParam 1, lParam 100. To its progress window. */
    NotifyEffectDone = WM_USER + 108,
    /** Cut, copy or paste progress: lParam percent done. To its progress window. */
    NotifyEditProgress = WM_USER + 109,
    /** Cut, copy or paste ended. To its progress window. */
    NotifyEditDone = WM_USER + 110,
    /** Saving: wParam total samples, lParam samples written. To its progress window. */
    NotifySaveProgress = WM_USER + 120,
    /** The saved file was closed. */
    NotifySaveDone = WM_USER + 121,
    /** The save could not start, or the encoder or the file failed. */
    NotifySaveFailed = WM_USER + 122,
    /** A control of the output mixer changed: wParam the mixer handle, lParam the control
     * id. To the first registered host window. */
    NotifyMixerChanged = WM_USER + 123,
    /** A control of the recording-line mixer changed (parameters as above). To the
     * record-notify window. */
    NotifyRecordMixerChanged = WM_USER + 124,
    /** Another wave-out device was chosen. To every registered host window. */
    NotifyWaveOutDeviceChanged = WM_USER + 125,
    /** Another wave-in device was chosen. To the record-notify window. */
    NotifyWaveInDeviceChanged = WM_USER + 126,
    /** The selection, the cursor or the current track changed. To every registered host
     * window; always before NotifyTrackChanged when both are sent. */
    NotifySelectionChanged = WM_USER + 127,
    /** The right mouse button was released over the track window. To every registered
     * host window. */
    NotifyTrackContextMenu = WM_USER + 129,
    /** The current track or its samples changed (undo, redo, edits, tabs, a new track,
     * the end of an effect). To every registered host window. */
    NotifyTrackChanged = WM_USER + 130,
    /** A batch conversion finished its last file. To the batch progress window. */
    NotifyBatchDone = WM_USER + 131,

    /* ---- Between the library's own windows and workers (reserved: a host never
     * receives them, and should not use these numbers for its own messages). ---- */

    MsgImportComplete = WM_USER + 400,  /* lParam: the new track */
    MsgImportCancelled = WM_USER + 401,
    MsgImportFailed = WM_USER + 402,
    MsgTabClose = WM_USER + 403,        /* lParam: track id */
    MsgTabSelect = WM_USER + 404,       /* lParam: track id */
    MsgPlayStarted = WM_USER + 405,
    MsgPlayRangeEnd = WM_USER + 406,
    MsgPlayStopped = WM_USER + 407,
    MsgPlayProgress = WM_USER + 408,
    MsgRecordLevel = WM_USER + 409,
    MsgRecordStarted = WM_USER + 410,
    /** To the record window: recording stopped. */
    MsgRecordStopped = WM_USER + 411,
    /** To the main window, the same number: an effect ended (wParam the track, lParam
     * the effect). */
    MsgEffectFinished = WM_USER + 411,
    /** To the main window: a cut or paste changed a track (wParam its id); the views
     * are refreshed. */
    MsgEditFinished = WM_USER + 412,
    MsgSaveCancelled = WM_USER + 420,
    MsgSaveComplete = WM_USER + 421,
    MsgSaveFailed = WM_USER + 422
};

#endif /* WAVEDECK_MESSAGES_H */
