#include "GLOB/GLOB_StringStream.h"

#include "GLOB_TestUtil.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

// From a text (C string or bytes, beyond the core's buffer size) the stream
// is for reading only, and hands it all out at once.
TEST(GLOB_StringStream, TheWholeTextComesAsOneBufferAndWritesAreReadBack) {
    const std::string texts[] = {"", std::string(100000, 'x'), std::string("a\0b", 3)};
    for (size_t i = 0; i < 2 * std::size(texts); ++i) {
        SCOPED_TRACE(i);
        const std::string text = i % 2 ? std::string(texts[i / 2].c_str()) : texts[i / 2];
        GLOB_Stream s(i % 2 ? new GLOB_StringStream(text.c_str()) : new GLOB_StringStream(texts[i / 2]));
        FILT_FilterBuffer* b = s.Read();
        EXPECT_TRUE(b->IsEOD());
        EXPECT_TRUE(Take(b) == text);
        for (int again = 0; again < 3; ++again) {
            b = s.Read();
            EXPECT_TRUE(b->DataAvailable() == 0 && b->IsEOD());
        }
        EXPECT_EQ(s.Tell(), text.size());
        EXPECT_THROW(Put(s, "x"), TestAssertionFailure);
    }
    // Made empty, it reads back what was written.
    GLOB_Stream s(new GLOB_StringStream());
    Put(s, "q 1 0 0 1 ");
    Put(s, std::string("\0\xFF", 2));
    Put(s, "cm", true);
    EXPECT_TRUE(ReadAll(s) == std::string("q 1 0 0 1 \0\xFF" "cm", 14));
    // A write while a reader still holds unread bytes must not pull the text
    // out from under it.
    GLOB_Stream t(new GLOB_StringStream());
    Put(t, "abcdef");
    t.Read()->AdvanceGetPtr(2);
    Put(t, std::string(100000, 'z'));
    EXPECT_EQ(Take(t.Read()), "cdef");
    EXPECT_EQ(t.Tell(), 6u);
}

}  // namespace
