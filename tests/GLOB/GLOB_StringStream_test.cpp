#include "GLOB/GLOB_StringStream.h"

#include "GLOB/GLOB_Stream.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Take(FILT_FilterBuffer* buffer) {
    std::string s(reinterpret_cast<const char*>(buffer->GetPtr()), buffer->DataAvailable());
    buffer->AdvanceGetPtr(buffer->DataAvailable());
    return s;
}

void Put(GLOB_Stream& s, const std::string& bytes, bool eod = false) {
    std::string copy = bytes;
    FILT_FilterBuffer b(reinterpret_cast<uint8_t*>(&copy[0]), static_cast<FILT_Size>(copy.size()), false);
    b.AdvancePutPtr(static_cast<FILT_Size>(copy.size()));
    b.SetEOD(eod);
    s.Write(b);
    EXPECT_EQ(b.DataAvailable(), 0u);
}

TEST(GLOB_StringStream, TheWholeTextComesAsOneBufferAtEnd) {
    const struct {
        std::string text;
        bool fromCString;
    } cases[] = {
        {"", true},
        {"", false},
        {std::string(100000, 'x'), false},  // the core's buffer size does not apply
        {std::string("a\0b", 3), false},
        {"1 0 0 RG", true},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(i);
        GLOB_Stream s(cases[i].fromCString ? new GLOB_StringStream(cases[i].text.c_str())
                                           : new GLOB_StringStream(cases[i].text));
        FILT_FilterBuffer* b = s.Read();
        EXPECT_TRUE(b->IsEOD());
        EXPECT_EQ(Take(b), cases[i].text);
        for (int again = 0; again < 3; ++again) {
            b = s.Read();
            EXPECT_EQ(b->DataAvailable(), 0u);
            EXPECT_TRUE(b->IsEOD());
        }
        EXPECT_EQ(s.Tell(), cases[i].text.size());
        // Made from a text, the stream is for reading only.
        FILT_FilterBuffer out;
        EXPECT_THROW(s.Write(out), TestAssertionFailure);
    }
}

TEST(GLOB_StringStream, WrittenBytesAreReadBack) {
    GLOB_Stream s(new GLOB_StringStream());
    Put(s, "q 1 0 0 1 ");
    Put(s, std::string("\0\xFF", 2));
    Put(s, "cm", true);
    EXPECT_EQ(Take(s.Read()), std::string("q 1 0 0 1 \0\xFF" "cm", 14));
    EXPECT_TRUE(s.Read()->IsEOD());
}

// A write while a reader still holds unread bytes must not pull the text
// out from under it.
TEST(GLOB_StringStream, WritingWhileReadingKeepsTheReadersBytes) {
    GLOB_Stream s(new GLOB_StringStream());
    Put(s, "abcdef");
    FILT_FilterBuffer* b = s.Read();
    b->AdvanceGetPtr(2);
    Put(s, std::string(100000, 'z'));
    b = s.Read();
    EXPECT_EQ(Take(b), "cdef");
    EXPECT_EQ(s.Tell(), 6u);
}

}  // namespace
