// A stream core over bytes held in memory: PDF text to be parsed, or bytes
// written to be stored as stream data. A read hands out the whole text as one
// buffer already marked EOD; the next fill after that empties the text and
// gives an empty buffer at EOD.
#pragma once

#include "GLOB/GLOB_StreamCore.h"

#include <string>

class GLOB_StringStream : public GLOB_StreamCore {
public:
    // Empty text, open for Input and Output: written bytes are appended.
    GLOB_StringStream();
    // A copy of the bytes before the terminating NUL (text not null), open
    // for Input only.
    explicit GLOB_StringStream(const char* text);
    // A copy of bytes (any value, NUL included), open for Input only.
    explicit GLOB_StringStream(const std::string& bytes);
    ~GLOB_StringStream() override;

protected:
    FILT_FilterBuffer* FillBuffer() override;
    // Appends the buffer's unread bytes to the text.
    void FlushBuffer(FILT_FilterBuffer& buffer) override;
    void DoClose() override {}

private:
    std::string m_text;
    FILT_FilterBuffer m_buffer;  // a view of m_text's storage
};
