#include "GLOB/GLOB_ObjectWriter.h"

#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Exception.h"
#include "GLOB/GLOB_Array.h"
#include "GLOB/GLOB_ByteClass.h"
#include "GLOB/GLOB_DepthGuard.h"
#include "GLOB/GLOB_Dict.h"
#include "GLOB/GLOB_Impl.h"
#include "GLOB/GLOB_Name.h"
#include "GLOB/GLOB_Object.h"
#include "GLOB/GLOB_StreamCore.h"
#include "GLOB/GLOB_StreamLexer.h"
#include "GLOB/GLOB_String.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

const char HexDigits[] = "0123456789ABCDEF";
const char Who[] = "GLOB_ObjectWriter";

}  // namespace

GLOB_ObjectWriter::GLOB_ObjectWriter() : m_buffer(DefaultBufferSize) {}

GLOB_ObjectWriter::GLOB_ObjectWriter(const GLOB_Stream& stream, uint32_t bufferSize) {
    SetStream(stream);
    SetBufferSize(bufferSize);
}

GLOB_ObjectWriter::~GLOB_ObjectWriter() = default;

void GLOB_ObjectWriter::SetStream(const GLOB_Stream& stream) {
    m_stream = stream;
    m_noSeparator = true;
    m_buffer.Reset();
}

void GLOB_ObjectWriter::SetBufferSize(uint32_t size) {
    GLIB_ASSERT_CMP(size, >=, TokenRoom);
    m_buffer.SetStorage(nullptr, size, true);
    m_bufferSize = size;
}

void GLOB_ObjectWriter::Flush() {
    while (m_buffer.DataAvailable() > 0) {
        const FILT_Size before = m_buffer.DataAvailable();
        m_stream.Write(m_buffer);
        // A core that takes none of the bytes (a device that refuses them, a
        // chain that has met its end) would keep this loop running.
        if (m_buffer.DataAvailable() == before)
            GLIB_THROW(GLIB_Exception, GLOB_StreamCore::IOErrorCode,
                       "GLOB_ObjectWriter::Flush: the stream took none of the last " << before << " bytes");
    }
    m_buffer.Reset();
}

void GLOB_ObjectWriter::EnsureSpace(uint32_t n) {
    if (m_buffer.SpaceRemaining() < n)
        Flush();
}

void GLOB_ObjectWriter::WriteSeparator() {
    if (m_noSeparator)
        return;
    EnsureSpace(1);
    PutByte(' ');
}

void GLOB_ObjectWriter::PutBytes(const char* bytes, size_t n) {
    while (n > 0) {
        EnsureSpace(1);
        const FILT_Size chunk = static_cast<FILT_Size>(std::min<size_t>(n, m_buffer.SpaceRemaining()));
        std::memcpy(m_buffer.PutPtr(), bytes, chunk);
        m_buffer.AdvancePutPtr(chunk);
        bytes += chunk;
        n -= chunk;
    }
}

void GLOB_ObjectWriter::WriteRaw(const char* text) {
    GLIB_ASSERT(text != nullptr);
    PutBytes(text, std::strlen(text));
}

void GLOB_ObjectWriter::WriteNewline() {
    EnsureSpace(1);
    PutByte('\n');
    m_noSeparator = true;
}

void GLOB_ObjectWriter::WriteText(const char* text) {
    GLIB_ASSERT(text != nullptr);
    const size_t n = std::strlen(text);
    if (n == 0)
        return;
    PutBytes(text, n);
    m_noSeparator = GLOB_IsWhite(static_cast<uint8_t>(text[n - 1]));
}

void GLOB_ObjectWriter::WriteOperator(const char* op) {
    EnsureSpace(1);
    WriteSeparator();
    WriteText(op);
    WriteNewline();
}

void GLOB_ObjectWriter::BeginToken() {
    EnsureSpace(TokenRoom);
    WriteSeparator();
}

void GLOB_ObjectWriter::WriteNull() {
    BeginToken();
    PutBytes("null", 4);
    m_noSeparator = false;
}

void GLOB_ObjectWriter::WriteBoolean(bool value) {
    BeginToken();
    if (value)
        PutBytes("true", 4);
    else
        PutBytes("false", 5);
    m_noSeparator = false;
}

void GLOB_ObjectWriter::WriteInteger(int32_t value) {
    BeginToken();
    // The reserve leaves room for the digits and snprintf's NUL.
    const int n = std::snprintf(reinterpret_cast<char*>(m_buffer.PutPtr()), m_buffer.SpaceRemaining(), "%d",
                                static_cast<int>(value));
    m_buffer.AdvancePutPtr(static_cast<FILT_Size>(n));
    m_noSeparator = false;
}

void GLOB_ObjectWriter::WriteReal(double value) {
    BeginToken();
    const int n = GLOB_StreamLexer::FormatFixed(value, reinterpret_cast<char*>(m_buffer.PutPtr()));
    m_buffer.AdvancePutPtr(static_cast<FILT_Size>(n));
    m_noSeparator = false;
}

void GLOB_ObjectWriter::WriteName(const GLOB_Name& name) {
    BeginToken();
    PutByte('/');
    if (const char* text = name.CStr()) {
        for (size_t i = 0; text[i] != 0; ++i) {
            const uint8_t c = static_cast<uint8_t>(text[i]);
            EnsureSpace(NameByteRoom);
            // The lexer takes no plain byte once a name holds MaxNameBytes.
            if (i < GLOB_StreamLexer::MaxNameBytes && GLOB_IsRegular(c)) {
                PutByte(c);
            } else {
                PutByte('#');
                PutByte(static_cast<uint8_t>(HexDigits[c >> 4]));
                PutByte(static_cast<uint8_t>(HexDigits[c & 15]));
            }
        }
    }
    m_noSeparator = false;
}

void GLOB_ObjectWriter::WriteString(const GLOB_String& value) {
    EnsureSpace(1);
    PutByte('(');
    const uint8_t* data = value.Data();
    for (size_t i = 0, n = value.Length(); i < n; ++i) {
        const uint8_t c = data[i];
        EnsureSpace(StringByteRoom);
        char escape = 0;
        switch (c) {
        case '\b': escape = 'b'; break;
        case '\t': escape = 't'; break;
        case '\n': escape = 'n'; break;
        case '\f': escape = 'f'; break;
        case '\r': escape = 'r'; break;
        case '(':
        case ')':
        case '\\': escape = static_cast<char>(c); break;
        default: break;
        }
        if (escape) {
            PutByte('\\');
            PutByte(static_cast<uint8_t>(escape));
        } else if (c <= 32 || c >= 127) {
            PutByte('\\');
            PutByte(static_cast<uint8_t>('0' + (c >> 6)));
            PutByte(static_cast<uint8_t>('0' + ((c >> 3) & 7)));
            PutByte(static_cast<uint8_t>('0' + (c & 7)));
        } else {
            PutByte(c);
        }
    }
    EnsureSpace(StringEndRoom);
    PutByte(')');
    m_noSeparator = false;
}

void GLOB_ObjectWriter::OpenContainer(const char* bracket) {
    // The bracket leaves the flag as it was: the first element is spaced as
    // the bracket itself.
    BeginToken();
    PutBytes(bracket, std::strlen(bracket));
}

void GLOB_ObjectWriter::CloseContainer(const char* bracket) {
    EnsureSpace(TokenRoom);
    PutBytes(bracket, std::strlen(bracket));
    m_noSeparator = false;
}

void GLOB_ObjectWriter::WriteArrayElements(const GLOB_Array& value) {
    OpenContainer("[");
    for (uint32_t i = 0, n = value.Length(); i < n; ++i)
        WriteObject(value.Get(i));
    CloseContainer("]");
}

void GLOB_ObjectWriter::WriteDictEntries(const GLOB_Dict& value) {
    OpenContainer("<<");
    GLOB_Name key;
    GLOB_Object entry;
    for (uint32_t i = 0; value.Entry(i, &key, &entry); ++i) {
        WriteName(key);
        WriteObject(entry);
    }
    CloseContainer(" >>");
}

void GLOB_ObjectWriter::WriteDictObject(const GLOB_Object& dict) {
    std::vector<GLOB_Impl::Entry> entries;
    dict.GetImpl()->DictEntries(dict, entries, true);
    OpenContainer("<<");
    for (const GLOB_Impl::Entry& entry : entries) {
        WriteName(entry.first);
        WriteObject(entry.second);
    }
    CloseContainer(" >>");
}

void GLOB_ObjectWriter::CountObject() {
    if (m_innermost == nullptr)
        m_objectsWritten = 0;
    if (++m_objectsWritten > MaxObjectsPerWrite)
        GLIB_THROW(GLIB_Exception, GLOB_NestingCode,
                   "GLOB_ObjectWriter: more than " << MaxObjectsPerWrite
                                                   << " objects in one write (indirect objects are "
                                                      "written once per reference)");
}

void GLOB_ObjectWriter::WriteArray(const GLOB_Array& value) {
    CountObject();
    const GLOB_DepthGuard level(m_innermost, Who);
    WriteArrayElements(value);
}

void GLOB_ObjectWriter::WriteArray(const GLOB_Object& array) {
    CountObject();
    const GLOB_DepthGuard level(m_innermost, Who, &array);
    WriteArrayElements(array.AsArray());
}

void GLOB_ObjectWriter::WriteDict(const GLOB_Dict& value) {
    CountObject();
    const GLOB_DepthGuard level(m_innermost, Who);
    WriteDictEntries(value);
}

void GLOB_ObjectWriter::WriteDict(const GLOB_Object& dict) {
    CountObject();
    const GLOB_DepthGuard level(m_innermost, Who, &dict);
    WriteDictObject(dict);
}

void GLOB_ObjectWriter::WriteObject(const GLOB_Object& obj) {
    const int32_t type = obj.Type();
    if (type == GLOB_Object::KindArray) {
        WriteArray(obj);
        return;
    }
    if (type == GLOB_Object::KindDict) {
        WriteDict(obj);
        return;
    }
    CountObject();
    switch (type) {
    case GLOB_Object::KindNull: WriteNull(); break;
    case GLOB_Object::KindBoolean: WriteBoolean(obj.AsBoolean()); break;
    case GLOB_Object::KindInteger: WriteInteger(obj.AsInteger()); break;
    case GLOB_Object::KindReal: WriteReal(obj.AsReal()); break;
    case GLOB_Object::KindName: WriteName(obj.AsName()); break;
    case GLOB_Object::KindString: WriteString(obj.AsString()); break;
    case GLOB_Object::KindMark: break;
    default:
        // A resource written by value may hold a stream (a font file, an
        // image), so this is document data, not a programming error.
        if (type >= 0 && type < GLOB_Object::NumTypes)
            GLIB_THROW(GLIB_Exception, GLOB_TypeMismatchCode,
                       "GLOB_ObjectWriter: Unable to write objects of type " << GLOB_Object::TypeString(type));
        GLIB_THROW(GLIB_Exception, GLOB_TypeMismatchCode,
                   "GLOB_ObjectWriter: Unable to write objects of type " << type);
    }
}
