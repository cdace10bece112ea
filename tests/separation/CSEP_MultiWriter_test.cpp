#include "separation/CSEP_MultiWriter.h"

#include "CSEP_TestUtil.h"
#include "GLOB/GLOB_MemoryStream.h"


namespace {

// The handles on stream's core besides the caller's own.
uint32_t OtherHolders(const GLOB_Stream& stream) {
    GLOB_StreamCore* core = stream.Core();
    const uint32_t count = core->RefCount() - 2;  // ours and the one Core added
    core->Release();
    return count;
}

// n inks, each a memory stream over its own zeroed buffer.
struct MemoryInks {
    explicit MemoryInks(size_t n) : buffers(n, std::vector<char>(64, 0)) {
        for (std::vector<char>& buffer : buffers)
            streams.emplace_back(new GLOB_MemoryStream(buffer.data(), static_cast<uint32_t>(buffer.size()), false));
    }
    std::string Text(size_t i) const { return std::string(buffers[i].data()); }
    std::vector<std::vector<char>> buffers;
    std::vector<GLOB_Stream> streams;
};

}  // namespace

// After Reset the writer lets go of the previous inks' streams, fork and
// all: they are the caller's alone, and what the writer writes next, to new
// streams, never reaches them.
TEST(CSEP_MultiWriter, ResetLetsGoOfThePreviousInks) {
    MemoryInks first(2);
    CSEP_MultiWriter writer;
    writer.SetStreams(first.streams);
    writer.WriteOperator("q");
    writer.SetTarget(1);
    writer.WriteOperator("0.5 g");
    EXPECT_EQ(OtherHolders(first.streams[0]), 2u);  // the writer's list and the fork
    writer.Reset();
    for (size_t i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(OtherHolders(first.streams[i]), 0u);
    }
    EXPECT_EQ(first.Text(0), "q\n");
    EXPECT_EQ(first.Text(1), "q\n0.5 g\n");

    MemoryInks second(2);
    writer.SetStreams(second.streams);
    writer.WriteOperator("Q");
    writer.Reset();
    EXPECT_EQ(second.Text(0), "Q\n");
    EXPECT_EQ(second.Text(1), "Q\n");
    EXPECT_EQ(first.Text(0), "q\n");
    EXPECT_EQ(first.Text(1), "q\n0.5 g\n");
    for (GLOB_Stream& stream : first.streams)
        stream.Close();
    for (GLOB_Stream& stream : second.streams)
        stream.Close();
}
