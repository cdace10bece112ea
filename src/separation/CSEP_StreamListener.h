// Follows the reads of one opened stream for a CSEP_DocProgressMeter: it
// counts the raw bytes consumed and tells the meter when the stream is done
// and after every read, so that the meter can post progress and poll for a
// cancel.
#pragma once

#include "GLIB/GLIB_Observable.h"
#include "GLOB/GLOB_StreamMessage.h"

#include <cstdint>

class CSEP_DocProgressMeter;
class GLOB_Object;
class GLOB_Stream;

class CSEP_StreamListener : public GLIB_MessageTarget {
public:
    // Attaches a read and a close callback to stream. The byte limit is the
    // object's stored length, or 0 for an unexpected stream (one the meter
    // was not told to watch), which counts nothing.
    CSEP_StreamListener(const GLOB_Object& object, GLOB_Stream& stream, CSEP_DocProgressMeter* meter,
                        uint32_t unexpected);

    // Expected streams take the raw position as the bytes read; at the limit
    // the listener detaches and reports the stream done. Then, in every
    // case, the meter's Update, whose cancel passes through the read.
    void OnRead(const GLOB_StreamReadMessage& message);
    // Detaches and reports the stream done.
    void OnClose(const GLOB_StreamCloseMessage& message);

    uint32_t BytesRead() const { return m_bytesRead; }

private:
    uint32_t m_bytesRead = 0;
    uint32_t m_byteLimit;
    CSEP_DocProgressMeter* m_meter;  // not owned
    uint32_t m_unexpected;
};
