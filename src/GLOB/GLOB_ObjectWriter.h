// Writes objects of the object model, and raw operator text, in PDF syntax
// into a GLOB_Stream: operands separated by single spaces, each operator
// ending its line. The text is collected in a buffer of the writer's own and
// handed to the stream whenever room runs short, and by Flush.
//
// Separators: a flag tells that the next token may follow without a space
// (at the start, after a line feed, after text ending in white space). Every
// token but a string gets one space unless the flag is set, and clears it;
// "[" and "<<" leave it as it was, so the first element or key is spaced
// exactly as its bracket.
//
// What the writer produces reads back through GLOB_StreamLexer to the same
// values: names escape every byte that is not regular as #XX, and also the
// bytes past the lexer's MaxNameBytes (it accepts only escapes there), so
// names of any length are written; strings escape parentheses, backslashes
// and control bytes; reals go through GLOB_StreamLexer::FormatFixed (five
// decimals, clamped to 9999999.99999; not-a-number as 0).
//
// Objects are written by value: an indirect object is written as its direct
// value (there is no reference syntax). Errors of the stream's Write pass to
// the caller of the operation that flushed.
#pragma once

#include "FILT/FILT_FilterBuffer.h"
#include "GLOB/GLOB_Stream.h"

#include <cstddef>
#include <cstdint>

class GLOB_Array;
class GLOB_DepthGuard;
class GLOB_Dict;
class GLOB_Name;
class GLOB_Object;
class GLOB_String;

class GLOB_ObjectWriter {
public:
    static constexpr uint32_t DefaultBufferSize = 4096;
    // Room one token may take: a separating space, "/" and 127 name bytes
    // written as "#" and two hexadecimal digits. Also the least buffer size.
    static constexpr uint32_t TokenRoom = 383;
    // Room kept for one string byte (a backslash and three octal digits) and
    // for a string's closing parenthesis.
    static constexpr uint32_t StringByteRoom = 5;
    static constexpr uint32_t StringEndRoom = 3;
    // Room kept for one name byte written as "#" and two digits.
    static constexpr uint32_t NameByteRoom = 3;
    // Objects one WriteObject, WriteArray or WriteDict may write. Indirect
    // objects are written once per reference, so a small graph of shared
    // arrays can stand for an enormous text; such a graph is refused.
    static constexpr uint32_t MaxObjectsPerWrite = 1u << 20;

    // No stream, a buffer of DefaultBufferSize bytes, flag set.
    GLOB_ObjectWriter();
    // SetStream(stream), then a buffer of bufferSize bytes (at least
    // TokenRoom, asserted).
    GLOB_ObjectWriter(const GLOB_Stream& stream, uint32_t bufferSize = DefaultBufferSize);
    // Frees the buffer and releases the stream without flushing: call Flush
    // first, or the buffered bytes are lost.
    virtual ~GLOB_ObjectWriter();
    GLOB_ObjectWriter(const GLOB_ObjectWriter&) = delete;
    GLOB_ObjectWriter& operator=(const GLOB_ObjectWriter&) = delete;

    // Takes the stream (shared), sets the flag, drops the bytes not flushed.
    void SetStream(const GLOB_Stream& stream);
    // The output stream, shared (the null handle before SetStream).
    GLOB_Stream Stream() const { return m_stream; }
    // New storage of size bytes (at least TokenRoom, asserted); the bytes not
    // flushed are dropped.
    void SetBufferSize(uint32_t size);

    // Hands the buffered bytes to the stream's Write until none remain, then
    // empties the buffer. Nothing when the buffer is empty; bytes buffered
    // without a stream fail the stream handle's assertion. A stream that
    // takes none of them throws GLIB_Exception 1151011.
    void Flush();
    // Flushes when fewer than n bytes of room remain.
    void EnsureSpace(uint32_t n);

    // One space unless the flag is set. Flushes first when the buffer is full.
    void WriteSeparator();
    // Copies text (not null) into the buffer as it is, flushing whenever the
    // buffer is full; the flag is left as it is.
    void WriteRaw(const char* text);
    // A line feed; sets the flag.
    void WriteNewline();
    // Copies text (not null) as it is, without separator, flushing whenever
    // the buffer is full; afterwards the flag tells whether its last byte is
    // white space. Empty text changes nothing.
    void WriteText(const char* text);
    // A separator, the operator's text and a line feed.
    void WriteOperator(const char* op);

    // Tokens.
    void WriteBoolean(bool value);
    // As "%d".
    void WriteInteger(int32_t value);
    void WriteReal(double value);
    // "/" and the escaped bytes; "/" alone for the name without text.
    void WriteName(const GLOB_Name& name);
    // "(" and the escaped bytes and ")", with no separator before it.
    void WriteString(const GLOB_String& value);

    // Containers, their elements written by WriteObject. A dictionary object
    // is written in its back-end's own entry order. Throw GLIB_Exception
    // 1151004 beyond GLOB_Object::MaxNesting (an indirect container inside
    // itself ends there) or beyond MaxObjectsPerWrite, and 1151006 for a
    // Stream inside; the text written before the failure is not taken back.
    void WriteArray(const GLOB_Array& value);
    void WriteArray(const GLOB_Object& array);
    void WriteDict(const GLOB_Dict& value);
    void WriteDict(const GLOB_Object& dict);
    // By kind: Null, Boolean, Integer, Real, Name, String, Array and Dict as
    // above, a Mark as nothing. A Stream (or a kind the writer does not
    // know) cannot be written inline: GLIB_Exception 1151006 "Unable to
    // write objects of type Stream".
    void WriteObject(const GLOB_Object& obj);

private:
    // Counts one object against MaxObjectsPerWrite; the outermost object of
    // a write starts the count afresh.
    void CountObject();

    // The token rule up to the token's bytes: reserve, then a separator.
    void BeginToken();
    void WriteNull();
    // Copies n bytes, flushing whenever the buffer is full.
    void PutBytes(const char* bytes, size_t n);
    // One byte; the caller has reserved room.
    void PutByte(uint8_t c) {
        *m_buffer.PutPtr() = c;
        m_buffer.AdvancePutPtr(1);
    }
    void OpenContainer(const char* bracket);
    void CloseContainer(const char* bracket);
    void WriteArrayElements(const GLOB_Array& value);
    void WriteDictEntries(const GLOB_Dict& value);
    void WriteDictObject(const GLOB_Object& dict);

    GLOB_Stream m_stream;
    FILT_FilterBuffer m_buffer;
    uint32_t m_bufferSize = DefaultBufferSize;
    bool m_noSeparator = true;
    GLOB_DepthGuard* m_innermost = nullptr;  // of the write under way
    uint32_t m_objectsWritten = 0;
};
