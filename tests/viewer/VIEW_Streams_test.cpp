// The stand-in's host streams: procedure streams read through their
// procedure's buffer, memory streams over bytes, collecting streams.
#include "viewer/VIEW_Frames.h"
#include "viewer/VIEW_Host.h"
#include "viewer/VIEW_Streams.h"

#include <gtest/gtest.h>

#include <string>

namespace {

template <int Slot>
typename PDFL_Slot<PDFL_AcroSupportTable, Slot>::Proc Support() {
    return reinterpret_cast<typename PDFL_Slot<PDFL_AcroSupportTable, Slot>::Proc>(
        VIEW_Host::Table(PDFL_AcroSupportTable)[Slot]);
}

std::string Pattern(size_t size) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
    return bytes;
}

// A source the procedure serves from, at most m_chunk bytes a call.
struct Source {
    std::string m_bytes;
    size_t m_next = 0;
    size_t m_chunk = SIZE_MAX;
    int m_calls = 0;
};

int32_t ServeSource(char* buffer, int32_t size, void* clientData) {
    Source& source = *static_cast<Source*>(clientData);
    ++source.m_calls;
    const size_t take = std::min({static_cast<size_t>(size), source.m_chunk,
                                  source.m_bytes.size() - source.m_next});
    source.m_bytes.copy(buffer, take, source.m_next);
    source.m_next += take;
    return static_cast<int32_t>(take);
}

int32_t RaiseFromSource(char*, int32_t, void*) {
    reinterpret_cast<PDFL_Core_RaiseExceptionProc>(VIEW_Host::Table(PDFL_CoreTable)[1])(0x00A0BEEF);
    return 0;
}

// Reads stm through slot 43 in pieces of the given sizes, cycling, to the end.
std::string ReadInPieces(PDFL_ASStm stm, std::vector<uint32_t> pieces) {
    std::string all;
    for (size_t i = 0;; ++i) {
        std::string piece(pieces[i % pieces.size()], '\0');
        const uint32_t got = Support<43>()(&piece[0], 1, static_cast<uint32_t>(piece.size()), stm);
        all.append(piece, 0, got);
        if (got < piece.size())
            return all;
    }
}

class StreamsTest : public ::testing::Test {
protected:
    void SetUp() override { VIEW_Host::Reset(); }
    void TearDown() override {
        EXPECT_EQ(VIEW_Frames::Depth(), 0u);
        VIEW_Host::Reset();
    }
};

TEST_F(StreamsTest, ProcedureIsAskedThroughItsBufferUntilItEnds) {
    Source source{Pattern(10000)};
    const PDFL_ASStm stm = Support<42>()(&ServeSource, &source);
    std::string all(20000, '\0');
    EXPECT_EQ(Support<43>()(&all[0], 1, 20000, stm), 10000u);
    all.resize(10000);
    EXPECT_EQ(all, source.m_bytes);
    EXPECT_EQ(VIEW_Streams::ProcedureResults(stm), (std::vector<int32_t>{4096, 4096, 1808, 0}));
    char more[8];
    EXPECT_EQ(Support<43>()(more, 1, 8, stm), 0u);
    EXPECT_EQ(source.m_calls, 4) << "an ended stream does not ask again";
    Support<45>()(stm);
    EXPECT_EQ(VIEW_Streams::OpenCount(), 0u);
}

TEST_F(StreamsTest, EveryChunkingReadsTheSameBytes) {
    const std::string data = Pattern(9001);
    const std::vector<std::vector<uint32_t>> pieceSets = {
        {1}, {7}, {4096}, {5000}, {3, 4095, 9000}};
    for (size_t chunk : {size_t{1}, size_t{1000}, SIZE_MAX}) {
        for (const std::vector<uint32_t>& pieces : pieceSets) {
            SCOPED_TRACE("chunk " + std::to_string(chunk) + ", first piece " +
                         std::to_string(pieces[0]));
            Source source{data};
            source.m_chunk = chunk;
            const PDFL_ASStm procedure = Support<42>()(&ServeSource, &source);
            EXPECT_EQ(ReadInPieces(procedure, pieces), data);
            Support<45>()(procedure);
            const PDFL_ASStm memory = VIEW_Streams::OpenMemory(data);
            EXPECT_EQ(ReadInPieces(memory, pieces), data);
            Support<45>()(memory);
        }
    }
}

TEST_F(StreamsTest, ItemsAreCountedWhole) {
    const PDFL_ASStm stm = VIEW_Streams::OpenMemory("0123456789");
    char buffer[16] = {};
    EXPECT_EQ(Support<43>()(buffer, 4, 2, stm), 2u);
    EXPECT_EQ(std::string(buffer, 8), "01234567");
    EXPECT_EQ(Support<43>()(buffer, 0, 5, stm), 0u);
    Support<45>()(stm);
    const PDFL_ASStm empty = VIEW_Streams::OpenMemory("");
    EXPECT_EQ(Support<43>()(buffer, 1, 16, empty), 0u);
    Support<45>()(empty);
}

TEST_F(StreamsTest, CollectingStreamKeepsEveryWrittenByteOnce) {
    const PDFL_ASStm stm = VIEW_Streams::OpenCollecting();
    EXPECT_EQ(Support<44>()("abc", 1, 3, stm), 3u);
    VIEW_Streams::LimitWrites(stm, 5);
    EXPECT_EQ(Support<44>()("defghij", 1, 7, stm), 5u) << "limited";
    EXPECT_EQ(Support<44>()("ij", 1, 2, stm), 2u);
    EXPECT_EQ(Support<44>()("klmnopqr", 4, 2, stm), 1u) << "whole items only";
    EXPECT_EQ(VIEW_Streams::Collected(stm), "abcdefghijklmn");
    Support<45>()(stm);
}

TEST_F(StreamsTest, MisuseIsRefusedByName) {
    const PDFL_ASStm reading = VIEW_Streams::OpenMemory("x");
    const PDFL_ASStm writing = VIEW_Streams::OpenCollecting();
    char buffer[4];
    EXPECT_THROW(Support<44>()("x", 1, 1, reading), VIEW_AssertionFailure);
    EXPECT_THROW(Support<43>()(buffer, 1, 1, writing), VIEW_AssertionFailure);
    EXPECT_THROW(Support<42>()(nullptr, nullptr), VIEW_AssertionFailure);
    Support<45>()(reading);
    EXPECT_THROW(Support<45>()(reading), VIEW_AssertionFailure) << "closed twice";
    EXPECT_THROW(Support<43>()(buffer, 1, 1, reading), VIEW_AssertionFailure);
    Support<45>()(writing);
}

TEST_F(StreamsTest, HostErrorInTheProcedureLeavesTheReadAsAHostError) {
    const PDFL_ASStm stm = Support<42>()(&RaiseFromSource, nullptr);
    char buffer[16];
    try {
        Support<43>()(buffer, 1, sizeof buffer, stm);
        ADD_FAILURE() << "no raise";
    } catch (const VIEW_HostRaise& raise) {
        EXPECT_EQ(raise.Code(), 0x00A0BEEF);
    }
    EXPECT_EQ(VIEW_Frames::SlotDepth(), 0u);
    Support<45>()(stm);
}

}  // namespace
