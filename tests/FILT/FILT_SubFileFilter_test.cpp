#include "FILT/FILT_SubFileFilter.h"

#include "FILT_TestData.h"

// Takes Length bytes and leaves the rest unread for the next stretch of the
// same stream; a length never set ends at once.
TEST(FILT_SubFileFilter, TakesOnlyTheLength) {
    FILT_SubFileFilter f;
    TestBuffer in("0123456789", false), none("", false, 8), out("", false, 16), out2("", false, 16);
    f.ProcessBytes(in.buf, none.buf);
    EXPECT_TRUE(none.buf.IsEOD());
    EXPECT_EQ(none.Text(), "");
    f.SetLength(3);
    f.ProcessBytes(in.buf, out.buf);
    EXPECT_EQ(out.Text(), "012");
    EXPECT_TRUE(out.buf.IsEOD());
    f.SetLength(2);
    f.ProcessBytes(in.buf, out2.buf);
    EXPECT_EQ(out2.Text(), "34");
    EXPECT_TRUE(out2.buf.IsEOD());
    EXPECT_EQ(in.Text(), "56789");
}

TEST(FILT_SubFileFilter, EveryChunking) {
    const std::string data = RandomBytes(5000, 11);
    for (const Chunking& ch : StandardChunkings()) {
        SCOPED_TRACE(ch.Name());
        FILT_SubFileFilter f;
        f.SetLength(3001);
        EXPECT_EQ(RunFilter(f, data, ch, 8192), data.substr(0, 3001));
    }
    // Input shorter than the length ends with it.
    LogCapture log;
    FILT_SubFileFilter f;
    f.SetLength(10);
    EXPECT_EQ(RunFilter(f, "abcd", {{1}, {1}}), "abcd");
    EXPECT_TRUE(log.Contains(GLIB_LogWarning, "Unexpected end of data."));
}
