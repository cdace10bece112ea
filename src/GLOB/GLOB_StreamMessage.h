// The messages a GLOB_Stream posts to its core's observers. Each holds the
// sending stream (a counted reference while the message lives) and lives for
// one notification only. Callbacks match the exact message class.
#pragma once

#include "FILT/FILT_FilterBuffer.h"
#include "GLIB/GLIB_Message.h"
#include "GLOB/GLOB_Stream.h"

#include <string>

class GLOB_StreamMessage : public GLIB_Message {
public:
    explicit GLOB_StreamMessage(const GLOB_Stream& stream) : m_stream(stream) {}
    const GLOB_Stream& Stream() const { return m_stream; }

private:
    GLOB_Stream m_stream;
};

// After a read, with the buffer the read returned (not owned).
class GLOB_StreamReadMessage : public GLOB_StreamMessage {
public:
    GLOB_StreamReadMessage(const GLOB_Stream& stream, FILT_FilterBuffer* buffer)
        : GLOB_StreamMessage(stream), m_buffer(buffer) {}
    std::string Description() const override { return "GLOB_StreamRead"; }
    FILT_FilterBuffer* Buffer() const { return m_buffer; }

private:
    FILT_FilterBuffer* m_buffer;
};

// Before a write.
class GLOB_StreamWriteMessage : public GLOB_StreamMessage {
public:
    using GLOB_StreamMessage::GLOB_StreamMessage;
    std::string Description() const override { return "GLOB_StreamWrite"; }
};

// Before a close.
class GLOB_StreamCloseMessage : public GLOB_StreamMessage {
public:
    using GLOB_StreamMessage::GLOB_StreamMessage;
    std::string Description() const override { return "GLOB_StreamClose"; }
};
