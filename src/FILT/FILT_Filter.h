// The resumable byte processor behind every stream codec.
//
// ProcessBytes(inBuf, outBuf) moves bytes from inBuf (from its get pointer) to
// outBuf (at its put pointer), advancing both and their counters. It returns
// in exactly one of three situations:
//   1. inBuf is drained and its EOD flag is clear: more input is needed;
//   2. outBuf is full while the filter still has output to give;
//   3. the filter has finished and has set outBuf's EOD flag.
// EOD on a drained inBuf means no input will follow: the filter flushes what
// it holds (partial groups, end marks) and sets outBuf's EOD flag once all of
// it is written. It never sets EOD while it still holds output; once finished
// it sets EOD again on every later call and consumes nothing.
//
// Callers may pass different buffer objects on every call, so a filter keeps
// all of its progress in its own fields. Bad data moves the filter to its
// Error state and throws GLIB_Exception with a 1130xxx code; every later call
// in that state throws "<Name>: ProcessBytes called while in the Error state".
//
// A decoder whose input ends before the data's own end (an end mark, an end
// code, the end of a last block) gives what the data hold and finishes; so
// does one whose data fail their check. Loss then says so, for the reader to
// pass on: the data may lack what followed. A decoder that throws on damaged
// data also says so in Loss, so that a reader may keep what came before.
#pragma once

#include "FILT/FILT_FilterBuffer.h"

// How a decoder's data ended, once it has finished or failed.
enum class FILT_End {
    Unknown,  // the data have no end of their own, or have not ended
    Whole,    // at their own end: an end mark, an end code, a last block
    Short,    // before it: the input ended, or damage stopped the decoder
    Doubtful, // whole, but they fail their check
};

// A decoder's end: short when it stopped before its end mark or on damage,
// whole when it finished at it, else not told.
inline FILT_End FILT_EndOf(bool stoppedShort, bool finished) {
    return stoppedShort ? FILT_End::Short : finished ? FILT_End::Whole : FILT_End::Unknown;
}

class FILT_Filter {
public:
    virtual ~FILT_Filter() = default;
    // The class name, "FILT_FlateDecode" for example.
    virtual const char* Name() const = 0;
    virtual void ProcessBytes(FILT_FilterBuffer& inBuf, FILT_FilterBuffer& outBuf) = 0;
    // Once finished, or failed on damaged data: what the data lost, in a
    // reader's words ("a run-length stream stops before its end mark"), or
    // null when they came whole.
    virtual const char* Loss() const { return nullptr; }
    virtual FILT_End End() const { return FILT_End::Unknown; }
};

// Exception codes of the filters.
enum : uint32_t {
    FILT_ASCIIHexEncodeCode = 1130001,
    FILT_ASCIIHexDecodeCode = 1130002,
    FILT_ASCIIDecodeCode = 1130004,
    FILT_CCITTFaxEncodeCode = 1130005,
    FILT_CCITTFaxDecodeCode = 1130006,
    FILT_DCTDecodeCode = 1130007,
    FILT_DCTEncodeCode = 1130008,
    FILT_FlateDecodeCode = 1130010,
    FILT_FlateEncodeCode = 1130011,
    FILT_PredictDecodeCode = 1130012,
    FILT_PredictEncodeCode = 1130013,
    FILT_SampleCode = 1130014,  // sample converters, colour-key mask, split and merge
    FILT_RunLengthCode = 1130015,
    FILT_LZWDecodeCode = 1130016,
};
