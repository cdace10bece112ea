#include "FILT/FILT_SubFileFilter.h"

#include "support/FilterDriver.h"
#include "support/TestSupport.h"
#include "FILT_TestData.h"

#include <gtest/gtest.h>

TEST(FILT_SubFileFilter, LengthNeverSetEndsAtOnce) {
    FILT_SubFileFilter f;
    TestBuffer in("abc", false), out("", false, 8);
    f.ProcessBytes(in.buf, out.buf);
    EXPECT_TRUE(out.buf.IsEOD());
    EXPECT_EQ(out.buf.DataAvailable(), 0u);
    EXPECT_EQ(in.Text(), "abc");
}

TEST(FILT_SubFileFilter, InputShorterThanLength) {
    LogCapture log;
    FILT_SubFileFilter f;
    f.SetLength(10);
    TestBuffer in("abcd", true), out("", false, 16);
    f.ProcessBytes(in.buf, out.buf);
    EXPECT_EQ(out.Text(), "abcd");
    EXPECT_TRUE(out.buf.IsEOD());
    EXPECT_TRUE(log.Contains(GLIB_LogWarning, "Unexpected end of data."));
}

TEST(FILT_SubFileFilter, TakesOnlyTheLength) {
    FILT_SubFileFilter f;
    f.SetLength(3);
    TestBuffer in("0123456789", false), out("", false, 16);
    f.ProcessBytes(in.buf, out.buf);
    EXPECT_EQ(out.Text(), "012");
    EXPECT_TRUE(out.buf.IsEOD());
    EXPECT_EQ(in.Text(), "3456789");
    // Another stretch of the same stream.
    f.SetLength(2);
    TestBuffer out2("", false, 16);
    f.ProcessBytes(in.buf, out2.buf);
    EXPECT_EQ(out2.Text(), "34");
    EXPECT_TRUE(out2.buf.IsEOD());
}

TEST(FILT_SubFileFilter, SmallRoomEndsWithTheLastByte) {
    FILT_SubFileFilter f;
    f.SetLength(5);
    TestBuffer in("abcdefg", false);
    std::string got;
    for (int call = 0; call < 3; ++call) {
        TestBuffer out("", false, 2);
        f.ProcessBytes(in.buf, out.buf);
        got += out.Text();
        EXPECT_EQ(out.buf.IsEOD(), call == 2) << call;
    }
    EXPECT_EQ(got, "abcde");
}

TEST(FILT_SubFileFilter, EveryChunking) {
    const std::string data = RandomBytes(5000, 11);
    for (const Chunking& ch : StandardChunkings()) {
        SCOPED_TRACE(ch.Name());
        FILT_SubFileFilter f;
        f.SetLength(3001);
        EXPECT_EQ(RunFilter(f, data, ch, 8192), data.substr(0, 3001));
    }
}
