// What the reader of the Windows Media runtime stand-in calls back.
#pragma once

#include "platform/wmrt/wm_buffer.h"
#include "platform/wmrt/wm_types.h"

namespace wd::wm {

/**
 * The callbacks of a WmReader (the runtime's IWMReaderCallback with OnTime of
 * IWMReaderCallbackAdvanced). Every call comes from the reader's own runtime thread,
 * one at a time; a callback may call Stop, SetUserProvidedClock and DeliverTime of its
 * reader but not Close. Results are returned to the reader, which ignores them.
 */
class WmReaderCallback {
public:
    virtual ~WmReaderCallback() = default;

    /** A change of the reader's state (WmtStatus); result is the outcome (an open that
     * failed reports WMT_OPENED with a failure result); value is unused (null). */
    virtual HRESULT OnStatus(WmtStatus status, HRESULT result, WmtAttrDataType type, BYTE* value, void* context) = 0;
    /** Decoded data of one output, in the output's wave format: time and duration in
     * 100-ns units from the start of the file; the buffer is valid during the call only. */
    virtual HRESULT OnSample(DWORD output, QWORD time, QWORD duration, DWORD flags, WmBuffer* sample, void* context) = 0;
    /** With the user-provided clock: everything before time has been delivered. */
    virtual HRESULT OnTime(QWORD time, void* context) = 0;
};

}  // namespace wd::wm
