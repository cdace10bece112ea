#include "separation/CSEP_DocProgressMeter.h"

#include "CSEP_TestUtil.h"
#include "GLOB/GLOB_FileSpecification.h"
#include "separation/CSEP_ProgressMessage.h"
#include "separation/CSEP_SepJobContext.h"

#include <algorithm>

namespace {

class CountingCore : public GLIB_CancelMgrCore {
public:
    explicit CountingCore(int* polls) : m_polls(polls) {}

protected:
    void Poll() override { ++*m_polls; }

private:
    int* m_polls;
};

class Observer : public GLIB_MessageTarget {
public:
    GLIB_CallbackBase* Callback() { return new GLIB_Callback<Observer, CSEP_ProgressMessage>(this, &Observer::Heard); }
    void Heard(const CSEP_ProgressMessage& message) { m_posted.push_back(message.PercentDone()); }
    std::vector<double> m_posted;
};

// A job whose meter is started on doc and whose cancel core counts its polls.
struct Metered {
    explicit Metered(GLOB_Doc& doc) : meter(job.ProgressMeter()) {
        cancel = new CountingCore(&polls);
        job.SetCancelMgr(cancel);
        meter.Start(doc);
    }
    // The polls that n reads of stream made.
    int PollsOver(GLOB_Stream& stream, int n) {
        const int before = polls;
        for (int i = 0; i < n; ++i)
            stream.Read();
        return polls - before;
    }
    int polls = 0;
    GLIB_CancelMgr cancel;
    CSEP_SepJobContext job;
    CSEP_DocProgressMeter& meter;
};

// Consumes n bytes, step at a time, then reads once more so that the meter
// hears the position.
void Advance(GLOB_Stream& stream, uint32_t n, uint32_t step = 0xFFFFFFFF) {
    for (FILT_FilterBuffer* buffer = stream.Read(); n > 0 && buffer->DataAvailable() > 0; buffer = stream.Read()) {
        const FILT_Size take = std::min({n, step, buffer->DataAvailable()});
        buffer->AdvanceGetPtr(take);
        n -= take;
    }
    stream.Read();
}

}  // namespace

TEST(CSEP_DocProgressMeter, CountsTheBytesOfWatchedStreamsAndPollsOnEverySecondRead) {
    GLOB_Doc doc = NewDoc();
    const GLOB_Object first = NewStreamObject(doc, std::string(1000, 'a'));
    const GLOB_Object second = NewStreamObject(doc, std::string(3000, 'b'));
    const GLOB_Object font = NewStreamObject(doc, std::string(500, 'f'));
    Metered m(doc);
    EXPECT_EQ(m.meter.PercentDone(), 100.0);  // nothing watched
    m.meter.AddStream(first);
    m.meter.AddStream(second);
    const LogCapture capture;
    m.meter.AddStream(doc.NewInteger(3));
    EXPECT_TRUE(capture.Contains(4, "Expecting to monitor Streams, found type Integer"));
    EXPECT_TRUE(m.meter.IsWatched(second) && !m.meter.IsWatched(font));
    EXPECT_EQ(m.meter.PercentDone(), 0.0);

    GLOB_Stream a = first.OpenStream(0);
    EXPECT_FALSE(m.meter.IsWatched(first));
    Advance(a, 1000);
    GLOB_Stream b = second.OpenStream(0);
    Advance(b, 1500);
    EXPECT_EQ(m.meter.BytesRead(), 2500u);
    EXPECT_DOUBLE_EQ(m.meter.PercentDone(), 62.5);
    // A stream nobody asked for counts nothing but drives the poll.
    GLOB_Stream f = font.OpenStream(0);
    EXPECT_EQ(m.PollsOver(f, 4) + m.PollsOver(b, 6), 5);
    EXPECT_DOUBLE_EQ(m.meter.PercentDone(), 62.5);

    m.meter.Stop();
    EXPECT_EQ(m.meter.PercentDone(), 100.0);
    EXPECT_EQ(m.PollsOver(b, 4) + m.PollsOver(f, 4), 0);  // no listener left
    GLOB_Stream again = first.OpenStream(0);              // still registered
    EXPECT_EQ(m.PollsOver(again, 4), 2);
    EXPECT_TRUE(capture.Entries().size() == 1);
}

TEST(CSEP_DocProgressMeter, ReadingPastTheStoredLengthIsCapped) {
    // Its own data are 3 bytes, but its /F file holds 5000.
    ScratchDir dir;
    WriteWholeFile(dir.File("big.bin"), std::string(5000, 'z'));
    GLOB_Doc doc = NewDoc();
    const GLOB_Object object = NewStreamObject(doc, "abc");
    object.DictPut(GLOB_Name("F"), doc.NewString(GLOB_FileSpecification::PdfPath(dir.File("big.bin").c_str()).c_str()));
    Metered m(doc);
    m.meter.AddStream(object);
    GLOB_Stream stream = object.OpenStream(0);
    const LogCapture capture;
    Advance(stream, 4);
    EXPECT_TRUE(capture.Contains(7, "Progess meter has read more bytes than expected.  Read 4 expecting 3"));
    EXPECT_EQ(m.meter.BytesRead(), 3u);
    EXPECT_EQ(m.meter.PercentDone(), 100.0);
}

TEST(CSEP_DocProgressMeter, PostsEachGrowthOfTheStep) {
    EXPECT_EQ(CSEP_ProgressMessage(42.5).Description(), "CSEP_ProgressMessage: 42.500000.2% complete.");
    GLOB_Doc doc = NewDoc();
    const GLOB_Object object = NewStreamObject(doc, std::string(1000, 's'));
    Metered m(doc);
    Observer replaced, observer;
    m.job.SetProgressObserver(replaced.Callback(), 0.0);
    m.job.SetProgressObserver(observer.Callback(), 1.0);
    m.meter.AddStream(object);
    GLOB_Stream stream = object.OpenStream(0);
    Advance(stream, 1000, 3);  // 0.3 points a read
    EXPECT_TRUE(replaced.m_posted.empty());
    ASSERT_GE(observer.m_posted.size(), 77u);  // at most 1.2 points apart up to 99
    double last = 0.0;
    for (double posted : observer.m_posted) {
        SCOPED_TRACE(posted);
        EXPECT_TRUE(posted - last >= 1.0 && posted - last <= 1.2 + 1e-9);
        last = posted;
    }
}

TEST(CSEP_DocProgressMeter, CancelSurfacesFromTheReadAndTheMeterGoesOn) {
    GLOB_Doc doc = NewDoc();
    const GLOB_Object object = NewStreamObject(doc, std::string(3000, 'c'));
    Metered m(doc);
    Observer observer;
    m.job.SetProgressObserver(observer.Callback(), 1.0);
    m.meter.AddStream(object);
    GLOB_Stream stream = object.OpenStream(0);
    stream.Read()->AdvanceGetPtr(1500);
    m.cancel.SetCancelled(true);
    EXPECT_EQ(Failure([&] { stream.Read(); }), "1128003 Cancel requested");  // the second notification polls
    // Cleared, the same stream reads on to its end, its listener still heard.
    m.cancel.SetCancelled(false);
    Advance(stream, 1500);
    EXPECT_EQ(observer.m_posted, std::vector<double>({50.0, 100.0}));

    // A second start replaces the first registration (one listener per
    // opening, so the poll stays at every second read) and counts and
    // posts afresh.
    m.meter.Start(doc);
    m.meter.AddStream(object);
    GLOB_Stream again = object.OpenStream(0);
    EXPECT_EQ(m.PollsOver(again, 4), 2);
    EXPECT_EQ(m.meter.PercentDone(), 0.0);
    Advance(again, 3000);
    EXPECT_EQ(observer.m_posted, std::vector<double>({50.0, 100.0, 100.0}));
    // Started on another document, the meter no longer hears this one.
    GLOB_Doc other = NewDoc();
    m.meter.Start(other);
    GLOB_Stream unheard = object.OpenStream(0);
    EXPECT_EQ(m.PollsOver(unheard, 4), 0);
}

TEST(CSEP_DocProgressMeter, StopListeningEndsTheRegistrationUntilTheNextStart) {
    GLOB_Doc doc = NewDoc();
    const GLOB_Object object = NewStreamObject(doc, std::string(3000, 'l'));
    Metered m(doc);
    m.meter.AddStream(object);
    m.meter.StopListening();
    EXPECT_EQ(m.meter.PercentDone(), 100.0);
    GLOB_Stream unheard = object.OpenStream(0);
    EXPECT_EQ(m.PollsOver(unheard, 4), 0);
    m.meter.StopListening();  // twice is harmless
    m.meter.Start(doc);
    GLOB_Stream heard = object.OpenStream(0);
    EXPECT_EQ(m.PollsOver(heard, 4), 2);
}
