#include "viewer/VIEW_Streams.h"

#include "viewer/VIEW_Frames.h"
#include "viewer/VIEW_HandleTable.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

enum class Source { Procedure, Bytes, Collecting };

struct Stream {
    explicit Stream(Source source) : m_source(source) {}

    Source m_source;
    PDFL_StmProc m_proc = nullptr;
    void* m_clientData = nullptr;
    // Procedure: its buffer and the next unread byte; bytes: the data.
    std::string m_data;
    size_t m_next = 0;
    bool m_ended = false;
    std::vector<int32_t> m_procResults;
    uint32_t m_writeLimit = std::numeric_limits<uint32_t>::max();
};

VIEW_HandleTable<PDFL_ASStm, Stream>& Streams() {
    static VIEW_HandleTable<PDFL_ASStm, Stream> streams("host stream", 0x58000001);
    return streams;
}

uint64_t Bytes(uint32_t itemSize, uint32_t count) {
    return static_cast<uint64_t>(itemSize) * count;
}

// Refills a drained procedure buffer; false at the end of the stream. The
// stream is found again after the call into the plug-in.
bool Refill(PDFL_ASStm stm) {
    const Stream& before = Streams().Get(stm);
    if (before.m_next < before.m_data.size())
        return true;
    if (before.m_ended)
        return false;
    std::string buffer(VIEW_Streams::ProcedureBufferSize, '\0');
    const PDFL_StmProc proc = before.m_proc;
    void* const clientData = before.m_clientData;
    const int32_t got = VIEW_CallPlugin([&] {
        return proc(&buffer[0], static_cast<int32_t>(buffer.size()), clientData);
    });
    Stream& stream = Streams().Get(stm);
    stream.m_procResults.push_back(got);
    if (got > static_cast<int32_t>(buffer.size()))
        throw VIEW_AssertionFailure("a stream procedure delivered " + std::to_string(got) +
                                    " bytes into " + std::to_string(buffer.size()));
    buffer.resize(got > 0 ? static_cast<size_t>(got) : 0);
    stream.m_ended = got <= 0;
    stream.m_data = std::move(buffer);
    stream.m_next = 0;
    return !stream.m_ended;
}

}  // namespace

PDFL_ASStm VIEW_Streams::OpenProcedure(PDFL_StmProc read, void* clientData) {
    if (!read)
        throw VIEW_AssertionFailure("ProcStmRdOpen without a procedure");
    Stream stream(Source::Procedure);
    stream.m_proc = read;
    stream.m_clientData = clientData;
    return Streams().Add(std::move(stream));
}

uint32_t VIEW_Streams::Read(char* buffer, uint32_t itemSize, uint32_t count, PDFL_ASStm stm) {
    const uint64_t wanted = Bytes(itemSize, count);
    if (wanted == 0)
        return 0;
    if (!buffer)
        throw VIEW_AssertionFailure("StmRead without a buffer");
    uint64_t done = 0;
    while (done < wanted) {
        const Source source = Streams().Get(stm).m_source;
        if (source == Source::Collecting)
            throw VIEW_AssertionFailure("StmRead of a stream opened for writing");
        if (source == Source::Procedure && !Refill(stm))
            break;
        Stream& current = Streams().Get(stm);
        const size_t available = current.m_data.size() - current.m_next;
        if (available == 0)
            break;
        const size_t take = static_cast<size_t>(std::min<uint64_t>(available, wanted - done));
        std::memcpy(buffer + done, current.m_data.data() + current.m_next, take);
        current.m_next += take;
        done += take;
    }
    return static_cast<uint32_t>(done / itemSize);
}

uint32_t VIEW_Streams::Write(const char* buffer, uint32_t itemSize, uint32_t count,
                             PDFL_ASStm stm) {
    Stream& stream = Streams().Get(stm);
    if (stream.m_source != Source::Collecting)
        throw VIEW_AssertionFailure("StmWrite of a stream opened for reading");
    const uint64_t offered = Bytes(itemSize, count);
    if (offered == 0)
        return 0;
    if (!buffer)
        throw VIEW_AssertionFailure("StmWrite without a buffer");
    // Whole items only, up to the limit.
    const uint64_t items = std::min<uint64_t>(count, stream.m_writeLimit / itemSize);
    stream.m_data.append(buffer, static_cast<size_t>(items * itemSize));
    return static_cast<uint32_t>(items);
}

void VIEW_Streams::Close(PDFL_ASStm stm) {
    Streams().Remove(stm);
}

PDFL_ASStm VIEW_Streams::OpenMemory(std::string bytes) {
    Stream stream(Source::Bytes);
    stream.m_data = std::move(bytes);
    return Streams().Add(std::move(stream));
}

PDFL_ASStm VIEW_Streams::OpenCollecting() {
    return Streams().Add(Stream(Source::Collecting));
}

std::string VIEW_Streams::Collected(PDFL_ASStm stm) {
    const Stream& stream = Streams().Get(stm);
    if (stream.m_source != Source::Collecting)
        throw VIEW_AssertionFailure("Collected of a stream opened for reading");
    return stream.m_data;
}

void VIEW_Streams::LimitWrites(PDFL_ASStm stm, uint32_t maxBytes) {
    Streams().Get(stm).m_writeLimit = maxBytes;
}

std::vector<int32_t> VIEW_Streams::ProcedureResults(PDFL_ASStm stm) {
    return Streams().Get(stm).m_procResults;
}

size_t VIEW_Streams::OpenCount() {
    return Streams().Size();
}

void VIEW_Streams::Reset() {
    Streams().Clear();
}
