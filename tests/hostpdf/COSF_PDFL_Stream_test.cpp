// Stream adapters between the object model and the host's streams: a core
// reading and writing host streams, and a host procedure stream fed from
// a GLOB_Stream.
#include "HostFixture.h"
#include "HostLibraryFixture.h"

#include "support/GLOB_ChunkedCore.h"
#include "GLOB/GLOB_Stream.h"
#include "hostpdf/COSF_PDFL_Library.h"
#include "hostpdf/COSF_PDFL_StreamCore.h"
#include "hostpdf/COSF_PDFL_StreamProc.h"
#include "hostpdf/PDFL_ASCalls.h"
#include "support/StreamBytes.h"
#include "support/TestSupport.h"
#include "viewer/VIEW_Streams.h"

#include <algorithm>
#include <string>

namespace {

std::string Pattern(size_t size) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 31 + i / 253) & 0xFF);
    return bytes;
}

class StreamAdapterTest : public WithHostLibrary<HostTest> {
protected:
    void TearDown() override {
        EXPECT_EQ(VIEW_Streams::OpenCount(), 0u) << "a host stream was left open";
        WithHostLibrary::TearDown();
    }

    static size_t SlotCalls(int slot) {
        size_t count = 0;
        for (const VIEW_Call& call : VIEW_Recorder::Calls())
            count += call.m_table == PDFL_AcroSupportTable && call.m_slot == slot;
        return count;
    }
    // Everything a GLOB_Stream reads.
    static std::string ReadAll(GLOB_Stream& stream) {
        bool endOfData = false;
        const std::string all = ReadToEnd(stream, &endOfData);
        EXPECT_TRUE(endOfData);
        return all;
    }
};

TEST_F(StreamAdapterTest, HostReadsTheSourceThroughItsBufferToTheEnd) {
    const std::string data = Pattern(10000);
    for (const std::vector<size_t>& chunks :
         {std::vector<size_t>{0}, std::vector<size_t>{1, 333, 4096}, std::vector<size_t>{4097}}) {
        SCOPED_TRACE("first chunk " + std::to_string(chunks[0]));
        COSF_PDFL_StreamProc proc{
            GLOB_Stream(new GLOB_ChunkedCore(data, chunks, GLOB_StreamCore::Input))};
        const PDFL_ASStm stm = proc.HostStream();
        EXPECT_EQ(proc.HostStream(), stm) << "one host stream per object";
        std::string read(20000, '\0');
        EXPECT_EQ(PDFL_ASStmRead(&read[0], 1, 20000, stm), 10000u);
        read.resize(10000);
        EXPECT_TRUE(read == data);
        EXPECT_EQ(VIEW_Streams::ProcedureResults(stm),
                  (std::vector<int32_t>{4096, 4096, 1808, 0}));
        EXPECT_EQ(PDFL_CallbackLevel(), 0);
    }
    EXPECT_EQ(SlotCalls(42), 3u);
    EXPECT_EQ(SlotCalls(45), 3u) << "each object closed its host stream";
}

TEST_F(StreamAdapterTest, ProcedureWithoutItsObjectFailsItsAssertion) {
    char buffer[8];
    const PDFL_ASStm stm = PDFL_ASProcStmRdOpen(&COSF_PDFL_StreamProc::ProcStreamRead, nullptr);
    EXPECT_THROW(PDFL_ASStmRead(buffer, 1, sizeof buffer, stm), TestAssertionFailure);
    EXPECT_EQ(PDFL_CallbackLevel(), 0);
    PDFL_ASStmClose(stm);
}

TEST_F(StreamAdapterTest, CoreReadsAHostStreamInOneHostReadPerFill) {
    const std::string data = Pattern(20000);
    for (uint32_t size : {1u, 4096u, 8192u, 30000u}) {
        SCOPED_TRACE(size);
        VIEW_Recorder::ClearCalls();
        GLOB_Stream stream(new COSF_PDFL_StreamCore(VIEW_Streams::OpenMemory(data),
                                                    GLOB_StreamCore::Input));
        stream.SetBufferSize(size);
        EXPECT_TRUE(ReadAll(stream) == data);
        EXPECT_EQ(SlotCalls(43), (data.size() + size - 1) / size + 1) << "and one at the end";
        stream.Close();
        EXPECT_EQ(SlotCalls(45), 1u);
    }
}

TEST_F(StreamAdapterTest, HostStreamAtItsEndFillsOnceWithEndOfData) {
    GLOB_Stream stream(new COSF_PDFL_StreamCore(VIEW_Streams::OpenMemory(""),
                                                GLOB_StreamCore::Input));
    FILT_FilterBuffer* buffer = stream.Read();
    EXPECT_TRUE(buffer->IsEOD());
    EXPECT_EQ(buffer->DataAvailable(), 0u);
    EXPECT_EQ(SlotCalls(43), 1u);
}

// An unfiltered write leaves what the host did not take in the caller's
// buffer; the caller writes again until it is drained.
TEST_F(StreamAdapterTest, FlushStoresEveryByteOnceThroughShortWrites) {
    std::string data = Pattern(10000);
    for (uint32_t limit : {1u, 777u, 100000u}) {
        SCOPED_TRACE(limit);
        const PDFL_ASStm stm = VIEW_Streams::OpenCollecting();
        VIEW_Streams::LimitWrites(stm, limit);
        GLOB_Stream stream(new COSF_PDFL_StreamCore(stm, GLOB_StreamCore::Output));
        FILT_FilterBuffer all(reinterpret_cast<uint8_t*>(&data[0]), 10000, false);
        all.AdvancePutPtr(10000);
        size_t writes = 0;
        while (all.DataAvailable() > 0 && writes <= 10000) {
            const uint32_t before = all.DataAvailable();
            stream.Write(all);
            EXPECT_EQ(before - all.DataAvailable(), std::min(before, limit));
            ++writes;
        }
        EXPECT_EQ(writes, (10000 + limit - 1) / limit);
        const std::string collected = VIEW_Streams::Collected(stm);
        EXPECT_EQ(collected.size(), data.size());
        EXPECT_TRUE(collected == data) << "every byte once, in order";
        stream.Close();
    }
}

TEST_F(StreamAdapterTest, CoreTakesOneDirection) {
    const PDFL_ASStm stm = VIEW_Streams::OpenMemory("x");
    try {
        COSF_PDFL_StreamCore both(stm, GLOB_StreamCore::Input | GLOB_StreamCore::Output);
        FAIL() << "no assertion";
    } catch (const TestAssertionFailure& failure) {
        EXPECT_EQ(failure.m_expression, "( openMode == Input ) || ( openMode == Output )");
    }
    PDFL_ASStmClose(stm);
}

}  // namespace
