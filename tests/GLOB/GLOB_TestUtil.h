// Shorthands shared by the object-model tests.
#pragma once

#include "GLIB/GLIB_Exception.h"
#include "GLOB/GLOB_Doc.h"
#include "GLOB/GLOB_Memory_Impl.h"
#include "GLOB/GLOB_Stream.h"
#include "support/GLOB_ChunkedCore.h"

#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

// Chunk sizes for chunk-invariance tests: whole, one byte, small odd sizes,
// and a seeded random list.
inline std::vector<std::vector<size_t>> GLOB_TestChunkings() {
    std::vector<std::vector<size_t>> result = {{0}, {1}, {2, 3, 1}, {5, 1, 1, 7}, {}};
    std::mt19937 random(7);
    for (int i = 0; i < 64; ++i)
        result.back().push_back(std::uniform_int_distribution<size_t>(1, 13)(random));
    return result;
}

// Sets the memory back-end's copy buffer size while it lives.
struct CopyBufferScope {
    explicit CopyBufferScope(uint32_t size) { GLOB_Memory_Impl::SetCopyBufferSize(size); }
    ~CopyBufferScope() { GLOB_Memory_Impl::SetCopyBufferSize(m_old); }
    const uint32_t m_old = GLOB_Memory_Impl::CopyBufferSize();
};

// An open, empty memory document.
inline GLOB_Doc NewMemoryDoc() {
    GLOB_Doc doc = GLOB_Memory_Impl::Make();
    doc.Create("%PDF-1.3", 0);
    return doc;
}

// A stream of doc holding data (handed over in odd chunks), with the entries
// of the dictionary text dict (none for null); encoded as NewStream takes it.
inline GLOB_Object StoreStream(const GLOB_Doc& doc, const std::string& data, const char* dict = nullptr,
                               int32_t encoded = 0) {
    return doc.NewStream(GLOB_Stream(new GLOB_ChunkedCore(data, {7, 1, 13})), encoded,
                         dict ? doc.ParseObject(dict) : GLOB_Object(), GLOB_Object(), -1);
}

// levels indirect arrays above the integer 1, each holding the next one
// twice: 2^levels leaves by reference.
inline GLOB_Object Doubling(const GLOB_Doc& doc, int levels) {
    GLOB_Object doubling = doc.NewInteger(1, true);
    for (int i = 0; i < levels; ++i) {
        const GLOB_Object pair = doc.NewArray(2, true);
        pair.ArrayPut(0, doubling);
        pair.ArrayPut(1, doubling);
        doubling = pair;
    }
    return doubling;
}

// What x (an object, an operand stack) prints.
template <class T>
std::string Printed(const T& x) {
    std::ostringstream os;
    x.Print(os);
    return os.str();
}

// The code and message of the GLIB_Exception that call throws.
inline std::string Failure(const std::function<void()>& call) {
    try {
        call();
    } catch (const GLIB_Exception& e) {
        return std::to_string(e.Code()) + " " + e.What();
    }
    return "no exception";
}

// The bytes a read handed out, consumed.
inline std::string Take(FILT_FilterBuffer* buffer) {
    std::string s(reinterpret_cast<const char*>(buffer->GetPtr()), buffer->DataAvailable());
    buffer->AdvanceGetPtr(buffer->DataAvailable());
    return s;
}

// Everything the stream gives, through a buffer of bufferSize (0: as it is),
// taking at most take bytes per read (0: all).
inline std::string ReadAll(GLOB_Stream stream, uint32_t bufferSize = 0, size_t take = 0) {
    if (bufferSize)
        stream.SetBufferSize(bufferSize);
    std::string data;
    for (FILT_FilterBuffer* buf = stream.Read(); buf->DataAvailable() > 0 || !buf->IsEOD(); buf = stream.Read()) {
        const size_t n = take ? std::min<size_t>(take, buf->DataAvailable()) : buf->DataAvailable();
        data.append(reinterpret_cast<const char*>(buf->GetPtr()), n);
        buf->AdvanceGetPtr(static_cast<FILT_Size>(n));
    }
    return data;
}

// Writes bytes, with EOD if asked; returns how many were not taken.
inline size_t Put(GLOB_Stream& stream, std::string bytes, bool eod = false) {
    FILT_FilterBuffer b(reinterpret_cast<uint8_t*>(&bytes[0]), static_cast<FILT_Size>(bytes.size()), false);
    b.AdvancePutPtr(static_cast<FILT_Size>(bytes.size()));
    b.SetEOD(eod);
    stream.Write(b);
    return b.DataAvailable();
}

// n bytes of every value, without short repeats.
inline std::string Pattern(size_t n) {
    std::string s(n, 0);
    for (size_t i = 0; i < n; ++i)
        s[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
    return s;
}
