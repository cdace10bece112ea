// Progress and cancellation of a separation job. The page separator tells
// the meter which streams of the source document the page will read
// (AddStream) and starts it on that document; every stream the document
// then opens gets a CSEP_StreamListener that follows its reads. The meter
// counts the raw bytes read against the stored lengths of the watched
// streams, posts CSEP_ProgressMessage to its observer whenever the
// percentage has grown by the report step, and polls the cancel manager on
// every second read notification of any stream, watched or not.
//
// A cancel is GLIB_Exception CancelCode (1128003) "Cancel requested",
// thrown from inside the read that polled: it passes out of the stream's
// Read and through its callers. The meter and the stream's callbacks stay
// usable afterwards.
//
// Listeners are owned: active ones until their stream is done, then kept on
// a finished list and deleted at the next StreamDone (their own callback is
// still running when they report) or at Stop. A read, an opening and a
// stream done cost the same however many streams the run has opened: a
// stream opened and never closed keeps its listener, but nothing walks
// them.
#pragma once

#include "GLIB/GLIB_CallbackList.h"
#include "GLIB/GLIB_CancelMgr.h"
#include "GLIB/GLIB_Exception.h"
#include "GLIB/GLIB_Observable.h"
#include "GLOB/GLOB_Doc.h"
#include "GLOB/GLOB_IndirectObjectMap.h"
#include "GLOB/GLOB_Object.h"

#include <cstdint>
#include <limits>
#include <memory>
#include <unordered_map>
#include <vector>

class CSEP_StreamListener;
class GLOB_DocStreamDidOpenMessage;

class CSEP_DocProgressMeter : public GLIB_MessageTarget {
public:
    static constexpr uint32_t CancelCode = 1128003;
    // The meter's cancel, as against another failure of the same code.
    static bool IsCancel(const GLIB_Exception& e);

    // Idle: nothing watched, a cancel manager of its own that never cancels,
    // no observer, report step 0.
    CSEP_DocProgressMeter();
    // Stop; the document registration goes with the target base.
    ~CSEP_DocProgressMeter() override;
    CSEP_DocProgressMeter(const CSEP_DocProgressMeter&) = delete;
    CSEP_DocProgressMeter& operator=(const CSEP_DocProgressMeter&) = delete;

    // Shares the manager's core.
    void SetCancelMgr(const GLIB_CancelMgr& cancelMgr) { m_cancelMgr = cancelMgr; }
    GLIB_CancelMgr CancelMgr() const { return m_cancelMgr; }
    // Deletes the callbacks attached before and attaches callback (owned),
    // the one receiver of CSEP_ProgressMessage from now on. A message is
    // posted when the percentage is at least step above the last one posted.
    void SetObserver(GLIB_CallbackBase* callback, double step);

    // Stop, then begins a new count on document: bytes done and expected 0,
    // nothing posted yet, and a registration for its stream openings that
    // replaces the meter's earlier one, so no opening is counted twice.
    void Start(GLOB_Doc& document);
    // Watches a Stream object and adds its stored length to the bytes
    // expected; anything else is skipped with a warning "Expecting to
    // monitor Streams, found type <kind>".
    void AddStream(const GLOB_Object& stream);
    bool IsWatched(const GLOB_Object& stream) const;
    // Deletes every listener, forgets the watched streams and counts
    // everything expected as done: the percentage is 100.
    void Stop();
    // Stop, and the document's stream openings are heard no more: the
    // registration Start made ends (the next Start makes a new one).
    void StopListening();

    // The bytes read of every watched stream opened since Start (counted as
    // their listeners hear them), capped at the bytes expected; a total above
    // them logs, at debug level, "Progess meter has read more bytes than
    // expected.  Read <total> expecting <expected>".
    uint32_t BytesRead() const;
    // 100 with nothing expected; else 100 * BytesRead / expected in 0..100.
    double PercentDone() const;
    // After each read: the cancel poll on every second call, then a message
    // when the percentage has grown by the step.
    void Update();
    // The cancel poll alone, for work that reads nothing for a while: the
    // cancel above when the manager answers true.
    void PollCancel();
    // Called by a listener of a watched stream for the bytes it read since
    // it last called.
    void CountBytes(uint32_t bytes) { m_bytesDone = SaturatingAdd(m_bytesDone, bytes); }
    // Called by a listener whose stream is done (from its own callback):
    // deletes the listeners finished before, then moves this one from the
    // active to the finished list.
    void StreamDone(CSEP_StreamListener* listener);
    // A listener for the opened stream, expected when the object was on the
    // watch list (and taken off it).
    void OnStreamDidOpen(const GLOB_DocStreamDidOpenMessage& message);

    // a + b, or the largest count: a page of more than 4 GiB of streams
    // still ends at 100%.
    static uint32_t SaturatingAdd(uint32_t a, uint32_t b) {
        return b > std::numeric_limits<uint32_t>::max() - a ? std::numeric_limits<uint32_t>::max() : a + b;
    }

private:
    std::unordered_map<const CSEP_StreamListener*, std::unique_ptr<CSEP_StreamListener>> m_active;
    std::vector<std::unique_ptr<CSEP_StreamListener>> m_finished;
    // Openings still expected of each watched stream.
    GLOB_IndirectObjectMap<uint32_t> m_watched;
    GLIB_CancelMgr m_cancelMgr;
    GLIB_CallbackListRef m_observers;
    GLOB_Doc m_doc;  // the document registered with; none before Start
    uint32_t m_bytesDone = 0;
    uint32_t m_bytesExpected = 0;
    uint32_t m_pollInterval = 1;
    uint32_t m_updateCount = 0;
    double m_step = 0.0;
    double m_lastPosted = 0.0;
};
