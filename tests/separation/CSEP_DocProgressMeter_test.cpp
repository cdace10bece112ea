#include "separation/CSEP_DocProgressMeter.h"

#include "CSEP_TestUtil.h"
#include "GLIB/GLIB_CancelMgr.h"
#include "GLOB/GLOB_FileSpecification.h"
#include "separation/CSEP_ProgressMessage.h"

#include <algorithm>

namespace {

// A cancel core that counts its polls.
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
    void Heard(const CSEP_ProgressMessage& message) { m_posted.push_back(message.PercentDone()); }
    GLIB_CallbackBase* Callback() { return new GLIB_Callback<Observer, CSEP_ProgressMessage>(this, &Observer::Heard); }
    std::vector<double> m_posted;
};

// A meter started on doc whose cancel core counts its polls.
struct Metered {
    explicit Metered(GLOB_Doc& doc) {
        cancel = new CountingCore(&polls);
        meter.SetCancelMgr(cancel);
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
    CSEP_DocProgressMeter meter;
};

// Consumes n bytes, then reads once more, so that the position reaches the meter.
void Advance(GLOB_Stream& stream, uint32_t n) {
    while (n > 0) {
        FILT_FilterBuffer* buffer = stream.Read();
        const FILT_Size take = std::min(n, buffer->DataAvailable());
        if (take == 0)
            break;
        buffer->AdvanceGetPtr(take);
        n -= take;
    }
    stream.Read();
}

}  // namespace

TEST(CSEP_DocProgressMeter, CountsTheBytesOfWatchedStreams) {
    GLOB_Doc doc = NewDoc();
    const GLOB_Object first = NewStreamObject(doc, std::string(1000, 'a'));
    const GLOB_Object second = NewStreamObject(doc, std::string(3000, 'b'));
    const GLOB_Object font = NewStreamObject(doc, std::string(500, 'f'));
    Metered m(doc);
    EXPECT_EQ(m.meter.PercentDone(), 100.0);  // nothing watched
    m.meter.AddStream(first);
    m.meter.AddStream(second);
    {
        const LogCapture capture;
        m.meter.AddStream(doc.NewInteger(3));
        EXPECT_TRUE(capture.Contains(4, "Expecting to monitor Streams, found type Integer"));
    }
    EXPECT_TRUE(m.meter.IsWatched(first) && m.meter.IsWatched(second) && !m.meter.IsWatched(font));
    EXPECT_EQ(m.meter.PercentDone(), 0.0);

    GLOB_Stream a = first.OpenStream(0);
    EXPECT_FALSE(m.meter.IsWatched(first));
    Advance(a, 1000);
    GLOB_Stream b = second.OpenStream(0);
    Advance(b, 1500);
    EXPECT_EQ(m.meter.BytesRead(), 2500u);
    EXPECT_DOUBLE_EQ(m.meter.PercentDone(), 62.5);

    // A stream nobody asked for counts nothing but drives the poll: every
    // second read notification polls.
    GLOB_Stream f = font.OpenStream(0);
    EXPECT_EQ(m.PollsOver(f, 4), 2);
    EXPECT_EQ(m.PollsOver(b, 6), 3);
    EXPECT_DOUBLE_EQ(m.meter.PercentDone(), 62.5);

    m.meter.Stop();
    EXPECT_EQ(m.meter.PercentDone(), 100.0);
    EXPECT_EQ(m.PollsOver(b, 4) + m.PollsOver(f, 4), 0);  // no listener left
    GLOB_Stream again = first.OpenStream(0);  // still registered with the document
    EXPECT_EQ(m.PollsOver(again, 4), 2);
}

TEST(CSEP_DocProgressMeter, ReadingPastTheStoredLengthIsCapped) {
    // A stream whose own data are 3 bytes but whose /F file holds 5000.
    ScratchDir dir;
    WriteWholeFile(dir.File("big.bin"), std::string(5000, 'z'));
    GLOB_Doc doc = NewDoc();
    const GLOB_Object stream = NewStreamObject(doc, "abc");
    stream.DictPut(GLOB_Name("F"), doc.NewString(GLOB_FileSpecification::PdfPath(dir.File("big.bin").c_str()).c_str()));
    Metered m(doc);
    m.meter.AddStream(stream);
    GLOB_Stream s = stream.OpenStream(0);
    const LogCapture capture;
    Advance(s, 4);
    EXPECT_TRUE(capture.Contains(4, "Progess meter has read more bytes than expected.  Read 4 expecting 3"));
    EXPECT_EQ(m.meter.BytesRead(), 3u);
    EXPECT_EQ(m.meter.PercentDone(), 100.0);
}

TEST(CSEP_DocProgressMeter, PostsEachGrowthOfTheStep) {
    EXPECT_EQ(CSEP_ProgressMessage(42.5).Description(), "CSEP_ProgressMessage: 42.500000.2% complete.");

    GLOB_Doc doc = NewDoc();
    const GLOB_Object stream = NewStreamObject(doc, std::string(1000, 's'));
    Metered m(doc);
    Observer replaced, observer;
    m.meter.SetObserver(replaced.Callback(), 0.0);
    m.meter.SetObserver(observer.Callback(), 1.0);
    m.meter.AddStream(stream);
    GLOB_Stream s = stream.OpenStream(0);
    // 3 bytes, 0.3 points, per read.
    for (FILT_FilterBuffer* buffer = s.Read(); buffer->DataAvailable() > 0; buffer = s.Read())
        buffer->AdvanceGetPtr(std::min<FILT_Size>(3, buffer->DataAvailable()));
    EXPECT_TRUE(replaced.m_posted.empty());
    ASSERT_GE(observer.m_posted.size(), 77u);
    double last = 0.0;
    for (double posted : observer.m_posted) {
        SCOPED_TRACE(posted);
        EXPECT_GE(posted - last, 1.0);
        EXPECT_LE(posted - last, 1.2 + 1e-9);
        last = posted;
    }
}

TEST(CSEP_DocProgressMeter, CancelSurfacesFromTheReadAndTheMeterGoesOn) {
    GLOB_Doc doc = NewDoc();
    const GLOB_Object stream = NewStreamObject(doc, std::string(3000, 'c'));
    Metered m(doc);
    m.meter.AddStream(stream);
    GLOB_Stream s = stream.OpenStream(0);
    s.Read()->AdvanceGetPtr(100);
    m.cancel.SetCancelled(true);
    EXPECT_EQ(Failure([&] { s.Read(); }), "1128003 Cancel requested");  // the second notification polls

    // Cleared, the same stream reads on to its end, its listener still heard.
    m.cancel.SetCancelled(false);
    Advance(s, 2900);
    EXPECT_EQ(m.meter.PercentDone(), 100.0);

    // A second start replaces the first registration: one listener per
    // opening, so the poll stays at every second read; and it counts and
    // posts afresh.
    Observer observer;
    m.meter.SetObserver(observer.Callback(), 1.0);
    m.meter.Start(doc);
    m.meter.AddStream(stream);
    GLOB_Stream again = stream.OpenStream(0);
    EXPECT_EQ(m.PollsOver(again, 4), 2);
    EXPECT_EQ(m.meter.PercentDone(), 0.0);
    const LogCapture capture;
    Advance(again, 3000);
    EXPECT_TRUE(capture.Entries().empty());
    EXPECT_EQ(m.meter.PercentDone(), 100.0);
    ASSERT_FALSE(observer.m_posted.empty());
    EXPECT_EQ(observer.m_posted.back(), 100.0);

    // Started on another document, the meter no longer hears this one.
    GLOB_Doc other = NewDoc();
    m.meter.Start(other);
    GLOB_Stream unheard = stream.OpenStream(0);
    EXPECT_EQ(m.PollsOver(unheard, 4), 0);
}
